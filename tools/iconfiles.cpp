// Writes the program's icon for the desktop's icon theme:  zelmark-icon-files OUTPUT-DIRECTORY
// gives OUTPUT-DIRECTORY/SIZExSIZE/zelmark-updater.png for each size the theme is given, each
// drawn for its size.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "artwork.h"
#include "qtartwork.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zelmark-icon-files OUTPUT-DIRECTORY\n");
        return 2;
    }
    for (int size : {32, 48, 64, 128}) {
        const QImage icon = qtartwork::toQImage(zelmark::artwork::programIcon(size, size));
        const QDir dir(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/%1x%1").arg(size));
        if (!QDir().mkpath(dir.path()) || !icon.save(dir.filePath("zelmark-updater.png"))) {
            std::fprintf(stderr, "cannot write icons into %s\n", qPrintable(dir.path()));
            return 1;
        }
    }
    return 0;
}
