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
    form.core().setScratchFilePath(
        QDir::temp().filePath("zelmark-screenshot-version.tmp").toStdString());
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
    form.click(zelmark::Control::DKBtn);
    save("window-da.png");

    // Half-way along the road: a device read and UPDATE armed.
    form.click(zelmark::Control::UKBtn);
    device.plug();
    form.tick();
    form.click(zelmark::Control::GoBtn);
    form.click(zelmark::Control::GoBtn);
    save("window-en-ready.png");
    return 0;
}
