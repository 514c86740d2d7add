// Takes a picture of zelmark-updater.exe's window as Windows (here: wine) draws it, frame
// included, into a 24-bit BMP: win32_window_screenshot OUT.bmp [ready]
// "ready": the stand-in device plugged in and read, UPDATE armed; otherwise the window as it
// opens. The program runs from this program's folder, beside the stand-in library.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tempdir.h"
#include "updaterprocess.h"

using namespace zelmark;
using namespace std::chrono_literals;

namespace {

bool writeBmp(const std::filesystem::path& file, HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file keeps its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) / 4 * 4;
    std::vector<char> pixels(static_cast<std::size_t>(stride * height));
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info,
                               DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != height) {
        return false;
    }
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&header), sizeof(header));
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(BITMAPINFOHEADER));
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: win32_window_screenshot OUT.bmp [ready]\n");
        return 2;
    }
    const bool ready = argc > 2 && std::string(argv[2]) == "ready";
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::filesystem::path folder = std::filesystem::path(self).parent_path();

    TempDir dir;
    const std::filesystem::path cable = dir.file("cable.txt");
    std::ofstream(cable) << "cable=out\n";
    SetEnvironmentVariableW(L"ZELMARK_STANDIN", L"preset=fit");
    SetEnvironmentVariableW(L"ZELMARK_STANDIN_FILE", cable.wstring().c_str());
    UpdaterProcess updater(folder / "zelmark-updater.exe", dir.path());
    HWND window = updater.window();
    if (!window || !updater.waitForText(Control::Comment, TxtIntro)) {
        std::fprintf(stderr, "the window did not open\n");
        return 1;
    }
    if (ready) {
        updater.click(Control::GoBtn);
        updater.waitForText(Control::Comment, TxtTurnOn);
        updater.click(Control::GoBtn);
        updater.waitForText(Control::Comment, TxtConnect);
        std::ofstream(cable, std::ios::trunc) << "cable=in\n";
        if (!updater.waitForText(Control::Comment, TxtReadyWarning)) {
            std::fprintf(stderr, "the device was not read\n");
            return 1;
        }
    }
    std::this_thread::sleep_for(1s);  // let the window finish painting

    RECT frame;
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    const bool written = writeBmp(argv[1], bitmap, width, height);
    DeleteObject(bitmap);
    updater.close();
    updater.waitForExit();
    return written ? 0 : 1;
}
