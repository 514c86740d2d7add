#pragma once

#include <windows.h>

#include "artwork.h"

// The window core's pictures as GDI objects: the flags on their buttons, and the program's icon.
namespace zelmark::win32 {

// The picture scaled by whole pixels (nearest neighbour) to width x height, as a 32-bit bitmap
// with premultiplied alpha, ready for AlphaBlend.
HBITMAP premultipliedBitmap(const artwork::Picture& picture, int width, int height);

// The picture as a disabled button shows it: in light greys, its transparency kept.
artwork::Picture greyed(const artwork::Picture& picture);

// An icon made from the picture's pixels and alpha (CreateIconIndirect).
HICON iconFromPicture(const artwork::Picture& picture);

}  // namespace zelmark::win32
