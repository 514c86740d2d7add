// zelmark-updater-demo: the updater's window on the built-in virtual Zelmark, in real time, with
// the virtual device's panel beside it.
#include <QDir>

#include "scratchfile.h"
#include "singleinstance.h"
#include "tform1.h"
#include "updaterapplication.h"
#include "virtualdevicepanel.h"
#include "virtualzelmark.h"

int main(int argc, char** argv) {
    UpdaterApplication application(argc, argv);
    SingleInstance instance(QStringLiteral("zelmark-updater-demo"));
    if (instance.alreadyRunning()) {
        return 0;  // the demo that runs already has come to the front
    }
    zelmark::RealClock clock;
    zelmark::VirtualZelmark device(clock);
    device.unplug();  // the user plugs the cable in from the panel, as in step 2

    TForm1 Form1(device, clock);
    Form1.setCaptionSuffix(QString::fromLatin1(DemoCaptionSuffix));
    Form1.core().setScratchFilePath(scratchFilePath(QDir::currentPath()).toStdString());
    instance.onActivationRequest([&Form1] { UpdaterApplication::bringToFront(Form1); });
    Form1.show();

    VirtualDevicePanel panel(device, &Form1);
    panel.move(Form1.frameGeometry().topRight() + QPoint(12, 0));
    panel.show();
    return application.exec();
}
