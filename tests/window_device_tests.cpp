// ReadDeviceInfo and SendFirmware on a real window against the virtual Zelmark.

#include "testimages.h"
#include "textcatalogue.h"
#include "windowfixture.h"

using namespace zelmark;

namespace {

QString text(TextId id, std::uint8_t language = LangEnglish) {
    return QString::fromUtf8(catalogueText(id, language));
}

// How many pixels of the label, as drawn, are clearly of the given marking colour.
int markedPixels(QLabel* label, const QColor& colour) {
    const QImage image = label->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const bool green = c.green() > c.red() + 40 && c.green() > c.blue() + 40;
            const bool red = c.red() > c.green() + 80 && c.red() > c.blue() + 80;
            count += colour == TForm1::clGreen ? green : red;
        }
    }
    return count;
}

class DeviceWindow : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
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
        QColor lap4Colour, lap2Colour, lap6Colour;
    };
    const QColor plain;  // left as it was
    const Case cases[] = {
        {"fit, older version", 3098, 104, 1, 100, StepReady, "Zelmark", "1.04", "1.00",
         TForm1::clGreen, plain, plain},
        {"fit, same version", 3098, 105, 1, 100, StepReady, "Zelmark", "1.05", "1.00", plain, plain,
         plain},
        {"fit, version 5", 3098, 5, 1, 100, StepReady, "Zelmark", "0.05", "1.00", TForm1::clGreen,
         plain, plain},
        {"corrupt", 3098, 26505, 1, 100, StepReady, "Zelmark", "Corrupt", "1.00", TForm1::clRed,
         plain, plain},
        {"other model", 3099, 104, 1, 100, StepWrongModel, "3099", "1.04", "1.00", TForm1::clGreen,
         TForm1::clRed, plain},
        {"old updater", 3098, 104, 1, 99, StepWrongFirmware, "Zelmark", "1.04", "", TForm1::clGreen,
         plain, TForm1::clRed},
        {"updater 255", 3098, 104, 1, 255, StepReady, "Zelmark", "1.04", "", TForm1::clGreen, plain,
         plain},
        {"other submodel", 3098, 104, 2, 100, StepWrongSubmodel, "Zelmark", "1.04", "1.00",
         TForm1::clGreen, TForm1::clRed, plain},
    };
    for (const Case& c : cases) {
        open();  // a fresh window: colours and Lap6 keep what earlier queries left
        tick();
        identity(c.model, c.version, c.submodel, c.updater);
        form->ReadDeviceInfo();
        EXPECT_EQ(form->step(), c.step) << c.name;
        EXPECT_EQ(form->Lap2->text(), c.lap2) << c.name;
        EXPECT_EQ(form->Lap3->text(), "4660") << c.name;
        EXPECT_EQ(form->Lap4->text(), c.lap4) << c.name;
        EXPECT_EQ(form->Lap6->text(), c.lap6) << c.name;
        const QColor base = defaultColour();
        EXPECT_EQ(colour(form->Lap4), c.lap4Colour.isValid() ? c.lap4Colour : base) << c.name;
        EXPECT_EQ(colour(form->Lap13), colour(form->Lap4)) << c.name;
        EXPECT_EQ(colour(form->Lap2), c.lap2Colour.isValid() ? c.lap2Colour : base) << c.name;
        EXPECT_EQ(colour(form->Lap11), colour(form->Lap2)) << c.name;
        EXPECT_EQ(colour(form->Lap6), c.lap6Colour.isValid() ? c.lap6Colour : base) << c.name;
        EXPECT_EQ(colour(form->Lap15), colour(form->Lap6)) << c.name;
        for (QLabel* caption : {form->Lap11, form->Lap12, form->Lap13, form->Lap15}) {
            EXPECT_TRUE(caption->isVisible()) << c.name;
        }
        EXPECT_TRUE(form->Timer1->isActive()) << c.name;
        EXPECT_TRUE(form->GoBtn->isEnabled()) << c.name;
        EXPECT_EQ(form->Comment->text(), text(TxtReadyWarning)) << c.name;
        EXPECT_EQ(form->GoBtn->text(), "UPDATE") << c.name;
    }
}

TEST_F(DeviceWindow, MarkingColoursShowOnScreen) {
    identity(3099, 104, 1, 100);
    form->ReadDeviceInfo();
    EXPECT_GT(markedPixels(form->Lap4, TForm1::clGreen), 5);
    EXPECT_GT(markedPixels(form->Lap2, TForm1::clRed), 5);
}

TEST_F(DeviceWindow, ScratchFileIsLeftInPlace) {
    form->ReadDeviceInfo();
    EXPECT_EQ(TempDir::read(scratch.file("version.tmp")), device.device().informationReply());
}

TEST_F(DeviceWindow, UnreadableReplyReachesTheUserAndLeavesTheStep) {
    device.device().infoReply.omitMarker = true;
    form->GoBtnClick();  // step 1 -> 2
    // The press in step 2 runs the query; its error leaves the handler for the message box.
    form->GoBtn->click();
    ASSERT_EQ(errors, QStringList{"Read beyond end of file"});
    EXPECT_EQ(form->step(), StepConnect);
    EXPECT_FALSE(form->GoBtn->isEnabled());
    EXPECT_TRUE(form->Step2->isEnabled());
    EXPECT_FALSE(form->Step5->isEnabled());
    EXPECT_EQ(form->Comment->text(), text(TxtConnect));
    EXPECT_FALSE(device.isOpen());
    EXPECT_TRUE(form->isVisible());  // the program goes on
}

TEST_F(DeviceWindow, DeviceThatDoesNotOpenChangesOnlyTheClosingTexts) {
    device.openStatus = SiIoFailed;
    const QString lap2 = form->Lap2->text();
    form->ReadDeviceInfo();
    EXPECT_EQ(form->step(), StepStart);
    EXPECT_EQ(form->Lap2->text(), lap2);
    EXPECT_TRUE(form->Lap11->isHidden());
    EXPECT_EQ(form->Comment->text(), text(TxtReadyWarning));
    EXPECT_EQ(form->GoBtn->text(), "UPDATE");
    EXPECT_FALSE(std::filesystem::exists(scratch.file("version.tmp")));
}

TEST_F(DeviceWindow, OpenFailuresAreExplainedWithTheirFix) {
    const std::pair<SiStatus, TextId> cases[] = {{SiAccessDenied, TxtAccessDenied},
                                                 {SiDeviceBusy, TxtDeviceBusy},
                                                 {SiSeveralDevices, TxtSeveralDevices}};
    for (const auto& [status, explanation] : cases) {
        device.openStatus = status;
        form->DKBtnClick();
        form->ReadDeviceInfo();
        EXPECT_EQ(form->Comment->text(), text(explanation, LangDanish)) << statusName(status);
        EXPECT_EQ(form->GoBtn->text(), text(TxtUpdate, LangDanish)) << statusName(status);
        form->UKBtnClick();
        form->SendFirmware();
        EXPECT_EQ(form->Comment->text(), text(explanation)) << statusName(status);
    }
}

TEST_F(DeviceWindow, GermanQuerySetsNoClosingTexts) {
    form->GBtnClick();
    form->ReadDeviceInfo();
    EXPECT_EQ(form->step(), StepReady);
    EXPECT_EQ(form->Comment->text(), text(TxtIntro));
    EXPECT_EQ(form->GoBtn->text(), "Start");
}

TEST_F(DeviceWindow, TransferReportsSuccessOnlyWhenEverythingWasAcknowledged) {
    form->ReadDeviceInfo();
    form->SendFirmware();
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
    EXPECT_EQ(form->SW4->text(), "47138 Bytes");
    EXPECT_EQ(form->step(), StepUnplug);
    EXPECT_EQ(form->Comment->text(), text(TxtRemoveCable));
    EXPECT_EQ(form->GoBtn->text(), "Next step");
    EXPECT_FALSE(form->GoBtn->isEnabled());
    EXPECT_TRUE(form->Step7->isEnabled());
    EXPECT_FALSE(form->Step6->isEnabled());
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_FALSE(device.isOpen());
}

TEST_F(DeviceWindow, GivenUpTransferArmsUpdateAgain) {
    for (unsigned frame : {1u, 45u, 92u}) {
        device.unplug();  // a fresh start of the device: out of update mode
        device.plug();
        open();
        tick();
        form->GoBtnClick();
        form->GoBtnClick();  // query: step 6
        ASSERT_EQ(form->step(), StepUpdate);
        device.device().faults.silentFromFrame = frame;
        form->GoBtnClick();  // UPDATE
        EXPECT_EQ(form->step(), StepUpdate) << frame;
        EXPECT_EQ(form->Comment->text(), text(TxtTransferFailed)) << frame;
        EXPECT_EQ(form->GoBtn->text(), "UPDATE") << frame;
        EXPECT_TRUE(form->GoBtn->isEnabled()) << frame;
        EXPECT_TRUE(form->Timer1->isActive()) << frame;
        EXPECT_TRUE(form->Step5->isEnabled()) << frame;
        EXPECT_FALSE(form->Step6->isEnabled()) << frame;
        EXPECT_FALSE(form->Step7->isEnabled()) << frame;
        EXPECT_EQ(form->SW4->text(), "") << frame;
        EXPECT_FALSE(device.isOpen()) << frame;
        EXPECT_FALSE(device.flashEquals(embeddedImage())) << frame;
        device.device().faults.silentFromFrame = 0;
        // The next press starts again from the update command and block 1.
        form->GoBtnClick();
        EXPECT_EQ(form->step(), StepUnplug) << frame;
        EXPECT_TRUE(device.flashEquals(embeddedImage())) << frame;
    }
}

TEST_F(DeviceWindow, TransferThatCannotOpenChangesNothingButTheTimer) {
    form->GoBtnClick();
    form->GoBtnClick();  // the query: UPDATE armed
    ASSERT_EQ(form->step(), StepUpdate);
    device.openStatus = SiIoFailed;
    const QString comment = form->Comment->text();
    const QString sw4 = form->SW4->text();
    form->GoBtnClick();  // UPDATE
    EXPECT_EQ(form->step(), StepUpdate);
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->Comment->text(), comment);
    EXPECT_EQ(form->GoBtn->text(), "UPDATE");
    EXPECT_TRUE(form->GoBtn->isEnabled());
    EXPECT_TRUE(form->Step5->isEnabled());
    EXPECT_FALSE(form->Step6->isEnabled());
    EXPECT_EQ(form->SW4->text(), sw4);
    EXPECT_EQ(device.wireStats().bytesToDevice, 8u);  // only the query's command went out
    device.openStatus = SiSuccess;
    form->GoBtnClick();  // the next press runs the transfer from its start
    EXPECT_EQ(form->step(), StepUnplug);
}

TEST_F(DeviceWindow, LanguageSwitchDuringTheTransfer) {
    form->DKBtnClick();
    form->ReadDeviceInfo();
    device.onBlockFrame = [&](unsigned frame) {
        if (frame == 10) {
            EXPECT_EQ(form->Comment->text(), text(TxtTransmitting, LangDanish));
            form->UKBtnClick();
        }
        if (frame == 11) {
            EXPECT_EQ(form->Comment->text(), text(TxtIntro, LangEnglish));
        }
    };
    form->SendFirmware();
    EXPECT_EQ(form->Comment->text(), text(TxtRemoveCable, LangEnglish));
    EXPECT_EQ(form->GoBtn->text(), "Next step");
}
