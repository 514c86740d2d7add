#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "clock.h"
#include "deviceinfo.h"
#include "firmwareimage.h"
#include "protocol.h"
#include "replystore.h"
#include "usbheader.h"

// The protocol with one Zelmark: the command frame, the capture of the information reply, the
// information query and the firmware transfer. It owns the device handle and the buffers; the
// window, the command-line tool and the tests all run their exchanges through it.
namespace zelmark {

// What the link needs from whoever runs it while it waits for the device.
struct LinkHooks {
    std::function<void()> pumpMessages;   // keep the window (or the progress line) alive
    std::function<bool()> stopRequested;  // the user wants out: stop at the next safe point
};

// NotOpened: SI_Open failed. DeviceGone: the device went away before its record had arrived.
enum class QueryOutcome { NotOpened, Read, DeviceGone };

// Why a capture ended: the device fell silent, a call failed (the device may be gone), the user
// stopped it, nothing arrived at all, or a device that kept talking was cut off.
enum class CaptureEnd { Silent, Failed, Stopped, NothingArrived, CutOff };

enum class TransferOutcome { NotOpened, Completed, Failed, Stopped };
enum class FailureReason { None, NoAcknowledge, DeviceGone };

struct TransferProgress {
    unsigned frame = 0;  // 1..91 code blocks, 92 the vector block
    std::uint16_t flashAddress = 0;
    std::uint32_t byteCounter = 0;  // bytes of acknowledged code blocks, as written
    unsigned resends = 0;           // frames written again so far in this transfer
};

struct TransferResult {
    TransferOutcome outcome = TransferOutcome::NotOpened;
    FailureReason reason = FailureReason::None;
    TransferProgress progress;  // for a failure: the frame that was not acknowledged
    int lastReply = -1;         // the last reply byte of that frame, -1 for none
    SiStatus lastStatus = SiSuccess;
};

class TransferObserver {
public:
    virtual ~TransferObserver() = default;
    virtual void deviceOpened() {}
    virtual void frameAcknowledged(const TransferProgress&) {}
    virtual void transferCounted(std::uint32_t /*byteCounter*/) {}
};

inline constexpr unsigned TransferFrameCount = 92;  // 91 code blocks and the vector block

class DeviceLink {
public:
    DeviceLink(UsbXpress& usb, Clock& clock, ImageBytes image, LinkHooks hooks = {});

    UsbXpress& usb() { return usb_; }
    Clock& clock() { return clock_; }
    ImageBytes image() const { return image_; }

    // Writes an 8-byte command frame to the open device.
    void SendCommand(std::uint8_t code, std::uint16_t first, std::uint16_t second);
    // Copies every byte of the device's reply into the store until the device falls silent.
    CaptureEnd CaptureReply(ReplyStore& store);
    void UpdateCrc(std::uint8_t byte);
    // Sets the read and write time-outs; the capture waits for more bytes up to the read time-out.
    void setTimeouts(std::uint32_t readMs, std::uint32_t writeMs);

    // Opens the device, asks for its information, closes it, and reads the record back from the
    // store. A reply without a whole record raises IoError, unless the device went away. The
    // device is closed before any error leaves.
    QueryOutcome queryInformation(ReplyStore& store);
    DeviceInfo deviceInfo() const { return parseInfoRecord(InfoBytes.data() + InfoIndex); }
    Verdict verdict() const { return judge(deviceInfo(), image_); }

    // Sends the image. Completed only when every frame, the vector block included, was
    // acknowledged.
    TransferResult sendFirmware(TransferObserver& observer);

    // What SI_Open answered the last time the link opened the device: why a device did not open.
    SiStatus lastOpenStatus() const { return lastOpenStatus_; }

    // The device's state, as the window holds it.
    std::uint16_t Crc = 0;
    SiHandle DeviceHandle = 0;
    std::uint8_t InfoMarker = 0;
    std::uint8_t InfoIndex = 0;
    std::array<std::uint8_t, 32767> InfoBytes{};
    std::array<std::uint8_t, protocol::BufferSize> TxBuf{};
    std::array<std::uint8_t, protocol::BufferSize> RxBuf{};

private:
    enum class WaitResult { Queued, TimedOut, Failed, Stopped };
    enum class FrameResult { Acknowledged, NoAcknowledge, DeviceGone };

    void pump();
    bool stopRequested() const;
    void pause(std::uint32_t ms) { clock_.sleepMs(ms); }
    // Waits, in slices that let messages through, until a byte is queued or limitMs has passed.
    WaitResult waitForQueued(std::uint32_t limitMs, bool stoppable);
    std::uint32_t readQueued();
    void discardQueued(unsigned& repliesSeen);
    bool deviceGone();
    FrameResult sendFrame(TransferProgress& progress, TransferResult& result);

    UsbXpress& usb_;
    Clock& clock_;
    ImageBytes image_;
    LinkHooks hooks_;
    bool open();

    std::uint32_t readTimeoutMs_ = 0;
    SiStatus lastOpenStatus_ = SiSuccess;
    std::uint32_t lastWritten_ = 0;
};

}  // namespace zelmark
