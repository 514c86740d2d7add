#pragma once

#include <gtest/gtest.h>

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <memory>

#include "tempdir.h"
#include "tform1.h"
#include "updaterapplication.h"
#include "virtualzelmark.h"
#include "wizardsteps.h"

// Swallows the timer's own ticks: the tests tick the presence monitor themselves, on the virtual
// clock, however long a run takes in real time.
class NoRealTicks : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Timer; }
};

// The Qt window on a virtual Zelmark and the virtual clock. The cable starts out of the device; the
// scratch file goes to a fresh directory; escaped errors are collected, not shown.
class WindowFixture : public ::testing::Test {
protected:
    zelmark::VirtualClock clock;
    zelmark::VirtualZelmark device{clock};
    TempDir scratch;
    QStringList errors;
    std::unique_ptr<TForm1> form;
    NoRealTicks noRealTicks;

    void SetUp() override {
        device.unplug();
        UpdaterApplication::setErrorReporter([this](const QString& message) { errors << message; });
    }
    void TearDown() override { UpdaterApplication::setErrorReporter(nullptr); }

    void open(zelmark::ImageBytes image = zelmark::embeddedImage()) {
        form = std::make_unique<TForm1>(device, clock, image);
        form->Timer1->installEventFilter(&noRealTicks);
        form->core().setScratchFilePath(scratch.file("version.tmp").string());
        form->show();
    }
    void tick() { form->tick(); }

    static QColor colour(const QLabel* label) {
        return label->palette().color(QPalette::WindowText);
    }
    QColor defaultColour() const { return form->palette().color(QPalette::WindowText); }
};
