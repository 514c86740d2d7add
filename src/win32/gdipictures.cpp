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

}  // namespace

HBITMAP premultipliedBitmap(const artwork::Picture& picture, int width, int height) {
    std::uint32_t* bits = nullptr;
    HBITMAP bitmap = topDownDib(width, height, &bits);
    if (!bitmap) {
        return nullptr;
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel =
                picture.at(x * picture.width / width, y * picture.height / height);
            const std::uint32_t alpha = pixel >> 24;
            auto channel = [&](int shift) {
                return (((pixel >> shift) & 0xFF) * alpha + 127) / 255 << shift;
            };
            bits[y * width + x] = alpha << 24 | channel(16) | channel(8) | channel(0);
        }
    }
    GdiFlush();
    return bitmap;
}

artwork::Picture greyed(const artwork::Picture& picture) {
    artwork::Picture grey = picture;
    for (std::uint32_t& pixel : grey.pixels) {
        const std::uint32_t luminance =
            (299 * ((pixel >> 16) & 0xFF) + 587 * ((pixel >> 8) & 0xFF) + 114 * (pixel & 0xFF)) /
            1000;
        const std::uint32_t light = 128 + luminance / 2;  // halfway to white
        pixel = (pixel & 0xFF000000u) | light << 16 | light << 8 | light;
    }
    return grey;
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
