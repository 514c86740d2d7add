#include "imageheader.h"

namespace zelmark {

namespace {

std::uint16_t word(ImageBytes image, std::size_t offset) {
    return static_cast<std::uint16_t>(image[offset] + 256 * image[offset + 1]);
}

}  // namespace

std::uint8_t TargetCode(ImageBytes image) {
    return image[TargetCodeOffset];
}
std::uint16_t ModelCode(ImageBytes image) {
    return word(image, ModelCodeOffset);
}
std::uint16_t MainVersion(ImageBytes image) {
    return word(image, MainVersionOffset);
}
std::uint8_t MinUpdaterVersion(ImageBytes image) {
    return image[MinUpdaterVersionOffset];
}
std::uint8_t Submodel(ImageBytes image) {
    return image[SubmodelOffset];
}
std::uint8_t MainFirmwareVersion(ImageBytes image) {
    return image[MainFirmwareVersionOffset];
}

bool namesMainFirmwareVersion(std::uint8_t mainFirmwareVersion) {
    return mainFirmwareVersion >= 100 && mainFirmwareVersion <= 254;
}

std::uint16_t codeBlockFlashAddress(unsigned k) {
    return static_cast<std::uint16_t>(FlashStart + BlockSize * (k - 1));
}

std::size_t codeBlockImageOffset(unsigned k) {
    return CodeAreaOffset + BlockSize * (k - 1);
}

}  // namespace zelmark
