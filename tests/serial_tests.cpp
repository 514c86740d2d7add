// The serial backend on a real serial path: the virtual Zelmark on the master side of a
// pseudo-terminal, the backend on its slave side, in real time.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>

#include "devicelink.h"
#include "ptyzelmark.h"
#include "serialusb.h"

using namespace zelmark;

namespace {

struct SerialFixture : ::testing::Test {
    PtyZelmark pty;
    RealClock clock;
    std::unique_ptr<SerialUsb> usb;
    std::unique_ptr<DeviceLink> link;

    void SetUp() override {
        pty.device().timing.programmingUs = 5000;  // a quicker device keeps the test short
    }
    void connect() {
        ASSERT_TRUE(pty.start());
        usb = std::make_unique<SerialUsb>(QString::fromStdString(pty.portPath()));
        link = std::make_unique<DeviceLink>(*usb, clock, embeddedImage());
    }
    TransferResult update() {
        TransferObserver observer;
        return link->sendFirmware(observer);
    }
};

}  // namespace

TEST_F(SerialFixture, QueryAndUpdateThroughTheSerialLayer) {
    pty.device().identity.serial = 1234;
    connect();
    std::uint32_t count = 0;
    EXPECT_EQ(usb->SI_GetNumDevices(&count), SiSuccess);
    EXPECT_EQ(count, 1u);
    MemoryReplyStore reply;
    ASSERT_EQ(link->queryInformation(reply), QueryOutcome::Read);
    EXPECT_EQ(link->deviceInfo().serial, 1234);
    EXPECT_EQ(link->verdict(), Verdict::Ready);

    const TransferResult result = update();
    EXPECT_EQ(result.outcome, TransferOutcome::Completed);
    EXPECT_EQ(result.progress.byteCounter, 47138u);
    pty.stop();
    EXPECT_TRUE(pty.stats().flashMatchesImage);
}

// Over a real port a read returns what has arrived so far: a reply that comes in 3-byte pieces
// is still read whole.
TEST_F(SerialFixture, ReplyInSmallPiecesIsReadWhole) {
    pty.device().identity = {3099, 8721, 218, 1, 100};
    pty.device().infoReply.splitSizes.assign(40, 3);
    pty.device().infoReply.splitGapUs = 2000;
    connect();
    MemoryReplyStore reply;
    ASSERT_EQ(link->queryInformation(reply), QueryOutcome::Read);
    EXPECT_EQ(reply.bytes(), pty.device().informationReply());
    EXPECT_EQ(link->deviceInfo().model, 3099);
    EXPECT_EQ(link->deviceInfo().serial, 8721);
    EXPECT_EQ(link->verdict(), Verdict::WrongModel);
}

TEST_F(SerialFixture, NakAndLostReplyAreRecovered) {
    pty.device().faults.nak.atFrames = {3};
    pty.device().faults.lostReply.atFrames = {30};
    connect();
    const TransferResult result = update();
    EXPECT_EQ(result.outcome, TransferOutcome::Completed);
    EXPECT_EQ(result.progress.resends, 2u);
    pty.stop();
    EXPECT_TRUE(pty.stats().flashMatchesImage);
}

TEST_F(SerialFixture, PulledCableEndsTheTransferWithinSeconds) {
    pty.device().faults.unplugAtFrame = 40;
    connect();
    const auto start = std::chrono::steady_clock::now();
    const TransferResult result = update();
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(result.outcome, TransferOutcome::Failed);
    EXPECT_EQ(result.reason, FailureReason::DeviceGone);
    EXPECT_EQ(result.progress.frame, 40u);
    EXPECT_LT(seconds, 5.0);
}

TEST(SerialPort, MissingPortIsNoDevice) {
    SerialUsb usb(QStringLiteral("/dev/nonexistent-zelmark"));
    std::uint32_t count = 7;
    EXPECT_EQ(usb.SI_GetNumDevices(&count), SiDeviceNotFound);
    EXPECT_EQ(count, 0u);
    SiHandle handle = 0;
    EXPECT_EQ(usb.SI_Open(0, &handle), SiDeviceNotFound);
}

// A port this user may not open: the pseudo-terminal, opened by a user who is not its owner.
TEST(SerialPort, PortWithoutPermissionIsAccessDenied) {
    PtyZelmark pty;
    ASSERT_TRUE(pty.start());
    ::chmod(pty.portPath().c_str(), 0600);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(100);  // cannot become another user: nothing to show here
        }
        SerialUsb usb(QString::fromStdString(pty.portPath()));
        SiHandle handle = 0;
        ::_exit(static_cast<int>(usb.SI_Open(0, &handle)));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 100) {
        GTEST_SKIP() << "this test needs to run as root to take another user's view";
    }
    EXPECT_EQ(static_cast<SiStatus>(WEXITSTATUS(status)), SiAccessDenied);
}

TEST(SerialPort, PortHeldByAnotherProgramIsBusy) {
    PtyZelmark pty;
    ASSERT_TRUE(pty.start());
    SerialUsb holder(QString::fromStdString(pty.portPath()));
    SerialUsb second(QString::fromStdString(pty.portPath()));
    SiHandle first = 0;
    SiHandle other = 0;
    ASSERT_EQ(holder.SI_Open(0, &first), SiSuccess);
    EXPECT_EQ(second.SI_Open(0, &other), SiDeviceBusy);
    holder.SI_Close(first);
    EXPECT_EQ(second.SI_Open(0, &other), SiSuccess);
    second.SI_Close(other);
}
