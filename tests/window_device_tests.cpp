// ReadDeviceInfo and SendFirmware in the window core against the virtual Zelmark.

#include "corefixture.h"
#include "testimages.h"
#include "textcatalogue.h"

using namespace zelmark;

namespace {

class DeviceWindow : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        device.plug();
        open();
        tick();  // the device is seen
    }
    void identity(std::uint16_t model, std::uint16_t version, std::uint8_t submodel,
                  std::uint8_t updater) {
        device.device().identity = {model, 4660, version, submodel, updater};
    }
};

}  // namespace

TEST_F(DeviceWindow, QueryShowsTheDeviceAndItsVerdict) {
    struct Case {
        const char* name;
        std::uint16_t model, version;
        std::uint8_t submodel, updater;
        std::uint8_t step;
        const char *lap2, *lap4, *lap6;
        std::optional<Rgb> lap4Colour, lap2Colour, lap6Colour;
    };
    const std::optional<Rgb> plain;  // left as it was
    const Case cases[] = {
        {"fit, older version", 3098, 104, 1, 100, StepReady, "Zelmark", "1.04", "1.00",
         std::optional<Rgb>(clGreen), plain, plain},
        {"fit, same version", 3098, 105, 1, 100, StepReady, "Zelmark", "1.05", "1.00", plain, plain,
         plain},
        {"fit, version 5", 3098, 5, 1, 100, StepReady, "Zelmark", "0.05", "1.00",
         std::optional<Rgb>(clGreen), plain, plain},
        {"corrupt", 3098, 26505, 1, 100, StepReady, "Zelmark", "Corrupt", "1.00",
         std::optional<Rgb>(clRed), plain, plain},
        {"other model", 3099, 104, 1, 100, StepWrongModel, "3099", "1.04", "1.00",
         std::optional<Rgb>(clGreen), std::optional<Rgb>(clRed), plain},
        {"old updater", 3098, 104, 1, 99, StepWrongFirmware, "Zelmark", "1.04", "",
         std::optional<Rgb>(clGreen), plain, std::optional<Rgb>(clRed)},
        {"updater 255", 3098, 104, 1, 255, StepReady, "Zelmark", "1.04", "",
         std::optional<Rgb>(clGreen), plain, plain},
        {"other submodel", 3098, 104, 2, 100, StepWrongSubmodel, "Zelmark", "1.04", "1.00",
         std::optional<Rgb>(clGreen), std::optional<Rgb>(clRed), plain},
    };
    for (const Case& c : cases) {
        open();  // a fresh window: colours and Lap6 keep what earlier queries left
        tick();
        identity(c.model, c.version, c.submodel, c.updater);
        core->ReadDeviceInfo();
        EXPECT_EQ(core->step(), c.step) << c.name;
        EXPECT_EQ(state(Control::Lap2).caption, c.lap2) << c.name;
        EXPECT_EQ(state(Control::Lap3).caption, "4660") << c.name;
        EXPECT_EQ(state(Control::Lap4).caption, c.lap4) << c.name;
        EXPECT_EQ(state(Control::Lap6).caption, c.lap6) << c.name;
        const std::optional<Rgb> base = std::optional<Rgb>();
        EXPECT_EQ(colour(Control::Lap4), c.lap4Colour ? c.lap4Colour : base) << c.name;
        EXPECT_EQ(colour(Control::Lap13), colour(Control::Lap4)) << c.name;
        EXPECT_EQ(colour(Control::Lap2), c.lap2Colour ? c.lap2Colour : base) << c.name;
        EXPECT_EQ(colour(Control::Lap11), colour(Control::Lap2)) << c.name;
        EXPECT_EQ(colour(Control::Lap6), c.lap6Colour ? c.lap6Colour : base) << c.name;
        EXPECT_EQ(colour(Control::Lap15), colour(Control::Lap6)) << c.name;
        for (Control caption : {Control::Lap11, Control::Lap12, Control::Lap13, Control::Lap15}) {
            EXPECT_TRUE(state(caption).visible) << c.name;
        }
        EXPECT_TRUE(core->model().timerRunning) << c.name;
        EXPECT_TRUE(state(Control::GoBtn).enabled) << c.name;
        EXPECT_EQ(state(Control::Comment).caption, text(TxtReadyWarning)) << c.name;
        EXPECT_EQ(state(Control::GoBtn).caption, "UPDATE") << c.name;
    }
}

TEST_F(DeviceWindow, ScratchFileIsLeftInPlace) {
    core->ReadDeviceInfo();
    EXPECT_EQ(TempDir::read(scratch.file("version.tmp")), device.device().informationReply());
}

TEST_F(DeviceWindow, UnreadableReplyReachesTheUserAndLeavesTheStep) {
    device.device().infoReply.omitMarker = true;
    core->GoBtnClick();  // step 1 -> 2
    // The press in step 2 runs the query; its error leaves the handler for the message box.
    core->click(Control::GoBtn);
    ASSERT_EQ(errors, std::vector<std::string>{"Read beyond end of file"});
    EXPECT_EQ(core->step(), StepConnect);
    EXPECT_FALSE(state(Control::GoBtn).enabled);
    EXPECT_TRUE(state(Control::Step2).enabled);
    EXPECT_FALSE(state(Control::Step5).enabled);
    EXPECT_EQ(state(Control::Comment).caption, text(TxtConnect));
    EXPECT_FALSE(device.isOpen());
    EXPECT_TRUE(!closed());  // the program goes on
}

TEST_F(DeviceWindow, DeviceThatDoesNotOpenChangesOnlyTheClosingTexts) {
    device.openStatus = SiIoFailed;
    const std::string lap2 = state(Control::Lap2).caption;
    core->ReadDeviceInfo();
    EXPECT_EQ(core->step(), StepStart);
    EXPECT_EQ(state(Control::Lap2).caption, lap2);
    EXPECT_TRUE(!state(Control::Lap11).visible);
    EXPECT_EQ(state(Control::Comment).caption, text(TxtReadyWarning));
    EXPECT_EQ(state(Control::GoBtn).caption, "UPDATE");
    EXPECT_FALSE(std::filesystem::exists(scratch.file("version.tmp")));
}

// A cable pulled right after the information command: the device is gone, which the window
// takes as a device that did not open, not as an unreadable reply.
TEST_F(DeviceWindow, DeviceGoneDuringTheQueryIsLikeOneThatDidNotOpen) {
    device.onCommand = [&](std::uint8_t) { device.unplug(); };
    core->ReadDeviceInfo();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(core->step(), StepStart);
    EXPECT_FALSE(state(Control::Lap11).visible);
    EXPECT_EQ(state(Control::Comment).caption, text(TxtReadyWarning));
    EXPECT_FALSE(device.isOpen());
}

TEST_F(DeviceWindow, OpenFailuresAreExplainedWithTheirFix) {
    const std::pair<SiStatus, TextId> cases[] = {{SiAccessDenied, TxtAccessDenied},
                                                 {SiDeviceBusy, TxtDeviceBusy},
                                                 {SiSeveralDevices, TxtSeveralDevices}};
    for (const auto& [status, explanation] : cases) {
        device.openStatus = status;
        core->DKBtnClick();
        core->ReadDeviceInfo();
        EXPECT_EQ(state(Control::Comment).caption, text(explanation, LangDanish))
            << statusName(status);
        EXPECT_EQ(state(Control::GoBtn).caption, text(TxtUpdate, LangDanish)) << statusName(status);
        core->UKBtnClick();
        core->SendFirmware();
        EXPECT_EQ(state(Control::Comment).caption, text(explanation)) << statusName(status);
    }
}

TEST_F(DeviceWindow, GermanQuerySetsNoClosingTexts) {
    core->GBtnClick();
    core->ReadDeviceInfo();
    EXPECT_EQ(core->step(), StepReady);
    EXPECT_EQ(state(Control::Comment).caption, text(TxtIntro));
    EXPECT_EQ(state(Control::GoBtn).caption, "Start");
}

TEST_F(DeviceWindow, TransferReportsSuccessOnlyWhenEverythingWasAcknowledged) {
    core->ReadDeviceInfo();
    core->SendFirmware();
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
    EXPECT_EQ(state(Control::SW4).caption, "47138 Bytes");
    EXPECT_EQ(core->step(), StepUnplug);
    EXPECT_EQ(state(Control::Comment).caption, text(TxtRemoveCable));
    EXPECT_EQ(state(Control::GoBtn).caption, "Next step");
    EXPECT_FALSE(state(Control::GoBtn).enabled);
    EXPECT_TRUE(state(Control::Step7).enabled);
    EXPECT_FALSE(state(Control::Step6).enabled);
    EXPECT_TRUE(core->model().timerRunning);
    EXPECT_FALSE(device.isOpen());
}

TEST_F(DeviceWindow, GivenUpTransferArmsUpdateAgain) {
    for (unsigned frame : {1u, 45u, 92u}) {
        device.unplug();  // a fresh start of the device: out of update mode
        device.plug();
        open();
        tick();
        core->GoBtnClick();
        core->GoBtnClick();  // query: step 6
        ASSERT_EQ(core->step(), StepUpdate);
        device.device().faults.silentFromFrame = frame;
        core->GoBtnClick();  // UPDATE
        EXPECT_EQ(core->step(), StepUpdate) << frame;
        EXPECT_EQ(state(Control::Comment).caption, text(TxtTransferFailed)) << frame;
        EXPECT_EQ(state(Control::GoBtn).caption, "UPDATE") << frame;
        EXPECT_TRUE(state(Control::GoBtn).enabled) << frame;
        EXPECT_TRUE(core->model().timerRunning) << frame;
        EXPECT_TRUE(state(Control::Step5).enabled) << frame;
        EXPECT_FALSE(state(Control::Step6).enabled) << frame;
        EXPECT_FALSE(state(Control::Step7).enabled) << frame;
        EXPECT_EQ(state(Control::SW4).caption, "") << frame;
        EXPECT_FALSE(device.isOpen()) << frame;
        EXPECT_FALSE(device.flashEquals(embeddedImage())) << frame;
        device.device().faults.silentFromFrame = 0;
        // The next press starts again from the update command and block 1.
        core->GoBtnClick();
        EXPECT_EQ(core->step(), StepUnplug) << frame;
        EXPECT_TRUE(device.flashEquals(embeddedImage())) << frame;
    }
}

TEST_F(DeviceWindow, TransferThatCannotOpenChangesNothingButTheTimer) {
    core->GoBtnClick();
    core->GoBtnClick();  // the query: UPDATE armed
    ASSERT_EQ(core->step(), StepUpdate);
    device.openStatus = SiIoFailed;
    const std::string comment = state(Control::Comment).caption;
    const std::string sw4 = state(Control::SW4).caption;
    core->GoBtnClick();  // UPDATE
    EXPECT_EQ(core->step(), StepUpdate);
    EXPECT_FALSE(core->model().timerRunning);
    EXPECT_EQ(state(Control::Comment).caption, comment);
    EXPECT_EQ(state(Control::GoBtn).caption, "UPDATE");
    EXPECT_TRUE(state(Control::GoBtn).enabled);
    EXPECT_TRUE(state(Control::Step5).enabled);
    EXPECT_FALSE(state(Control::Step6).enabled);
    EXPECT_EQ(state(Control::SW4).caption, sw4);
    EXPECT_EQ(device.wireStats().bytesToDevice, 8u);  // only the query's command went out
    device.openStatus = SiSuccess;
    core->GoBtnClick();  // the next press runs the transfer from its start
    EXPECT_EQ(core->step(), StepUnplug);
}

TEST_F(DeviceWindow, LanguageSwitchDuringTheTransfer) {
    core->DKBtnClick();
    core->ReadDeviceInfo();
    device.onBlockFrame = [&](unsigned frame) {
        if (frame == 10) {
            EXPECT_EQ(state(Control::Comment).caption, text(TxtTransmitting, LangDanish));
            core->UKBtnClick();
        }
        if (frame == 11) {
            EXPECT_EQ(state(Control::Comment).caption, text(TxtTransmitting, LangEnglish));
        }
    };
    core->SendFirmware();
    EXPECT_EQ(state(Control::Comment).caption, text(TxtRemoveCable, LangEnglish));
    EXPECT_EQ(state(Control::GoBtn).caption, "Next step");
}
