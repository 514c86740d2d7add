#include "updaterwindow.h"

#include <uxtheme.h>
#include <vsstyle.h>

#include <algorithm>
#include <stdexcept>

#include "artwork.h"
#include "controlids.h"
#include "designfont.h"
#include "dpi.h"
#include "errorcaption.h"
#include "gdipictures.h"
#include "widetext.h"

namespace zelmark::win32 {

namespace {

constexpr UINT_PTR Timer1Id = 1;
// A fixed dialog frame: a caption with a close box, no minimise or maximise box, no sizing
// border. No WS_CLIPCHILDREN: the group boxes are children too, and they leave their inside to
// the window's background.
constexpr DWORD WindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD WindowExStyle = WS_EX_CONTROLPARENT;

// The design's position of a control in the window's client area: controls inside a group box
// are the window's children too (a group box passes neither clicks nor colour requests on), at
// the box's offset.
POINT designOrigin(const ControlDesign& d) {
    POINT origin{d.left, d.top};
    if (d.parent) {
        const ControlDesign& box = design(*d.parent);
        origin.x += box.left;
        origin.y += box.top;
    }
    return origin;
}

DWORD controlStyle(const ControlDesign& d) {
    DWORD style = WS_CHILD | WS_VISIBLE;
    switch (d.kind) {
        case ControlKind::GroupBox:
            return style | BS_GROUPBOX;
        case ControlKind::Button:
            return style | WS_TABSTOP | (d.id == Control::GoBtn ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        case ControlKind::FlagButton:
            // Drawn here: the flag keeps its colours and transparency, and a disabled flag is
            // greyed rather than embossed in one colour.
            return style | WS_TABSTOP | BS_OWNERDRAW;
        case ControlKind::Label:
            style |= SS_NOPREFIX;
            if (d.alignment == Alignment::Right) {
                return style | SS_RIGHT;
            }
            return style | (d.wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP);
    }
    return style;
}

}  // namespace

UpdaterWindow::UpdaterWindow(UsbXpress& usb, Clock& clock, HINSTANCE instance, ImageBytes image)
    : instance_(instance),
      core_(usb, clock, image,
            WindowCore::Hooks{[this] { pumpMessages(); },
                              [this](const std::string& message) { reportError(message); }}) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &UpdaterWindow::windowProc;
    windowClass.hInstance = instance_;
    windowClass.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = WindowClassName;
    if (!RegisterClassExW(&windowClass)) {
        throw std::runtime_error("the window class could not be registered");
    }
    window_ = CreateWindowExW(WindowExStyle, WindowClassName, L"", WindowStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, ClientWidth, ClientHeight, nullptr, nullptr, instance_,
                              this);
    if (!window_) {
        throw std::runtime_error("the window could not be created");
    }
    dpi_ = windowDpi(window_);
    createControls();
    layout();
    const SIZE frame = frameSize(scaled(ClientWidth, dpi_), scaled(ClientHeight, dpi_), WindowStyle,
                                 WindowExStyle, dpi_);
    SetWindowPos(window_, nullptr, 0, 0, frame.cx, frame.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    render();
}

UpdaterWindow::~UpdaterWindow() {
    if (window_) {
        DestroyWindow(window_);
    }
    releaseFonts();
    for (const FlagBitmap& flag : flagBitmaps_) {
        DeleteObject(flag.normal);
        DeleteObject(flag.disabled);
    }
    DestroyIcon(bigIcon_);
    DestroyIcon(smallIcon_);
    UnregisterClassW(WindowClassName, instance_);
}

// Every control from the design's table, in its order; the buttons' tab order is their order
// in the window's z-order, which follows their tab order in the table.
void UpdaterWindow::createControls() {
    for (const ControlDesign& d : controlTable()) {
        const bool isButton = d.kind != ControlKind::Label;
        HWND hwnd = CreateWindowExW(
            0, isButton ? L"BUTTON" : L"STATIC", toWide(d.caption).c_str(), controlStyle(d), 0, 0,
            0, 0, window_, reinterpret_cast<HMENU>(INT_PTR{controlId(d.id)}), instance_, nullptr);
        if (!hwnd) {
            throw std::runtime_error(std::string("the control ") + d.name +
                                     " could not be created");
        }
        controls_[static_cast<std::size_t>(d.id)] = hwnd;
    }
    std::vector<const ControlDesign*> tabbed;
    for (const ControlDesign& d : controlTable()) {
        if (d.kind != ControlKind::GroupBox && d.tabOrder >= 0) {
            tabbed.push_back(&d);
        }
    }
    std::sort(tabbed.begin(), tabbed.end(), [](const ControlDesign* a, const ControlDesign* b) {
        return a->tabOrder < b->tabOrder;
    });
    for (std::size_t i = 1; i < tabbed.size(); ++i) {
        SetWindowPos(control(tabbed[i]->id), control(tabbed[i - 1]->id), 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

HFONT UpdaterWindow::font(int pixels, bool bold) {
    for (const Font& f : fonts_) {
        if (f.pixels == pixels && f.bold == bold) {
            return f.handle;
        }
    }
    HFONT handle = createDesignFont(scaled(pixels, dpi_), bold);
    fonts_.push_back({pixels, bold, handle});
    return handle;
}

void UpdaterWindow::releaseFonts() {
    for (const Font& f : fonts_) {
        DeleteObject(f.handle);
    }
    fonts_.clear();
}

// Fonts, flags, icons and positions for the window's DPI: at creation and when the window moves
// to a monitor of another DPI.
void UpdaterWindow::layout() {
    std::vector<Font> oldFonts;
    oldFonts.swap(fonts_);
    std::vector<FlagBitmap> oldBitmaps;
    oldBitmaps.swap(flagBitmaps_);

    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font(WindowFontPixels, false)),
                 FALSE);
    for (const ControlDesign& d : controlTable()) {
        HWND hwnd = control(d.id);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font(d.fontPixels, d.bold)), FALSE);
        if (d.flag != Flag::None) {
            const artwork::Picture picture = artwork::flagPicture(d.flag);
            const int width = scaled(picture.width, dpi_);
            const int height = scaled(picture.height, dpi_);
            flagBitmaps_.push_back({d.id, premultipliedBitmap(picture, width, height),
                                    premultipliedBitmap(greyed(picture), width, height), width,
                                    height});
        }
        const POINT origin = designOrigin(d);
        SetWindowPos(hwnd, nullptr, scaled(origin.x, dpi_), scaled(origin.y, dpi_),
                     scaled(d.width, dpi_), scaled(d.height, dpi_), SWP_NOZORDER | SWP_NOACTIVATE);
        if (d.autoSize) {
            fitToCaption(d.id);
        }
    }

    HICON bigIcon = iconFromPicture(
        artwork::programIcon(systemMetric(SM_CXICON, dpi_), systemMetric(SM_CYICON, dpi_)));
    HICON smallIcon = iconFromPicture(
        artwork::programIcon(systemMetric(SM_CXSMICON, dpi_), systemMetric(SM_CYSMICON, dpi_)));
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    DestroyIcon(bigIcon_);
    DestroyIcon(smallIcon_);
    bigIcon_ = bigIcon;
    smallIcon_ = smallIcon;

    for (const Font& f : oldFonts) {
        DeleteObject(f.handle);
    }
    for (const FlagBitmap& flag : oldBitmaps) {
        DeleteObject(flag.normal);
        DeleteObject(flag.disabled);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

// A label that sizes itself to its caption, from its top-left corner.
void UpdaterWindow::fitToCaption(Control id) {
    HWND hwnd = control(id);
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    HDC dc = GetDC(hwnd);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    RECT extent{0, 0, 0, 0};
    DrawTextW(dc, text.empty() ? L" " : text.c_str(), text.empty() ? 1 : length, &extent,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
    ReleaseDC(hwnd, dc);
    SetWindowPos(hwnd, nullptr, 0, 0, text.empty() ? 0 : extent.right, extent.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A flag button: the system's push button, themed where a theme is on, with the flag centred
// on it (greyed while disabled) and the focus rectangle when it has the keyboard focus.
void UpdaterWindow::drawFlagButton(const DRAWITEMSTRUCT& item) {
    const auto flag = std::find_if(flagBitmaps_.begin(), flagBitmaps_.end(), [&](const auto& f) {
        return controlId(f.control) == static_cast<int>(item.CtlID);
    });
    if (flag == flagBitmaps_.end()) {
        return;
    }
    const bool pressed = item.itemState & ODS_SELECTED;
    const bool disabled = item.itemState & ODS_DISABLED;
    RECT face = item.rcItem;
    FillRect(item.hDC, &face, GetSysColorBrush(COLOR_BTNFACE));
    if (HTHEME theme = OpenThemeData(item.hwndItem, L"BUTTON")) {
        const int state = disabled ? PBS_DISABLED : pressed ? PBS_PRESSED : PBS_NORMAL;
        DrawThemeBackground(theme, item.hDC, BP_PUSHBUTTON, state, &face, nullptr);
        CloseThemeData(theme);
    } else {
        DrawFrameControl(item.hDC, &face, DFC_BUTTON,
                         DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    }

    const int shift = pressed ? 1 : 0;  // a pressed button's face moves down and right
    const int left = (face.left + face.right - flag->width) / 2 + shift;
    const int top = (face.top + face.bottom - flag->height) / 2 + shift;
    HDC source = CreateCompatibleDC(item.hDC);
    HGDIOBJ previous = SelectObject(source, disabled ? flag->disabled : flag->normal);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(item.hDC, left, top, flag->width, flag->height, source, 0, 0, flag->width,
                  flag->height, blend);
    SelectObject(source, previous);
    DeleteDC(source);

    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = face;
        const int inset = scaled(4, dpi_);
        InflateRect(&focus, -inset, -inset);
        DrawFocusRect(item.hDC, &focus);
    }
}

void UpdaterWindow::render() {
    const WindowModel& model = core_.model();
    for (const ControlDesign& d : controlTable()) {
        const auto index = static_cast<std::size_t>(d.id);
        HWND hwnd = controls_[index];
        const ControlState& state = model[d.id];
        if (shownCaptions_[index] != state.caption) {
            shownCaptions_[index] = state.caption;
            SetWindowTextW(hwnd, toWide(state.caption).c_str());
            if (d.autoSize) {
                fitToCaption(d.id);
            }
        }
        if (shownColours_[index] != state.fontColour) {
            shownColours_[index] = state.fontColour;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        if ((IsWindowEnabled(hwnd) != FALSE) != state.enabled) {
            EnableWindow(hwnd, state.enabled);
        }
        // The control's own visibility: IsWindowVisible also says no while the window is hidden.
        const bool visible = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
        if (visible != state.visible) {
            ShowWindow(hwnd, state.visible ? SW_SHOWNA : SW_HIDE);
        }
    }
    if (shownTitle_ != model.caption) {
        shownTitle_ = model.caption;
        SetWindowTextW(window_, toWide(model.caption).c_str());
    }
    if (model.timerRunning != timerOn_) {
        timerOn_ = model.timerRunning;
        if (timerOn_) {
            SetTimer(window_, Timer1Id, PresenceIntervalMs, nullptr);
        } else {
            KillTimer(window_, Timer1Id);
        }
    }
    if (model.focusRequests != focusRequestsShown_) {
        focusRequestsShown_ = model.focusRequests;
        if (model.focus && IsWindowEnabled(control(*model.focus))) {
            SetFocus(control(*model.focus));
        }
    }
    if (model.closeRequested && !closing_) {
        closing_ = true;
        PostMessageW(window_, WM_CLOSE, 0, 0);
    }
}

// During an exchange: the model drawn, then every pending message handled (clicks, ticks,
// paints, a close request), without waiting for more.
void UpdaterWindow::pumpMessages() {
    render();
    MSG message;
    while (!quit_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit_ = true;
            exitCode_ = static_cast<int>(message.wParam);
            break;
        }
        dispatch(message);
    }
}

// Tab moves between the buttons and Enter presses the default button, as in a dialog.
void UpdaterWindow::dispatch(MSG& message) {
    if (!IsDialogMessageW(window_, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void UpdaterWindow::show(int showCommand) {
    RECT frame;
    GetWindowRect(window_, &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    core_.shown();
    render();
}

int UpdaterWindow::run() {
    MSG message;
    while (!quit_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            exitCode_ = static_cast<int>(message.wParam);
            break;
        }
        if (got < 0) {
            throw std::runtime_error("the message loop failed");
        }
        dispatch(message);
    }
    return exitCode_;
}

void UpdaterWindow::reportError(const std::string& message) {
    MessageBoxW(window_, toWide(message).c_str(), ErrorCaption, MB_OK | MB_ICONERROR);
}

LRESULT CALLBACK UpdaterWindow::windowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<UpdaterWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || !self->window_) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handleMessage(message, wParam, lParam);
}

LRESULT UpdaterWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (HIWORD(wParam) == BN_CLICKED && id >= FirstControlId &&
                id < FirstControlId + static_cast<int>(ControlCount)) {
                core_.click(static_cast<Control>(id - FirstControlId));
                render();
            }
            return 0;
        }
        case WM_DRAWITEM:
            drawFlagButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case DM_GETDEFID:
            // GoBtn is the window's default button: Enter presses it unless another button has
            // the focus (IsDialogMessage asks here).
            return MAKELRESULT(controlId(Control::GoBtn), DC_HASDEFID);
        case WM_TIMER:
            if (wParam == Timer1Id) {
                core_.tick();
                render();
            }
            return 0;
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            if (id >= FirstControlId && id < FirstControlId + static_cast<int>(ControlCount)) {
                const auto& colour =
                    core_.model()[static_cast<Control>(id - FirstControlId)].fontColour;
                SetTextColor(dc, colour ? RGB(colour->red, colour->green, colour->blue)
                                        : GetSysColor(COLOR_WINDOWTEXT));
            }
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_ACTIVATE:
            // As a dialog does: the control that had the keyboard focus gets it back when the
            // window is activated again.
            if (LOWORD(wParam) == WA_INACTIVE) {
                focusBeforeDeactivation_ = GetFocus();
            } else if (focusBeforeDeactivation_ && IsChild(window_, focusBeforeDeactivation_) &&
                       IsWindowEnabled(focusBeforeDeactivation_)) {
                SetFocus(focusBeforeDeactivation_);
                return 0;
            }
            return DefWindowProcW(window_, message, wParam, lParam);
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            layout();
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_CLOSE:
            if (core_.model().closeRequested || core_.requestClose()) {
                KillTimer(window_, Timer1Id);
                DestroyWindow(window_);
            } else {
                render();  // an exchange is running: the window closes once it has returned
            }
            return 0;
        case WM_DESTROY:
            window_ = nullptr;
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

}  // namespace zelmark::win32
