#include "qtartwork.h"

#include <QPixmap>

namespace qtartwork {

QImage toQImage(const zelmark::artwork::Picture& picture) {
    QImage image(picture.width, picture.height, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            image.setPixel(x, y, picture.at(x, y));
        }
    }
    return image;
}

QIcon toQIcon(const zelmark::artwork::Picture& picture) {
    return QIcon(QPixmap::fromImage(toQImage(picture)));
}

}  // namespace qtartwork
