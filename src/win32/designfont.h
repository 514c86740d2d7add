#pragma once

#include <windows.h>

// The design's face, "MS Sans Serif", at a character height in device pixels. It is a raster
// font: it has drawings at a few heights only, and at any other height (a design size on a
// high-DPI monitor, or a size missing from a font file) GDI or wine scale a drawing of another
// height, blocky or with gaps between the letters. There the window takes its scalable
// successor, "Microsoft Sans Serif", instead.
namespace zelmark::win32 {

HFONT createDesignFont(int characterPixels, bool bold);

}  // namespace zelmark::win32
