#pragma once

#include <QWidget>

#include "virtualzelmark.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

// The demo's window says that it is the demo, so that it is never taken for the updater that
// programs a real device.
inline constexpr const char* DemoCaptionSuffix = " - DEMO";

// The demo's second window: the virtual Zelmark's cable, identity and faults, and a live view of
// what the device is doing.
class VirtualDevicePanel : public QWidget {
public:
    explicit VirtualDevicePanel(zelmark::VirtualZelmark& device, QWidget* parent = nullptr);

    // Brings the cable toggle and the live view up to date; a timer does it ten times a second.
    void refresh();

protected:
    // Closing the panel ends the demo as closing the updater's window does.
    void closeEvent(QCloseEvent* event) override;

private:
    void applyPreset(const QString& name);
    void applyIdentity();
    void applyFaults();

    zelmark::VirtualZelmark& device_;
    QCheckBox* cable_;
    QComboBox* preset_;
    QSpinBox* model_;
    QSpinBox* serial_;
    QSpinBox* currentVersion_;
    QSpinBox* submodel_;
    QSpinBox* updaterVersion_;
    QDoubleSpinBox* nakPercent_;
    QDoubleSpinBox* lostPercent_;
    QSpinBox* unplugAtFrame_;
    QSpinBox* replyPieces_;
    QSpinBox* programmingMs_;
    QLabel* mode_;
    QLabel* blocks_;
    QLabel* lastReply_;
    QLabel* counts_;
};
