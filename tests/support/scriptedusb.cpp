#include "scriptedusb.h"

#include <algorithm>
#include <cstring>

using namespace zelmark;

int ScriptedUsb::count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

SiStatus ScriptedUsb::SI_GetNumDevices(std::uint32_t* numDevices) {
    calls.push_back("SI_GetNumDevices");
    if (numDevices) {
        *numDevices = 1;
    }
    return SiSuccess;
}

SiStatus ScriptedUsb::SI_GetProductString(std::uint32_t, char* buffer, std::uint32_t) {
    calls.push_back("SI_GetProductString");
    std::strcpy(buffer, "Zelmark");
    return SiSuccess;
}

SiStatus ScriptedUsb::SI_Open(std::uint32_t, SiHandle* handle) {
    calls.push_back("SI_Open");
    *handle = 7;
    return SiSuccess;
}

SiStatus ScriptedUsb::SI_Close(SiHandle) {
    calls.push_back("SI_Close");
    return SiSuccess;
}

SiStatus ScriptedUsb::SI_SetBaudRate(SiHandle, std::uint32_t rate) {
    calls.push_back("SI_SetBaudRate");
    baudRate = rate;
    return SiSuccess;
}

SiStatus ScriptedUsb::SI_SetTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
    calls.push_back("SI_SetTimeouts");
    readTimeoutMs = readMs;
    writeTimeoutMs = writeMs;
    return SiSuccess;
}

SiStatus ScriptedUsb::SI_Write(SiHandle, const void* buffer, std::uint32_t size,
                               std::uint32_t* written) {
    calls.push_back("SI_Write");
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    writes.emplace_back(bytes, bytes + size);
    *written = size;
    if (!writeCounts.empty()) {
        if (writeCounts.front() != 0) {
            *written = writeCounts.front();
        }
        writeCounts.pop_front();
    }
    if (onWrite) {
        onWrite(writes.back());
    }
    return SiSuccess;
}

SiStatus ScriptedUsb::SI_CheckRXQueue(SiHandle, std::uint32_t* queued, std::uint32_t* status) {
    calls.push_back("SI_CheckRXQueue");
    *status = 0;
    *queued = replies.empty() ? 0 : static_cast<std::uint32_t>(replies.front().size());
    if (queueStatus != SiSuccess) {
        *queued = 0;
    }
    return queueStatus;
}

SiStatus ScriptedUsb::SI_Read(SiHandle, void* buffer, std::uint32_t size, std::uint32_t* read) {
    calls.push_back("SI_Read");
    *read = 0;
    if (replies.empty()) {
        clock_.sleepMs(readTimeoutMs);
        return SiSuccess;
    }
    std::vector<std::uint8_t>& chunk = replies.front();
    const std::size_t n = std::min<std::size_t>(size, chunk.size());
    std::memcpy(buffer, chunk.data(), n);
    *read = static_cast<std::uint32_t>(n);
    chunk.erase(chunk.begin(), chunk.begin() + static_cast<long>(n));
    if (chunk.empty()) {
        replies.pop_front();
    }
    return SiSuccess;
}

SiStatus ScriptedUsb::waitForReceive(SiHandle, std::uint32_t timeoutMs) {
    if (replies.empty()) {
        clock_.sleepMs(timeoutMs);
    }
    return queueStatus;
}
