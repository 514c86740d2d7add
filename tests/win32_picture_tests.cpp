// The window core's pictures turned into GDI objects: flags laid over the button face, scaled by
// whole pixels, and the icon keeping the stopwatch's pixels and alpha.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "artwork.h"
#include "gdipictures.h"

using namespace zelmark;

namespace {

// The bitmap's pixels as 0xAARRGGBB, top row first.
std::vector<std::uint32_t> pixelsOf(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height));
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info,
                               DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(rows, height);
    return pixels;
}

TEST(Win32Pictures, FlagIsScaledOverTheButtonFace) {
    constexpr COLORREF Face = RGB(10, 20, 30);
    for (Flag flag : {Flag::UnitedKingdom, Flag::Denmark, Flag::Germany}) {
        const artwork::Picture picture = artwork::flagPicture(flag);
        const int width = picture.width * 2;
        const int height = picture.height * 2;
        HBITMAP bitmap = win32::bitmapOnBackground(picture, width, height, Face);
        ASSERT_NE(bitmap, nullptr);
        const std::vector<std::uint32_t> pixels = pixelsOf(bitmap, width, height);
        DeleteObject(bitmap);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::uint32_t source = picture.at(x / 2, y / 2);
                const std::uint32_t expected =
                    (source >> 24) == 0 ? 0x000A141Eu : (source & 0x00FFFFFFu);
                ASSERT_EQ(pixels[static_cast<std::size_t>(y * width + x)] & 0x00FFFFFFu, expected)
                    << "flag " << static_cast<int>(flag) << " at " << x << "," << y;
            }
        }
    }
}

TEST(Win32Pictures, IconKeepsTheStopwatchsPixels) {
    const artwork::Picture picture = artwork::programIcon(32, 32);
    HICON icon = win32::iconFromPicture(picture);
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    const std::vector<std::uint32_t> pixels = pixelsOf(info.hbmColor, 32, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    EXPECT_EQ(pixels, picture.pixels);
}

}  // namespace
