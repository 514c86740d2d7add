#include <sys/wait.h>
#include <unistd.h>
#include <QFontMetrics>

#include <QTest>
#include <cstdio>

#include "scratchfile.h"
#include "singleinstance.h"
#include "testimages.h"
#include "textcatalogue.h"
#include "windowfixture.h"

using namespace zelmark;

namespace {

// How many pixels of the label, as drawn, are clearly of the given marking colour.
int markedPixels(QLabel* label, Rgb colour) {
    const QImage image = label->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const bool green = c.green() > c.red() + 40 && c.green() > c.blue() + 40;
            const bool red = c.red() > c.green() + 80 && c.red() > c.blue() + 80;
            count += colour == clGreen ? green : red;
        }
    }
    return count;
}

}  // namespace

TEST_F(WindowFixture, GeometryAndFrameAreFixed) {
    open();
    EXPECT_EQ(form->size(), QSize(411, 515));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    form->resize(600, 700);
    EXPECT_EQ(form->size(), QSize(411, 515));
    EXPECT_EQ(form->windowIcon().pixmap(QSize(23, 28)).size(), QSize(23, 28));
}

TEST_F(WindowFixture, ControlsStandWhereTheDesignPutsThem) {
    open();
    struct Placement {
        const char* name;
        QRect geometry;
    };
    const Placement placements[] = {
        {"OrderBox", {16, 16, 377, 161}},
        {"GoBtn", {16, 416, 313, 89}},
        {"ExplanationBox", {16, 192, 377, 97}},
        {"GroupBox3", {16, 304, 180, 97}},
        {"SoftwareBox", {213, 304, 180, 97}},
        {"UKBtn", {352, 416, 41, 25}},
        {"DKBtn", {352, 448, 41, 25}},
        {"GBtn", {352, 480, 41, 25}},
        {"Comment", {16, 16, 345, 73}},
        {"Lap1", {98, 16, 70, 13}},
        {"Lap2", {72, 32, 96, 13}},
        {"Lap3", {98, 48, 70, 13}},
        {"Lap4", {98, 64, 70, 13}},
        {"Lap6", {98, 80, 70, 13}},
        {"SW1", {98, 16, 70, 13}},
        {"SW2", {98, 32, 70, 13}},
        {"SW6", {98, 48, 70, 13}},
        {"SW3", {48, 64, 120, 13}},
        {"SW4", {98, 80, 70, 13}},
    };
    for (const Placement& p : placements) {
        const QWidget* control = form->findChild<QWidget*>(p.name);
        ASSERT_NE(control, nullptr) << p.name;
        EXPECT_EQ(control->geometry(), p.geometry) << p.name;
    }
    const std::pair<const char*, int> stepRows[] = {{"Step1", 16}, {"Step2", 40},  {"Step5", 64},
                                                    {"Step6", 88}, {"Step7", 112}, {"Step8", 136}};
    for (const auto& [name, top] : stepRows) {
        const auto* label = form->findChild<QLabel*>(name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(label->parentWidget(), form->OrderBox) << name;
        EXPECT_EQ(label->pos(), QPoint(16, top)) << name;
        EXPECT_EQ(label->font().pixelSize(), 16) << name;
        EXPECT_FALSE(label->isEnabled()) << name;
    }
    EXPECT_EQ(form->GoBtn->font().pixelSize(), 32);
    EXPECT_TRUE(form->GoBtn->font().bold());
    EXPECT_TRUE(form->GoBtn->isDefault());
    EXPECT_EQ(form->Comment->font().pixelSize(), 11);
    EXPECT_TRUE(form->Comment->wordWrap());
    for (QLabel* value : {form->Lap1, form->Lap2, form->SW1, form->SW4}) {
        EXPECT_TRUE(value->alignment() & Qt::AlignRight) << value->objectName().toStdString();
    }
    for (QLabel* hidden : {form->Lap11, form->Lap12, form->Lap13, form->Lap15}) {
        EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
    }
    EXPECT_EQ(form->GroupBox3->title(), "Zelmark");
    EXPECT_FALSE(form->GBtn->isEnabled());
    EXPECT_EQ(form->Timer1->interval(), 1000);
}

TEST_F(WindowFixture, TabOrderFollowsTheDesign) {
    open();
    QStringList order;
    QWidget* w = form->GoBtn;
    for (int i = 0; i < 3; ++i) {
        w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus)) {
            w = w->nextInFocusChain();
        }
        order << w->objectName();
    }
    EXPECT_EQ(order, QStringList({"UKBtn", "DKBtn", "GBtn"}));
}

// The model reaches the widgets: captions, states, the title and the timer.
TEST_F(WindowFixture, TheWindowShowsTheCoresModel) {
    form = std::make_unique<TForm1>(device, clock);
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_FALSE(form->GoBtn->isEnabled());
    form->Timer1->installEventFilter(&noRealTicks);
    form->show();
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_TRUE(form->GoBtn->isEnabled());
    EXPECT_EQ(form->windowTitle(), "TARVIK ZELMARK UPDATER");
    EXPECT_EQ(form->SW1->text(), "Zelmark");
    EXPECT_EQ(form->SW6->text(), "-----");
    form->click(Control::DKBtn);
    EXPECT_EQ(form->Lap1->text(), QString::fromUtf8(catalogueText(TxtStatusLooking, LangDanish)));
    EXPECT_TRUE(form->Lap11->isHidden());
}

// GoBtn is the default button: when it is enabled again after an exchange, it has the keyboard
// focus, so Enter presses it and not a flag.
TEST_F(WindowFixture, FocusReturnsToTheBigButton) {
    device.plug();
    open();
    tick();
    form->click(Control::GoBtn);
    form->click(Control::GoBtn);  // the query: UPDATE armed
    form->click(Control::GoBtn);  // the transfer: the button stays disabled until the cable is out
    ASSERT_EQ(form->core().step(), StepUnplug);
    EXPECT_NE(form->focusWidget(), form->GoBtn);
    device.unplug();
    tick();
    EXPECT_EQ(form->focusWidget(), form->GoBtn);
    QTest::keyClick(form.get(), Qt::Key_Return);
    EXPECT_EQ(form->core().step(), StepFinish);
}

TEST_F(WindowFixture, EnterPressesTheBigButton) {
    open();
    QTest::keyClick(form.get(), Qt::Key_Return);
    EXPECT_EQ(form->core().step(), StepPowerOn);
}

TEST_F(WindowFixture, MarkingColoursShowOnScreen) {
    device.plug();
    device.device().identity = {3099, 4660, 104, 1, 100};
    open();
    tick();
    form->click(Control::GoBtn);
    form->click(Control::GoBtn);  // the query
    EXPECT_GT(markedPixels(form->Lap4, clGreen), 5);
    EXPECT_GT(markedPixels(form->Lap2, clRed), 5);
}

// Every caption of both languages fits its control with the window's font.
TEST_F(WindowFixture, EveryTextFitsItsControl) {
    open();
    std::vector<std::string> misfits;
    auto width = [](const QWidget* w, const QString& text) {
        return QFontMetrics(w->font()).horizontalAdvance(text);
    };
    auto check = [&](bool fits, const QString& what) {
        if (!fits)
            misfits.push_back(what.toStdString());
    };
    for (std::uint8_t language : {LangDanish, LangEnglish}) {
        auto text = [&](TextId id) { return QString::fromUtf8(catalogueText(id, language)); };
        const std::pair<QLabel*, TextId> steps[] = {
            {form->Step1, TxtStep1}, {form->Step2, TxtStep2}, {form->Step5, TxtStep3},
            {form->Step6, TxtStep4}, {form->Step7, TxtStep5}, {form->Step8, TxtStep6}};
        for (const auto& [label, id] : steps) {
            check(label->x() + width(label, text(id)) <= form->OrderBox->width() - 4, text(id));
        }
        for (TextId id : {TxtIntro, TxtIntroAgain, TxtTurnOn, TxtConnect, TxtReadyWarning,
                          TxtTransmitting, TxtRemoveCable, TxtVerifyVersion, TxtWrongFirmware,
                          TxtWrongSubmodel, TxtWrongModel, TxtUnplugFirst, TxtTransferFailed,
                          TxtAccessDenied, TxtDeviceBusy, TxtSeveralDevices}) {
            const QRect needed = QFontMetrics(form->Comment->font())
                                     .boundingRect(QRect(0, 0, form->Comment->width(), 1000),
                                                   Qt::TextWordWrap, text(id));
            check(needed.height() <= form->Comment->height(), text(id));
        }
        for (TextId id : {TxtNextStep, TxtUpdate, TxtFinish}) {
            check(width(form->GoBtn, text(id)) <= form->GoBtn->width() - 16, text(id));
        }
        for (TextId id : {TxtStatusLooking, TxtStatusFound}) {
            check(width(form->Lap1, text(id)) <= form->Lap1->width(), text(id));
        }
        for (TextId id : {TxtSequence, TxtExplanation, TxtNewSoftware}) {
            check(width(form->SoftwareBox, text(id)) <= form->SoftwareBox->width() - 16, text(id));
        }
        // Caption labels end before the values beside them begin.
        check(10 + width(form->Label4, text(TxtSent)) < form->SW4->x(), text(TxtSent));
        check(10 + width(form->Lap12, text(TxtSerialNumber)) < form->Lap3->x(),
              text(TxtSerialNumber));
    }
    for (const char* fixed :
         {"Status:", "Current version:", "Current updater:", "Main version:", "Main firmware:"}) {
        check(10 + width(form->Lap13, fixed) < 98, fixed);
    }
    check(width(form->Lap2, "Zelmark") <= form->Lap2->width(), "Zelmark");
    for (const char* value : {"Corrupt", "655.35", "65535", "47138 Bytes", "-----"}) {
        check(width(form->Lap4, value) <= form->Lap4->width(), value);
    }
    check(width(form->SW3, "Zelmark + Firmware") <= form->SW3->width(), "Zelmark + Firmware");
    EXPECT_TRUE(misfits.empty()) << "font " << TForm1::fontFamily().toStdString() << ": "
                                 << ::testing::PrintToString(misfits);
}

TEST(ScratchFile, StaysInTheCurrentDirectoryWhenItCanBeWritten) {
    TempDir dir;
    EXPECT_EQ(scratchFilePath(QString::fromStdString(dir.path().string())), "version.tmp");
}

// A directory this user may not write: the root directory, seen by a user who is not root.
TEST(ScratchFile, FallsBackToAWritableDirectory) {
    int toParent[2];
    ASSERT_EQ(::pipe(toParent), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(100);
        }
        const QByteArray path = scratchFilePath(QStringLiteral("/")).toLocal8Bit();
        [[maybe_unused]] auto n =
            ::write(toParent[1], path.constData(), static_cast<std::size_t>(path.size()));
        FILE* file = std::fopen(path.constData(), "wb");
        ::_exit(file ? 0 : 1);
    }
    ::close(toParent[1]);
    char buffer[512] = {};
    [[maybe_unused]] auto n = ::read(toParent[0], buffer, sizeof buffer - 1);
    ::close(toParent[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (WEXITSTATUS(status) == 100) {
        GTEST_SKIP() << "needs root to take another user's view";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << buffer;  // the child could create its scratch file there
    EXPECT_TRUE(QString(buffer).endsWith("/version.tmp")) << buffer;
    EXPECT_NE(QString(buffer), "/version.tmp");
}

// A second start of the program asks the first to come to the front, and knows to exit.
TEST(SingleInstance, SecondStartActivatesTheFirst) {
    const QString key = QStringLiteral("zelmark-test-%1").arg(::getpid());
    SingleInstance first(key);
    ASSERT_FALSE(first.alreadyRunning());
    bool activated = false;
    first.onActivationRequest([&] { activated = true; });
    SingleInstance second(key);
    EXPECT_TRUE(second.alreadyRunning());
    for (int round = 0; round < 200 && !activated; ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_TRUE(activated);
}

// A close during the transfer: the window stays until the transfer has ended, then closes.
TEST_F(WindowFixture, CloseDuringTheTransferKeepsTheWindowUntilItsEnd) {
    device.plug();
    open();
    tick();
    form->click(Control::GoBtn);
    form->click(Control::GoBtn);  // UPDATE armed
    bool visibleLater = false;
    device.onBlockFrame = [&](unsigned frame) {
        if (frame == 20) {
            form->close();
        }
        if (frame == 60) {
            visibleLater = form->isVisible();
        }
    };
    form->click(Control::GoBtn);
    EXPECT_TRUE(visibleLater);
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
}
