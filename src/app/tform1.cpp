#include "tform1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "artwork.h"
#include "imageheader.h"
#include "updaterapplication.h"
#include "versiontext.h"
#include "wizardsteps.h"

using namespace zelmark;

namespace {

constexpr int ClientWidth = 411;
constexpr int ClientHeight = 515;
constexpr int PresenceIntervalMs = 1000;
constexpr const char* FallbackFontFamily = "Liberation Sans";

QFont pixelFont(int pixelSize, bool bold = false) {
    QFont font(TForm1::fontFamily());
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

}  // namespace

// Counts the operations that let messages through (query, transfer), so that a close request
// arriving inside one waits until it has returned.
class TForm1::OperationScope {
public:
    explicit OperationScope(TForm1& form) : form_(form) { ++form_.operationDepth_; }
    ~OperationScope() {
        if (--form_.operationDepth_ == 0 && form_.closePending_) {
            QMetaObject::invokeMethod(&form_, &QWidget::close, Qt::QueuedConnection);
        }
    }
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

private:
    TForm1& form_;
};

class TForm1::WindowTransferObserver final : public TransferObserver {
public:
    explicit WindowTransferObserver(TForm1& form) : form_(form) {}
    void deviceOpened() override {
        form_.Step5->setEnabled(false);
        form_.Step6->setEnabled(true);
        form_.GoBtn->setEnabled(false);
        form_.showText(form_.Comment, TxtTransmitting);
    }
    void transferCounted(std::uint32_t byteCounter) override {
        form_.SW4->setText(QString::number(byteCounter) + QStringLiteral(" Bytes"));
    }

private:
    TForm1& form_;
};

TForm1::TForm1(UsbXpress& usb, Clock& clock, ImageBytes image, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      usb_(usb),
      image_(image),
      link_(usb, clock, image,
            LinkHooks{[] { QCoreApplication::processEvents(QEventLoop::AllEvents); },
                      [this] { return closePending_; }}) {
    setObjectName("Form1");
    setFixedSize(ClientWidth, ClientHeight);
    // The window's background is the system's button face.
    QPalette background = palette();
    background.setColor(QPalette::Window, background.color(QPalette::Button));
    setPalette(background);
    setAutoFillBackground(true);
    setFont(pixelFont(11));
    setWindowIcon(QIcon(QPixmap::fromImage(artwork::programIcon())));
    createControls();
}

TForm1::~TForm1() = default;

QString TForm1::fontFamily() {
    static const QString family = QFontDatabase::families().contains("MS Sans Serif")
                                      ? QStringLiteral("MS Sans Serif")
                                      : QString::fromLatin1(FallbackFontFamily);
    return family;
}

QLabel* TForm1::addLabel(QWidget* parent, const char* name, int left, int top, int width,
                         int height, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(left, top, width, height);
    return label;
}

QLabel* TForm1::addValueLabel(QWidget* parent, const char* name, int left, int top, int width) {
    QLabel* label = addLabel(parent, name, left, top, width, 13);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    return label;
}

void TForm1::createControls() {
    auto groupBox = [this](const char* name, int left, int top, int width, int height) {
        auto* box = new QGroupBox(this);
        box->setObjectName(name);
        box->setGeometry(left, top, width, height);
        return box;
    };
    auto flagButton = [this](const char* name, int top, artwork::Flag flag) {
        auto* button = new QPushButton(this);
        button->setObjectName(name);
        button->setGeometry(352, top, 41, 25);
        button->setIcon(artwork::flagIcon(flag));
        button->setIconSize(QSize(26, 14));
        button->setAutoDefault(true);
        return button;
    };

    // Tab order follows creation order: OrderBox, GoBtn, ExplanationBox, the two boxes, flags.
    OrderBox = groupBox("OrderBox", 16, 16, 377, 161);
    GoBtn = new QPushButton(QStringLiteral("Start"), this);
    GoBtn->setObjectName("GoBtn");
    GoBtn->setGeometry(16, 416, 313, 89);
    GoBtn->setFont(pixelFont(32, true));
    GoBtn->setAutoDefault(true);
    GoBtn->setDefault(true);
    GoBtn->setEnabled(false);

    const QFont stepFont = pixelFont(16);
    auto stepLabel = [&](const char* name, int top) {
        QLabel* label = addLabel(OrderBox, name, 16, top, 200, 20);
        label->setFont(stepFont);
        label->setEnabled(false);
        return label;
    };
    Step1 = stepLabel("Step1", 16);
    Step2 = stepLabel("Step2", 40);
    Step5 = stepLabel("Step5", 64);
    Step6 = stepLabel("Step6", 88);

    ExplanationBox = groupBox("ExplanationBox", 16, 192, 377, 97);
    Comment = addLabel(ExplanationBox, "Comment", 16, 16, 345, 73);
    Comment->setWordWrap(true);
    Comment->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Step7 = stepLabel("Step7", 112);
    Step8 = stepLabel("Step8", 136);

    GroupBox3 = groupBox("GroupBox3", 16, 304, 180, 97);
    GroupBox3->setTitle(QStringLiteral("Zelmark"));
    SoftwareBox = groupBox("SoftwareBox", 213, 304, 180, 97);

    SW1 = addValueLabel(SoftwareBox, "SW1", 98, 16, 70);
    SW2 = addValueLabel(SoftwareBox, "SW2", 98, 32, 70);
    SW3 = addValueLabel(SoftwareBox, "SW3", 48, 64, 120);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(PresenceIntervalMs);
    QObject::connect(Timer1, &QTimer::timeout, this, [this] { handle(&TForm1::Timer1Timer); });

    Lap1 = addValueLabel(GroupBox3, "Lap1", 98, 16, 70);
    Lap2 = addValueLabel(GroupBox3, "Lap2", 72, 32, 96);
    SW4 = addValueLabel(SoftwareBox, "SW4", 98, 80, 70);
    Lap3 = addValueLabel(GroupBox3, "Lap3", 98, 48, 70);
    Lap4 = addValueLabel(GroupBox3, "Lap4", 98, 64, 70);

    Label1 = addLabel(SoftwareBox, "Label1", 10, 64, 34, 13, QStringLiteral("Target:"));
    Label2 = addLabel(SoftwareBox, "Label2", 10, 16, 32, 13, QStringLiteral("Model:"));
    Label3 = addLabel(SoftwareBox, "Label3", 10, 32, 63, 13, QStringLiteral("Main version:"));
    Label4 = addLabel(SoftwareBox, "Label4", 10, 80, 31, 13, QStringLiteral("Sent:"));
    Lap6 = addValueLabel(GroupBox3, "Lap6", 98, 80, 70);

    UKBtn = flagButton("UKBtn", 416, artwork::Flag::UnitedKingdom);
    DKBtn = flagButton("DKBtn", 448, artwork::Flag::Denmark);
    GBtn = flagButton("GBtn", 480, artwork::Flag::Germany);
    GBtn->setEnabled(false);  // there are no German texts; nothing enables it

    Label6 = addLabel(SoftwareBox, "Label6", 10, 48, 68, 13, QStringLiteral("Main firmware:"));
    SW6 = addValueLabel(SoftwareBox, "SW6", 98, 48, 70);

    Lap10 = addLabel(GroupBox3, "Lap10", 10, 16, 33, 13, QStringLiteral("Status:"));
    Lap11 = addLabel(GroupBox3, "Lap11", 10, 32, 32, 13, QStringLiteral("Model:"));
    Lap12 = addLabel(GroupBox3, "Lap12", 10, 48, 67, 13, QStringLiteral("Serial number:"));
    Lap13 = addLabel(GroupBox3, "Lap13", 10, 64, 74, 13, QStringLiteral("Current version:"));
    Lap15 = addLabel(GroupBox3, "Lap15", 10, 80, 76, 13, QStringLiteral("Current updater:"));
    for (QLabel* caption : {Lap11, Lap12, Lap13, Lap15}) {
        caption->hide();
    }
    for (QLabel* caption :
         {Label1, Label2, Label3, Label4, Label6, Lap10, Lap11, Lap12, Lap13, Lap15}) {
        caption->adjustSize();
    }

    QObject::connect(GoBtn, &QPushButton::clicked, this, [this] { handle(&TForm1::GoBtnClick); });
    QObject::connect(UKBtn, &QPushButton::clicked, this, [this] { handle(&TForm1::UKBtnClick); });
    QObject::connect(DKBtn, &QPushButton::clicked, this, [this] { handle(&TForm1::DKBtnClick); });
    QObject::connect(GBtn, &QPushButton::clicked, this, [this] { handle(&TForm1::GBtnClick); });

    setTabOrder(GoBtn, UKBtn);
    setTabOrder(UKBtn, DKBtn);
    setTabOrder(DKBtn, GBtn);
}

// ---- Texts ---------------------------------------------------------------------------------

const char* TForm1::currentText(TextId id) const {
    return catalogueText(id, Language);
}

void TForm1::showText(QLabel* label, TextId id) {
    if (const char* text = currentText(id)) {
        label->setText(QString::fromUtf8(text));
        if (!label->wordWrap() && label->alignment() & Qt::AlignLeft) {
            label->adjustSize();  // caption labels size themselves to their caption
        }
    }
}

void TForm1::showText(QAbstractButton* button, TextId id) {
    if (const char* text = currentText(id)) {
        button->setText(QString::fromUtf8(text));
    }
}

void TForm1::showText(QGroupBox* box, TextId id) {
    if (const char* text = currentText(id)) {
        box->setTitle(QString::fromUtf8(text));
    }
}

void TForm1::showWindowCaption(TextId id) {
    if (const char* text = currentText(id)) {
        setWindowTitle(QString::fromUtf8(text));
    }
}

void TForm1::setLabelColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// ---- Start-up ------------------------------------------------------------------------------

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_) {
        return;
    }
    shown_ = true;
    if (const QScreen* screen = this->screen()) {
        const QRect frame = frameGeometry();
        move(screen->availableGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2));
    }
    handle(&TForm1::FormShow);
}

void TForm1::handle(void (TForm1::*handler)()) {
    // An error leaves the handler that raised it and is shown to the user; the program goes on.
    // It is caught here, before it could unwind through Qt's own code.
    try {
        (this->*handler)();
    } catch (const std::exception& error) {
        UpdaterApplication::reportError(QString::fromUtf8(error.what()));
    }
}

void TForm1::FormShow() {
    Step = StepStart;
    Language = LangEnglish;
    ApplyLanguage();

    SW1->setText(QString::fromStdString(ModelText(ModelCode(image_))));
    SW2->setText(QString::fromStdString(VersionText(MainVersion(image_))));
    if (TargetCode(image_) == ZelmarkTargetCode) {
        SW3->setText(QStringLiteral("Zelmark"));
    }
    const std::uint8_t mainFirmware = MainFirmwareVersion(image_);
    if (namesMainFirmwareVersion(mainFirmware)) {
        SW6->setText(QString::fromStdString(VersionText(mainFirmware)));
        SW3->setText(SW3->text() + QStringLiteral(" + Firmware"));
    } else {
        SW6->setText(QStringLiteral("-----"));
    }

    std::uint32_t count = 0;
    if (usb_.SI_GetNumDevices(&count) != SiSuccess) {
        GoBtn->setEnabled(true);
        Step = StepStart;
    }
    Timer1->start();
}

// ---- Languages -----------------------------------------------------------------------------

void TForm1::UKBtnClick() {
    Language = LangEnglish;
    ApplyLanguage();
}

void TForm1::DKBtnClick() {
    Language = LangDanish;
    ApplyLanguage();
}

void TForm1::GBtnClick() {
    Language = LangGerman;
    ApplyLanguage();
}

void TForm1::ApplyLanguage() {
    if (Language != LangDanish && Language != LangEnglish) {
        return;
    }
    showWindowCaption(DevicePresent ? TxtTitleFound : TxtTitle);
    showText(Lap1, DevicePresent ? TxtStatusFound : TxtStatusLooking);
    showText(OrderBox, TxtSequence);
    showText(ExplanationBox, TxtExplanation);
    showText(SoftwareBox, TxtNewSoftware);
    showText(Label4, TxtSent);
    showText(Lap12, TxtSerialNumber);
    showText(Comment, TxtIntro);
    showText(Step1, TxtStep1);
    showText(Step2, TxtStep2);
    showText(Step5, TxtStep3);
    showText(Step6, TxtStep4);
    showText(Step7, TxtStep5);
    showText(Step8, TxtStep6);
}

// ---- Device information --------------------------------------------------------------------

void TForm1::ReadDeviceInfo() {
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
        Timer1->stop();
        for (QLabel* caption : {Lap11, Lap12, Lap13, Lap15}) {
            caption->show();
        }

        Lap2->setText(QString::fromStdString(ModelText(info.model)));
        Lap3->setText(QString::number(info.serial));
        Lap4->setText(info.currentVersion == CorruptVersion
                          ? QStringLiteral("Corrupt")
                          : QString::fromStdString(VersionText(info.currentVersion)));
        if (showsUpdaterVersion(info.updaterVersion)) {
            Lap6->setText(QString::fromStdString(VersionText(info.updaterVersion)));
        }

        // Older than the image: green; newer: red; the same: left as it was.
        if (info.currentVersion < MainVersion(image_)) {
            setLabelColour(Lap4, clGreen);
            setLabelColour(Lap13, clGreen);
        } else if (info.currentVersion > MainVersion(image_)) {
            setLabelColour(Lap4, clRed);
            setLabelColour(Lap13, clRed);
        }

        Timer1->start();
        GoBtn->setEnabled(true);

        const Verdict verdict = judge(info, image_);
        Step = static_cast<std::uint8_t>(verdict);
        switch (verdict) {
            case Verdict::WrongModel:
            case Verdict::WrongSubmodel:
                setLabelColour(Lap2, clRed);
                setLabelColour(Lap11, clRed);
                break;
            case Verdict::WrongFirmware:
                setLabelColour(Lap6, clRed);
                setLabelColour(Lap15, clRed);
                break;
            case Verdict::Ready:
                break;
        }
        verdictFormed_ = true;

        Timer1->start();
        GoBtn->setEnabled(true);
    }
    showText(Comment, TxtReadyWarning);
    showText(GoBtn, TxtUpdate);
    if (!verdictFormed_) {
        explainOpenFailure();
    }
}

void TForm1::explainOpenFailure() {
    // The commonest reasons on Linux, each with its fix; other failures leave the text as it is.
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

void TForm1::SendFirmware() {
    OperationScope operation(*this);
    Timer1->stop();
    WindowTransferObserver observer(*this);
    const TransferResult result = link_.sendFirmware(observer);
    switch (result.outcome) {
        case TransferOutcome::NotOpened:
            explainOpenFailure();
            return;
        case TransferOutcome::Completed:
            Timer1->start();
            Step6->setEnabled(false);
            Step7->setEnabled(true);
            showText(Comment, TxtRemoveCable);
            showText(GoBtn, TxtNextStep);
            Step = StepUnplug;
            return;
        case TransferOutcome::Failed:
        case TransferOutcome::Stopped:
            // The device keeps its updater: the user reconnects and presses UPDATE again, which
            // starts over from the update command and the first block.
            Timer1->start();
            Step6->setEnabled(false);
            Step5->setEnabled(true);
            GoBtn->setEnabled(true);
            showText(Comment, TxtTransferFailed);
            showText(GoBtn, TxtUpdate);
            return;
    }
}

// ---- Wizard --------------------------------------------------------------------------------

void TForm1::showRefusal(TextId text) {
    showText(Comment, text);
    showText(GoBtn, TxtFinish);
    Step = StepFinish;
}

void TForm1::GoBtnClick() {
    switch (Step) {
        case StepStart:
            Step1->setEnabled(true);
            showText(Comment, TxtTurnOn);
            showText(GoBtn, TxtNextStep);
            Step = StepPowerOn;
            break;
        case StepPowerOn:
            Step1->setEnabled(false);
            Step2->setEnabled(true);
            GoBtn->setEnabled(false);
            showText(Comment, TxtConnect);
            Step = StepConnect;
            if (!DevicePresent) {
                break;
            }
            queryAndArmUpdate();
            break;
        case StepUpdate:
            // The image goes only to a device that passed the check. Without a verdict (the
            // device did not open for the query, or was exchanged) it is asked first.
            if (!verdictFormed_) {
                GoBtn->setEnabled(false);
                ReadDeviceInfo();
                if (!verdictFormed_) {
                    Step = StepUpdate;
                    GoBtn->setEnabled(true);
                    break;
                }
                if (isRefusal(Step)) {
                    GoBtnClick();  // the refusal row: its text and FINISH
                    break;
                }
                Step = StepUpdate;
            }
            SendFirmware();
            break;
        case StepUnplug:
            Step7->setEnabled(false);
            Step8->setEnabled(true);
            showText(Comment, TxtVerifyVersion);
            showText(GoBtn, TxtFinish);
            Step = StepFinish;
            break;
        case StepFinish:
            close();
            break;
        case StepWrongFirmware:
            showRefusal(TxtWrongFirmware);
            break;
        case StepWrongSubmodel:
            showRefusal(TxtWrongSubmodel);
            break;
        case StepWrongModel:
            showRefusal(TxtWrongModel);
            break;
        default:
            break;  // step 4 waits for the device
    }
}

void TForm1::queryAndArmUpdate() {
    // A refusal stays in Step for the next press; every other outcome arms UPDATE.
    ReadDeviceInfo();
    if (!isRefusal(Step)) {
        Step = StepUpdate;
    }
    GoBtn->setEnabled(true);
    Step2->setEnabled(false);
    Step5->setEnabled(true);
}

// ---- Presence monitor ----------------------------------------------------------------------

void TForm1::Timer1Timer() {
    std::uint32_t count = 0;
    if (!DevicePresent) {
        if (usb_.SI_GetNumDevices(&count) != SiSuccess) {
            return;
        }
        DevicePresent = true;
        showWindowCaption(TxtTitleFound);
        usb_.SI_SetTimeouts(protocol::TransferTimeoutMs, protocol::TransferTimeoutMs);
        char product[SiMaxDeviceStringLength] = {};
        if (usb_.SI_GetProductString(protocol::DeviceIndex, product, SiReturnDescription) !=
            SiSuccess) {
            return;
        }
        showText(Lap1, TxtStatusFound);
        if (Step == StepConnect || Step == StepUpdate) {
            // A device that arrives while UPDATE is armed is judged again before anything is
            // sent to it: it may be another device.
            queryAndArmUpdate();
            GoBtn->setFocus();
        }
        if (Step == StepUnplugFirst) {
            showText(Comment, TxtUnplugFirst);
            return;
        }
        GoBtn->setEnabled(true);
        GoBtn->setFocus();
    } else {
        if (usb_.SI_GetNumDevices(&count) == SiSuccess) {
            return;
        }
        DevicePresent = false;
        verdictFormed_ = false;
        showWindowCaption(TxtTitle);
        showText(Lap1, TxtStatusLooking);
        if (Step == StepUnplug) {
            GoBtn->setEnabled(true);
        } else if (Step == StepUnplugFirst) {
            showText(Comment, TxtIntroAgain);
            Step = StepStart;
            GoBtn->setEnabled(true);
        }
    }
}

// ---- Closing -------------------------------------------------------------------------------

void TForm1::closeEvent(QCloseEvent* event) {
    if (operationDepth_ > 0) {
        // A running query or transfer returns first (a transfer at its next frame boundary);
        // then the window closes.
        closePending_ = true;
        event->ignore();
        return;
    }
    Timer1->stop();
    QWidget::closeEvent(event);
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    // GoBtn is the window's default button: Enter presses it unless another button has the focus
    // (a focused button takes Enter itself).
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && GoBtn->isEnabled()) {
        GoBtn->click();
        return;
    }
    QWidget::keyPressEvent(event);
}
