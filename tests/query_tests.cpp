#include <gtest/gtest.h>

#include "devicelink.h"
#include "scriptedusb.h"
#include "tempdir.h"
#include "testimages.h"
#include "virtualzelmark.h"

using namespace zelmark;

namespace {

struct QueryFixture : ::testing::Test {
    VirtualClock clock;
    VirtualZelmark device{clock};
    DeviceLink link{device, clock, embeddedImage()};
    MemoryReplyStore reply;
};

}  // namespace

TEST_F(QueryFixture, ReadsTheRecordBehindTheMarker) {
    device.device().infoReply.leading = {0x00, 0x55, 0xAA};
    device.device().infoReply.trailing = {0xCC, 0x01, 0x02, 0x03};
    device.device().identity = {3098, 4660, 26505, 1, 100};
    ASSERT_EQ(link.queryInformation(reply), QueryOutcome::Read);
    EXPECT_EQ(link.InfoMarker, 0xCC);
    EXPECT_EQ(link.InfoIndex, 0);
    EXPECT_EQ(link.InfoBytes[0], 0x0C);  // model code, high byte first
    EXPECT_EQ(link.InfoBytes[1], 0x1A);
    EXPECT_EQ(link.InfoBytes[2], 0x34);  // serial, low byte first
    EXPECT_EQ(link.InfoBytes[3], 0x12);
    EXPECT_EQ(link.InfoBytes[7], 0x89);  // version 0x6789, low byte first
    EXPECT_EQ(link.InfoBytes[8], 0x67);
    const DeviceInfo info = link.deviceInfo();
    EXPECT_EQ(info.model, 3098);
    EXPECT_EQ(info.serial, 4660);
    EXPECT_EQ(info.currentVersion, CorruptVersion);
    EXPECT_EQ(info.submodel, 1);
    EXPECT_EQ(info.updaterVersion, 100);
    EXPECT_FALSE(device.isOpen());
}

TEST_F(QueryFixture, ExchangeOrderAndTiming) {
    ScriptedUsb usb(clock);
    usb.onWrite = [&](const std::vector<std::uint8_t>&) {
        usb.replies.push_back(
            {0x11, 0x22, 0xCC, 0x0C, 0x1A, 0x34, 0x12, 0, 0, 0, 0x68, 0x00, 0, 0, 1, 100, 0, 0, 0});
    };
    DeviceLink scripted(usb, clock, embeddedImage());
    ASSERT_EQ(scripted.queryInformation(reply), QueryOutcome::Read);
    EXPECT_EQ(usb.writes.at(0), (std::vector<std::uint8_t>{0x78, 0x87, 0x09, 0xF6, 0, 0, 0, 0}));
    EXPECT_EQ(usb.baudRate, 921600u);
    EXPECT_EQ(usb.readTimeoutMs, 1500u);
    EXPECT_EQ(usb.writeTimeoutMs, 1500u);
    EXPECT_EQ(usb.calls.front(), "SI_Open");
    EXPECT_EQ(usb.calls.back(), "SI_Close");
    // 250 ms before the command, the reply read at once, a short quiet gap behind the whole
    // record, 250 ms before close.
    EXPECT_EQ(clock.nowMs(), 250u + protocol::RecordQuietGapMs + 250u);
    EXPECT_EQ(scripted.deviceInfo().currentVersion, 104);
}

TEST(Verdict, FirstFailingTestDecides) {
    struct Case {
        DeviceInfo info;
        Verdict verdict;
    };
    const Case cases[] = {
        {{3098, 1, 104, 1, 100}, Verdict::Ready},
        {{3098, 1, 104, 1, 255}, Verdict::Ready},  // 255 passes the updater test
        {{3098, 1, 104, 1, 99}, Verdict::WrongFirmware},
        {{3098, 1, 104, 2, 100}, Verdict::WrongSubmodel},
        {{3098, 1, 104, 2, 99}, Verdict::WrongFirmware},  // updater before submodel
        {{3099, 1, 104, 2, 99}, Verdict::WrongModel},     // model before everything
        {{3099, 1, 104, 1, 100}, Verdict::WrongModel},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(judge(c.info, embeddedImage()), c.verdict)
            << c.info.model << " " << int(c.info.submodel) << " " << int(c.info.updaterVersion);
    }
}

TEST_F(QueryFixture, RepliesWithoutAWholeRecordRaiseReadBeyondEnd) {
    struct Case {
        const char* name;
        InfoReplyShape shape;
    };
    InfoReplyShape noMarker;
    noMarker.omitMarker = true;
    InfoReplyShape shortRecord;
    shortRecord.recordLength = 15;
    InfoReplyShape shortRecordInPieces;
    shortRecordInPieces.recordLength = 15;
    shortRecordInPieces.splitSizes.assign(20, 1);
    for (const Case& c : {Case{"no marker", noMarker}, Case{"short record", shortRecord},
                          Case{"short record in pieces", shortRecordInPieces}}) {
        device.device().infoReply = c.shape;
        try {
            link.queryInformation(reply);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const IoError& error) {
            EXPECT_STREQ(error.what(), "Read beyond end of file") << c.name;
        }
        EXPECT_FALSE(device.isOpen()) << c.name;
    }
}

// The USB bridge hands a reply over in as many reads as it likes: every delivery gives the same
// record and the same verdict.
TEST(QueryDelivery, TheRecordIsReadWholeHoweverTheReplyArrives) {
    struct Case {
        const char* name;
        std::vector<std::size_t> pieces;
        std::size_t leadingBytes;  // 0: the device's usual three
        std::uint16_t model;
        Verdict verdict;
    };
    auto repeated = [](std::size_t size) { return std::vector<std::size_t>(40, size); };
    const Case cases[] = {
        {"one piece", {}, 0, 3098, Verdict::Ready},
        {"pieces of 1 byte", repeated(1), 0, 3098, Verdict::Ready},
        {"pieces of 3 bytes", repeated(3), 0, 3098, Verdict::Ready},
        {"pieces of 9 bytes", repeated(9), 0, 3098, Verdict::Ready},
        {"split right after the marker", {4}, 0, 3098, Verdict::Ready},
        {"split inside the record", {11}, 0, 3098, Verdict::Ready},
        {"2-byte piece inside a wrong model's record", {10, 2}, 0, 3099, Verdict::WrongModel},
        // (the wizard refuses that device and sends it nothing: Wizard.RefusedDevicesGet...)
        {"leading bytes longer than 4096", {}, 5000, 3098, Verdict::Ready},
    };
    for (const Case& c : cases) {
        VirtualClock clock;
        VirtualZelmark device(clock);
        device.device().identity = {c.model, 8721, 218, 1, 100};
        InfoReplyShape& shape = device.device().infoReply;
        shape.splitSizes = c.pieces;
        shape.splitGapUs = 2000;
        if (c.leadingBytes > 0) {
            shape.leading.assign(c.leadingBytes, 0x55);
        }
        DeviceLink link(device, clock, embeddedImage());
        MemoryReplyStore reply;
        ASSERT_EQ(link.queryInformation(reply), QueryOutcome::Read) << c.name;
        EXPECT_EQ(reply.bytes(), device.device().informationReply()) << c.name;
        const DeviceInfo info = link.deviceInfo();
        EXPECT_EQ(info.model, c.model) << c.name;
        EXPECT_EQ(info.serial, 8721) << c.name;
        EXPECT_EQ(info.currentVersion, 218) << c.name;
        EXPECT_EQ(info.updaterVersion, 100) << c.name;
        EXPECT_EQ(link.verdict(), c.verdict) << c.name;
        EXPECT_FALSE(device.isOpen()) << c.name;
    }
}

TEST_F(QueryFixture, OversizedReplyIsReadWhole) {
    device.device().infoReply.padTo = 6000;
    ASSERT_EQ(link.queryInformation(reply), QueryOutcome::Read);
    EXPECT_EQ(reply.bytes().size(), 6000u);
    EXPECT_EQ(link.deviceInfo().model, 3098);
}

// A cable pulled after the information command: the device is gone, not unreadable.
TEST(QueryDelivery, DeviceThatGoesAwayDuringTheQueryIsGone) {
    struct Case {
        const char* name;
        bool afterFirstPiece;  // else as soon as the command has arrived
    };
    for (const Case& c : {Case{"before the reply", false}, Case{"after the first piece", true}}) {
        VirtualClock clock;
        VirtualZelmark device(clock);
        device.device().infoReply.splitSizes = {10};
        device.device().infoReply.splitGapUs = 20000;
        MemoryReplyStore reply;
        if (!c.afterFirstPiece) {
            device.onCommand = [&](std::uint8_t) { device.unplug(); };
        }
        auto pullOnceBytesArrived = [&] {
            if (c.afterFirstPiece && !reply.bytes().empty() && device.plugged()) {
                device.unplug();
            }
        };
        DeviceLink link(device, clock, embeddedImage(), LinkHooks{pullOnceBytesArrived, {}});
        EXPECT_EQ(link.queryInformation(reply), QueryOutcome::DeviceGone) << c.name;
        EXPECT_EQ(reply.bytes().size(), c.afterFirstPiece ? 10u : 0u) << c.name;
        EXPECT_FALSE(device.isOpen()) << c.name;
    }
}

TEST_F(QueryFixture, DeviceThatDoesNotOpenLeavesNoFile) {
    device.openStatus = SiAccessDenied;
    TempDir dir;
    FileReplyStore file(dir.file("version.tmp").string());
    EXPECT_EQ(link.queryInformation(file), QueryOutcome::NotOpened);
    EXPECT_FALSE(std::filesystem::exists(dir.file("version.tmp")));
}

TEST_F(QueryFixture, ScratchFileErrorClosesTheDeviceFirst) {
    FileReplyStore file("/nonexistent-directory/version.tmp");
    EXPECT_THROW(link.queryInformation(file), IoError);
    EXPECT_FALSE(device.isOpen());
}

TEST_F(QueryFixture, FileReplyIsLeftInPlace) {
    TempDir dir;
    FileReplyStore file(dir.file("version.tmp").string());
    ASSERT_EQ(link.queryInformation(file), QueryOutcome::Read);
    EXPECT_EQ(TempDir::read(dir.file("version.tmp")), device.device().informationReply());
}
