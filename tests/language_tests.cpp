#include "corefixture.h"
#include "textcatalogue.h"

using namespace zelmark;

namespace {

// The standing captions that ApplyLanguage sets, in its order, and the big button's.
struct Standing {
    std::string title, lap1, orderBox, explanationBox, softwareBox, label4, lap12, comment;
    std::vector<std::string> steps;
    std::string goBtn;
    static Standing of(const WindowCore& core) {
        const WindowModel& m = core.model();
        auto caption = [&](Control id) { return m[id].caption; };
        return {m.caption,
                caption(Control::Lap1),
                caption(Control::OrderBox),
                caption(Control::ExplanationBox),
                caption(Control::SoftwareBox),
                caption(Control::Label4),
                caption(Control::Lap12),
                caption(Control::Comment),
                {caption(Control::Step1), caption(Control::Step2), caption(Control::Step5),
                 caption(Control::Step6), caption(Control::Step7), caption(Control::Step8)},
                caption(Control::GoBtn)};
    }
    bool operator==(const Standing&) const = default;
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(TextCatalogue, HoldsBothColumnsAndNoGerman) {
    for (int id = 0; id < TextCount; ++id) {
        EXPECT_NE(catalogueText(TextId(id), LangDanish), nullptr) << id;
        EXPECT_NE(catalogueText(TextId(id), LangEnglish), nullptr) << id;
        EXPECT_EQ(catalogueText(TextId(id), LangGerman), nullptr) << id;
    }
    EXPECT_TRUE(contains(text(TxtIntro, LangDanish), "på  Start"));
    EXPECT_TRUE(contains(text(TxtIntroAgain, LangDanish), "på Start"));
    EXPECT_FALSE(contains(text(TxtIntroAgain, LangDanish), "  "));
    EXPECT_EQ(text(TxtIntro, LangEnglish), text(TxtIntroAgain, LangEnglish));
    for (std::uint8_t language : {LangDanish, LangEnglish}) {
        const std::string wrongFirmware = text(TxtWrongFirmware, language);
        EXPECT_EQ(
            wrongFirmware.substr(wrongFirmware.size() - std::string(MakerWebAddress).size() - 1),
            std::string(" ") + MakerWebAddress);
    }
    EXPECT_EQ(text(TxtFinish, LangDanish), "F\u00C6RDIG");
    EXPECT_EQ(text(TxtSequence, LangDanish), "R\u00E6kkef\u00F8lge");
    EXPECT_EQ(text(TxtStep6, LangDanish), "Step 6: kontroll\u00E9r versionsnummeret");
}

TEST_F(CoreFixture, StartsInEnglishWithTheIntro) {
    open();
    const Standing s = Standing::of(*core);
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

TEST_F(CoreFixture, DanishFlagWithAndWithoutADevice) {
    open();
    core->DKBtnClick();
    EXPECT_EQ(core->model().caption, "TARVIK ZELMARK OPDATER");
    EXPECT_EQ(state(Control::Lap1).caption, "leder...");
    EXPECT_EQ(state(Control::Lap12).caption, "Serienummer:");
    EXPECT_EQ(state(Control::Comment).caption, text(TxtIntro, LangDanish));

    device.plug();
    tick();
    core->DKBtnClick();
    EXPECT_EQ(core->model().caption, "TARVIK ZELMARK OPDATER (fundet)");
    EXPECT_EQ(state(Control::Lap1).caption, "fundet");
    // Fixed captions read the same in both languages.
    EXPECT_EQ(state(Control::Lap10).caption, "Status:");
    EXPECT_EQ(state(Control::Label3).caption, "Main version:");
    EXPECT_EQ(state(Control::Lap13).caption, "Current version:");
}

// A switch shows the explanation of the step the wizard is in and the big button's caption in
// the new language (the intro and the old language's caption were a user's fault report).
TEST_F(CoreFixture, LanguageSwitchKeepsTheStepsExplanationAndButton) {
    open();
    EXPECT_EQ(state(Control::GoBtn).caption, "Start");
    core->DKBtnClick();
    EXPECT_EQ(state(Control::GoBtn).caption, "Start");  // the design's caption in every language
    core->UKBtnClick();
    core->GoBtnClick();  // step 1: "Next step"
    ASSERT_EQ(state(Control::Comment).caption, text(TxtTurnOn, LangEnglish));
    core->DKBtnClick();
    EXPECT_EQ(state(Control::GoBtn).caption, text(TxtNextStep, LangDanish));
    EXPECT_EQ(state(Control::Comment).caption, text(TxtTurnOn, LangDanish));
    EXPECT_EQ(state(Control::Step1).caption, text(TxtStep1, LangDanish));
    EXPECT_EQ(state(Control::OrderBox).caption, text(TxtSequence, LangDanish));
    EXPECT_TRUE(state(Control::Step1).enabled);
    core->GoBtnClick();  // texts set from now on are Danish
    EXPECT_EQ(state(Control::Comment).caption, text(TxtConnect, LangDanish));
}

TEST_F(CoreFixture, SameFlagTwiceIsLikeOnce) {
    open();
    core->GoBtnClick();
    core->DKBtnClick();
    const Standing once = Standing::of(*core);
    core->DKBtnClick();
    EXPECT_EQ(Standing::of(*core), once);
    core->UKBtnClick();
    core->UKBtnClick();
    EXPECT_EQ(state(Control::Comment).caption, text(TxtTurnOn, LangEnglish));
    EXPECT_EQ(core->language(), LangEnglish);
}

TEST_F(CoreFixture, GermanChangesNoTextButTheWizardGoesOn) {
    open();
    core->DKBtnClick();
    const Standing danish = Standing::of(*core);
    core->GBtnClick();
    EXPECT_EQ(core->language(), LangGerman);
    EXPECT_EQ(Standing::of(*core), danish);
    core->GoBtnClick();
    EXPECT_EQ(core->step(), StepPowerOn);
    EXPECT_TRUE(state(Control::Step1).enabled);
    EXPECT_EQ(state(Control::GoBtn).caption, "Start");
    EXPECT_EQ(state(Control::Comment).caption, text(TxtIntro, LangDanish));
    core->DKBtnClick();  // back to Danish: the step's own texts
    EXPECT_EQ(state(Control::Comment).caption, text(TxtTurnOn, LangDanish));
    EXPECT_EQ(state(Control::GoBtn).caption, text(TxtNextStep, LangDanish));
}
