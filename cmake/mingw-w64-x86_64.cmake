# Cross build for 64-bit Windows with Debian's mingw-w64 compilers:
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The posix thread model is needed for std::thread and std::mutex (and so for GoogleTest); the
# plain compiler names are the win32 thread model. Everything is linked statically, so that the
# programs need no DLL but Windows' own (libwinpthread, libstdc++ and libgcc included).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_prefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)

# Test programs are run under 64-bit wine (ctest, and gtest_discover_tests at build time).
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(ZELMARK_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
    if(NOT ZELMARK_WINE64)
        find_program(ZELMARK_WINE64 NAMES wine64)
    endif()
    if(ZELMARK_WINE64)
        set(CMAKE_CROSSCOMPILING_EMULATOR "${ZELMARK_WINE64}")
    endif()
endif()
