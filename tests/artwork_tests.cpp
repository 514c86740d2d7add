// The window's pictures as plain pixels, as every toolkit receives them.
#include <gtest/gtest.h>

#include "artwork.h"

using namespace zelmark;
using artwork::Picture;

namespace {

constexpr std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return 0xFF000000u | r << 16 | g << 8 | b;
}

}  // namespace

TEST(Artwork, FlagsAreFramedAndTransparent) {
    for (Flag flag : {Flag::UnitedKingdom, Flag::Denmark, Flag::Germany}) {
        const Picture picture = artwork::flagPicture(flag);
        ASSERT_EQ(picture.width, 26);
        ASSERT_EQ(picture.height, 14);
        for (auto [x, y] : {std::pair{0, 0}, {25, 0}, {0, 13}, {25, 13}, {12, 0}}) {
            EXPECT_EQ(picture.at(x, y) >> 24, 0u) << x << "," << y;
        }
        EXPECT_EQ(picture.at(1, 1) >> 24, 0xFFu);
    }
    const Picture dk = artwork::flagPicture(Flag::Denmark);
    EXPECT_EQ(dk.at(1 + 7, 1), rgb(247, 33, 16));  // 8 columns of red
    EXPECT_EQ(dk.at(1 + 8, 1), rgb(255, 255, 255));
    EXPECT_EQ(dk.at(1 + 9, 1), rgb(255, 255, 255));
    EXPECT_EQ(dk.at(1 + 10, 1), rgb(247, 33, 16));
    EXPECT_EQ(dk.at(1, 1 + 4), rgb(247, 33, 16));  // 5 rows of red
    EXPECT_EQ(dk.at(1, 1 + 5), rgb(255, 255, 255));
    const Picture de = artwork::flagPicture(Flag::Germany);
    EXPECT_EQ(de.at(5, 1), rgb(0, 0, 0));
    EXPECT_EQ(de.at(5, 5), rgb(255, 33, 8));
    EXPECT_EQ(de.at(5, 12), rgb(255, 231, 33));
    const Picture uk = artwork::flagPicture(Flag::UnitedKingdom);
    EXPECT_EQ(uk.at(1 + 11, 1 + 5), rgb(206, 8, 0));  // the red cross of St George
    EXPECT_EQ(uk.at(1 + 10, 1), rgb(255, 255, 255));  // on its white border
    EXPECT_EQ(uk.at(1 + 5, 1 + 0), rgb(0, 19, 196));  // the blue field
}

// Each size is drawn for its size: opaque where the dial is, transparent in the corners, and the
// dial fills the same share of the picture at every size.
TEST(Artwork, IconIsDrawnForEverySize) {
    for (auto [width, height] : {std::pair{23, 28}, {32, 32}, {48, 48}, {128, 128}}) {
        const Picture icon = artwork::programIcon(width, height);
        ASSERT_EQ(icon.width, width);
        ASSERT_EQ(icon.height, height);
        EXPECT_EQ(icon.at(0, height - 1) >> 24, 0u) << width;
        double covered = 0;  // in whole pixels
        for (std::uint32_t pixel : icon.pixels) {
            covered += (pixel >> 24) / 255.0;
        }
        const double scale = std::min(width / 23.0, height / 28.0);
        // The dial covers pi * 11^2 design pixels, the crown and the lap button a few more.
        EXPECT_NEAR(covered / (scale * scale), 3.14159 * 11 * 11 + 20, 15) << width;
        // The face's centre is steel (the hub), a point on the face off the hand is light.
        const auto at = [&](double x, double y) {
            return icon.at(int((width - 23 * scale) / 2 + x * scale),
                           int((height - 28 * scale) / 2 + y * scale));
        };
        EXPECT_EQ(at(11.5, 15.5), rgb(70, 78, 90)) << width;
        EXPECT_EQ(at(7.0, 20.0), rgb(250, 250, 246)) << width;
    }
}
