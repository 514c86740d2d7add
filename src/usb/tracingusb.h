#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "clock.h"
#include "usbheader.h"

// Passes every call through to another backend and writes each byte written and read to a trace,
// with a millisecond time stamp, the direction, and what the bytes are (command 9, block 17 at
// 0x6000, ACK, NAK).
namespace zelmark {

class TracingUsb final : public UsbXpress {
public:
    TracingUsb(UsbXpress& inner, Clock& clock, std::ostream& trace);

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

    // What a written frame is, from its first bytes.
    static std::string describeWrite(const std::uint8_t* bytes, std::uint32_t size,
                                     unsigned blockNumber);

private:
    std::string stamp() const;
    void line(const char* direction, const std::uint8_t* bytes, std::uint32_t size,
              const std::string& what);
    void event(const std::string& what, SiStatus status);

    UsbXpress& inner_;
    Clock& clock_;
    std::ostream& trace_;
    std::uint64_t startUs_;
    unsigned blocksWritten_ = 0;  // distinct code blocks, to number them
    std::uint16_t lastBlockAddress_ = 0;
};

}  // namespace zelmark
