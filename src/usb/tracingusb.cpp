#include "tracingusb.h"

#include <cstdio>
#include <string>

namespace zelmark {

namespace {

constexpr std::uint8_t Ack = 0x06;
constexpr std::uint8_t Nak = 0x15;
constexpr std::uint16_t FirstCodeAddress = 0x4000;

std::string hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

std::string describeReply(const std::uint8_t* bytes, std::uint32_t size) {
    if (size == 0) {
        return "nothing";
    }
    if (bytes[0] == Ack)
        return "ACK";
    if (bytes[0] == Nak)
        return "NAK";
    return "reply";
}

}  // namespace

TracingUsb::TracingUsb(UsbXpress& inner, Clock& clock, std::ostream& trace)
    : inner_(inner), clock_(clock), trace_(trace), startUs_(clock.nowUs()) {}

std::string TracingUsb::describeWrite(const std::uint8_t* bytes, std::uint32_t size,
                                      unsigned blockNumber) {
    if (size == 8 && bytes[0] == 0x78 && bytes[1] == 0x87) {
        return "command " + std::to_string(bytes[2]);
    }
    if (size >= 6 && (bytes[0] == 0xA1 || bytes[0] == 0xA2)) {
        const unsigned address = bytes[4] | (bytes[5] << 8);
        if (bytes[0] == 0xA2) {
            return "vector block at 0x" + hex(address, 4);
        }
        return "block " + std::to_string(blockNumber) + " at 0x" + hex(address, 4);
    }
    return "data";
}

std::string TracingUsb::stamp() const {
    char text[32];
    std::snprintf(text, sizeof text, "%10.3f ms",
                  static_cast<double>(clock_.nowUs() - startUs_) / 1000.0);
    return text;
}

void TracingUsb::line(const char* direction, const std::uint8_t* bytes, std::uint32_t size,
                      const std::string& what) {
    trace_ << stamp() << ' ' << direction << ' ' << size << (size == 1 ? " byte, " : " bytes, ")
           << what << ':';
    for (std::uint32_t i = 0; i < size; ++i) {
        trace_ << ' ' << hex(bytes[i], 2);
    }
    trace_ << '\n';
}

void TracingUsb::event(const std::string& what, SiStatus status) {
    trace_ << stamp() << "    " << what;
    if (status != SiSuccess) {
        trace_ << " failed: " << statusName(status);
    }
    trace_ << '\n';
}

SiStatus TracingUsb::SI_GetNumDevices(std::uint32_t* numDevices) {
    return inner_.SI_GetNumDevices(numDevices);
}

SiStatus TracingUsb::SI_GetProductString(std::uint32_t deviceNum, char* buffer,
                                         std::uint32_t options) {
    return inner_.SI_GetProductString(deviceNum, buffer, options);
}

SiStatus TracingUsb::SI_Open(std::uint32_t deviceNum, SiHandle* handle) {
    const SiStatus status = inner_.SI_Open(deviceNum, handle);
    event("open device " + std::to_string(deviceNum), status);
    return status;
}

SiStatus TracingUsb::SI_Close(SiHandle handle) {
    const SiStatus status = inner_.SI_Close(handle);
    event("close", status);
    return status;
}

SiStatus TracingUsb::SI_SetBaudRate(SiHandle handle, std::uint32_t baudRate) {
    const SiStatus status = inner_.SI_SetBaudRate(handle, baudRate);
    event("baud rate " + std::to_string(baudRate), status);
    return status;
}

SiStatus TracingUsb::SI_SetTimeouts(std::uint32_t readTimeoutMs, std::uint32_t writeTimeoutMs) {
    return inner_.SI_SetTimeouts(readTimeoutMs, writeTimeoutMs);
}

SiStatus TracingUsb::SI_Write(SiHandle handle, const void* buffer, std::uint32_t bytesToWrite,
                              std::uint32_t* bytesWritten) {
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    if (bytesToWrite >= 6 && bytes[0] == 0xA1) {
        const std::uint16_t address = static_cast<std::uint16_t>(bytes[4] | (bytes[5] << 8));
        if (address == FirstCodeAddress) {
            blocksWritten_ = 0;
        }
        if (blocksWritten_ == 0 || address != lastBlockAddress_) {
            ++blocksWritten_;
            lastBlockAddress_ = address;
        }
    }
    const SiStatus status = inner_.SI_Write(handle, buffer, bytesToWrite, bytesWritten);
    std::string what = describeWrite(bytes, bytesToWrite, blocksWritten_);
    if (status != SiSuccess) {
        what += std::string(", failed: ") + statusName(status);
    }
    line("->", bytes, *bytesWritten, what);
    return status;
}

SiStatus TracingUsb::SI_CheckRXQueue(SiHandle handle, std::uint32_t* numBytesInQueue,
                                     std::uint32_t* queueStatus) {
    return inner_.SI_CheckRXQueue(handle, numBytesInQueue, queueStatus);
}

SiStatus TracingUsb::SI_Read(SiHandle handle, void* buffer, std::uint32_t bytesToRead,
                             std::uint32_t* bytesReturned) {
    const SiStatus status = inner_.SI_Read(handle, buffer, bytesToRead, bytesReturned);
    if (*bytesReturned > 0) {
        const auto* bytes = static_cast<const std::uint8_t*>(buffer);
        line("<-", bytes, *bytesReturned, describeReply(bytes, *bytesReturned));
    } else if (status != SiSuccess) {
        event("read", status);
    }
    return status;
}

SiStatus TracingUsb::waitForReceive(SiHandle handle, std::uint32_t timeoutMs) {
    return inner_.waitForReceive(handle, timeoutMs);
}

}  // namespace zelmark
