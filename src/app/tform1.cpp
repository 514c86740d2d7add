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

#include "qtartwork.h"
#include "updaterapplication.h"

using namespace zelmark;

namespace {

constexpr const char* FallbackFontFamily = "Liberation Sans";

QFont pixelFont(int pixelSize, bool bold = false) {
    QFont font(TForm1::fontFamily());
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

template <class Widget>
Widget* as(QWidget* widget) {
    return static_cast<Widget*>(widget);
}

}  // namespace

TForm1::TForm1(UsbXpress& usb, Clock& clock, ImageBytes image, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      core_(usb, clock, image,
            WindowCore::Hooks{[this] { pumpMessages(); },
                              [](const std::string& message) {
                                  UpdaterApplication::reportError(QString::fromStdString(message));
                              }}) {
    setObjectName("Form1");
    setFixedSize(ClientWidth, ClientHeight);
    // The window's background is the system's button face.
    QPalette background = palette();
    background.setColor(QPalette::Window, background.color(QPalette::Button));
    setPalette(background);
    setAutoFillBackground(true);
    setFont(pixelFont(WindowFontPixels));
    windowText_ = palette().color(QPalette::WindowText);
    setWindowIcon(QIcon(QPixmap::fromImage(qtartwork::toQImage(artwork::programIcon()))));
    createControls();
    nameControls();
    render();
}

TForm1::~TForm1() = default;

QString TForm1::fontFamily() {
    static const QString family = QFontDatabase::families().contains(DesignFontFamily)
                                      ? QString::fromLatin1(DesignFontFamily)
                                      : QString::fromLatin1(FallbackFontFamily);
    return family;
}

// Every control from the design's table; creation order is the table's, and the tab order of
// the window's direct children follows their tab order there.
void TForm1::createControls() {
    for (const ControlDesign& d : controlTable()) {
        QWidget* parent = d.parent ? control(*d.parent) : this;
        QWidget* widget = nullptr;
        switch (d.kind) {
            case ControlKind::GroupBox:
                widget = new QGroupBox(QString::fromUtf8(d.caption), parent);
                break;
            case ControlKind::Button:
            case ControlKind::FlagButton: {
                auto* button = new QPushButton(QString::fromUtf8(d.caption), parent);
                button->setAutoDefault(true);
                if (d.flag != Flag::None) {
                    button->setIcon(qtartwork::toQIcon(artwork::flagPicture(d.flag)));
                    button->setIconSize(QSize(26, 14));
                }
                QObject::connect(button, &QPushButton::clicked, this,
                                 [this, id = d.id] { click(id); });
                widget = button;
                break;
            }
            case ControlKind::Label: {
                auto* label = new QLabel(QString::fromUtf8(d.caption), parent);
                label->setWordWrap(d.wordWrap);
                // A label sized to its caption is centred on it; a fixed one starts at its top.
                label->setAlignment(
                    (d.alignment == Alignment::Right ? Qt::AlignRight : Qt::AlignLeft) |
                    (d.autoSize ? Qt::AlignVCenter : Qt::AlignTop));
                widget = label;
                break;
            }
        }
        widget->setObjectName(d.name);
        widget->setGeometry(d.left, d.top, d.width, d.height);
        if (d.fontPixels != WindowFontPixels || d.bold) {
            widget->setFont(pixelFont(d.fontPixels, d.bold));
        }
        if (d.autoSize && *d.caption) {
            widget->adjustSize();  // sizes itself to its caption
        }
        widgets_[static_cast<std::size_t>(d.id)] = widget;
    }
    as<QPushButton>(control(Control::GoBtn))->setDefault(true);

    std::vector<const ControlDesign*> tabbed;
    for (const ControlDesign& d : controlTable()) {
        if (d.tabOrder >= 0) {
            tabbed.push_back(&d);
        }
    }
    std::sort(tabbed.begin(), tabbed.end(), [](const ControlDesign* a, const ControlDesign* b) {
        return a->tabOrder < b->tabOrder;
    });
    for (std::size_t i = 1; i < tabbed.size(); ++i) {
        setTabOrder(control(tabbed[i - 1]->id), control(tabbed[i]->id));
    }

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(static_cast<int>(PresenceIntervalMs));
    QObject::connect(Timer1, &QTimer::timeout, this, [this] { tick(); });
}

void TForm1::nameControls() {
    this->OrderBox = as<QGroupBox>(control(Control::OrderBox));
    this->GoBtn = as<QPushButton>(control(Control::GoBtn));
    this->Step1 = as<QLabel>(control(Control::Step1));
    this->Step2 = as<QLabel>(control(Control::Step2));
    this->Step5 = as<QLabel>(control(Control::Step5));
    this->Step6 = as<QLabel>(control(Control::Step6));
    this->ExplanationBox = as<QGroupBox>(control(Control::ExplanationBox));
    this->Comment = as<QLabel>(control(Control::Comment));
    this->Step7 = as<QLabel>(control(Control::Step7));
    this->Step8 = as<QLabel>(control(Control::Step8));
    this->GroupBox3 = as<QGroupBox>(control(Control::GroupBox3));
    this->SoftwareBox = as<QGroupBox>(control(Control::SoftwareBox));
    this->SW1 = as<QLabel>(control(Control::SW1));
    this->SW2 = as<QLabel>(control(Control::SW2));
    this->SW3 = as<QLabel>(control(Control::SW3));
    this->Lap1 = as<QLabel>(control(Control::Lap1));
    this->Lap2 = as<QLabel>(control(Control::Lap2));
    this->SW4 = as<QLabel>(control(Control::SW4));
    this->Lap3 = as<QLabel>(control(Control::Lap3));
    this->Lap4 = as<QLabel>(control(Control::Lap4));
    this->Label1 = as<QLabel>(control(Control::Label1));
    this->Label2 = as<QLabel>(control(Control::Label2));
    this->Label3 = as<QLabel>(control(Control::Label3));
    this->Label4 = as<QLabel>(control(Control::Label4));
    this->Lap6 = as<QLabel>(control(Control::Lap6));
    this->UKBtn = as<QPushButton>(control(Control::UKBtn));
    this->DKBtn = as<QPushButton>(control(Control::DKBtn));
    this->GBtn = as<QPushButton>(control(Control::GBtn));
    this->Label6 = as<QLabel>(control(Control::Label6));
    this->SW6 = as<QLabel>(control(Control::SW6));
    this->Lap10 = as<QLabel>(control(Control::Lap10));
    this->Lap11 = as<QLabel>(control(Control::Lap11));
    this->Lap12 = as<QLabel>(control(Control::Lap12));
    this->Lap13 = as<QLabel>(control(Control::Lap13));
    this->Lap15 = as<QLabel>(control(Control::Lap15));
}

void TForm1::render() {
    const WindowModel& model = core_.model();
    for (const ControlDesign& d : controlTable()) {
        QWidget* widget = control(d.id);
        const ControlState& state = model[d.id];
        const QString caption = QString::fromStdString(state.caption);
        switch (d.kind) {
            case ControlKind::GroupBox:
                if (as<QGroupBox>(widget)->title() != caption) {
                    as<QGroupBox>(widget)->setTitle(caption);
                }
                break;
            case ControlKind::Button:
            case ControlKind::FlagButton:
                if (as<QPushButton>(widget)->text() != caption) {
                    as<QPushButton>(widget)->setText(caption);
                }
                break;
            case ControlKind::Label: {
                auto* label = as<QLabel>(widget);
                if (label->text() != caption) {
                    label->setText(caption);
                    if (d.autoSize) {
                        label->adjustSize();  // sizes itself to its caption
                    }
                }
                // A marking colour for the label's active text; a greyed label stays grey.
                const QColor colour = state.fontColour ? toQColor(*state.fontColour) : windowText_;
                if (label->palette().color(QPalette::Active, QPalette::WindowText) != colour) {
                    QPalette palette = label->palette();
                    palette.setColor(QPalette::Active, QPalette::WindowText, colour);
                    palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
                    label->setPalette(palette);
                }
                break;
            }
        }
        widget->setEnabled(state.enabled);
        widget->setVisible(state.visible);
    }
    const QString title = QString::fromStdString(model.caption) + captionSuffix_;
    if (windowTitle() != title) {
        setWindowTitle(title);
    }
    if (model.timerRunning != Timer1->isActive()) {
        if (model.timerRunning) {
            Timer1->start();
        } else {
            Timer1->stop();
        }
    }
    if (model.focusRequests != focusRequestsShown_) {
        focusRequestsShown_ = model.focusRequests;
        if (model.focus && control(*model.focus)->isEnabled()) {
            control(*model.focus)->setFocus();
        }
    }
    if (model.closeRequested && !core_.operationRunning() && !closing_ && isVisible()) {
        closing_ = true;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

void TForm1::pumpMessages() {
    render();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TForm1::click(Control id) {
    core_.click(id);
    render();
}

void TForm1::tick() {
    core_.tick();
    render();
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!centred_) {
        centred_ = true;
        if (const QScreen* screen = this->screen()) {
            const QRect frame = frameGeometry();
            move(screen->availableGeometry().center() -
                 QPoint(frame.width() / 2, frame.height() / 2));
        }
    }
    core_.shown();
    render();
}

void TForm1::closeEvent(QCloseEvent* event) {
    const bool mayClose =
        (core_.model().closeRequested && !core_.operationRunning()) || core_.requestClose();
    if (!mayClose) {
        // An exchange is running: the window closes once it has returned.
        closing_ = false;
        event->ignore();
        render();
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
