#pragma once

#include <cstdint>

#include "firmwareimage.h"

// Where the image's header fields and regions lie, and how its code area maps onto flash.
// Multi-byte fields are stored low byte first. The accessors read straight from the image.
namespace zelmark {

inline constexpr std::size_t TargetCodeOffset = 16;
inline constexpr std::size_t ModelCodeOffset = 25;
inline constexpr std::size_t MainVersionOffset = 33;
inline constexpr std::size_t MinUpdaterVersionOffset = 35;
inline constexpr std::size_t SubmodelOffset = 36;
inline constexpr std::size_t VectorTableOffset = 128;
inline constexpr std::size_t VectorTableSize = 32;
inline constexpr std::size_t CodeAreaOffset = 160;

inline constexpr unsigned BlockCount = 91;
inline constexpr unsigned BlockSize = 512;
inline constexpr std::uint16_t FlashStart = 0x4000;
inline constexpr std::uint16_t VectorFlashAddress = 0xFFE0;

// The main firmware version byte lies inside the code area: flash 0xE200, first byte of block 82.
inline constexpr std::uint16_t MainFirmwareVersionFlashAddress = 0xE200;
inline constexpr std::size_t MainFirmwareVersionOffset =
    CodeAreaOffset + (MainFirmwareVersionFlashAddress - FlashStart);

// The product's own codes.
inline constexpr std::uint16_t ZelmarkModelCode = 3098;
inline constexpr std::uint8_t ZelmarkTargetCode = 0xB1;

std::uint8_t TargetCode(ImageBytes image);
std::uint16_t ModelCode(ImageBytes image);
std::uint16_t MainVersion(ImageBytes image);
std::uint8_t MinUpdaterVersion(ImageBytes image);
std::uint8_t Submodel(ImageBytes image);
std::uint8_t MainFirmwareVersion(ImageBytes image);

// A main firmware byte from 100 to 254 names a version; 0..99 and 255 name none.
bool namesMainFirmwareVersion(std::uint8_t mainFirmwareVersion);

// Flash address and image offset of code block k (1..BlockCount).
std::uint16_t codeBlockFlashAddress(unsigned k);
std::size_t codeBlockImageOffset(unsigned k);

}  // namespace zelmark
