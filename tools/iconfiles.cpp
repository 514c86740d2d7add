// Writes the program's icon for the desktop's icon theme:  zelmark-icon-files OUTPUT-DIRECTORY
// gives OUTPUT-DIRECTORY/SIZE/zelmark-updater.png for each size the theme is given. The 23 x 28
// artwork sits centred on a square, scaled up in whole steps so its pixels stay crisp.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "artwork.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zelmark-icon-files OUTPUT-DIRECTORY\n");
        return 2;
    }
    const QImage art = artwork::programIcon();
    for (int size : {32, 48, 64, 128}) {
        const int scale = size / art.height();
        const QImage scaled =
            art.scaled(art.size() * scale, Qt::KeepAspectRatio, Qt::FastTransformation);
        QImage square(size, size, QImage::Format_ARGB32);
        square.fill(Qt::transparent);
        QPainter(&square).drawImage((size - scaled.width()) / 2, (size - scaled.height()) / 2,
                                    scaled);
        const QDir dir(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/%1x%1").arg(size));
        if (!QDir().mkpath(dir.path()) || !square.save(dir.filePath("zelmark-updater.png"))) {
            std::fprintf(stderr, "cannot write icons into %s\n", qPrintable(dir.path()));
            return 1;
        }
    }
    return 0;
}
