#include "textcatalogue.h"
#include "windowfixture.h"

using namespace zelmark;

namespace {

QString text(TextId id, std::uint8_t language) {
    return QString::fromUtf8(catalogueText(id, language));
}

// The standing captions that ApplyLanguage sets, in its order.
struct Standing {
    QString title, lap1, orderBox, explanationBox, softwareBox, label4, lap12, comment;
    QStringList steps;
    static Standing of(const TForm1& f) {
        return {f.windowTitle(),
                f.Lap1->text(),
                f.OrderBox->title(),
                f.ExplanationBox->title(),
                f.SoftwareBox->title(),
                f.Label4->text(),
                f.Lap12->text(),
                f.Comment->text(),
                {f.Step1->text(), f.Step2->text(), f.Step5->text(), f.Step6->text(),
                 f.Step7->text(), f.Step8->text()}};
    }
    bool operator==(const Standing&) const = default;
};

}  // namespace

TEST(TextCatalogue, HoldsBothColumnsAndNoGerman) {
    for (int id = 0; id < TextCount; ++id) {
        EXPECT_NE(catalogueText(TextId(id), LangDanish), nullptr) << id;
        EXPECT_NE(catalogueText(TextId(id), LangEnglish), nullptr) << id;
        EXPECT_EQ(catalogueText(TextId(id), LangGerman), nullptr) << id;
    }
    EXPECT_TRUE(text(TxtIntro, LangDanish).contains(QString::fromUtf8("på  Start")));
    EXPECT_TRUE(text(TxtIntroAgain, LangDanish).contains(QString::fromUtf8("på Start")));
    EXPECT_FALSE(text(TxtIntroAgain, LangDanish).contains("  "));
    EXPECT_EQ(text(TxtIntro, LangEnglish), text(TxtIntroAgain, LangEnglish));
    for (std::uint8_t language : {LangDanish, LangEnglish}) {
        EXPECT_TRUE(text(TxtWrongFirmware, language).endsWith(QString(" ") + MakerWebAddress));
    }
    EXPECT_EQ(text(TxtFinish, LangDanish), QString::fromUtf8("F\u00C6RDIG"));
    EXPECT_EQ(text(TxtSequence, LangDanish), QString::fromUtf8("R\u00E6kkef\u00F8lge"));
    EXPECT_EQ(text(TxtStep6, LangDanish),
              QString::fromUtf8("Step 6: kontroll\u00E9r versionsnummeret"));
}

TEST_F(WindowFixture, StartsInEnglishWithTheIntro) {
    open();
    const Standing s = Standing::of(*form);
    EXPECT_EQ(s.title, "TARVIK ZELMARK UPDATER");
    EXPECT_EQ(s.lap1, "looking...");
    EXPECT_EQ(s.orderBox, "Sequence");
    EXPECT_EQ(s.explanationBox, "Explanation");
    EXPECT_EQ(s.softwareBox, "New Software");
    EXPECT_EQ(s.label4, "Sent:");
    EXPECT_EQ(s.lap12, "Serial number:");
    EXPECT_EQ(s.comment, text(TxtIntro, LangEnglish));
    EXPECT_EQ(s.steps.at(3), "Step 4: wait for the green light (48 seconds)");
}

TEST_F(WindowFixture, DanishFlagWithAndWithoutADevice) {
    open();
    form->DKBtnClick();
    EXPECT_EQ(form->windowTitle(), "TARVIK ZELMARK OPDATER");
    EXPECT_EQ(form->Lap1->text(), "leder...");
    EXPECT_EQ(form->Lap12->text(), "Serienummer:");
    EXPECT_EQ(form->Comment->text(), text(TxtIntro, LangDanish));

    device.plug();
    tick();
    form->DKBtnClick();
    EXPECT_EQ(form->windowTitle(), "TARVIK ZELMARK OPDATER (fundet)");
    EXPECT_EQ(form->Lap1->text(), "fundet");
    // Fixed captions read the same in both languages.
    EXPECT_EQ(form->Lap10->text(), "Status:");
    EXPECT_EQ(form->Label3->text(), "Main version:");
    EXPECT_EQ(form->Lap13->text(), "Current version:");
}

TEST_F(WindowFixture, DanishMidWizardKeepsTheButtonCaption) {
    open();
    form->GoBtnClick();  // step 1: "Next step"
    ASSERT_EQ(form->Comment->text(), text(TxtTurnOn, LangEnglish));
    form->DKBtnClick();
    EXPECT_EQ(form->GoBtn->text(), "Next step");
    EXPECT_EQ(form->Comment->text(), text(TxtIntro, LangDanish));
    EXPECT_EQ(form->Step1->text(), text(TxtStep1, LangDanish));
    EXPECT_EQ(form->OrderBox->title(), text(TxtSequence, LangDanish));
    EXPECT_TRUE(form->Step1->isEnabled());
    form->GoBtnClick();  // texts set from now on are Danish
    EXPECT_EQ(form->Comment->text(), text(TxtConnect, LangDanish));
}

TEST_F(WindowFixture, SameFlagTwiceIsLikeOnce) {
    open();
    form->GoBtnClick();
    form->DKBtnClick();
    const Standing once = Standing::of(*form);
    form->GoBtnClick();  // Comment now shows the connect text
    form->DKBtnClick();
    EXPECT_EQ(Standing::of(*form), once);  // the intro again, nothing else changed
    form->UKBtnClick();
    form->UKBtnClick();
    EXPECT_EQ(form->Comment->text(), text(TxtIntro, LangEnglish));
    EXPECT_EQ(form->language(), LangEnglish);
}

TEST_F(WindowFixture, GermanChangesNoTextButTheWizardGoesOn) {
    open();
    form->DKBtnClick();
    const Standing danish = Standing::of(*form);
    form->GBtnClick();
    EXPECT_EQ(form->language(), LangGerman);
    EXPECT_EQ(Standing::of(*form), danish);
    form->GoBtnClick();
    EXPECT_EQ(form->step(), StepPowerOn);
    EXPECT_TRUE(form->Step1->isEnabled());
    EXPECT_EQ(form->GoBtn->text(), "Start");
    EXPECT_EQ(form->Comment->text(), text(TxtIntro, LangDanish));
}
