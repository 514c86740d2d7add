#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "clock.h"
#include "firmwareimage.h"
#include "usbheader.h"
#include "windowcore.h"

// The updater's one window on Windows: the Win32 rendering of the window core. It builds its
// controls from the design's control table (scaled to the monitor's DPI), forwards clicks, ticks
// and close requests to the core, and shows the core's model after each of them and whenever the
// core lets messages through during an exchange. It decides nothing of the wizard itself.
namespace zelmark::win32 {

class UpdaterWindow {
public:
    UpdaterWindow(UsbXpress& usb, Clock& clock, HINSTANCE instance,
                  ImageBytes image = embeddedImage());
    ~UpdaterWindow();
    UpdaterWindow(const UpdaterWindow&) = delete;
    UpdaterWindow& operator=(const UpdaterWindow&) = delete;

    WindowCore& core() { return core_; }
    HWND handle() const { return window_; }

    // Shows the window centred on its monitor and tells the core it is shown.
    void show(int showCommand);
    // Runs the message loop until the window is gone; the exit code.
    int run();

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void createControls();
    void layout();  // fonts, pictures and positions for the current DPI
    void fitToCaption(Control control);
    void drawFlagButton(const DRAWITEMSTRUCT& item);
    void render();
    void pumpMessages();
    void dispatch(MSG& message);
    HFONT font(int pixels, bool bold);
    void releaseFonts();
    void reportError(const std::string& message);
    HWND control(Control id) const { return controls_[static_cast<std::size_t>(id)]; }

    HINSTANCE instance_;
    WindowCore core_;
    HWND window_ = nullptr;
    std::array<HWND, ControlCount> controls_{};
    std::array<std::optional<std::string>, ControlCount> shownCaptions_;
    std::array<std::optional<Rgb>, ControlCount> shownColours_;
    struct Font {
        int pixels;
        bool bold;
        HFONT handle;
    };
    std::vector<Font> fonts_;
    struct FlagBitmap {
        Control control;
        HBITMAP normal;
        HBITMAP disabled;
        int width, height;
    };
    std::vector<FlagBitmap> flagBitmaps_;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    unsigned dpi_ = 96;
    std::optional<std::string> shownTitle_;
    bool timerOn_ = false;
    unsigned focusRequestsShown_ = 0;
    HWND focusBeforeDeactivation_ = nullptr;
    bool closing_ = false;
    bool quit_ = false;
    int exitCode_ = 0;
};

}  // namespace zelmark::win32
