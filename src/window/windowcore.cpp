#include "windowcore.h"

#include <exception>

#include "deviceinfo.h"
#include "imageheader.h"
#include "versiontext.h"
#include "wizardsteps.h"

namespace zelmark {

using enum Control;

// Counts the exchanges that let messages through (query, transfer): none may start inside
// another, and a close request that arrives inside one takes effect once it has returned.
class WindowCore::OperationScope {
public:
    explicit OperationScope(WindowCore& core) : core_(core) { ++core_.operationDepth_; }
    ~OperationScope() {
        if (--core_.operationDepth_ == 0 && core_.closePending_) {
            core_.model_.closeRequested = true;
        }
    }
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

private:
    WindowCore& core_;
};

class WindowCore::TransferDisplay final : public TransferObserver {
public:
    explicit TransferDisplay(WindowCore& core) : core_(core) {}
    void deviceOpened() override {
        core_.at(Step5).enabled = false;
        core_.at(Step6).enabled = true;
        core_.setGoBtnEnabled(false);
        core_.showText(Comment, TxtTransmitting);
    }
    void transferCounted(std::uint32_t byteCounter) override {
        core_.at(SW4).caption = std::to_string(byteCounter) + " Bytes";
    }

private:
    WindowCore& core_;
};

WindowCore::WindowCore(UsbXpress& usb, Clock& clock, ImageBytes image, Hooks hooks)
    : usb_(usb),
      image_(image),
      hooks_(std::move(hooks)),
      link_(usb, clock, image,
            LinkHooks{[this] { pump(); },
                      // A close stops a query at once; a transfer always runs to its end.
                      [this] { return closePending_ && !transferring_; }}) {}

void WindowCore::pump() {
    if (hooks_.pumpMessages) {
        hooks_.pumpMessages();
    }
}

// ---- Events --------------------------------------------------------------------------------

void WindowCore::run(void (WindowCore::*handler)()) {
    // An error leaves the handler that raised it and is shown to the user; the program goes on.
    try {
        (this->*handler)();
    } catch (const std::exception& error) {
        if (hooks_.reportError) {
            hooks_.reportError(error.what());
        }
    }
}

void WindowCore::shown() {
    if (!shown_) {
        shown_ = true;
        run(&WindowCore::FormShow);
    }
}

void WindowCore::click(Control control) {
    if (!at(control).enabled) {
        return;  // a disabled control takes no click
    }
    switch (control) {
        case GoBtn:
            run(&WindowCore::GoBtnClick);
            break;
        case UKBtn:
            run(&WindowCore::UKBtnClick);
            break;
        case DKBtn:
            run(&WindowCore::DKBtnClick);
            break;
        case GBtn:
            run(&WindowCore::GBtnClick);
            break;
        default:
            break;
    }
}

void WindowCore::tick() {
    if (model_.timerRunning) {
        run(&WindowCore::Timer1Timer);
    }
}

bool WindowCore::requestClose() {
    if (operationDepth_ > 0) {
        closePending_ = true;
        if (transferring_) {
            showText(Comment, TxtClosesAfterUpdate);
        }
        return false;
    }
    model_.timerRunning = false;
    return true;
}

// ---- Showing -------------------------------------------------------------------------------

// Showing a catalogue text in the current language: for a language without texts the control
// keeps what it shows. The explanation and the big button remember their text either way.
void WindowCore::showText(Control control, TextId id) {
    if (control == Comment) {
        commentText_ = id;
    } else if (control == GoBtn) {
        goBtnText_ = id;
    }
    if (const char* text = catalogueText(id, Language)) {
        at(control).caption = text;
    }
}

void WindowCore::showCaption(TextId id) {
    if (const char* text = catalogueText(id, Language)) {
        model_.caption = text;
    }
}

// GoBtn is the window's default button: whenever it is enabled it takes the focus back.
void WindowCore::setGoBtnEnabled(bool enabled) {
    at(GoBtn).enabled = enabled;
    if (enabled) {
        model_.focus = GoBtn;
        ++model_.focusRequests;
    }
}

void WindowCore::setStandingProblem(TextId text) {
    showText(Comment, text);
}

// ---- Start-up ------------------------------------------------------------------------------

void WindowCore::FormShow() {
    Step = StepStart;
    Language = LangEnglish;
    ApplyLanguage();

    at(SW1).caption = ModelText(ModelCode(image_));
    at(SW2).caption = VersionText(MainVersion(image_));
    if (TargetCode(image_) == ZelmarkTargetCode) {
        at(SW3).caption = "Zelmark";
    }
    const std::uint8_t mainFirmware = MainFirmwareVersion(image_);
    if (namesMainFirmwareVersion(mainFirmware)) {
        at(SW6).caption = VersionText(mainFirmware);
        at(SW3).caption += " + Firmware";
    } else {
        at(SW6).caption = "-----";
    }

    std::uint32_t count = 0;
    if (usb_.SI_GetNumDevices(&count) != SiSuccess) {
        setGoBtnEnabled(true);
        Step = StepStart;
    }
    model_.timerRunning = true;
}

// ---- Languages -----------------------------------------------------------------------------

void WindowCore::UKBtnClick() {
    Language = LangEnglish;
    ApplyLanguage();
}

void WindowCore::DKBtnClick() {
    Language = LangDanish;
    ApplyLanguage();
}

void WindowCore::GBtnClick() {
    Language = LangGerman;
    ApplyLanguage();
}

void WindowCore::ApplyLanguage() {
    if (Language != LangDanish && Language != LangEnglish) {
        return;
    }
    showCaption(DevicePresent ? TxtTitleFound : TxtTitle);
    showText(Lap1, DevicePresent ? TxtStatusFound : TxtStatusLooking);
    showText(OrderBox, TxtSequence);
    showText(ExplanationBox, TxtExplanation);
    showText(SoftwareBox, TxtNewSoftware);
    showText(Label4, TxtSent);
    showText(Lap12, TxtSerialNumber);
    // The explanation of the step the wizard is in, and the big button's action, in the new
    // language.
    showText(Comment, commentText_);
    showText(Step1, TxtStep1);
    showText(Step2, TxtStep2);
    showText(Step5, TxtStep3);
    showText(Step6, TxtStep4);
    showText(Step7, TxtStep5);
    showText(Step8, TxtStep6);
    if (goBtnText_) {
        showText(GoBtn, *goBtnText_);
    }
}

// ---- Device information --------------------------------------------------------------------

void WindowCore::ReadDeviceInfo() {
    OperationScope operation(*this);
    FileReplyStore reply(scratchFilePath_);
    verdictFormed_ = false;
    QueryOutcome outcome = QueryOutcome::NotOpened;
    try {
        outcome = link_.queryInformation(reply);
    } catch (const IoError&) {
        if (closePending_) {
            return;  // the capture was cut short because the window is closing: nothing to say
        }
        throw;
    }
    if (outcome == QueryOutcome::Read) {
        const DeviceInfo info = link_.deviceInfo();
        model_.timerRunning = false;
        for (Control caption : {Lap11, Lap12, Lap13, Lap15}) {
            at(caption).visible = true;
        }

        at(Lap2).caption = ModelText(info.model);
        at(Lap3).caption = std::to_string(info.serial);
        at(Lap4).caption =
            info.currentVersion == CorruptVersion ? "Corrupt" : VersionText(info.currentVersion);
        if (showsUpdaterVersion(info.updaterVersion)) {
            at(Lap6).caption = VersionText(info.updaterVersion);
        }

        // Older than the image: green; newer: red; the same: left as it was.
        if (info.currentVersion < MainVersion(image_)) {
            setColour(Lap4, clGreen);
            setColour(Lap13, clGreen);
        } else if (info.currentVersion > MainVersion(image_)) {
            setColour(Lap4, clRed);
            setColour(Lap13, clRed);
        }

        const Verdict verdict = judge(info, image_);
        Step = static_cast<std::uint8_t>(verdict);
        switch (verdict) {
            case Verdict::WrongModel:
            case Verdict::WrongSubmodel:
                setColour(Lap2, clRed);
                setColour(Lap11, clRed);
                break;
            case Verdict::WrongFirmware:
                setColour(Lap6, clRed);
                setColour(Lap15, clRed);
                break;
            case Verdict::Ready:
                break;
        }
        verdictFormed_ = true;

        model_.timerRunning = true;
        setGoBtnEnabled(true);
    }
    showText(Comment, TxtReadyWarning);
    showText(GoBtn, TxtUpdate);
    if (!verdictFormed_) {
        explainOpenFailure();
    }
}

void WindowCore::explainOpenFailure() {
    // The commonest reasons, each with its fix; other failures leave the text as it is.
    switch (link_.lastOpenStatus()) {
        case SiAccessDenied:
            showText(Comment, TxtAccessDenied);
            break;
        case SiDeviceBusy:
            showText(Comment, TxtDeviceBusy);
            break;
        case SiSeveralDevices:
            showText(Comment, TxtSeveralDevices);
            break;
        default:
            break;
    }
}

// ---- Transfer ------------------------------------------------------------------------------

void WindowCore::SendFirmware() {
    OperationScope operation(*this);
    model_.timerRunning = false;
    TransferDisplay display(*this);
    transferring_ = true;
    const TransferResult result = link_.sendFirmware(display);
    transferring_ = false;
    switch (result.outcome) {
        case TransferOutcome::NotOpened:
            explainOpenFailure();
            return;
        case TransferOutcome::Completed:
            model_.timerRunning = true;
            at(Step6).enabled = false;
            at(Step7).enabled = true;
            showText(Comment, TxtRemoveCable);
            showText(GoBtn, TxtNextStep);
            Step = StepUnplug;
            return;
        case TransferOutcome::Failed:
        case TransferOutcome::Stopped:
            // The device keeps its updater: the user reconnects and presses UPDATE again, which
            // starts over from the update command and the first block.
            model_.timerRunning = true;
            at(Step6).enabled = false;
            at(Step5).enabled = true;
            setGoBtnEnabled(true);
            showText(Comment, TxtTransferFailed);
            showText(GoBtn, TxtUpdate);
            return;
    }
}

// ---- Wizard --------------------------------------------------------------------------------

// A refused device: its refusal text and FINISH. The image is never sent to it.
void WindowCore::showRefusal() {
    switch (Step) {
        case StepWrongFirmware:
            showText(Comment, TxtWrongFirmware);
            break;
        case StepWrongSubmodel:
            showText(Comment, TxtWrongSubmodel);
            break;
        case StepWrongModel:
            showText(Comment, TxtWrongModel);
            break;
        default:
            return;
    }
    showText(GoBtn, TxtFinish);
    Step = StepFinish;
}

bool WindowCore::deviceAttached() {
    std::uint32_t count = 0;
    return usb_.SI_GetNumDevices(&count) == SiSuccess;
}

// No device to update: ask for the cable; the presence monitor queries the device when it
// arrives and arms UPDATE again.
void WindowCore::waitForCable() {
    at(Step5).enabled = false;
    at(Step2).enabled = true;
    setGoBtnEnabled(false);
    showText(Comment, TxtConnect);
    Step = StepConnect;
}

void WindowCore::GoBtnClick() {
    if (operationDepth_ > 0) {
        return;  // no exchange starts inside another
    }
    switch (Step) {
        case StepStart:
            at(Step1).enabled = true;
            showText(Comment, TxtTurnOn);
            showText(GoBtn, TxtNextStep);
            Step = StepPowerOn;
            break;
        case StepPowerOn:
            at(Step1).enabled = false;
            at(Step2).enabled = true;
            setGoBtnEnabled(false);
            showText(Comment, TxtConnect);
            Step = StepConnect;
            if (!DevicePresent) {
                break;
            }
            queryAndArmUpdate();
            break;
        case StepUpdate:
            if (!DevicePresent || !deviceAttached()) {
                waitForCable();
                break;
            }
            // The image goes only to a device that passed the check. Without a verdict (the
            // device did not open for the query, or was exchanged) it is asked first.
            if (!verdictFormed_) {
                queryWithButtonDisabled();
                if (closePending_) {
                    break;  // the window closes: no transfer starts now
                }
                if (!verdictFormed_) {
                    if (!deviceAttached()) {
                        waitForCable();
                        break;
                    }
                    Step = StepUpdate;
                    setGoBtnEnabled(true);
                    break;
                }
                if (isRefusal(Step)) {
                    showRefusal();
                    break;
                }
                Step = StepUpdate;
            }
            SendFirmware();
            break;
        case StepUnplug:
            at(Step7).enabled = false;
            at(Step8).enabled = true;
            showText(Comment, TxtVerifyVersion);
            showText(GoBtn, TxtFinish);
            Step = StepFinish;
            break;
        case StepFinish:
            model_.timerRunning = false;
            model_.closeRequested = true;
            break;
        case StepWrongFirmware:
        case StepWrongSubmodel:
        case StepWrongModel:
            showRefusal();
            break;
        default:
            break;  // step 4 waits for the device
    }
}

// The information query runs with the big button disabled, so that no press starts another
// exchange inside it. An error that ends the query leaves the button as it was before.
void WindowCore::queryWithButtonDisabled() {
    const bool wasEnabled = at(GoBtn).enabled;
    setGoBtnEnabled(false);
    try {
        ReadDeviceInfo();
    } catch (...) {
        if (wasEnabled) {
            setGoBtnEnabled(true);
        }
        throw;
    }
}

void WindowCore::queryAndArmUpdate() {
    // The query runs with the button disabled; a refusal shows its text and FINISH at once,
    // every other outcome arms UPDATE.
    queryWithButtonDisabled();
    if (isRefusal(Step)) {
        showRefusal();
    } else {
        Step = StepUpdate;
    }
    setGoBtnEnabled(true);
    at(Step2).enabled = false;
    at(Step5).enabled = true;
}

// ---- Presence monitor ----------------------------------------------------------------------

void WindowCore::Timer1Timer() {
    std::uint32_t count = 0;
    if (!DevicePresent) {
        if (usb_.SI_GetNumDevices(&count) != SiSuccess) {
            return;
        }
        DevicePresent = true;
        showCaption(TxtTitleFound);
        usb_.SI_SetTimeouts(protocol::TransferTimeoutMs, protocol::TransferTimeoutMs);
        char product[SiMaxDeviceStringLength] = {};
        if (usb_.SI_GetProductString(protocol::DeviceIndex, product, SiReturnDescription) !=
            SiSuccess) {
            return;
        }
        showText(Lap1, TxtStatusFound);
        if (operationDepth_ > 0) {
            return;  // a device re-attached during an exchange waits for it to end
        }
        if (Step == StepConnect || Step == StepUpdate) {
            // A device that arrives while UPDATE is armed is judged again before anything is
            // sent to it: it may be another device.
            queryAndArmUpdate();
        }
        if (Step == StepUnplugFirst) {
            showText(Comment, TxtUnplugFirst);
            return;
        }
        setGoBtnEnabled(true);
    } else {
        if (usb_.SI_GetNumDevices(&count) == SiSuccess) {
            return;
        }
        DevicePresent = false;
        verdictFormed_ = false;
        showCaption(TxtTitle);
        showText(Lap1, TxtStatusLooking);
        if (Step == StepUnplug) {
            setGoBtnEnabled(true);
        } else if (Step == StepUnplugFirst) {
            showText(Comment, TxtIntroAgain);
            Step = StepStart;
            setGoBtnEnabled(true);
        }
    }
}

}  // namespace zelmark
