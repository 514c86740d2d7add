#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "clock.h"
#include "firmwareimage.h"
#include "usbheader.h"
#include "zelmarkemulator.h"

// A Zelmark on a USB cable, inside the process: the UsbXpress calls on one side, the emulated
// device on the other, and between them a serial line whose timing runs on the clock. Every byte
// costs 10.85 us on the wire (921600 baud, 8N1) in each direction; the device's answers become
// readable when their last byte has arrived, as a USB packet does.
namespace zelmark {

struct WireStats {
    std::uint64_t bytesToDevice = 0;
    std::uint64_t bytesFromDevice = 0;
};

class VirtualZelmark final : public UsbXpress {
public:
    static constexpr std::uint64_t ByteTimeNs = 10851;  // 10 bits at 921600 baud

    explicit VirtualZelmark(Clock& clock);

    ZelmarkEmulator& device() { return device_; }
    const ZelmarkEmulator& device() const { return device_; }

    // The cable. A pulled cable makes every call fail and the device count read none.
    void plug();
    void unplug();
    bool plugged() const;

    // Knobs for what the OS would report.
    SiStatus openStatus = SiSuccess;  // what SI_Open answers while the cable is in
    bool productStringFails = false;  // the device does not answer the product-string request
    std::string productString = "Zelmark";

    bool isOpen() const { return open_; }
    const WireStats& wireStats() const { return wire_; }
    bool flashEquals(ImageBytes image) const;

    // Called with each block frame the device has received (1-based, resends included), before
    // its answer is scheduled. Tests and the demo panel use it to act in the middle of a transfer.
    std::function<void(unsigned frame)> onBlockFrame;
    // Called with the code of each command frame the device has received, before its answer is
    // scheduled.
    std::function<void(std::uint8_t code)> onCommand;

    SiStatus SI_GetNumDevices(std::uint32_t* numDevices) override;
    SiStatus SI_GetProductString(std::uint32_t deviceNum, char* buffer,
                                 std::uint32_t options) override;
    SiStatus SI_Open(std::uint32_t deviceNum, SiHandle* handle) override;
    SiStatus SI_Close(SiHandle handle) override;
    SiStatus SI_SetBaudRate(SiHandle handle, std::uint32_t baudRate) override;
    SiStatus SI_SetTimeouts(std::uint32_t readTimeoutMs, std::uint32_t writeTimeoutMs) override;
    SiStatus SI_Write(SiHandle handle, const void* buffer, std::uint32_t bytesToWrite,
                      std::uint32_t* bytesWritten) override;
    SiStatus SI_CheckRXQueue(SiHandle handle, std::uint32_t* numBytesInQueue,
                             std::uint32_t* queueStatus) override;
    SiStatus SI_Read(SiHandle handle, void* buffer, std::uint32_t bytesToRead,
                     std::uint32_t* bytesReturned) override;
    SiStatus waitForReceive(SiHandle handle, std::uint32_t timeoutMs) override;

private:
    struct Packet {
        std::uint64_t readableAtUs;
        std::vector<std::uint8_t> bytes;
        std::size_t consumed = 0;
    };

    static std::uint64_t wireUs(std::uint64_t bytes) { return (bytes * ByteTimeNs + 999) / 1000; }
    SiStatus checkHandle(SiHandle handle) const;
    std::uint32_t readableBytes() const;
    // Sleeps until a byte is readable, the cable is pulled, or timeoutMs has passed.
    void sleepUntilReadable(std::uint32_t timeoutMs);
    void noticeUnplug();

    static constexpr std::uint64_t Never = std::numeric_limits<std::uint64_t>::max();

    Clock& clock_;
    ZelmarkEmulator device_;
    bool cableIn_ = true;
    std::uint64_t cablePulledAtUs_ = Never;
    bool open_ = false;
    bool handleLost_ = false;  // the device went away while open: the handle stays dead
    SiHandle handle_ = 0;
    SiHandle nextHandle_ = 1;
    std::uint32_t readTimeoutMs_ = 0;
    std::uint32_t writeTimeoutMs_ = 0;
    std::uint64_t lineFreeAtUs_ = 0;   // host to device
    std::uint64_t replyFreeAtUs_ = 0;  // device to host
    std::deque<Packet> received_;
    WireStats wire_;
};

}  // namespace zelmark
