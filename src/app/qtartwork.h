#pragma once

#include <QIcon>
#include <QImage>

#include "artwork.h"

// The window core's pictures as Qt images.
namespace qtartwork {

QImage toQImage(const zelmark::artwork::Picture& picture);
QIcon toQIcon(const zelmark::artwork::Picture& picture);

}  // namespace qtartwork
