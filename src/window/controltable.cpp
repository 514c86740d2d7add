#include "controls.h"

namespace zelmark {

namespace {

using enum Control;
using K = ControlKind;
constexpr Alignment L = Alignment::Left;
constexpr Alignment R = Alignment::Right;

constexpr ControlDesign group(Control id, const char* name, int left, int top, int width,
                              int height, int tabOrder, const char* caption = "") {
    return {id,    name, K::GroupBox, std::nullopt, left,     top,     width, height, 11,
            false, L,    false,       false,        tabOrder, caption, true,  true,   Flag::None};
}

// A step label: 16 pixels, sizes itself to its caption, greyed until the wizard lights it.
constexpr ControlDesign stepLabel(Control id, const char* name, int top) {
    return {id,    name, K::Label, OrderBox, 16, top, 200,   20,   16,
            false, L,    true,     false,    -1, "",  false, true, Flag::None};
}

// A caption label of the two boxes: sizes itself to its caption.
constexpr ControlDesign captionLabel(Control id, const char* name, Control box, int top, int width,
                                     const char* caption, bool visible = true) {
    return {id,    name, K::Label, box,   10, top,     width, 13,      11,
            false, L,    true,     false, -1, caption, true,  visible, Flag::None};
}

// A value label: right-aligned, fixed size, ending 168 pixels from its box's left edge.
constexpr ControlDesign valueLabel(Control id, const char* name, Control box, int left, int top) {
    return {id,    name, K::Label, box,   left, top, 168 - left, 13,   11,
            false, R,    false,    false, -1,   "",  true,       true, Flag::None};
}

constexpr ControlDesign flagButton(Control id, const char* name, int top, int tabOrder, Flag flag,
                                   bool enabled = true) {
    return {id,    name, K::FlagButton, std::nullopt, 352,      top, 41,      25,   11,
            false, L,    false,         false,        tabOrder, "",  enabled, true, flag};
}

constexpr std::array<ControlDesign, ControlCount> Table = {{
    group(OrderBox, "OrderBox", 16, 16, 377, 161, 0),
    {GoBtn, "GoBtn", K::Button, std::nullopt, 16, 416, 313, 89, 32, true, L, false, false, 1,
     "Start", false, true, Flag::None},
    stepLabel(Step1, "Step1", 16),
    stepLabel(Step2, "Step2", 40),
    stepLabel(Step5, "Step5", 64),
    stepLabel(Step6, "Step6", 88),
    group(ExplanationBox, "ExplanationBox", 16, 192, 377, 97, 2),
    {Comment, "Comment", K::Label, ExplanationBox, 16, 16, 345, 73, 11, false, L, false, true, -1,
     "", true, true, Flag::None},
    stepLabel(Step7, "Step7", 112),
    stepLabel(Step8, "Step8", 136),
    group(GroupBox3, "GroupBox3", 16, 304, 180, 97, 3, "Zelmark"),
    group(SoftwareBox, "SoftwareBox", 213, 304, 180, 97, 4),
    valueLabel(SW1, "SW1", SoftwareBox, 98, 16),
    valueLabel(SW2, "SW2", SoftwareBox, 98, 32),
    valueLabel(SW3, "SW3", SoftwareBox, 48, 64),
    valueLabel(Lap1, "Lap1", GroupBox3, 98, 16),
    valueLabel(Lap2, "Lap2", GroupBox3, 72, 32),
    valueLabel(SW4, "SW4", SoftwareBox, 98, 80),
    valueLabel(Lap3, "Lap3", GroupBox3, 98, 48),
    valueLabel(Lap4, "Lap4", GroupBox3, 98, 64),
    captionLabel(Label1, "Label1", SoftwareBox, 64, 34, "Target:"),
    captionLabel(Label2, "Label2", SoftwareBox, 16, 32, "Model:"),
    captionLabel(Label3, "Label3", SoftwareBox, 32, 63, "Main version:"),
    captionLabel(Label4, "Label4", SoftwareBox, 80, 31, "Sent:"),
    valueLabel(Lap6, "Lap6", GroupBox3, 98, 80),
    flagButton(UKBtn, "UKBtn", 416, 5, Flag::UnitedKingdom),
    flagButton(DKBtn, "DKBtn", 448, 6, Flag::Denmark),
    flagButton(GBtn, "GBtn", 480, 7, Flag::Germany, false),  // no German texts: never enabled
    captionLabel(Label6, "Label6", SoftwareBox, 48, 68, "Main firmware:"),
    valueLabel(SW6, "SW6", SoftwareBox, 98, 48),
    captionLabel(Lap10, "Lap10", GroupBox3, 16, 33, "Status:"),
    captionLabel(Lap11, "Lap11", GroupBox3, 32, 32, "Model:", false),
    captionLabel(Lap12, "Lap12", GroupBox3, 48, 67, "Serial number:", false),
    captionLabel(Lap13, "Lap13", GroupBox3, 64, 74, "Current version:", false),
    captionLabel(Lap15, "Lap15", GroupBox3, 80, 76, "Current updater:", false),
}};

constexpr bool inDeclarationOrder() {
    for (std::size_t i = 0; i < Table.size(); ++i) {
        if (static_cast<std::size_t>(Table[i].id) != i) {
            return false;
        }
    }
    return true;
}
static_assert(inDeclarationOrder(), "the table is indexed by Control");

}  // namespace

const std::array<ControlDesign, ControlCount>& controlTable() {
    return Table;
}

const ControlDesign& design(Control id) {
    return Table[static_cast<std::size_t>(id)];
}

}  // namespace zelmark
