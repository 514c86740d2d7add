#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <numeric>

#include "devicelink.h"
#include "scriptedusb.h"
#include "tempdir.h"
#include "virtualzelmark.h"

using namespace zelmark;

namespace {

std::vector<std::uint8_t> bytes(std::size_t n, std::uint8_t first) {
    std::vector<std::uint8_t> v(n);
    std::iota(v.begin(), v.end(), first);
    return v;
}

struct CaptureFixture : ::testing::Test {
    VirtualClock clock;
    ScriptedUsb usb{clock};
    DeviceLink link{usb, clock, embeddedImage()};
    TempDir dir;
    FileReplyStore store{dir.file("version.tmp").string()};

    // The capture runs with the information query's read time-out of 1500 ms.
    void SetUp() override { link.setTimeouts(protocol::QueryTimeoutMs, protocol::QueryTimeoutMs); }
    std::vector<std::uint8_t> file() const { return TempDir::read(store.path()); }
};

}  // namespace

TEST_F(CaptureFixture, EveryReadIsKeptInArrivalOrder) {
    struct Case {
        const char* name;
        std::vector<std::vector<std::uint8_t>> reads;
    };
    const Case cases[] = {
        {"one read of ten", {bytes(10, 100)}},
        {"nine then ten", {bytes(9, 0), bytes(10, 100)}},
        {"single bytes", {bytes(1, 7), bytes(1, 8), bytes(1, 9)}},
        {"ten, three, twenty", {bytes(10, 100), bytes(3, 50), bytes(20, 1)}},
    };
    for (const Case& c : cases) {
        usb.replies.assign(c.reads.begin(), c.reads.end());
        std::vector<std::uint8_t> expected;
        for (const auto& read : c.reads) {
            expected.insert(expected.end(), read.begin(), read.end());
        }
        EXPECT_EQ(link.CaptureReply(store), CaptureEnd::Silent) << c.name;
        EXPECT_EQ(file(), expected) << c.name;
    }
}

// Without a whole record the capture waits a whole read time-out for more; once the marker and
// its 16 record bytes are in, a short quiet gap ends it.
TEST_F(CaptureFixture, EndsAfterTheReadTimeoutOrAShortGapBehindAWholeRecord) {
    std::vector<std::uint8_t> withRecord = bytes(3, 0);
    withRecord.push_back(protocol::InfoMarkerByte);
    const std::vector<std::uint8_t> record = bytes(16, 1);
    withRecord.insert(withRecord.end(), record.begin(), record.end());
    struct Case {
        const char* name;
        std::vector<std::uint8_t> reply;
        std::uint64_t endsAfterMs;
    };
    const Case cases[] = {
        {"no marker", bytes(12, 0), protocol::QueryTimeoutMs},
        {"marker and 15 record bytes",
         std::vector<std::uint8_t>(withRecord.begin(), withRecord.end() - 1),
         protocol::QueryTimeoutMs},
        {"marker and the whole record", withRecord, protocol::RecordQuietGapMs},
    };
    for (const Case& c : cases) {
        usb.replies = {c.reply};
        const std::uint64_t start = clock.nowMs();
        link.CaptureReply(store);
        EXPECT_EQ(file(), c.reply) << c.name;
        EXPECT_EQ(clock.nowMs() - start, c.endsAfterMs) << c.name;
    }
}

TEST(Capture, EmptiesAnExistingFileEvenWhenNothingArrives) {
    VirtualClock clock;
    ScriptedUsb usb(clock);
    DeviceLink link(usb, clock, embeddedImage());
    TempDir dir;
    TempDir::write(dir.file("version.tmp"), bytes(50, 0));
    FileReplyStore store(dir.file("version.tmp").string());
    const std::uint64_t start = clock.nowMs();
    link.CaptureReply(store);
    EXPECT_TRUE(TempDir::read(dir.file("version.tmp")).empty());
    // Nobody answered: the wait gives up after five seconds without a byte.
    EXPECT_EQ(clock.nowMs() - start, protocol::CaptureSilenceLimitMs);
}

TEST(Capture, FailingQueuePollEndsNormallyWithAnEmptyFile) {
    VirtualClock clock;
    ScriptedUsb usb(clock);
    usb.queueStatus = SiIoFailed;
    usb.replies = {bytes(20, 0)};
    DeviceLink link(usb, clock, embeddedImage());
    TempDir dir;
    FileReplyStore store(dir.file("version.tmp").string());
    EXPECT_NO_THROW(link.CaptureReply(store));
    EXPECT_TRUE(TempDir::read(dir.file("version.tmp")).empty());
    EXPECT_EQ(usb.count("SI_Read"), 0);
}

TEST(Capture, LongReplyIsReadInPiecesOfAtMost4096) {
    VirtualClock clock;
    ScriptedUsb usb(clock);
    usb.replies = {bytes(5000, 0)};
    DeviceLink link(usb, clock, embeddedImage());
    MemoryReplyStore store;
    link.setTimeouts(1500, 1500);
    link.CaptureReply(store);
    EXPECT_EQ(store.bytes(), bytes(5000, 0));
    EXPECT_EQ(usb.count("SI_Read"), 2);
}

TEST(Capture, WaitsInShortSlicesAndKeepsTheWindowAlive) {
    VirtualClock clock;
    ScriptedUsb usb(clock);
    int pumps = 0;
    DeviceLink link(usb, clock, embeddedImage(), LinkHooks{[&] { ++pumps; }, {}});
    MemoryReplyStore store;
    link.CaptureReply(store);
    // Five seconds of waiting in slices of at most 10 ms, with the window served between them.
    EXPECT_GE(pumps, 500);
}

TEST(Capture, StopsWaitingWhenAskedToStop) {
    VirtualClock clock;
    ScriptedUsb usb(clock);
    DeviceLink link(usb, clock, embeddedImage(),
                    LinkHooks{{}, [&] { return clock.nowMs() >= 100; }});
    MemoryReplyStore store;
    link.CaptureReply(store);
    EXPECT_LE(clock.nowMs(), 110u);
}

TEST(Capture, FileThatCannotBeCreatedRaisesIoError) {
    VirtualClock clock;
    ScriptedUsb usb(clock);
    DeviceLink link(usb, clock, embeddedImage());
    FileReplyStore store("/nonexistent-directory/version.tmp");
    EXPECT_THROW(link.CaptureReply(store), IoError);
}

// A device that keeps talking is cut off, as if it had fallen silent.
TEST(Capture, EndlessRepliesAreCutOff) {
    struct Case {
        const char* name;
        std::function<void(InfoReplyShape&)> shape;
        std::uint64_t maxMs;
    };
    const Case cases[] = {
        {"a flood of bytes", [](InfoReplyShape& r) { r.padTo = 200000; }, 4000},
        {"a byte now and then",
         [](InfoReplyShape& r) {
             r.omitMarker = true;  // no record ever completes
             r.padTo = 200;
             r.splitSizes.assign(200, 1);
             r.splitGapUs = 900000;  // never silent for the 1500 ms read time-out
         },
         protocol::CaptureTimeLimitMs + protocol::QueryTimeoutMs + 1000},
    };
    for (const Case& c : cases) {
        VirtualClock clock;
        VirtualZelmark device(clock);
        c.shape(device.device().infoReply);
        DeviceLink link(device, clock, embeddedImage());
        MemoryReplyStore store;
        try {
            link.queryInformation(store);
        } catch (const IoError&) {
            // a reply padded past the byte limit may be cut off before its record
        }
        EXPECT_LE(store.bytes().size(), protocol::CaptureByteLimit + protocol::BufferSize)
            << c.name;
        EXPECT_LT(clock.nowMs(), c.maxMs) << c.name;
        EXPECT_FALSE(device.isOpen()) << c.name;
    }
}

// Two updaters in one folder never read each other's reply: the file is held for one query, and
// a second store takes a name of its own beside it, removed again when it is done.
TEST(ScratchFile, IsHeldForOneQueryAndNeverShared) {
    TempDir dir;
    // A folder with a name beyond ASCII, as a user's folder may have; paths are UTF-8.
    const std::filesystem::path folder = dir.path() / std::filesystem::path(u8"S\u00F8ren");
    std::filesystem::create_directory(folder);
    const std::u8string utf8 = (folder / "version.tmp").u8string();
    const std::string path(utf8.begin(), utf8.end());
    FileReplyStore first(path);
    first.create();
    first.append(bytes(20, 1).data(), 20);
    std::string secondPath;
    {
        FileReplyStore second(path);
        second.create();
        second.append(bytes(20, 100).data(), 20);
        secondPath = second.path();
        EXPECT_NE(secondPath, path);
        const auto reader = second.openForReading();
        EXPECT_EQ(reader->readByte(), 100);
    }
    EXPECT_FALSE(std::filesystem::exists(
        std::filesystem::path(std::u8string(secondPath.begin(), secondPath.end()))));
    const auto reader = first.openForReading();
    for (std::uint8_t expected = 1; expected <= 20; ++expected) {
        EXPECT_EQ(reader->readByte(), expected);
    }
    EXPECT_THROW(reader->readByte(), IoError);
    first.release();
    EXPECT_EQ(TempDir::read(folder / "version.tmp"), bytes(20, 1));  // left in place
}
