#pragma once

#include <QColor>
#include <QWidget>
#include <cstdint>
#include <string>

#include "clock.h"
#include "devicelink.h"
#include "firmwareimage.h"
#include "textcatalogue.h"
#include "usbheader.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;
class QAbstractButton;

// The updater's one window: the six-step wizard, the device box, the firmware box, the big button,
// the language flags and the presence timer. It holds the wizard's state; the device buffers and
// the protocol live in its DeviceLink.
class TForm1 : public QWidget {
public:
    // The platform's marking colours.
    static inline const QColor clGreen{0, 128, 0};
    static inline const QColor clRed{255, 0, 0};

    TForm1(zelmark::UsbXpress& usb, zelmark::Clock& clock,
           zelmark::ImageBytes image = zelmark::embeddedImage(), QWidget* parent = nullptr);
    ~TForm1() override;

    // Event handlers, under the names the window's design gives them.
    void FormShow();
    void GoBtnClick();
    void Timer1Timer();
    void UKBtnClick();
    void DKBtnClick();
    void GBtnClick();

    // Operations.
    void ApplyLanguage();
    void ReadDeviceInfo();
    void SendFirmware();

    // Read access to the window's state.
    std::uint8_t language() const { return Language; }
    std::uint8_t step() const { return Step; }
    bool devicePresent() const { return DevicePresent; }
    zelmark::DeviceLink& link() { return link_; }
    bool operationRunning() const { return operationDepth_ > 0; }

    // The scratch file that receives the device's information reply (default: version.tmp in
    // the current directory).
    void setScratchFilePath(std::string path) { scratchFilePath_ = std::move(path); }
    const std::string& scratchFilePath() const { return scratchFilePath_; }

    // The font families the window uses: "MS Sans Serif" where installed, else the fallback.
    static QString fontFamily();

    // Controls, in the order the window declares them.
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
    class OperationScope;
    class WindowTransferObserver;

    // Runs an event handler as the platform does: an error that escapes it is reported.
    void handle(void (TForm1::*handler)());
    void createControls();
    QLabel* addLabel(QWidget* parent, const char* name, int left, int top, int width, int height,
                     const QString& caption = {});
    QLabel* addValueLabel(QWidget* parent, const char* name, int left, int top, int width);

    // Showing a catalogue text in the current language: for a language without texts the
    // control keeps what it shows.
    void showText(QLabel* label, zelmark::TextId id);
    void showText(QAbstractButton* button, zelmark::TextId id);
    void showText(QGroupBox* box, zelmark::TextId id);
    void showWindowCaption(zelmark::TextId id);
    const char* currentText(zelmark::TextId id) const;

    static void setLabelColour(QLabel* label, const QColor& colour);
    void queryAndArmUpdate();
    void explainOpenFailure();
    void showRefusal(zelmark::TextId text);

    // State.
    std::uint8_t Language = 0;
    std::uint8_t Step = 0;
    bool DevicePresent = false;

    zelmark::UsbXpress& usb_;
    zelmark::ImageBytes image_;
    zelmark::DeviceLink link_;
    std::string scratchFilePath_ = "version.tmp";
    bool shown_ = false;
    bool verdictFormed_ = false;  // the device now attached passed or failed the check
    int operationDepth_ = 0;
    bool closePending_ = false;
};
