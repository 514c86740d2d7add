// Start-up: the firmware box from the image, the first device check, the timer.
#include "corefixture.h"
#include "testimages.h"

using namespace zelmark;

TEST_F(CoreFixture, FirmwareBoxDescribesTheImage) {
    struct Case {
        const char* name;
        TestImage image;
        const char *sw1, *sw2, *sw3, *sw6;
    };
    const Case cases[] = {
        {"delivered", TestImage(), "Zelmark", "1.05", "", "-----"},
        {"other model", TestImage().model(3099), "3099", "1.05", "", "-----"},
        {"version 5", TestImage().mainVersion(5), "Zelmark", "0.05", "", "-----"},
        {"version 1000", TestImage().mainVersion(1000), "Zelmark", "10.00", "", "-----"},
        {"version 65535", TestImage().mainVersion(65535), "Zelmark", "655.35", "", "-----"},
        {"firmware 99", TestImage().mainFirmware(99), "Zelmark", "1.05", "", "-----"},
        {"firmware 100", TestImage().mainFirmware(100), "Zelmark", "1.05", " + Firmware", "1.00"},
        {"firmware 254", TestImage().mainFirmware(254), "Zelmark", "1.05", " + Firmware", "2.54"},
        {"firmware 255", TestImage().mainFirmware(255), "Zelmark", "1.05", "", "-----"},
        {"target B1", TestImage().target(0xB1), "Zelmark", "1.05", "Zelmark", "-----"},
        {"target B1, firmware 120", TestImage().target(0xB1).mainFirmware(120), "Zelmark", "1.05",
         "Zelmark + Firmware", "1.20"},
        {"target B2, firmware 120", TestImage().target(0xB2).mainFirmware(120), "Zelmark", "1.05",
         " + Firmware", "1.20"},
    };
    for (const Case& c : cases) {
        open(c.image.view());
        EXPECT_EQ(state(Control::SW1).caption, c.sw1) << c.name;
        EXPECT_EQ(state(Control::SW2).caption, c.sw2) << c.name;
        EXPECT_EQ(state(Control::SW3).caption, c.sw3) << c.name;
        EXPECT_EQ(state(Control::SW6).caption, c.sw6) << c.name;
        EXPECT_EQ(state(Control::SW4).caption, "") << c.name;
    }
}

TEST_F(CoreFixture, StartWithoutADeviceEnablesStartAtOnce) {
    open();
    EXPECT_EQ(core->step(), StepStart);
    EXPECT_EQ(core->language(), LangEnglish);
    EXPECT_TRUE(state(Control::GoBtn).enabled);
    EXPECT_EQ(state(Control::GoBtn).caption, "Start");
    EXPECT_TRUE(core->model().timerRunning);
    EXPECT_EQ(core->model().caption, "TARVIK ZELMARK UPDATER");
    EXPECT_EQ(state(Control::Lap1).caption, "looking...");
}

TEST_F(CoreFixture, StartWithADeviceWaitsForTheFirstTick) {
    device.plug();
    open();
    EXPECT_EQ(core->step(), StepStart);
    EXPECT_FALSE(state(Control::GoBtn).enabled);
    EXPECT_TRUE(core->model().timerRunning);
    tick();
    EXPECT_TRUE(state(Control::GoBtn).enabled);
    EXPECT_EQ(core->step(), StepStart);
    EXPECT_EQ(core->model().caption, "TARVIK ZELMARK UPDATER (found)");
    EXPECT_EQ(state(Control::Lap1).caption, "found");
}
