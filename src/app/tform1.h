#pragma once

#include <QColor>
#include <QWidget>
#include <array>

#include "clock.h"
#include "firmwareimage.h"
#include "usbheader.h"
#include "windowcore.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;

// The updater's one window on Linux: the Qt rendering of the window core. It builds its controls
// from the design's control table, forwards clicks, ticks and close requests to the core, and
// shows the core's model after each of them and whenever the core lets messages through during
// an exchange. It decides nothing of the wizard itself.
class TForm1 : public QWidget {
public:
    TForm1(zelmark::UsbXpress& usb, zelmark::Clock& clock,
           zelmark::ImageBytes image = zelmark::embeddedImage(), QWidget* parent = nullptr);
    ~TForm1() override;

    zelmark::WindowCore& core() { return core_; }
    const zelmark::WindowCore& core() const { return core_; }
    QWidget* control(zelmark::Control id) const { return widgets_[static_cast<std::size_t>(id)]; }

    // A click on a control or a tick of Timer1, as the user or the timer would give them.
    void click(zelmark::Control id);
    void tick();

    // Brings every control up to date with the core's model.
    void render();

    // Text after the caption the core gives the window: the demo says that it is the demo.
    void setCaptionSuffix(const QString& suffix) {
        captionSuffix_ = suffix;
        render();
    }

    // The font family the window uses: "MS Sans Serif" where installed, else the fallback.
    static QString fontFamily();
    static QColor toQColor(zelmark::Rgb colour) {
        return QColor(colour.red, colour.green, colour.blue);
    }

    // The controls under their design names.
    QGroupBox* OrderBox;
    QPushButton* GoBtn;
    QLabel* Step1;
    QLabel* Step2;
    QLabel* Step5;
    QLabel* Step6;
    QGroupBox* ExplanationBox;
    QLabel* Comment;
    QLabel* Step7;
    QLabel* Step8;
    QGroupBox* GroupBox3;
    QGroupBox* SoftwareBox;
    QLabel* SW1;
    QLabel* SW2;
    QLabel* SW3;
    QTimer* Timer1;
    QLabel* Lap1;
    QLabel* Lap2;
    QLabel* SW4;
    QLabel* Lap3;
    QLabel* Lap4;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Lap6;
    QPushButton* UKBtn;
    QPushButton* DKBtn;
    QPushButton* GBtn;
    QLabel* Label6;
    QLabel* SW6;
    QLabel* Lap10;
    QLabel* Lap11;
    QLabel* Lap12;
    QLabel* Lap13;
    QLabel* Lap15;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    void nameControls();
    void pumpMessages();

    zelmark::WindowCore core_;
    std::array<QWidget*, zelmark::ControlCount> widgets_{};
    QColor windowText_;
    QString captionSuffix_;
    unsigned focusRequestsShown_ = 0;
    bool closing_ = false;
    bool centred_ = false;
};
