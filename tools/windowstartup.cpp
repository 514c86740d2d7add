// Shows the updater's window offscreen and exits as soon as it has been painted once: the
// benchmark times this program from start to exit to learn how long the window takes to appear.
#include <QEvent>
#include <QTimer>

#include "tform1.h"
#include "updaterapplication.h"
#include "virtualzelmark.h"

namespace {

class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    UpdaterApplication application(argc, argv);
    zelmark::RealClock clock;
    zelmark::VirtualZelmark device(clock);
    device.unplug();
    TForm1 form(device, clock);
    FirstPaint firstPaint;
    form.installEventFilter(&firstPaint);
    form.show();
    return application.exec();
}
