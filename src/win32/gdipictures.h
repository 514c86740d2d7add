#pragma once

#include <windows.h>

#include "artwork.h"

// The window core's pictures as GDI objects: a flag on a button face, and the program's icon.
namespace zelmark::win32 {

// The picture scaled by whole pixels (nearest neighbour) to width x height and laid over the
// background colour: a BS_BITMAP button draws its bitmap without alpha, so the transparent frame
// has to be the face colour already.
HBITMAP bitmapOnBackground(const artwork::Picture& picture, int width, int height,
                           COLORREF background);

// An icon made from the picture's pixels and alpha (CreateIconIndirect).
HICON iconFromPicture(const artwork::Picture& picture);

}  // namespace zelmark::win32
