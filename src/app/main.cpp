// zelmark-updater: the wizard window on the first Zelmark attached to this computer.
#include <QDir>

#include "scratchfile.h"
#include "serialusb.h"
#include "singleinstance.h"
#include "tform1.h"
#include "updaterapplication.h"

int main(int argc, char** argv) {
    UpdaterApplication application(argc, argv);
    SingleInstance instance(QStringLiteral("zelmark-updater"));
    if (instance.alreadyRunning()) {
        return 0;  // the window that runs already has come to the front
    }
    zelmark::RealClock clock;
    zelmark::SerialUsb usb;
    TForm1 Form1(usb, clock);
    Form1.core().setScratchFilePath(scratchFilePath(QDir::currentPath()).toStdString());
    instance.onActivationRequest([&Form1] { UpdaterApplication::bringToFront(Form1); });
    Form1.show();
    return application.exec();
}
