#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "crc16.h"
#include "frames.h"
#include "imageheader.h"
#include "protocol.h"
#include "testimages.h"

using namespace zelmark;

namespace {

std::vector<std::uint8_t> commandFrame(std::uint8_t code, std::uint16_t first,
                                       std::uint16_t second) {
    std::array<std::uint8_t, 8> tx{};
    buildCommandFrame(tx.data(), code, first, second);
    return {tx.begin(), tx.end()};
}

// The CRC of a block frame, computed independently of the frame builder: byte 0, then 3..517.
std::uint16_t expectedCrc(const std::uint8_t* frame) {
    std::vector<std::uint8_t> covered{frame[0]};
    covered.insert(covered.end(), frame + 3, frame + protocol::BlockFrameSize);
    return crc16Xmodem(covered.data(), covered.size());
}

}  // namespace

TEST(Crc16, IsXmodem) {
    const char* digits = "123456789";
    EXPECT_EQ(crc16Xmodem(reinterpret_cast<const std::uint8_t*>(digits), 9), 0x31C3);
    std::uint16_t crc = 0;
    UpdateCrc(crc, 0x00);
    EXPECT_EQ(crc, 0x0000);
}

TEST(CommandFrame, WireBytes) {
    EXPECT_EQ(commandFrame(9, 0, 0),
              (std::vector<std::uint8_t>{0x78, 0x87, 0x09, 0xF6, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(commandFrame(23, 0, 0),
              (std::vector<std::uint8_t>{0x78, 0x87, 0x17, 0xE8, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(commandFrame(9, 0x1234, 0xABCD),
              (std::vector<std::uint8_t>{0x78, 0x87, 0x09, 0xF6, 0x12, 0x34, 0xAB, 0xCD}));
}

TEST(BlockFrame, CodeBlockHeadersAndData) {
    const ImageBytes image = embeddedImage();
    std::array<std::uint8_t, protocol::BlockFrameSize> tx{};
    const struct {
        unsigned block;
        std::uint8_t addressLow, addressHigh;
    } cases[] = {{1, 0x00, 0x40}, {82, 0x00, 0xE2}, {91, 0x00, 0xF4}};
    for (const auto& c : cases) {
        std::uint16_t crc = 0;
        buildCodeBlock(tx.data(), image, c.block, codeBlockFlashAddress(c.block), crc);
        EXPECT_EQ(tx[0], 0xA1) << c.block;
        EXPECT_EQ(tx[3], 0x40) << c.block;
        EXPECT_EQ(tx[4], c.addressLow) << c.block;
        EXPECT_EQ(tx[5], c.addressHigh) << c.block;
        EXPECT_EQ(std::memcmp(tx.data() + 6, image.data() + codeBlockImageOffset(c.block), 512), 0);
        const std::uint16_t expected = expectedCrc(tx.data());
        EXPECT_EQ(crc, expected);
        EXPECT_EQ(tx[1], expected & 0xFF) << c.block;
        EXPECT_EQ(tx[2], expected >> 8) << c.block;
    }
}

TEST(BlockFrame, VectorBlockCarriesTheTableThenZeros) {
    const ImageBytes image = embeddedImage();
    std::array<std::uint8_t, protocol::BlockFrameSize> tx;
    tx.fill(0xEE);  // whatever the buffer held before
    std::uint16_t crc = 0;
    buildVectorBlock(tx.data(), image, crc);
    EXPECT_EQ(tx[0], 0xA2);
    EXPECT_EQ(tx[3], 0x40);
    EXPECT_EQ(tx[4], 0xE0);
    EXPECT_EQ(tx[5], 0xFF);
    EXPECT_EQ(std::memcmp(tx.data() + 6, image.data() + 128, 32), 0);
    for (std::size_t i = 38; i < protocol::BlockFrameSize; ++i) {
        ASSERT_EQ(tx[i], 0) << i;
    }
    EXPECT_EQ(crc, expectedCrc(tx.data()));
}

TEST(BlockFrame, ErasedBlockAt4000HasKnownCrc) {
    TestImage image;
    std::fill_n(image.bytes.begin() + CodeAreaOffset, BlockSize, 0xFF);
    std::array<std::uint8_t, protocol::BlockFrameSize> tx{};
    std::uint16_t crc = 0;
    buildCodeBlock(tx.data(), image.view(), 1, 0x4000, crc);
    EXPECT_EQ(tx[1], 0x16);
    EXPECT_EQ(tx[2], 0xBB);
}
