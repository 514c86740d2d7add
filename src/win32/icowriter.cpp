// Writes the program's icon file (.ico) from the window's artwork: the stopwatch drawn afresh
// for each size Windows asks for, as 32-bit images with alpha. A build tool for the machine that
// builds (it never ships): zelmark-icowriter FILE.ico
#include <cstdint>
#include <fstream>
#include <iostream>
#include <vector>

#include "artwork.h"

namespace {

constexpr int Sizes[] = {16, 20, 24, 32, 40, 48, 64, 256};

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// One image as the .ico format keeps it: a BITMAPINFOHEADER of twice the height, the colour
// rows bottom-up in BGRA, then the AND mask (set where transparent), rows padded to 32 bits.
std::vector<std::uint8_t> iconImage(int size) {
    const zelmark::artwork::Picture picture = zelmark::artwork::programIcon(size, size);
    const int maskStride = (size + 31) / 32 * 4;
    std::vector<std::uint8_t> out;
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(size));
    put32(out, static_cast<std::uint32_t>(2 * size));
    put16(out, 1);   // planes
    put16(out, 32);  // bits per pixel
    put32(out, 0);   // BI_RGB
    put32(out, static_cast<std::uint32_t>(size * size * 4 + maskStride * size));
    for (int i = 0; i < 4; ++i) {
        put32(out, 0);  // resolution and palette: unused
    }
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            put32(out, picture.at(x, y));  // 0xAARRGGBB little-endian is B, G, R, A
        }
    }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(maskStride), 0);
        for (int x = 0; x < size; ++x) {
            if ((picture.at(x, y) >> 24) == 0) {
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: zelmark-icowriter FILE.ico\n";
        return 2;
    }
    std::vector<std::vector<std::uint8_t>> images;
    for (int size : Sizes) {
        images.push_back(iconImage(size));
    }
    std::vector<std::uint8_t> file;
    put16(file, 0);  // reserved
    put16(file, 1);  // an icon
    put16(file, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int size = Sizes[i];
        file.push_back(static_cast<std::uint8_t>(size == 256 ? 0 : size));  // 0 means 256
        file.push_back(static_cast<std::uint8_t>(size == 256 ? 0 : size));
        file.push_back(0);  // no palette
        file.push_back(0);
        put16(file, 1);
        put16(file, 32);
        put32(file, static_cast<std::uint32_t>(images[i].size()));
        put32(file, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& image : images) {
        file.insert(file.end(), image.begin(), image.end());
    }
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    if (!out) {
        std::cerr << "zelmark-icowriter: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
