#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "clock.h"
#include "devicelink.h"
#include "firmwareimage.h"
#include "textcatalogue.h"
#include "usbheader.h"
#include "windowmodel.h"

// The updater's window without a toolkit: the wizard's state, its handlers under the names the
// window's design gives them, and a model of every control. A window (Qt, Win32) builds its
// controls from the control table, forwards clicks, ticks and close requests here, and draws the
// model after each of them and whenever the core lets messages through during an exchange.
namespace zelmark {

class WindowCore {
public:
    struct Hooks {
        // Draw the model and let the toolkit process its pending messages (clicks, ticks).
        std::function<void()> pumpMessages;
        // Show an error that escaped a handler; the program goes on.
        std::function<void(const std::string& message)> reportError;
    };

    WindowCore(UsbXpress& usb, Clock& clock, ImageBytes image = embeddedImage(), Hooks hooks = {});
    WindowCore(const WindowCore&) = delete;
    WindowCore& operator=(const WindowCore&) = delete;

    // Events from the window. Each runs its handler as the platform does: an error that escapes
    // it is reported through the hooks.
    void shown();  // the window is shown for the first time
    void click(Control control);
    void tick();  // Timer1
    // The user asks to close the window. True: close now. False: an exchange is running; the
    // model's closeRequested turns true once it has returned.
    bool requestClose();

    // Event handlers and operations.
    void FormShow();
    void GoBtnClick();
    void Timer1Timer();
    void UKBtnClick();
    void DKBtnClick();
    void GBtnClick();
    void ApplyLanguage();
    void ReadDeviceInfo();
    void SendFirmware();

    const WindowModel& model() const { return model_; }
    std::uint8_t step() const { return Step; }
    std::uint8_t language() const { return Language; }
    bool devicePresent() const { return DevicePresent; }
    bool operationRunning() const { return operationDepth_ > 0; }
    DeviceLink& link() { return link_; }

    // The scratch file that receives the device's information reply (default: version.tmp in
    // the current directory).
    void setScratchFilePath(std::string path) { scratchFilePath_ = std::move(path); }
    const std::string& scratchFilePath() const { return scratchFilePath_; }

    // A problem that keeps every device away (the device library is missing, say): shown in the
    // explanation in the current language instead of the intro, until the wizard moves on.
    void setStandingProblem(TextId text);

private:
    class OperationScope;
    class TransferDisplay;

    void run(void (WindowCore::*handler)());
    ControlState& at(Control control) { return model_[control]; }
    void showText(Control control, TextId id);
    void showCaption(TextId id);
    void setGoBtnEnabled(bool enabled);
    void setColour(Control control, Rgb colour) { at(control).fontColour = colour; }
    bool deviceAttached();
    void queryWithButtonDisabled();
    void queryAndArmUpdate();
    void waitForCable();
    void explainOpenFailure();
    void showRefusal();
    void pump();

    // State.
    std::uint8_t Language = 0;
    std::uint8_t Step = 0;
    bool DevicePresent = false;

    UsbXpress& usb_;
    ImageBytes image_;
    Hooks hooks_;
    DeviceLink link_;
    WindowModel model_;
    std::string scratchFilePath_ = "version.tmp";
    // What the explanation and the big button show, so that a language switch can show them
    // again in the new language.
    TextId commentText_ = TxtIntro;
    std::optional<TextId> goBtnText_;  // none: the design's "Start"
    bool shown_ = false;
    bool verdictFormed_ = false;  // the device now attached passed or failed the check
    bool transferring_ = false;
    int operationDepth_ = 0;
    bool closePending_ = false;
};

}  // namespace zelmark
