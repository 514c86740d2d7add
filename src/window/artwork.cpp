#include "artwork.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace zelmark::artwork {

namespace {

constexpr int FlagWidth = 24;
constexpr int FlagHeight = 12;

constexpr std::uint32_t rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return 0xFF000000u | std::uint32_t{r} << 16 | std::uint32_t{g} << 8 | b;
}

// Distance of the point from the segment a..b.
double distanceToSegment(double x, double y, double ax, double ay, double bx, double by) {
    const double dx = bx - ax;
    const double dy = by - ay;
    const double t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(x - (ax + t * dx), y - (ay + t * dy));
}

// The Union flag at 24 x 12: the saltires, broad white with narrow red inside, drawn as a line
// of pixels steps, and the cross of St George on its white border. R red, W white, B blue.
constexpr const char* UnionFlag[FlagHeight] = {
    "RRWWBBBBBBWRRWBBBBBBWWWR", "WWRRWWBBBBWRRWBBBBWWWRRW", "BBWWRRWWBBWRRWBBWWWRRWBB",
    "BBBBWWRRWWWRRWWWWRRWBBBB", "WWWWWWWWWWWRRWWWWWWWWWWW", "RRRRRRRRRRRRRRRRRRRRRRRR",
    "RRRRRRRRRRRRRRRRRRRRRRRR", "WWWWWWWWWWWRRWWWWWWWWWWW", "BBBBWWWRRWWRRWWWRRWWBBBB",
    "BBWWWRRWBBWRRWBBWWRRWWBB", "WWWRRWBBBBWRRWBBBBWWRRWW", "WRRWBBBBBBWRRWBBBBBBWWRR",
};

std::uint32_t unionFlagPixel(int x, int y) {
    switch (UnionFlag[y][x]) {
        case 'R':
            return rgb(206, 8, 0);
        case 'W':
            return rgb(255, 255, 255);
        default:
            return rgb(0, 19, 196);
    }
}

std::uint32_t danishFlagPixel(int x, int y) {
    // The white cross, two pixels wide, after 8 columns and 5 rows of red.
    const bool cross = (x >= 8 && x < 10) || (y >= 5 && y < 7);
    return cross ? rgb(255, 255, 255) : rgb(247, 33, 16);
}

std::uint32_t germanFlagPixel(int, int y) {
    return y < 4 ? rgb(0, 0, 0) : y < 8 ? rgb(255, 33, 8) : rgb(255, 231, 33);
}

// Paints shapes given in the icon's design coordinates onto a picture of any size, each pixel
// sampled 4 x 4 times so that edges are smooth at every size.
class IconPainter {
public:
    explicit IconPainter(Picture& picture)
        : picture_(picture),
          scale_(std::min(double(picture.width) / IconWidth, double(picture.height) / IconHeight)),
          offsetX_((picture.width - IconWidth * scale_) / 2),
          offsetY_((picture.height - IconHeight * scale_) / 2) {}

    double scale() const { return scale_; }

    void fill(const std::function<bool(double, double)>& inside, std::uint32_t colour) {
        constexpr int Samples = 4;
        for (int py = 0; py < picture_.height; ++py) {
            for (int px = 0; px < picture_.width; ++px) {
                int hits = 0;
                for (int sy = 0; sy < Samples; ++sy) {
                    for (int sx = 0; sx < Samples; ++sx) {
                        const double x = (px + (sx + 0.5) / Samples - offsetX_) / scale_;
                        const double y = (py + (sy + 0.5) / Samples - offsetY_) / scale_;
                        hits += inside(x, y) ? 1 : 0;
                    }
                }
                if (hits > 0) {
                    blend(picture_.pixels[static_cast<std::size_t>(py * picture_.width + px)],
                          colour, double(hits) / (Samples * Samples));
                }
            }
        }
    }

private:
    // Source over destination, both non-premultiplied.
    static void blend(std::uint32_t& destination, std::uint32_t colour, double coverage) {
        const double sa = coverage;
        const double da = (destination >> 24) / 255.0;
        const double oa = sa + da * (1 - sa);
        auto channel = [&](int shift) {
            const double s = (colour >> shift & 0xFF);
            const double d = (destination >> shift & 0xFF);
            return static_cast<std::uint32_t>(std::lround((s * sa + d * da * (1 - sa)) / oa));
        };
        destination = static_cast<std::uint32_t>(std::lround(oa * 255)) << 24 | channel(16) << 16 |
                      channel(8) << 8 | channel(0);
    }

    Picture& picture_;
    double scale_;
    double offsetX_;
    double offsetY_;
};

}  // namespace

Picture flagPicture(Flag flag) {
    Picture picture{FlagWidth + 2, FlagHeight + 2, {}};
    picture.pixels.assign(static_cast<std::size_t>(picture.width * picture.height), FlagFrameGrey);
    for (int y = 0; y < FlagHeight; ++y) {
        for (int x = 0; x < FlagWidth; ++x) {
            std::uint32_t colour = FlagFrameGrey;
            switch (flag) {
                case Flag::UnitedKingdom:
                    colour = unionFlagPixel(x, y);
                    break;
                case Flag::Denmark:
                    colour = danishFlagPixel(x, y);
                    break;
                case Flag::Germany:
                    colour = germanFlagPixel(x, y);
                    break;
                case Flag::None:
                    break;
            }
            picture.pixels[static_cast<std::size_t>((y + 1) * picture.width + x + 1)] = colour;
        }
    }
    // The frame's colour is the bottom-left pixel's; it is drawn transparent.
    const std::uint32_t transparent = picture.at(0, picture.height - 1);
    std::replace(picture.pixels.begin(), picture.pixels.end(), transparent, 0u);
    return picture;
}

Picture programIcon(int width, int height) {
    Picture icon{width, height, std::vector<std::uint32_t>(std::size_t(width * height), 0u)};
    IconPainter painter(icon);
    const std::uint32_t steel = rgb(70, 78, 90);
    auto rect = [](double left, double top, double w, double h) {
        return [=](double x, double y) {
            return x >= left && x < left + w && y >= top && y < top + h;
        };
    };
    // Crown and the lap button (a square turned by 45 degrees).
    painter.fill(rect(9.5, 0.5, 4, 2.5), steel);
    painter.fill(rect(10.5, 3, 2, 2), steel);
    painter.fill([](double x, double y) { return std::abs(x - 18.5) + std::abs(y - 7.5) <= 2.12; },
                 steel);
    // Case and face.
    const double cx = 11.5;
    const double cy = 15.5;
    auto radius = [=](double x, double y) { return std::hypot(x - cx, y - cy); };
    painter.fill([=](double x, double y) { return radius(x, y) <= 9; }, rgb(250, 250, 246));
    painter.fill([=](double x, double y) { return std::abs(radius(x, y) - 10) <= 1; }, steel);
    // A green sector: the lap being timed, from twelve o'clock round to just past three.
    painter.fill(
        [=](double x, double y) {
            const double angle = std::atan2(cy - y, x - cx) * 180 / std::numbers::pi;
            return radius(x, y) <= 7.5 && angle <= 90 && angle >= -20;
        },
        rgb(40, 170, 70));
    // Ticks at twelve, three, six and nine, the hand and its hub.
    painter.fill(
        [=](double x, double y) {
            const double dx = std::abs(x - cx);
            const double dy = std::abs(y - cy);
            return (dx <= 0.5 && dy >= 6.5 && dy <= 8.5) || (dy <= 0.5 && dx >= 6.5 && dx <= 8.5);
        },
        steel);
    painter.fill(
        [=](double x, double y) {
            return distanceToSegment(x, y, cx, cy, cx + 5.5, cy + 3) <= 0.75;
        },
        rgb(200, 20, 20));
    painter.fill([=](double x, double y) { return radius(x, y) <= 1.3; }, steel);
    return icon;
}

}  // namespace zelmark::artwork
