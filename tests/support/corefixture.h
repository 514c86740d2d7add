#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tempdir.h"
#include "textcatalogue.h"
#include "virtualzelmark.h"
#include "windowcore.h"
#include "wizardsteps.h"

// The window core on a virtual Zelmark and the virtual clock, with no toolkit at all. The cable
// starts out of the device; the scratch file goes to a fresh directory; escaped errors are
// collected; actions queued in atNextPump run at the core's next message pump, as a click or a
// tick that arrives during an exchange would.
class CoreFixture : public ::testing::Test {
protected:
    zelmark::VirtualClock clock;
    zelmark::VirtualZelmark device{clock};
    TempDir scratch;
    std::vector<std::string> errors;
    std::vector<std::function<void()>> atNextPump;
    std::unique_ptr<zelmark::WindowCore> core;

    void SetUp() override { device.unplug(); }

    void open(zelmark::ImageBytes image = zelmark::embeddedImage()) {
        core = std::make_unique<zelmark::WindowCore>(
            device, clock, image,
            zelmark::WindowCore::Hooks{
                [this] { pump(); },
                [this](const std::string& message) { errors.push_back(message); }});
        core->setScratchFilePath(scratch.file("version.tmp").string());
        core->shown();
    }
    void tick() { core->tick(); }
    void pump() {
        std::vector<std::function<void()>> actions;
        actions.swap(atNextPump);
        for (const auto& action : actions) {
            action();
        }
    }

    const zelmark::ControlState& state(zelmark::Control id) const { return core->model()[id]; }
    std::optional<zelmark::Rgb> colour(zelmark::Control id) const { return state(id).fontColour; }
    bool closed() const { return core->model().closeRequested; }
};

inline std::string text(zelmark::TextId id, std::uint8_t language = zelmark::LangEnglish) {
    return zelmark::catalogueText(id, language);
}
