#include "virtualzelmark.h"

#include <algorithm>
#include <cstring>

#include "imageheader.h"

namespace zelmark {

VirtualZelmark::VirtualZelmark(Clock& clock) : clock_(clock) {}

bool VirtualZelmark::plugged() const {
    return cableIn_ && clock_.nowUs() < cablePulledAtUs_;
}

void VirtualZelmark::noticeUnplug() {
    if (cableIn_ && clock_.nowUs() >= cablePulledAtUs_) {
        unplug();
    }
}

void VirtualZelmark::plug() {
    noticeUnplug();
    if (cableIn_) {
        return;
    }
    cableIn_ = true;
    cablePulledAtUs_ = Never;
    device_.powerCycle();
}

void VirtualZelmark::unplug() {
    cableIn_ = false;
    cablePulledAtUs_ = Never;
    received_.clear();
    if (open_) {
        handleLost_ = true;
    }
    device_.powerCycle();
}

bool VirtualZelmark::flashEquals(ImageBytes image) const {
    return flashHoldsImage(device_.flash().data(), image);
}

SiStatus VirtualZelmark::checkHandle(SiHandle handle) const {
    if (!open_ || handle != handle_) {
        return SiInvalidHandle;
    }
    if (handleLost_ || !plugged()) {
        return SiIoFailed;
    }
    return SiSuccess;
}

SiStatus VirtualZelmark::SI_GetNumDevices(std::uint32_t* numDevices) {
    noticeUnplug();
    const bool present = plugged();
    if (numDevices) {
        *numDevices = present ? 1 : 0;
    }
    return present ? SiSuccess : SiDeviceNotFound;
}

SiStatus VirtualZelmark::SI_GetProductString(std::uint32_t deviceNum, char* buffer,
                                             std::uint32_t /*options*/) {
    if (deviceNum != 0 || !plugged()) {
        return SiDeviceNotFound;
    }
    if (productStringFails) {
        return SiIoFailed;
    }
    std::snprintf(buffer, SiMaxDeviceStringLength, "%s", productString.c_str());
    return SiSuccess;
}

SiStatus VirtualZelmark::SI_Open(std::uint32_t deviceNum, SiHandle* handle) {
    noticeUnplug();
    if (deviceNum != 0 || !plugged()) {
        return SiDeviceNotFound;
    }
    if (open_) {
        return SiDeviceBusy;
    }
    if (openStatus != SiSuccess) {
        return openStatus;
    }
    open_ = true;
    handleLost_ = false;
    handle_ = nextHandle_++;
    *handle = handle_;
    received_.clear();
    return SiSuccess;
}

SiStatus VirtualZelmark::SI_Close(SiHandle handle) {
    if (!open_ || handle != handle_) {
        return SiInvalidHandle;
    }
    open_ = false;
    handleLost_ = false;
    return SiSuccess;
}

SiStatus VirtualZelmark::SI_SetBaudRate(SiHandle handle, std::uint32_t baudRate) {
    if (baudRate == 0) {
        return SiInvalidParameter;
    }
    return checkHandle(handle);
}

SiStatus VirtualZelmark::SI_SetTimeouts(std::uint32_t readTimeoutMs, std::uint32_t writeTimeoutMs) {
    readTimeoutMs_ = readTimeoutMs;
    writeTimeoutMs_ = writeTimeoutMs;
    return SiSuccess;
}

SiStatus VirtualZelmark::SI_Write(SiHandle handle, const void* buffer, std::uint32_t bytesToWrite,
                                  std::uint32_t* bytesWritten) {
    *bytesWritten = 0;
    noticeUnplug();
    if (const SiStatus status = checkHandle(handle); status != SiSuccess) {
        return status;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    const std::uint64_t startUs = std::max(clock_.nowUs(), lineFreeAtUs_);
    const std::uint64_t endUs = startUs + wireUs(bytesToWrite);
    lineFreeAtUs_ = endUs;
    wire_.bytesToDevice += bytesToWrite;
    *bytesWritten = bytesToWrite;

    const unsigned framesBefore = device_.stats().framesReceived;
    const unsigned commandsBefore = device_.stats().commandsReceived;
    ReceiveResult result = device_.receive(bytes, bytesToWrite, startUs, endUs);
    if (onBlockFrame && device_.stats().framesReceived != framesBefore) {
        onBlockFrame(device_.stats().framesReceived);
    }
    if (onCommand && device_.stats().commandsReceived != commandsBefore) {
        onCommand(bytesToWrite > 2 ? bytes[2] : 0);
    }
    if (!cableIn_) {
        return SiSuccess;  // a hook pulled the cable: the device answers nothing more
    }
    if (result.cablePulled) {
        cablePulledAtUs_ = endUs;
    }
    for (const Emission& emission : result.emissions) {
        const std::uint64_t sendUs = std::max(endUs + emission.delayUs, replyFreeAtUs_);
        const std::uint64_t arrivedUs = sendUs + wireUs(emission.bytes.size());
        replyFreeAtUs_ = arrivedUs;
        if (arrivedUs >= cablePulledAtUs_) {
            continue;
        }
        wire_.bytesFromDevice += emission.bytes.size();
        Packet packet{arrivedUs, emission.bytes};
        auto at = std::upper_bound(
            received_.begin(), received_.end(), packet,
            [](const Packet& a, const Packet& b) { return a.readableAtUs < b.readableAtUs; });
        received_.insert(at, std::move(packet));
    }
    return SiSuccess;
}

std::uint32_t VirtualZelmark::readableBytes() const {
    std::uint32_t count = 0;
    const std::uint64_t now = clock_.nowUs();
    for (const Packet& packet : received_) {
        if (packet.readableAtUs > now) {
            break;
        }
        count += static_cast<std::uint32_t>(packet.bytes.size() - packet.consumed);
    }
    return count;
}

void VirtualZelmark::sleepUntilReadable(std::uint32_t timeoutMs) {
    const std::uint64_t deadline = clock_.nowUs() + std::uint64_t{timeoutMs} * 1000;
    std::uint64_t wakeAt = deadline;
    if (!received_.empty()) {
        wakeAt = std::min(wakeAt, received_.front().readableAtUs);
    }
    wakeAt = std::min(wakeAt, cablePulledAtUs_);
    if (wakeAt > clock_.nowUs()) {
        clock_.sleepUs(wakeAt - clock_.nowUs());
    }
    noticeUnplug();
}

SiStatus VirtualZelmark::SI_CheckRXQueue(SiHandle handle, std::uint32_t* numBytesInQueue,
                                         std::uint32_t* queueStatus) {
    *numBytesInQueue = 0;
    *queueStatus = 0;
    noticeUnplug();
    if (const SiStatus status = checkHandle(handle); status != SiSuccess) {
        return status;
    }
    *numBytesInQueue = readableBytes();
    *queueStatus = *numBytesInQueue > 0 ? 2 : 0;
    return SiSuccess;
}

SiStatus VirtualZelmark::SI_Read(SiHandle handle, void* buffer, std::uint32_t bytesToRead,
                                 std::uint32_t* bytesReturned) {
    *bytesReturned = 0;
    noticeUnplug();
    if (const SiStatus status = checkHandle(handle); status != SiSuccess) {
        return status;
    }
    if (readableBytes() == 0) {
        sleepUntilReadable(readTimeoutMs_);
        if (const SiStatus status = checkHandle(handle); status != SiSuccess) {
            return status;
        }
    }
    auto* out = static_cast<std::uint8_t*>(buffer);
    const std::uint64_t now = clock_.nowUs();
    while (*bytesReturned < bytesToRead && !received_.empty() &&
           received_.front().readableAtUs <= now) {
        Packet& packet = received_.front();
        const std::size_t n = std::min<std::size_t>(bytesToRead - *bytesReturned,
                                                    packet.bytes.size() - packet.consumed);
        std::memcpy(out + *bytesReturned, packet.bytes.data() + packet.consumed, n);
        packet.consumed += n;
        *bytesReturned += static_cast<std::uint32_t>(n);
        if (packet.consumed == packet.bytes.size()) {
            received_.pop_front();
        }
    }
    return SiSuccess;
}

SiStatus VirtualZelmark::waitForReceive(SiHandle handle, std::uint32_t timeoutMs) {
    noticeUnplug();
    if (const SiStatus status = checkHandle(handle); status != SiSuccess) {
        return status;
    }
    if (readableBytes() == 0) {
        sleepUntilReadable(timeoutMs);
    }
    return checkHandle(handle);
}

}  // namespace zelmark
