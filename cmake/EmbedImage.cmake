# Turns the firmware image file into a C++ source that defines FirmwareImage.
# Run as: cmake -DINPUT=<image> -DOUTPUT=<cpp> -DMIN_SIZE=<bytes> -P EmbedImage.cmake
file(SIZE "${INPUT}" image_size)
if(image_size LESS MIN_SIZE)
    message(FATAL_ERROR "Firmware image '${INPUT}' holds ${image_size} bytes; "
                        "an image must hold at least ${MIN_SIZE} bytes.")
endif()
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT} by EmbedImage.cmake; do not edit.\n"
"#include \"firmwareimage.h\"\n\n"
"namespace zelmark {\n\n"
"extern const std::uint8_t FirmwareImage[${image_size}] = {\n${bytes}\n};\n"
"extern const std::size_t FirmwareImageStoredSize = ${image_size};\n\n"
"}  // namespace zelmark\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
