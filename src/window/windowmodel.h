#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "controls.h"

// What the window shows, decided by the window core and drawn by a toolkit: each control's
// caption, state and font colour, the window's caption, the timer, the focus and a request to
// close. Texts are UTF-8.
namespace zelmark {

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The platform's marking colours.
inline constexpr Rgb clGreen{0, 128, 0};
inline constexpr Rgb clRed{255, 0, 0};

struct ControlState {
    std::string caption;
    bool enabled = true;
    bool visible = true;
    std::optional<Rgb> fontColour;  // none: the system's window-text colour
};

struct WindowModel {
    WindowModel();

    ControlState& operator[](Control id) { return controls[static_cast<std::size_t>(id)]; }
    const ControlState& operator[](Control id) const {
        return controls[static_cast<std::size_t>(id)];
    }

    std::array<ControlState, ControlCount> controls;
    std::string caption;  // the window's caption
    bool timerRunning = false;
    // The control that should have the keyboard focus. focusRequests counts the requests, so a
    // window can tell a new one from the one it already followed.
    std::optional<Control> focus;
    unsigned focusRequests = 0;
    bool closeRequested = false;
};

}  // namespace zelmark
