#include <gtest/gtest.h>

#include <vector>

#include "firmwareimage.h"
#include "imageheader.h"
#include "testimages.h"
#include "versiontext.h"

using namespace zelmark;

TEST(EmbeddedImage, HeaderHoldsTheDeliveredValues) {
    const ImageBytes image = embeddedImage();
    EXPECT_GE(FirmwareImageStoredSize, FirmwareImageSize);
    const std::vector<std::uint8_t> preamble(image.begin(), image.begin() + 16);
    EXPECT_EQ(preamble,
              (std::vector<std::uint8_t>{0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0x55, 0x55,
                                         0x55, 0x55, 0x55, 0x55, 0x55, 0xCC}));
    EXPECT_EQ(TargetCode(image), 0xB2);
    EXPECT_EQ(ModelCode(image), 3098);  // bytes 1A 0C, low byte first: not 6668
    EXPECT_EQ(MainVersion(image), 105);
    EXPECT_EQ(MinUpdaterVersion(image), 100);
    EXPECT_EQ(Submodel(image), 1);
    EXPECT_EQ(MainFirmwareVersion(image), 0);
    for (std::size_t i = 37; i < 128; ++i) {
        ASSERT_EQ(image[i], 0) << "offset " << i;
    }
}

TEST(EmbeddedImage, DevelopmentImageHasItsFlashRegions) {
    const ImageBytes image = embeddedImage();
    auto flash = [&](unsigned address) { return image[CodeAreaOffset + (address - FlashStart)]; };
    // The reset vector, the last word of the vector table, points at the start of the code.
    EXPECT_EQ(image[VectorTableOffset + 30] + 256 * image[VectorTableOffset + 31], 0x4000);
    for (unsigned a : {0xD764u, 0xDFFFu, 0xF000u, 0xF5FFu}) {
        EXPECT_EQ(flash(a), 0xFF) << std::hex << a;
    }
    for (unsigned a : {0xE000u, 0xE200u, 0xEFFFu}) {
        EXPECT_EQ(flash(a), 0x00) << std::hex << a;
    }
}

TEST(ImageLayout, BlocksMapOntoFlash) {
    EXPECT_EQ(codeBlockImageOffset(1), 160u);
    EXPECT_EQ(codeBlockFlashAddress(1), 0x4000);
    EXPECT_EQ(codeBlockImageOffset(82), MainFirmwareVersionOffset);  // first byte of block 82
    EXPECT_EQ(MainFirmwareVersionOffset, 41632u);
    EXPECT_EQ(codeBlockFlashAddress(82), 0xE200);
    EXPECT_EQ(codeBlockImageOffset(91) + BlockSize - 1, FirmwareImageSize - 1);
    EXPECT_EQ(codeBlockFlashAddress(91) + BlockSize - 1, 0xF5FF);
}

TEST(ImageHeader, FieldsReadLowByteFirst) {
    TestImage image;
    image.model(0x1B0C).mainVersion(65535).mainFirmware(254);
    EXPECT_EQ(ModelCode(image.view()), 0x1B0C);
    EXPECT_EQ(MainVersion(image.view()), 65535);
    EXPECT_EQ(MainFirmwareVersion(image.view()), 254);
}

TEST(VersionText, FormatsHundredths) {
    const std::pair<unsigned, const char*> cases[] = {
        {105, "1.05"},   {100, "1.00"},     {5, "0.05"},  {0, "0.00"},
        {1000, "10.00"}, {65535, "655.35"}, {254, "2.54"}};
    for (const auto& [version, text] : cases) {
        EXPECT_EQ(VersionText(version), text) << version;
    }
}

TEST(VersionText, ModelNames) {
    EXPECT_EQ(ModelText(3098), "Zelmark");
    EXPECT_EQ(ModelText(3099), "3099");
    EXPECT_EQ(ModelText(0), "0");
}

TEST(MainFirmwareVersion, OnlyHundredTo254NameAVersion) {
    EXPECT_FALSE(namesMainFirmwareVersion(0));
    EXPECT_FALSE(namesMainFirmwareVersion(99));
    EXPECT_TRUE(namesMainFirmwareVersion(100));
    EXPECT_TRUE(namesMainFirmwareVersion(254));
    EXPECT_FALSE(namesMainFirmwareVersion(255));
}
