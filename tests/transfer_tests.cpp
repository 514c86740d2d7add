#include <gtest/gtest.h>

#include <functional>

#include "devicelink.h"
#include "imageheader.h"
#include "scriptedusb.h"
#include "virtualzelmark.h"

using namespace zelmark;

namespace {

struct CountingObserver : TransferObserver {
    int opened = 0;
    unsigned acknowledged = 0;
    std::uint32_t counted = 0;
    void deviceOpened() override { ++opened; }
    void frameAcknowledged(const TransferProgress&) override { ++acknowledged; }
    void transferCounted(std::uint32_t bytes) override { counted = bytes; }
};

struct TransferFixture : ::testing::Test {
    VirtualClock clock;
    VirtualZelmark device{clock};
    CountingObserver observer;
    bool stop = false;
    DeviceLink link{device, clock, embeddedImage(), LinkHooks{{}, [this] { return stop; }}};

    TransferResult run() { return link.sendFirmware(observer); }
};

}  // namespace

TEST_F(TransferFixture, CleanUpdateProgramsTheWholeImage) {
    const TransferResult result = run();
    ASSERT_EQ(result.outcome, TransferOutcome::Completed);
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
    EXPECT_EQ(observer.counted, 47138u);  // 91 x 518: the vector block is not counted
    EXPECT_EQ(observer.acknowledged, 92u);
    EXPECT_EQ(result.progress.resends, 0u);
    EXPECT_EQ(device.wireStats().bytesToDevice, 47664u);  // command 23 and 92 frames
    EXPECT_EQ(device.wireStats().bytesFromDevice, 92u);
    EXPECT_FALSE(device.isOpen());
    // 750 ms of pauses, then per frame its wire time, the programming time and the ACK's wire time.
    const double perFrameUs = 518 * 10.851 + 38000 + 10.851;
    EXPECT_NEAR(static_cast<double>(clock.nowUs()), 750000 + 8 * 10.851 + 92 * perFrameUs,
                92 * 12.0);
}

TEST_F(TransferFixture, FaultsAreRecoveredOrGivenUpNeverReportedAsSuccess) {
    struct Case {
        const char* name;
        std::function<void(TransferFaults&)> inject;
        TransferOutcome outcome;
        FailureReason reason;
        unsigned failedFrame;
    };
    const Case cases[] = {
        {"NAK at frame 5", [](TransferFaults& f) { f.nak.atFrames = {5}; },
         TransferOutcome::Completed, FailureReason::None, 0},
        {"NAKs at 5 % from a seed",
         [](TransferFaults& f) {
             f.nak.probability = 0.05;
             f.seed = 7;
         },
         TransferOutcome::Completed, FailureReason::None, 0},
        {"lost reply", [](TransferFaults& f) { f.lostReply.atFrames = {10}; },
         TransferOutcome::Completed, FailureReason::None, 0},
        {"late reply", [](TransferFaults& f) { f.lateReply.atFrames = {20}; },
         TransferOutcome::Completed, FailureReason::None, 0},
        {"garbage reply",
         [](TransferFaults& f) {
             f.garbageReply.atFrames = {30, 92};
         },
         TransferOutcome::Completed, FailureReason::None, 0},
        {"corrupted frame",
         [](TransferFaults& f) {
             f.corruptFrame.atFrames = {40, 92};
         },
         TransferOutcome::Completed, FailureReason::None, 0},
        {"mixed faults at random",
         [](TransferFaults& f) {
             f.nak.probability = 0.03;
             f.lostReply.probability = 0.02;
             f.garbageReply.probability = 0.02;
             f.corruptFrame.probability = 0.02;
             f.seed = 99;
         },
         TransferOutcome::Completed, FailureReason::None, 0},
        {"silent from frame 50", [](TransferFaults& f) { f.silentFromFrame = 50; },
         TransferOutcome::Failed, FailureReason::NoAcknowledge, 50},
        {"ten NAKs for one frame",
         [](TransferFaults& f) {
             for (unsigned k = 7; k < 17; ++k)
                 f.nak.atFrames.insert(k);
         },
         TransferOutcome::Failed, FailureReason::NoAcknowledge, 7},
        {"cable pulled at frame 60", [](TransferFaults& f) { f.unplugAtFrame = 60; },
         TransferOutcome::Failed, FailureReason::DeviceGone, 60},
        {"cable pulled at the vector block", [](TransferFaults& f) { f.unplugAtFrame = 92; },
         TransferOutcome::Failed, FailureReason::DeviceGone, 92},
    };
    for (const Case& c : cases) {
        VirtualClock caseClock;
        VirtualZelmark caseDevice(caseClock);
        c.inject(caseDevice.device().faults);
        DeviceLink caseLink(caseDevice, caseClock, embeddedImage());
        CountingObserver caseObserver;
        const TransferResult result = caseLink.sendFirmware(caseObserver);
        EXPECT_EQ(result.outcome, c.outcome) << c.name;
        EXPECT_EQ(result.reason, c.reason) << c.name;
        EXPECT_FALSE(caseDevice.isOpen()) << c.name;
        if (c.outcome == TransferOutcome::Completed) {
            EXPECT_TRUE(caseDevice.flashEquals(embeddedImage())) << c.name;
            EXPECT_EQ(caseObserver.counted, 47138u) << c.name;
        } else {
            EXPECT_FALSE(caseDevice.flashEquals(embeddedImage())) << c.name;
            EXPECT_EQ(result.progress.frame, c.failedFrame) << c.name;
            EXPECT_EQ(caseObserver.counted, 0u) << c.name;
        }
        // Bounded: even a silent device is given up within seconds.
        EXPECT_LT(caseClock.nowMs(), 20000u) << c.name;
    }
}

// A late ACK for a resent frame must not be taken as the next frame's reply: the next frame's
// NAK (a frame damaged on the way) then gets lost, and a block is skipped.
TEST_F(TransferFixture, SpareReplyOfAResentFrameIsNeverCreditedToTheNext) {
    device.device().faults.lateReply.atFrames = {20};     // block 20's ACK comes 1.5 s late
    device.device().faults.corruptFrame.atFrames = {22};  // block 21's first copy is damaged
    const TransferResult result = run();
    ASSERT_EQ(result.outcome, TransferOutcome::Completed);
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
    EXPECT_EQ(device.device().stats().naks, 1u);
    EXPECT_EQ(result.progress.resends, 2u);  // block 20 after the time-out, block 21 after its NAK
}

TEST_F(TransferFixture, DeviceThatDoesNotOpenGetsNothing) {
    device.openStatus = SiDeviceBusy;
    const TransferResult result = run();
    EXPECT_EQ(result.outcome, TransferOutcome::NotOpened);
    EXPECT_EQ(observer.opened, 0);
    EXPECT_EQ(device.wireStats().bytesToDevice, 0u);
}

TEST_F(TransferFixture, StopRequestEndsAtAFrameBoundary) {
    device.onBlockFrame = [&](unsigned frame) { stop = frame == 30; };
    const TransferResult result = run();
    EXPECT_EQ(result.outcome, TransferOutcome::Stopped);
    EXPECT_EQ(device.device().stats().blocksProgrammed, 30u);  // frame 30 finished first
    EXPECT_FALSE(device.isOpen());
}

TEST_F(TransferFixture, SecondRunStartsAgainFromTheUpdateCommand) {
    device.device().faults.unplugAtFrame = 10;
    ASSERT_EQ(run().outcome, TransferOutcome::Failed);
    device.device().faults.unplugAtFrame = 0;
    device.plug();
    const TransferResult again = run();
    ASSERT_EQ(again.outcome, TransferOutcome::Completed);
    EXPECT_TRUE(device.flashEquals(embeddedImage()));
}

// Reply handling with a scripted device: only the first byte of a read counts, a NAK costs a
// 500 ms pause, any other byte an immediate resend, and the same frame goes out byte for byte.
TEST(TransferReplies, FirstByteOfEachReadDecides) {
    struct Case {
        const char* name;
        std::vector<std::vector<std::uint8_t>> firstBlockReplies;
        unsigned writesOfFirstBlock;
        std::uint64_t pauseMs;  // between the first and the last write of block 1
    };
    const Case cases[] = {
        {"ACK then NAK in one read", {{0x06, 0x15}}, 1, 0},
        {"NAK then ACK in one read", {{0x15, 0x06}, {0x06}}, 2, 500},
        {"neither ACK nor NAK", {{0x00}, {0x06}}, 2, 0},
        {"no reply at all", {{}, {0x06}}, 2, protocol::ReplyTimeoutMs},
    };
    for (const Case& c : cases) {
        VirtualClock clock;
        ScriptedUsb usb(clock);
        std::vector<std::vector<std::uint8_t>> script = c.firstBlockReplies;
        std::vector<std::uint64_t> blockOneWrites;
        usb.onWrite = [&](const std::vector<std::uint8_t>& frame) {
            if (frame.size() != protocol::BlockFrameSize) {
                return;
            }
            if (frame[4] == 0x00 && frame[5] == 0x40) {
                blockOneWrites.push_back(clock.nowMs());
            }
            std::vector<std::uint8_t> reply{protocol::Ack};
            if (!script.empty()) {
                reply = script.front();
                script.erase(script.begin());
            }
            if (!reply.empty()) {
                usb.replies.push_back(reply);
            }
        };
        DeviceLink link(usb, clock, embeddedImage());
        CountingObserver observer;
        ASSERT_EQ(link.sendFirmware(observer).outcome, TransferOutcome::Completed) << c.name;
        ASSERT_EQ(blockOneWrites.size(), c.writesOfFirstBlock) << c.name;
        EXPECT_EQ(blockOneWrites.back() - blockOneWrites.front(), c.pauseMs) << c.name;
        // Every write of block 1 is the same 518 bytes; block 2 still goes to 0x4200.
        const auto& frames = usb.writes;
        EXPECT_EQ(frames[1], frames[c.writesOfFirstBlock]) << c.name;
        EXPECT_EQ(frames[c.writesOfFirstBlock + 1][5], 0x42) << c.name;
        EXPECT_EQ(observer.counted, 47138u) << c.name;
    }
}

TEST(TransferReplies, ByteCounterTakesTheLastWriteOfEachBlock) {
    VirtualClock clock;
    ScriptedUsb usb(clock);
    bool nakSent = false;
    usb.writeCounts = {0, 100, 0};  // command, block 1 (short write, NAK), block 1 again
    usb.onWrite = [&](const std::vector<std::uint8_t>& frame) {
        if (frame.size() == protocol::BlockFrameSize) {
            usb.replies.push_back({nakSent ? protocol::Ack : protocol::Nak});
            nakSent = true;
        }
    };
    DeviceLink link(usb, clock, embeddedImage());
    CountingObserver observer;
    ASSERT_EQ(link.sendFirmware(observer).outcome, TransferOutcome::Completed);
    EXPECT_EQ(observer.counted, 47138u);
}

TEST(TransferReplies, WaitsInSlicesOfAtMostTenMilliseconds) {
    VirtualClock clock;
    ScriptedUsb usb(clock);
    int pumps = 0;
    DeviceLink link(usb, clock, embeddedImage(), LinkHooks{[&] { ++pumps; }, {}});
    CountingObserver observer;
    // The device never answers: ten attempts of one second each, the window served throughout.
    const TransferResult result = link.sendFirmware(observer);
    EXPECT_EQ(result.outcome, TransferOutcome::Failed);
    EXPECT_EQ(result.reason, FailureReason::NoAcknowledge);
    EXPECT_EQ(usb.count("SI_Write"), 1 + static_cast<int>(protocol::MaxFrameAttempts));
    EXPECT_GE(pumps, static_cast<int>(protocol::MaxFrameAttempts * protocol::ReplyTimeoutMs /
                                      protocol::WaitSliceMs));
}

TEST(TransferReplies, GivesUpAtOnceAfterTheLastRefusal) {
    VirtualClock clock;
    ScriptedUsb usb(clock);
    usb.onWrite = [&](const std::vector<std::uint8_t>& frame) {
        if (frame.size() == protocol::BlockFrameSize) {
            usb.replies.push_back({protocol::Nak});
        }
    };
    DeviceLink link(usb, clock, embeddedImage());
    CountingObserver observer;
    const TransferResult result = link.sendFirmware(observer);
    EXPECT_EQ(result.outcome, TransferOutcome::Failed);
    EXPECT_EQ(result.reason, FailureReason::NoAcknowledge);
    EXPECT_EQ(result.lastReply, protocol::Nak);
    // The two pauses around the update command, then a pause after each refusal but the last.
    EXPECT_EQ(clock.nowMs(), 2 * protocol::SettlePauseMs +
                                 (protocol::MaxFrameAttempts - 1) * protocol::NakPauseMs);
}
