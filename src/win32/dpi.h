#pragma once

#include <windows.h>

// Per-monitor DPI: the design's 96-dpi pixels scaled to the window's monitor. The calls that
// take a DPI came with Windows 10 (1607); they are looked up at run time so that the program
// still starts, unscaled, on an older Windows.
namespace zelmark::win32 {

unsigned windowDpi(HWND window);
int scaled(int designPixels, unsigned dpi);
// The window size whose client area is clientWidth x clientHeight at that DPI.
SIZE frameSize(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, unsigned dpi);
int systemMetric(int index, unsigned dpi);

}  // namespace zelmark::win32
