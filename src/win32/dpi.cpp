#include "dpi.h"

#include "controls.h"

namespace zelmark::win32 {

namespace {

template <class Function>
Function user32Call(const char* name) {
    static HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

}  // namespace

unsigned windowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = user32Call<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(window)) {
            return dpi;
        }
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<unsigned>(dpi) : DesignDpi;
}

int scaled(int designPixels, unsigned dpi) {
    return MulDiv(designPixels, static_cast<int>(dpi), DesignDpi);
}

SIZE frameSize(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, unsigned dpi) {
    using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = user32Call<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, clientWidth, clientHeight};
    if (!adjustForDpi || !adjustForDpi(&rect, style, FALSE, exStyle, dpi)) {
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
    return {rect.right - rect.left, rect.bottom - rect.top};
}

int systemMetric(int index, unsigned dpi) {
    using GetMetricForDpiFn = int(WINAPI*)(int, UINT);
    static const auto getMetricForDpi = user32Call<GetMetricForDpiFn>("GetSystemMetricsForDpi");
    return getMetricForDpi ? getMetricForDpi(index, dpi) : GetSystemMetrics(index);
}

}  // namespace zelmark::win32
