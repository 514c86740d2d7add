// The whole road in the window core: the wizard's presses, the presence monitor's ticks and the
// virtual Zelmark, on the virtual clock, without a toolkit.

#include "corefixture.h"
#include "textcatalogue.h"

using namespace zelmark;

namespace {

class Wizard : public CoreFixture {
protected:
    // The six step labels, top to bottom, as lit (1) or greyed (0).
    std::string lit() const {
        std::string s;
        for (Control label : {Control::Step1, Control::Step2, Control::Step5, Control::Step6,
                              Control::Step7, Control::Step8}) {
            s += state(label).enabled ? '1' : '0';
        }
        return s;
    }
    void expectState(std::uint8_t step, const std::string& labels, TextId comment,
                     const std::string& caption, bool enabled, const char* where) {
        EXPECT_EQ(core->step(), step) << where;
        EXPECT_EQ(lit(), labels) << where;
        EXPECT_EQ(state(Control::Comment).caption, text(comment)) << where;
        EXPECT_EQ(state(Control::GoBtn).caption, caption) << where;
        EXPECT_EQ(state(Control::GoBtn).enabled, enabled) << where;
    }
    unsigned framesSent() const { return device.device().stats().framesReceived; }
    void press() { core->GoBtnClick(); }
    // A device attached from the start; Start, Next step: the device is read and UPDATE armed.
    void walkToUpdate() {
        device.plug();
        open();
        tick();
        press();
        press();
    }
    void replug() {
        device.unplug();
        tick();
        device.plug();
        tick();
    }
};

}  // namespace

TEST_F(Wizard, NormalRoadFromStartToFinish) {
    open();
    expectState(StepStart, "000000", TxtIntro, "Start", true, "opened");
    press();
    expectState(StepPowerOn, "100000", TxtTurnOn, "Next step", true, "after Start");
    press();
    expectState(StepConnect, "010000", TxtConnect, "Next step", false, "waiting for the cable");
    EXPECT_EQ(device.wireStats().bytesToDevice, 0u);  // no device: no traffic
    press();                                          // a press in step 4 changes nothing
    expectState(StepConnect, "010000", TxtConnect, "Next step", false, "press in step 4");
    const unsigned focusRequests = core->model().focusRequests;

    device.plug();
    tick();  // the device arrives: queried at once
    expectState(StepUpdate, "001000", TxtReadyWarning, "UPDATE", true, "device read");
    EXPECT_EQ(core->model().focus, Control::GoBtn);
    EXPECT_GT(core->model().focusRequests, focusRequests);
    EXPECT_EQ(state(Control::Lap2).caption, "Zelmark");

    press();  // UPDATE
    expectState(StepUnplug, "000010", TxtRemoveCable, "Next step", false, "transfer done");
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
    EXPECT_EQ(state(Control::SW4).caption, "47138 Bytes");
    device.unplug();
    tick();
    expectState(StepUnplug, "000010", TxtRemoveCable, "Next step", true, "cable out");
    press();
    expectState(StepFinish, "000001", TxtVerifyVersion, "FINISH", true, "verify the version");
    press();
    EXPECT_FALSE(!closed());
}

TEST_F(Wizard, RemovalAfterTheTransferEnablesTheButton) {
    device.plug();
    open();
    tick();
    press();
    press();  // a device is attached: queried at once
    expectState(StepUpdate, "001000", TxtReadyWarning, "UPDATE", true, "queried at the press");
    press();
    expectState(StepUnplug, "000010", TxtRemoveCable, "Next step", false, "transfer done");
    tick();  // still attached
    EXPECT_FALSE(state(Control::GoBtn).enabled);
    device.unplug();
    tick();
    expectState(StepUnplug, "000010", TxtRemoveCable, "Next step", true, "cable out");
    EXPECT_EQ(core->model().caption, text(TxtTitle));
    press();
    expectState(StepFinish, "000001", TxtVerifyVersion, "FINISH", true, "verify");
    press();
    EXPECT_FALSE(!closed());
}

TEST_F(Wizard, DeviceAttachedAtStartUp) {
    device.plug();
    open();
    EXPECT_FALSE(state(Control::GoBtn).enabled);
    tick();
    expectState(StepStart, "000000", TxtIntro, "Start", true, "first tick");
    EXPECT_EQ(state(Control::Lap1).caption, "found");
    tick();  // the same answer again: nothing but the device count is asked
    EXPECT_EQ(device.wireStats().bytesToDevice, 0u);
}

TEST_F(Wizard, RefusedDevicesGetTheirTextAndFinishWithNothingSent) {
    struct Case {
        const char* name;
        ZelmarkIdentity identity;
        std::uint8_t verdict;
        TextId refusal;
        std::vector<std::size_t> replyPieces = {};
    };
    const Case cases[] = {
        {"old updater", {3098, 1, 104, 1, 99}, StepWrongFirmware, TxtWrongFirmware},
        {"other submodel", {3098, 1, 104, 2, 100}, StepWrongSubmodel, TxtWrongSubmodel},
        {"other model", {3099, 1, 104, 1, 100}, StepWrongModel, TxtWrongModel},
        {"other model, its reply in pieces",
         {3099, 8721, 218, 1, 100},
         StepWrongModel,
         TxtWrongModel,
         {10, 2}},
    };
    for (const Case& c : cases) {
        device.plug();
        device.device().identity = c.identity;
        device.device().infoReply.splitSizes = c.replyPieces;
        open();
        tick();
        press();
        press();
        // The refusal shows as soon as the query ends; the device box marks what does not fit.
        expectState(StepFinish, "001000", c.refusal, "FINISH", true, c.name);
        EXPECT_EQ(colour(c.verdict == StepWrongFirmware ? Control::Lap15 : Control::Lap11),
                  std::optional<Rgb>(clRed))
            << c.name;
        press();
        EXPECT_FALSE(!closed()) << c.name;
        EXPECT_EQ(framesSent(), 0u) << c.name;
        EXPECT_EQ(device.device().stats().updateMode, false) << c.name;
        device.unplug();
    }
}

TEST_F(Wizard, DeviceReattachedWhileUpdateIsArmedIsQueriedAgain) {
    walkToUpdate();
    ASSERT_EQ(core->step(), StepUpdate);
    const unsigned commandsBefore = device.device().stats().commandsReceived;

    device.unplug();
    tick();  // removal in step 6: only caption and status change
    expectState(StepUpdate, "001000", TxtReadyWarning, "UPDATE", true, "removed in step 6");
    EXPECT_EQ(state(Control::Lap1).caption, "looking...");
    device.plug();
    tick();
    EXPECT_EQ(device.device().stats().commandsReceived, commandsBefore + 1);  // queried again
    expectState(StepUpdate, "001000", TxtReadyWarning, "UPDATE", true, "re-attached");
    press();
    EXPECT_EQ(core->step(), StepUnplug);
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
}

TEST_F(Wizard, DeviceSwappedForAnotherModelInStepSixIsRefused) {
    walkToUpdate();
    ASSERT_EQ(core->step(), StepUpdate);
    device.unplug();
    tick();
    device.device().identity.model = 3099;
    device.plug();
    tick();
    EXPECT_EQ(state(Control::Lap2).caption, "3099");
    expectState(StepFinish, "001000", TxtWrongModel, "FINISH", true, "swapped");
    EXPECT_EQ(framesSent(), 0u);
}

TEST_F(Wizard, UpdateWithoutAVerdictQueriesFirst) {
    device.plug();
    device.openStatus = SiDeviceBusy;  // another program holds the port during the query
    open();
    tick();
    press();
    press();
    expectState(StepUpdate, "001000", TxtDeviceBusy, "UPDATE", true, "no verdict");
    EXPECT_TRUE(!state(Control::Lap11).visible);

    // Still held: the press queries, forms no verdict, and sends nothing.
    press();
    expectState(StepUpdate, "001000", TxtDeviceBusy, "UPDATE", true, "still busy");
    EXPECT_EQ(framesSent(), 0u);

    // Free, but of another model: the press queries and shows the refusal.
    device.openStatus = SiSuccess;
    device.device().identity.submodel = 2;
    press();
    expectState(StepFinish, "001000", TxtWrongSubmodel, "FINISH", true, "refused at UPDATE");
    EXPECT_EQ(framesSent(), 0u);
}

TEST_F(Wizard, UpdateWithoutAVerdictSendsOnceTheDeviceFits) {
    device.plug();
    device.openStatus = SiDeviceBusy;
    open();
    tick();
    press();
    press();
    device.openStatus = SiSuccess;
    press();
    EXPECT_EQ(core->step(), StepUnplug);
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
    EXPECT_EQ(state(Control::Lap2).caption, "Zelmark");
}

TEST_F(Wizard, ProductStringThatCannotBeRead) {
    open();
    press();
    press();
    device.productStringFails = true;
    device.plug();
    tick();
    EXPECT_EQ(core->model().caption, text(TxtTitleFound));
    EXPECT_EQ(state(Control::Lap1).caption, "looking...");
    expectState(StepConnect, "010000", TxtConnect, "Next step", false, "product string unread");
    tick();  // watching for removal now: no query
    EXPECT_EQ(device.wireStats().bytesToDevice, 0u);
    device.productStringFails = false;
    replug();  // a new attempt takes unplugging and plugging in again
    EXPECT_EQ(core->step(), StepUpdate);
}

TEST_F(Wizard, LanguageSwitchDuringTheQuery) {
    device.plug();
    open();
    tick();
    press();
    std::string commentAfterSwitch;
    // Runs at the first message pump inside the query's capture.
    atNextPump.push_back([&] {
        core->DKBtnClick();
        atNextPump.push_back([&] { commentAfterSwitch = state(Control::Comment).caption; });
    });
    press();
    EXPECT_EQ(commentAfterSwitch, text(TxtConnect, LangDanish));
    EXPECT_EQ(state(Control::Comment).caption, text(TxtReadyWarning, LangDanish));
    EXPECT_EQ(state(Control::GoBtn).caption, text(TxtUpdate, LangDanish));
    EXPECT_EQ(core->step(), StepUpdate);
}

TEST_F(Wizard, LanguageSwitchDuringTheTransfer) {
    walkToUpdate();
    core->DKBtnClick();
    std::string commentAfterSwitch;
    device.onBlockFrame = [&](unsigned frame) {
        if (frame == 5)
            core->UKBtnClick();
        if (frame == 50)
            commentAfterSwitch = state(Control::Comment).caption;
    };
    press();
    EXPECT_EQ(commentAfterSwitch, text(TxtTransmitting, LangEnglish));
    expectState(StepUnplug, "000010", TxtRemoveCable, "Next step", false, "English end texts");
}

TEST_F(Wizard, GermanThroughTheWholeRoad) {
    device.plug();
    open();
    core->GBtnClick();
    tick();
    const std::string title = core->model().caption;
    press();
    press();
    EXPECT_EQ(core->step(), StepUpdate);
    press();
    EXPECT_EQ(core->step(), StepUnplug);
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
    device.unplug();
    tick();
    press();
    EXPECT_EQ(core->step(), StepFinish);
    // Steps, labels and button states moved; not a single text did.
    expectState(StepFinish, "000001", TxtIntro, "Start", true, "German");
    EXPECT_EQ(core->model().caption, title);
    EXPECT_EQ(state(Control::Lap1).caption, "looking...");
    press();
    EXPECT_FALSE(!closed());
}

// A started update cannot be interrupted: a close during the transfer says the window closes
// when the update has finished, and it closes then.
TEST_F(Wizard, CloseDuringTheTransferWaitsForItsEnd) {
    walkToUpdate();
    std::string commentAfterClose;
    device.onBlockFrame = [&](unsigned frame) {
        if (frame == 20) {
            EXPECT_FALSE(core->requestClose());
            commentAfterClose = state(Control::Comment).caption;
        }
        EXPECT_FALSE(closed()) << frame;
    };
    press();
    EXPECT_EQ(commentAfterClose, text(TxtClosesAfterUpdate));
    EXPECT_EQ(core->step(), StepUnplug);
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
    EXPECT_FALSE(device.isOpen());
    EXPECT_TRUE(closed());
}

TEST_F(Wizard, CloseDuringTheQueryEndsItQuietly) {
    device.plug();
    device.device().timing.infoAnswerUs = 3'000'000;  // a slow device: the capture is waiting
    open();
    tick();
    press();
    atNextPump.push_back([&] { EXPECT_FALSE(core->requestClose()); });
    press();
    EXPECT_LT(clock.nowMs(), 1000u);  // the query returned at once
    EXPECT_FALSE(device.isOpen());
    EXPECT_TRUE(closed());
    EXPECT_TRUE(errors.empty()) << (errors.empty() ? "" : errors.front());
}

TEST_F(Wizard, UnplugDuringTheTransfer) {
    walkToUpdate();
    device.device().faults.unplugAtFrame = 40;
    press();
    expectState(StepUpdate, "001000", TxtTransferFailed, "UPDATE", true, "cable pulled");
    device.device().faults.unplugAtFrame = 0;
    tick();  // the monitor runs again and sees the device gone
    EXPECT_FALSE(core->devicePresent());
    device.plug();
    tick();  // back: queried again, then UPDATE starts over
    expectState(StepUpdate, "001000", TxtReadyWarning, "UPDATE", true, "re-attached");
    press();
    EXPECT_EQ(core->step(), StepUnplug);
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
}

// Every exchange runs with the big button disabled, also the query the monitor starts when a
// device arrives while UPDATE is armed: a press then starts nothing inside it.
TEST_F(Wizard, NoExchangeStartsInsideAnother) {
    walkToUpdate();
    device.unplug();
    tick();
    device.plug();
    const unsigned commandsBefore = device.device().stats().commandsReceived;
    bool enabledDuringQuery = true;
    atNextPump.push_back([&] {
        enabledDuringQuery = state(Control::GoBtn).enabled;
        core->click(Control::GoBtn);
        core->GoBtnClick();
    });
    tick();  // the device arrives: queried again
    EXPECT_FALSE(enabledDuringQuery);
    EXPECT_EQ(device.device().stats().commandsReceived, commandsBefore + 1);
    expectState(StepUpdate, "001000", TxtReadyWarning, "UPDATE", true, "re-armed");
    EXPECT_EQ(framesSent(), 0u);
}

// GoBtn is the default button: whenever it is enabled again it takes the focus back.
TEST_F(Wizard, BigButtonTakesTheFocusBackWheneverEnabled) {
    walkToUpdate();
    press();  // the transfer: the button is disabled until the cable is out
    ASSERT_FALSE(state(Control::GoBtn).enabled);
    const unsigned focusRequests = core->model().focusRequests;
    device.unplug();
    tick();
    EXPECT_TRUE(state(Control::GoBtn).enabled);
    EXPECT_EQ(core->model().focus, Control::GoBtn);
    EXPECT_EQ(core->model().focusRequests, focusRequests + 1);
}

// UPDATE with the cable pulled: the window asks for the cable and waits; the device's return is
// queried and arms UPDATE again.
TEST_F(Wizard, UpdateWithoutADeviceAsksForTheCable) {
    walkToUpdate();
    device.unplug();
    for (const char* when : {"before the monitor saw it", "after"}) {
        press();
        expectState(StepConnect, "010000", TxtConnect, "UPDATE", false, when);
        tick();
        expectState(StepConnect, "010000", TxtConnect, "UPDATE", false, when);
    }
    EXPECT_EQ(framesSent(), 0u);
    device.plug();
    tick();
    expectState(StepUpdate, "001000", TxtReadyWarning, "UPDATE", true, "cable back");
    press();
    EXPECT_EQ(core->step(), StepUnplug);
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
}

// A close that arrives during the query that UPDATE starts (the device had not been judged yet)
// ends the road there: no transfer starts, and the window closes.
TEST_F(Wizard, CloseDuringTheQueryBeforeAnUpdateStartsNoTransfer) {
    device.plug();
    device.openStatus = SiDeviceBusy;
    open();
    tick();
    press();
    press();  // no verdict: UPDATE armed
    device.openStatus = SiSuccess;
    // The close comes once the whole record is in, while the capture waits for the quiet gap.
    std::function<void()> closeOnceTheRecordIsIn = [&] {
        if (clock.nowMs() >= 260) {
            EXPECT_FALSE(core->requestClose());
        } else {
            atNextPump.push_back(closeOnceTheRecordIsIn);
        }
    };
    atNextPump.push_back(closeOnceTheRecordIsIn);
    press();  // UPDATE: the query first
    EXPECT_EQ(framesSent(), 0u);
    EXPECT_FALSE(device.device().stats().updateMode);
    EXPECT_TRUE(closed());
}

// A reply that cannot be read when the device comes back in step 6: the error is shown and
// UPDATE stays usable (the next press asks the device again).
TEST_F(Wizard, UnreadableReplyOnReattachKeepsUpdateUsable) {
    walkToUpdate();
    device.unplug();
    tick();
    device.device().infoReply.omitMarker = true;
    device.plug();
    tick();
    ASSERT_EQ(errors, std::vector<std::string>{"Read beyond end of file"});
    EXPECT_EQ(core->step(), StepUpdate);
    EXPECT_TRUE(state(Control::GoBtn).enabled);
    device.device().infoReply.omitMarker = false;
    press();  // queried again, then sent
    EXPECT_EQ(core->step(), StepUnplug);
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
}
