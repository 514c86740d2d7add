// The demo's virtual device panel drives the virtual Zelmark and shows what it does.
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QSpinBox>

#include "devicelink.h"
#include "virtualdevicepanel.h"
#include "windowfixture.h"

using namespace zelmark;

TEST(VirtualDevicePanel, KnobsReachTheDeviceAndTheLiveViewFollowsIt) {
    VirtualClock clock;
    VirtualZelmark device(clock);
    device.unplug();
    VirtualDevicePanel panel(device);
    auto* cable = panel.findChild<QCheckBox*>("cable");
    ASSERT_NE(cable, nullptr);
    EXPECT_FALSE(cable->isChecked());
    cable->setChecked(true);
    EXPECT_TRUE(device.plugged());

    panel.findChild<QComboBox*>("preset")->setCurrentText("other-model");
    EXPECT_EQ(device.device().identity.model, 3099);
    EXPECT_EQ(panel.findChild<QSpinBox*>("model")->value(), 3099);
    panel.findChild<QComboBox*>("preset")->setCurrentText("fit");
    panel.findChild<QDoubleSpinBox*>("nakRate")->setValue(10.0);
    EXPECT_DOUBLE_EQ(device.device().faults.nak.probability, 0.10);

    DeviceLink link(device, clock, embeddedImage());
    // The reply in 3-byte pieces is still read whole.
    panel.findChild<QSpinBox*>("replyPieces")->setValue(3);
    EXPECT_EQ(device.device().infoReply.splitSizes.front(), 3u);
    MemoryReplyStore reply;
    ASSERT_EQ(link.queryInformation(reply), QueryOutcome::Read);
    EXPECT_EQ(reply.bytes(), device.device().informationReply());

    TransferObserver observer;
    ASSERT_EQ(link.sendFirmware(observer).outcome, TransferOutcome::Completed);
    panel.refresh();
    EXPECT_EQ(panel.findChild<QLabel*>("blocksProgrammed")->text(), "91 of 91, vectors");
    EXPECT_EQ(panel.findChild<QLabel*>("lastReply")->text(), "ACK");

    // The cable is pulled at the chosen block; the toggle shows it and the knob keeps its value
    // for the next attempt.
    panel.findChild<QDoubleSpinBox*>("nakRate")->setValue(0.0);
    panel.findChild<QSpinBox*>("unplugAtBlock")->setValue(5);
    EXPECT_EQ(link.sendFirmware(observer).outcome, TransferOutcome::Failed);
    panel.refresh();
    EXPECT_FALSE(cable->isChecked());
    EXPECT_EQ(panel.findChild<QSpinBox*>("unplugAtBlock")->value(), 5);
    EXPECT_EQ(device.device().faults.unplugAtFrame, 5u);
}

// Closing the panel ends the demo as closing the updater's window does.
TEST(VirtualDevicePanel, ClosingThePanelClosesTheWindow) {
    VirtualClock clock;
    VirtualZelmark device(clock);
    device.unplug();
    TForm1 form(device, clock);
    form.show();
    VirtualDevicePanel panel(device, &form);
    panel.show();
    panel.close();
    EXPECT_FALSE(form.isVisible());
    // Once the window is gone the panel closes too, so that nothing holds the demo open.
    panel.close();
    EXPECT_FALSE(panel.isVisible());
}

TEST(VirtualDevicePanel, TheDemosWindowSaysItIsTheDemo) {
    VirtualClock clock;
    VirtualZelmark device(clock);
    device.unplug();
    TForm1 form(device, clock);
    form.setCaptionSuffix(QString::fromLatin1(DemoCaptionSuffix));
    form.show();
    EXPECT_EQ(form.windowTitle(), "TARVIK ZELMARK UPDATER - DEMO");
    form.click(Control::DKBtn);
    EXPECT_EQ(form.windowTitle(), "TARVIK ZELMARK OPDATER - DEMO");
}
