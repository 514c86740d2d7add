// zelmark-updater-demo: the updater's window on the built-in virtual Zelmark, in real time.
#include "tform1.h"
#include "updaterapplication.h"
#include "virtualzelmark.h"

int main(int argc, char** argv) {
    UpdaterApplication application(argc, argv);
    zelmark::RealClock clock;
    zelmark::VirtualZelmark device(clock);
    TForm1 Form1(device, clock);
    Form1.show();
    return application.exec();
}
