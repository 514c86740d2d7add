#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// The window's controls as the design lays them out: every window (Qt on Linux, Win32 on
// Windows) builds itself from this table, and the window core keeps the state of each control by
// the same names.
namespace zelmark {

// In the order the window declares them; Timer1 is not a control that is drawn.
enum class Control : std::uint8_t {
    OrderBox,
    GoBtn,
    Step1,
    Step2,
    Step5,
    Step6,
    ExplanationBox,
    Comment,
    Step7,
    Step8,
    GroupBox3,
    SoftwareBox,
    SW1,
    SW2,
    SW3,
    Lap1,
    Lap2,
    SW4,
    Lap3,
    Lap4,
    Label1,
    Label2,
    Label3,
    Label4,
    Lap6,
    UKBtn,
    DKBtn,
    GBtn,
    Label6,
    SW6,
    Lap10,
    Lap11,
    Lap12,
    Lap13,
    Lap15,
};
inline constexpr std::size_t ControlCount = 35;

enum class ControlKind : std::uint8_t { GroupBox, Button, FlagButton, Label };
enum class Alignment : std::uint8_t { Left, Right };
enum class Flag : std::uint8_t { None, UnitedKingdom, Denmark, Germany };

struct ControlDesign {
    Control id;
    const char* name;
    ControlKind kind;
    std::optional<Control> parent;  // none: a direct child of the window
    int left, top, width, height;   // pixels at 96 dpi, inside the parent's client area
    int fontPixels;                 // character height
    bool bold;
    Alignment alignment;
    bool autoSize;  // sizes itself to its caption
    bool wordWrap;
    int tabOrder;  // among the window's direct children; -1 for none
    const char* caption;
    bool enabled;
    bool visible;
    Flag flag;  // the picture of a flag button
};

// The window itself.
inline constexpr int ClientWidth = 411;
inline constexpr int ClientHeight = 515;
inline constexpr int WindowFontPixels = 11;
inline constexpr const char* DesignFontFamily = "MS Sans Serif";
inline constexpr int DesignDpi = 96;
inline constexpr std::uint32_t PresenceIntervalMs = 1000;  // Timer1

const std::array<ControlDesign, ControlCount>& controlTable();
const ControlDesign& design(Control id);

}  // namespace zelmark
