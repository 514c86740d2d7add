// The window core's pictures turned into GDI objects: flags scaled by whole pixels with their
// alpha, greyed for a disabled button, and the icon keeping the stopwatch's pixels and alpha.
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

TEST(Win32Pictures, FlagIsScaledWithItsAlphaPremultiplied) {
    for (Flag flag : {Flag::UnitedKingdom, Flag::Denmark, Flag::Germany}) {
        const artwork::Picture picture = artwork::flagPicture(flag);
        const int width = picture.width * 2;
        const int height = picture.height * 2;
        HBITMAP bitmap = win32::premultipliedBitmap(picture, width, height);
        ASSERT_NE(bitmap, nullptr);
        const std::vector<std::uint32_t> pixels = pixelsOf(bitmap, width, height);
        DeleteObject(bitmap);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::uint32_t source = picture.at(x / 2, y / 2);
                // The flags are opaque inside a transparent frame: premultiplied, the frame is 0.
                const std::uint32_t expected = (source >> 24) == 0 ? 0u : source;
                ASSERT_EQ(pixels[static_cast<std::size_t>(y * width + x)], expected)
                    << "flag " << static_cast<int>(flag) << " at " << x << "," << y;
            }
        }
    }
}

TEST(Win32Pictures, GreyedFlagIsLightGreyWithTheSameTransparency) {
    const artwork::Picture picture = artwork::flagPicture(Flag::Germany);
    const artwork::Picture grey = win32::greyed(picture);
    ASSERT_EQ(grey.pixels.size(), picture.pixels.size());
    for (std::size_t i = 0; i < grey.pixels.size(); ++i) {
        const std::uint32_t pixel = grey.pixels[i];
        EXPECT_EQ(pixel >> 24, picture.pixels[i] >> 24);
        const std::uint32_t red = (pixel >> 16) & 0xFF;
        EXPECT_EQ(red, (pixel >> 8) & 0xFF);
        EXPECT_EQ(red, pixel & 0xFF);
        EXPECT_GE(red, 128u);
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
