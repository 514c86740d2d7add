// Renders the updater's window offscreen into PNG files, one per language, for the README and
// for laying beside the window's design:  zelmark-screenshots OUTPUT-DIRECTORY
#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <cstdio>

#include "tform1.h"
#include "updaterapplication.h"
#include "virtualzelmark.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    UpdaterApplication application(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    zelmark::VirtualClock clock;
    zelmark::VirtualZelmark device(clock);
    device.unplug();
    TForm1 form(device, clock);
    form.setScratchFilePath(QDir::temp().filePath("zelmark-screenshot-version.tmp").toStdString());
    form.show();

    auto save = [&](const char* name) {
        const QString path = out.filePath(QString::fromLatin1(name));
        if (!form.grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            std::exit(1);
        }
        std::printf("%s\n", qPrintable(path));
    };
    save("window-en.png");
    form.DKBtnClick();
    save("window-da.png");

    // Half-way along the road: a device read and UPDATE armed.
    form.UKBtnClick();
    device.plug();
    form.Timer1Timer();
    form.GoBtnClick();
    form.GoBtnClick();
    save("window-en-ready.png");
    return 0;
}
