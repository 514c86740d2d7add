#pragma once

#include <cstdint>
#include <vector>

#include "controls.h"

// The window's pictures as plain pixels, for any toolkit to turn into its own images: the flags
// on the language buttons and the program's icon.
namespace zelmark::artwork {

// Non-premultiplied 0xAARRGGBB, row by row from the top.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

inline constexpr std::uint32_t FlagFrameGrey = 0xFF848484;  // red, green, blue 132

// The 26 x 14 picture: a 24 x 12 flag in a one-pixel grey frame, the frame's colour (that of the
// bottom-left pixel) made transparent.
Picture flagPicture(Flag flag);

// The program's icon, a stopwatch designed at 23 x 28, drawn for the size asked for: scaled to
// fit and centred, so every size gets its own drawing rather than a scaled copy.
inline constexpr int IconWidth = 23;
inline constexpr int IconHeight = 28;
Picture programIcon(int width = IconWidth, int height = IconHeight);

}  // namespace zelmark::artwork
