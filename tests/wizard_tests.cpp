// The whole road on a real window: the wizard's presses, the presence monitor's ticks and the
// virtual Zelmark, on the virtual clock.
#include <QCoreApplication>
#include <QTimer>

#include "textcatalogue.h"
#include "windowfixture.h"

using namespace zelmark;

namespace {

QString text(TextId id, std::uint8_t language = LangEnglish) {
    return QString::fromUtf8(catalogueText(id, language));
}

class Wizard : public WindowFixture {
protected:
    // The six step labels, top to bottom, as lit (1) or greyed (0).
    std::string lit() const {
        std::string s;
        for (const QLabel* label :
             {form->Step1, form->Step2, form->Step5, form->Step6, form->Step7, form->Step8}) {
            s += label->isEnabled() ? '1' : '0';
        }
        return s;
    }
    void expectState(std::uint8_t step, const std::string& labels, TextId comment,
                     const QString& caption, bool enabled, const char* where) {
        EXPECT_EQ(form->step(), step) << where;
        EXPECT_EQ(lit(), labels) << where;
        EXPECT_EQ(form->Comment->text(), text(comment)) << where;
        EXPECT_EQ(form->GoBtn->text(), caption) << where;
        EXPECT_EQ(form->GoBtn->isEnabled(), enabled) << where;
    }
    unsigned framesSent() const { return device.device().stats().framesReceived; }
    void press() { form->GoBtnClick(); }
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
    form->UKBtn->setFocus();  // the focus is elsewhere when the device arrives

    device.plug();
    tick();  // the device arrives: queried at once
    expectState(StepUpdate, "001000", TxtReadyWarning, "UPDATE", true, "device read");
    EXPECT_EQ(form->focusWidget(), form->GoBtn);
    EXPECT_EQ(form->Lap2->text(), "Zelmark");

    press();  // UPDATE
    expectState(StepUnplug, "000010", TxtRemoveCable, "Next step", false, "transfer done");
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
    EXPECT_EQ(form->SW4->text(), "47138 Bytes");
    device.unplug();
    tick();
    expectState(StepUnplug, "000010", TxtRemoveCable, "Next step", true, "cable out");
    press();
    expectState(StepFinish, "000001", TxtVerifyVersion, "FINISH", true, "verify the version");
    press();
    EXPECT_FALSE(form->isVisible());
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
    EXPECT_FALSE(form->GoBtn->isEnabled());
    device.unplug();
    tick();
    expectState(StepUnplug, "000010", TxtRemoveCable, "Next step", true, "cable out");
    EXPECT_EQ(form->windowTitle(), text(TxtTitle));
    press();
    expectState(StepFinish, "000001", TxtVerifyVersion, "FINISH", true, "verify");
    press();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Wizard, DeviceAttachedAtStartUp) {
    device.plug();
    open();
    EXPECT_FALSE(form->GoBtn->isEnabled());
    tick();
    expectState(StepStart, "000000", TxtIntro, "Start", true, "first tick");
    EXPECT_EQ(form->Lap1->text(), "found");
    tick();  // the same answer again: nothing but the device count is asked
    EXPECT_EQ(device.wireStats().bytesToDevice, 0u);
}

TEST_F(Wizard, RefusedDevicesGetTheirTextAndFinishWithNothingSent) {
    struct Case {
        const char* name;
        ZelmarkIdentity identity;
        std::uint8_t verdict;
        TextId refusal;
    };
    const Case cases[] = {
        {"old updater", {3098, 1, 104, 1, 99}, StepWrongFirmware, TxtWrongFirmware},
        {"other submodel", {3098, 1, 104, 2, 100}, StepWrongSubmodel, TxtWrongSubmodel},
        {"other model", {3099, 1, 104, 1, 100}, StepWrongModel, TxtWrongModel},
    };
    for (const Case& c : cases) {
        device.plug();
        device.device().identity = c.identity;
        open();
        tick();
        press();
        press();
        expectState(c.verdict, "001000", TxtReadyWarning, "UPDATE", true, c.name);
        press();
        expectState(StepFinish, "001000", c.refusal, "FINISH", true, c.name);
        press();
        EXPECT_FALSE(form->isVisible()) << c.name;
        EXPECT_EQ(framesSent(), 0u) << c.name;
        EXPECT_EQ(device.device().stats().updateMode, false) << c.name;
        device.unplug();
    }
}

TEST_F(Wizard, DeviceReattachedWhileUpdateIsArmedIsQueriedAgain) {
    walkToUpdate();
    ASSERT_EQ(form->step(), StepUpdate);
    const unsigned commandsBefore = device.device().stats().commandsReceived;

    device.unplug();
    tick();  // removal in step 6: only caption and status change
    expectState(StepUpdate, "001000", TxtReadyWarning, "UPDATE", true, "removed in step 6");
    EXPECT_EQ(form->Lap1->text(), "looking...");
    device.plug();
    tick();
    EXPECT_EQ(device.device().stats().commandsReceived, commandsBefore + 1);  // queried again
    expectState(StepUpdate, "001000", TxtReadyWarning, "UPDATE", true, "re-attached");
    press();
    EXPECT_EQ(form->step(), StepUnplug);
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
}

TEST_F(Wizard, DeviceSwappedForAnotherModelInStepSixIsRefused) {
    walkToUpdate();
    ASSERT_EQ(form->step(), StepUpdate);
    device.unplug();
    tick();
    device.device().identity.model = 3099;
    device.plug();
    tick();
    EXPECT_EQ(form->step(), StepWrongModel);
    EXPECT_EQ(form->Lap2->text(), "3099");
    press();
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
    EXPECT_TRUE(form->Lap11->isHidden());

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
    EXPECT_EQ(form->step(), StepUnplug);
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
    EXPECT_EQ(form->Lap2->text(), "Zelmark");
}

TEST_F(Wizard, ProductStringThatCannotBeRead) {
    open();
    press();
    press();
    device.productStringFails = true;
    device.plug();
    tick();
    EXPECT_EQ(form->windowTitle(), text(TxtTitleFound));
    EXPECT_EQ(form->Lap1->text(), "looking...");
    expectState(StepConnect, "010000", TxtConnect, "Next step", false, "product string unread");
    tick();  // watching for removal now: no query
    EXPECT_EQ(device.wireStats().bytesToDevice, 0u);
    device.productStringFails = false;
    replug();  // a new attempt takes unplugging and plugging in again
    EXPECT_EQ(form->step(), StepUpdate);
}

TEST_F(Wizard, LanguageSwitchDuringTheQuery) {
    device.plug();
    open();
    tick();
    press();
    QString commentAfterSwitch;
    // Runs at the first message pump inside the query's capture.
    QTimer::singleShot(0, form.get(), [&] {
        form->DKBtnClick();
        QTimer::singleShot(0, form.get(), [&] { commentAfterSwitch = form->Comment->text(); });
    });
    press();
    EXPECT_EQ(commentAfterSwitch, text(TxtIntro, LangDanish));
    EXPECT_EQ(form->Comment->text(), text(TxtReadyWarning, LangDanish));
    EXPECT_EQ(form->GoBtn->text(), text(TxtUpdate, LangDanish));
    EXPECT_EQ(form->step(), StepUpdate);
}

TEST_F(Wizard, LanguageSwitchDuringTheTransfer) {
    walkToUpdate();
    form->DKBtnClick();
    QString commentAfterSwitch;
    device.onBlockFrame = [&](unsigned frame) {
        if (frame == 5)
            form->UKBtnClick();
        if (frame == 50)
            commentAfterSwitch = form->Comment->text();
    };
    press();
    EXPECT_EQ(commentAfterSwitch, text(TxtIntro, LangEnglish));
    expectState(StepUnplug, "000010", TxtRemoveCable, "Next step", false, "English end texts");
}

TEST_F(Wizard, GermanThroughTheWholeRoad) {
    device.plug();
    open();
    form->GBtnClick();
    tick();
    const QString title = form->windowTitle();
    press();
    press();
    EXPECT_EQ(form->step(), StepUpdate);
    press();
    EXPECT_EQ(form->step(), StepUnplug);
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
    device.unplug();
    tick();
    press();
    EXPECT_EQ(form->step(), StepFinish);
    // Steps, labels and button states moved; not a single text did.
    expectState(StepFinish, "000001", TxtIntro, "Start", true, "German");
    EXPECT_EQ(form->windowTitle(), title);
    EXPECT_EQ(form->Lap1->text(), "looking...");
    press();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Wizard, CloseDuringTheTransferStopsAtAFrameBoundaryThenCloses) {
    walkToUpdate();
    device.onBlockFrame = [&](unsigned frame) {
        if (frame == 20)
            form->close();
    };
    press();
    EXPECT_TRUE(form->isVisible());  // not hidden under the running transfer
    EXPECT_EQ(device.device().stats().framesReceived, 20u);
    EXPECT_FALSE(device.isOpen());
    EXPECT_NE(form->step(), StepUnplug);  // no success shown
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
    EXPECT_LT(clock.nowMs(), 5000u);
}

TEST_F(Wizard, CloseDuringTheQueryEndsItQuietly) {
    device.plug();
    device.device().timing.infoAnswerUs = 3'000'000;  // a slow device: the capture is waiting
    open();
    tick();
    press();
    QTimer::singleShot(0, form.get(), [&] { form->close(); });
    press();
    EXPECT_TRUE(form->isVisible());  // the query returns first
    EXPECT_LT(clock.nowMs(), 1000u);
    EXPECT_FALSE(device.isOpen());
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(errors.isEmpty()) << errors.join("; ").toStdString();
}

TEST_F(Wizard, UnplugDuringTheTransfer) {
    walkToUpdate();
    device.device().faults.unplugAtFrame = 40;
    press();
    expectState(StepUpdate, "001000", TxtTransferFailed, "UPDATE", true, "cable pulled");
    device.device().faults.unplugAtFrame = 0;
    tick();  // the monitor runs again and sees the device gone
    EXPECT_FALSE(form->devicePresent());
    device.plug();
    tick();  // back: queried again, then UPDATE starts over
    expectState(StepUpdate, "001000", TxtReadyWarning, "UPDATE", true, "re-attached");
    press();
    EXPECT_EQ(form->step(), StepUnplug);
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
}
