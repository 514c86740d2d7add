#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zelmark {

// The program reads image offsets 0..46751 and nothing beyond.
inline constexpr std::size_t FirmwareImageSize = 46752;

// The image the build embedded (see cmake/EmbedImage.cmake). The stored array may be longer than
// FirmwareImageSize; whatever follows is never read.
extern const std::uint8_t FirmwareImage[];
extern const std::size_t FirmwareImageStoredSize;

// A view of an image's 46752 bytes. The programs use the embedded image; tests hand in others.
using ImageBytes = std::span<const std::uint8_t, FirmwareImageSize>;

ImageBytes embeddedImage();

}  // namespace zelmark
