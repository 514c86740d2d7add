#include "virtualdevicepanel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "zelmarkpresets.h"

using namespace zelmark;

namespace {

QSpinBox* spinBox(int maximum, int value) {
    auto* box = new QSpinBox;
    box->setRange(0, maximum);
    box->setValue(value);
    return box;
}

QDoubleSpinBox* percentBox() {
    auto* box = new QDoubleSpinBox;
    box->setRange(0.0, 100.0);
    box->setDecimals(1);
    box->setSuffix(QStringLiteral(" %"));
    return box;
}

QString replyName(int reply) {
    switch (reply) {
        case -1:
            return QStringLiteral("none yet");
        case ZelmarkEmulator::Ack:
            return QStringLiteral("ACK");
        case ZelmarkEmulator::Nak:
            return QStringLiteral("NAK");
        default:
            return QStringLiteral("0x%1").arg(reply, 2, 16, QLatin1Char('0'));
    }
}

}  // namespace

VirtualDevicePanel::VirtualDevicePanel(VirtualZelmark& device, QWidget* parent)
    : QWidget(parent, Qt::Tool), device_(device) {
    setWindowTitle(QStringLiteral("Virtual Zelmark"));
    auto* layout = new QVBoxLayout(this);

    cable_ = new QCheckBox(QStringLiteral("USB cable plugged in"));
    cable_->setObjectName("cable");
    cable_->setChecked(device_.plugged());
    layout->addWidget(cable_);
    connect(cable_, &QCheckBox::toggled, this, [this](bool in) {
        if (in) {
            device_.plug();
        } else {
            device_.unplug();
        }
    });

    auto* identity = new QGroupBox(QStringLiteral("Device"));
    auto* form = new QFormLayout(identity);
    preset_ = new QComboBox;
    preset_->setObjectName("preset");
    for (const std::string& name : presetNames()) {
        preset_->addItem(QString::fromStdString(name));
    }
    const ZelmarkIdentity& id = device_.device().identity;
    model_ = spinBox(65535, id.model);
    model_->setObjectName("model");
    serial_ = spinBox(65535, id.serial);
    currentVersion_ = spinBox(65535, id.currentVersion);
    submodel_ = spinBox(255, id.submodel);
    updaterVersion_ = spinBox(255, id.updaterVersion);
    form->addRow(QStringLiteral("Preset:"), preset_);
    form->addRow(QStringLiteral("Model:"), model_);
    form->addRow(QStringLiteral("Serial number:"), serial_);
    form->addRow(QStringLiteral("Current version:"), currentVersion_);
    form->addRow(QStringLiteral("Submodel:"), submodel_);
    form->addRow(QStringLiteral("Updater version:"), updaterVersion_);
    layout->addWidget(identity);
    connect(preset_, &QComboBox::currentTextChanged, this, &VirtualDevicePanel::applyPreset);
    for (QSpinBox* box : {model_, serial_, currentVersion_, submodel_, updaterVersion_}) {
        connect(box, &QSpinBox::valueChanged, this, &VirtualDevicePanel::applyIdentity);
    }

    auto* faults = new QGroupBox(QStringLiteral("Faults"));
    auto* faultForm = new QFormLayout(faults);
    nakPercent_ = percentBox();
    nakPercent_->setObjectName("nakRate");
    lostPercent_ = percentBox();
    lostPercent_->setObjectName("lostReplies");
    unplugAtFrame_ = spinBox(92, 0);
    unplugAtFrame_->setObjectName("unplugAtBlock");
    unplugAtFrame_->setSpecialValueText(QStringLiteral("never"));
    replyPieces_ = spinBox(64, 0);
    replyPieces_->setObjectName("replyPieces");
    replyPieces_->setSpecialValueText(QStringLiteral("whole"));
    replyPieces_->setSuffix(QStringLiteral(" bytes"));
    programmingMs_ = spinBox(1000, static_cast<int>(device_.device().timing.programmingUs / 1000));
    programmingMs_->setSuffix(QStringLiteral(" ms"));
    faultForm->addRow(QStringLiteral("NAK rate:"), nakPercent_);
    faultForm->addRow(QStringLiteral("Lost replies:"), lostPercent_);
    faultForm->addRow(QStringLiteral("Unplug at block:"), unplugAtFrame_);
    faultForm->addRow(QStringLiteral("Reply in pieces of:"), replyPieces_);
    faultForm->addRow(QStringLiteral("Programming time:"), programmingMs_);
    layout->addWidget(faults);
    connect(nakPercent_, &QDoubleSpinBox::valueChanged, this, &VirtualDevicePanel::applyFaults);
    connect(lostPercent_, &QDoubleSpinBox::valueChanged, this, &VirtualDevicePanel::applyFaults);
    connect(unplugAtFrame_, &QSpinBox::valueChanged, this, &VirtualDevicePanel::applyFaults);
    connect(replyPieces_, &QSpinBox::valueChanged, this, &VirtualDevicePanel::applyFaults);
    connect(programmingMs_, &QSpinBox::valueChanged, this, &VirtualDevicePanel::applyFaults);

    auto* live = new QGroupBox(QStringLiteral("What the device does"));
    auto* liveForm = new QFormLayout(live);
    mode_ = new QLabel;
    blocks_ = new QLabel;
    blocks_->setObjectName("blocksProgrammed");
    lastReply_ = new QLabel;
    lastReply_->setObjectName("lastReply");
    counts_ = new QLabel;
    liveForm->addRow(QStringLiteral("Mode:"), mode_);
    liveForm->addRow(QStringLiteral("Blocks programmed:"), blocks_);
    liveForm->addRow(QStringLiteral("Last reply:"), lastReply_);
    liveForm->addRow(QStringLiteral("Frames / NAKs:"), counts_);
    layout->addWidget(live);

    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &VirtualDevicePanel::refresh);
    timer->start(100);
    refresh();
}

void VirtualDevicePanel::closeEvent(QCloseEvent* event) {
    QWidget* window = parentWidget();
    if (window && window->isVisible()) {
        event->ignore();  // the panel goes with the window, which may first finish a transfer
        window->close();
        return;
    }
    QWidget::closeEvent(event);
}

void VirtualDevicePanel::applyPreset(const QString& name) {
    if (const auto identity = presetIdentity(name.toStdString())) {
        for (auto [box, value] : {std::pair{model_, int(identity->model)},
                                  {serial_, int(identity->serial)},
                                  {currentVersion_, int(identity->currentVersion)},
                                  {submodel_, int(identity->submodel)},
                                  {updaterVersion_, int(identity->updaterVersion)}}) {
            box->setValue(value);
        }
        applyIdentity();
    }
}

void VirtualDevicePanel::applyIdentity() {
    device_.device().identity = {static_cast<std::uint16_t>(model_->value()),
                                 static_cast<std::uint16_t>(serial_->value()),
                                 static_cast<std::uint16_t>(currentVersion_->value()),
                                 static_cast<std::uint8_t>(submodel_->value()),
                                 static_cast<std::uint8_t>(updaterVersion_->value())};
}

void VirtualDevicePanel::applyFaults() {
    TransferFaults& faults = device_.device().faults;
    faults.nak.probability = nakPercent_->value() / 100.0;
    faults.lostReply.probability = lostPercent_->value() / 100.0;
    faults.unplugAtFrame = static_cast<unsigned>(unplugAtFrame_->value());
    // The information reply handed over in small pieces, a few milliseconds apart, as a USB
    // serial bridge may deliver it.
    InfoReplyShape& reply = device_.device().infoReply;
    reply.splitSizes.assign(replyPieces_->value() > 0 ? 64 : 0,
                            static_cast<std::size_t>(replyPieces_->value()));
    reply.splitGapUs = 2000;
    device_.device().timing.programmingUs =
        static_cast<std::uint32_t>(programmingMs_->value()) * 1000;
}

void VirtualDevicePanel::refresh() {
    const EmulatorStats& stats = device_.device().stats();
    if (cable_->isChecked() != device_.plugged()) {
        const QSignalBlocker quiet(cable_);
        cable_->setChecked(device_.plugged());
    }
    mode_->setText(!device_.plugged() ? QStringLiteral("cable out")
                   : stats.updateMode ? QStringLiteral("update")
                   : device_.isOpen() ? QStringLiteral("answering")
                                      : QStringLiteral("idle"));
    blocks_->setText(QStringLiteral("%1 of 91%2")
                         .arg(stats.blocksProgrammed)
                         .arg(stats.vectorsProgrammed ? QStringLiteral(", vectors") : QString()));
    lastReply_->setText(replyName(stats.lastReply));
    counts_->setText(QStringLiteral("%1 / %2").arg(stats.framesReceived).arg(stats.naks));
}
