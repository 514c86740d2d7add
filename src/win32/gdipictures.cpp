#include "gdipictures.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace zelmark::win32 {

namespace {

// A top-down 32-bit DIB section; bits receives its pixels (0xAARRGGBB, as the pictures).
HBITMAP topDownDib(int width, int height, std::uint32_t** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    *bits = static_cast<std::uint32_t*>(pixels);
    return bitmap;
}

std::uint32_t blend(std::uint32_t argb, COLORREF background) {
    const std::uint32_t alpha = argb >> 24;
    auto channel = [alpha](std::uint32_t over, std::uint32_t under) {
        return (over * alpha + under * (255 - alpha) + 127) / 255;
    };
    const std::uint32_t red = channel((argb >> 16) & 0xFF, GetRValue(background));
    const std::uint32_t green = channel((argb >> 8) & 0xFF, GetGValue(background));
    const std::uint32_t blue = channel(argb & 0xFF, GetBValue(background));
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

}  // namespace

HBITMAP bitmapOnBackground(const artwork::Picture& picture, int width, int height,
                           COLORREF background) {
    std::uint32_t* bits = nullptr;
    HBITMAP bitmap = topDownDib(width, height, &bits);
    if (!bitmap) {
        return nullptr;
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel =
                picture.at(x * picture.width / width, y * picture.height / height);
            bits[y * width + x] = blend(pixel, background);
        }
    }
    GdiFlush();
    return bitmap;
}

HICON iconFromPicture(const artwork::Picture& picture) {
    std::uint32_t* bits = nullptr;
    HBITMAP colour = topDownDib(picture.width, picture.height, &bits);
    if (!colour) {
        return nullptr;
    }
    std::memcpy(bits, picture.pixels.data(), picture.pixels.size() * sizeof(std::uint32_t));
    GdiFlush();
    // The mask only matters where alpha is not used: set where the picture is transparent.
    const int stride = (picture.width + 15) / 16 * 2;  // monochrome rows are WORD-aligned
    std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(stride * picture.height), 0);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if ((picture.at(x, y) >> 24) < 128) {
                maskBits[static_cast<std::size_t>(y * stride + x / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    HBITMAP mask = CreateBitmap(picture.width, picture.height, 1, 1, maskBits.data());
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colour;
    info.hbmMask = mask;
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(mask);
    return icon;
}

}  // namespace zelmark::win32
