// zelmark-updater: the wizard window on the first Zelmark attached to this computer.
#include <QDir>

#include "scratchfile.h"
#include "serialusb.h"
#include "tform1.h"
#include "updaterapplication.h"

int main(int argc, char** argv) {
    UpdaterApplication application(argc, argv);
    zelmark::RealClock clock;
    zelmark::SerialUsb usb;
    TForm1 Form1(usb, clock);
    Form1.setScratchFilePath(scratchFilePath(QDir::currentPath()).toStdString());
    Form1.show();
    return application.exec();
}
