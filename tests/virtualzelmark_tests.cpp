#include <gtest/gtest.h>

#include "crc16.h"
#include "frames.h"
#include "imageheader.h"
#include "protocol.h"
#include "virtualzelmark.h"

using namespace zelmark;

namespace {

struct DeviceFixture : ::testing::Test {
    VirtualClock clock;
    VirtualZelmark device{clock};
    SiHandle handle = 0;
    std::array<std::uint8_t, protocol::BlockFrameSize> frame{};

    void SetUp() override { ASSERT_EQ(device.SI_Open(0, &handle), SiSuccess); }
    void write(const std::uint8_t* bytes, std::uint32_t size) {
        std::uint32_t written = 0;
        ASSERT_EQ(device.SI_Write(handle, bytes, size, &written), SiSuccess);
    }
    void command(std::uint8_t code) {
        std::uint8_t tx[8];
        buildCommandFrame(tx, code, 0, 0);
        write(tx, 8);
    }
    void block(unsigned k) {
        std::uint16_t crc = 0;
        buildCodeBlock(frame.data(), embeddedImage(), k, codeBlockFlashAddress(k), crc);
        write(frame.data(), protocol::BlockFrameSize);
    }
    // The next reply byte, waiting up to a second; -1 for none.
    int reply() {
        device.waitForReceive(handle, 1000);
        std::uint8_t byte = 0;
        std::uint32_t read = 0;
        std::uint32_t queued = 0, status = 0;
        device.SI_CheckRXQueue(handle, &queued, &status);
        if (queued == 0)
            return -1;
        device.SI_Read(handle, &byte, 1, &read);
        return read == 1 ? byte : -1;
    }
};

}  // namespace

TEST_F(DeviceFixture, AnswersABlockAfterWireAndProgrammingTime) {
    command(protocol::CommandUpdate);
    const std::uint64_t start = clock.nowUs();
    block(1);
    EXPECT_EQ(reply(), protocol::Ack);
    // 518 bytes in, 38 ms programming, one byte out; the command's 8 bytes were already sent.
    EXPECT_NEAR(static_cast<double>(clock.nowUs() - start), 526 * 10.851 + 38000 + 10.851, 3.0);
}

TEST_F(DeviceFixture, ChecksKindCrcAndOrder) {
    block(1);
    EXPECT_EQ(reply(), -1);  // not in update mode: block frames are not answered
    command(protocol::CommandUpdate);
    block(2);
    EXPECT_EQ(reply(), protocol::Nak);  // out of order
    block(1);
    EXPECT_EQ(reply(), protocol::Ack);
    block(1);
    EXPECT_EQ(reply(), protocol::Ack);  // again, as after a lost ACK
    frame[100] ^= 1;                    // damaged: the CRC no longer fits
    clock.sleepMs(5);
    write(frame.data(), protocol::BlockFrameSize);
    EXPECT_EQ(reply(), protocol::Nak);
    std::uint16_t crc = 0;
    buildVectorBlock(frame.data(), embeddedImage(), crc);
    write(frame.data(), protocol::BlockFrameSize);
    EXPECT_EQ(reply(), protocol::Nak);  // the vector block comes last
    EXPECT_EQ(device.device().stats().blocksProgrammed, 1u);
}

TEST_F(DeviceFixture, PulledCableFailsEveryCall) {
    device.device().faults.unplugAtFrame = 1;
    command(protocol::CommandUpdate);
    block(1);
    clock.sleepMs(10);
    std::uint32_t count = 9, written = 0, queued = 0, status = 0;
    EXPECT_EQ(device.SI_GetNumDevices(&count), SiDeviceNotFound);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(device.SI_Write(handle, frame.data(), 518, &written), SiIoFailed);
    EXPECT_EQ(device.SI_CheckRXQueue(handle, &queued, &status), SiIoFailed);
    EXPECT_EQ(device.SI_Close(handle), SiSuccess);
    SiHandle again = 0;
    EXPECT_EQ(device.SI_Open(0, &again), SiDeviceNotFound);
    device.plug();
    EXPECT_EQ(device.SI_Open(0, &again), SiSuccess);
}
