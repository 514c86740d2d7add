#pragma once

#include "controls.h"

// The dialog control id of each control of the Win32 window: the design's order from 100 on.
// Programs that drive the window through its messages (the tests) find the controls by them.
namespace zelmark::win32 {

inline constexpr int FirstControlId = 100;
inline constexpr const wchar_t* WindowClassName = L"TForm1";

constexpr int controlId(Control control) {
    return FirstControlId + static_cast<int>(control);
}

}  // namespace zelmark::win32
