#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "clock.h"
#include "usbheader.h"

// A device interface that plays a script: an attached device that always opens, replies queued
// as chunks (each read returns one chunk), a queue status to fail with, and a log of every call
// and every write.
class ScriptedUsb : public zelmark::UsbXpress {
public:
    explicit ScriptedUsb(zelmark::Clock& clock) : clock_(clock) {}

    zelmark::SiStatus queueStatus = zelmark::SiSuccess;
    // Bytes each write reports as written; 0 means all of them.
    std::deque<std::uint32_t> writeCounts;

    std::deque<std::vector<std::uint8_t>> replies;  // what the device has sent, one read each
    std::function<void(const std::vector<std::uint8_t>&)>
        onWrite;  // the device's answer to a write

    std::vector<std::string> calls;
    std::vector<std::vector<std::uint8_t>> writes;
    std::uint32_t readTimeoutMs = 0;
    std::uint32_t writeTimeoutMs = 0;
    std::uint32_t baudRate = 0;

    int count(const std::string& call) const;

    zelmark::SiStatus SI_GetNumDevices(std::uint32_t* numDevices) override;
    zelmark::SiStatus SI_GetProductString(std::uint32_t deviceNum, char* buffer,
                                          std::uint32_t options) override;
    zelmark::SiStatus SI_Open(std::uint32_t deviceNum, zelmark::SiHandle* handle) override;
    zelmark::SiStatus SI_Close(zelmark::SiHandle handle) override;
    zelmark::SiStatus SI_SetBaudRate(zelmark::SiHandle handle, std::uint32_t baudRate) override;
    zelmark::SiStatus SI_SetTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override;
    zelmark::SiStatus SI_Write(zelmark::SiHandle handle, const void* buffer, std::uint32_t size,
                               std::uint32_t* written) override;
    zelmark::SiStatus SI_CheckRXQueue(zelmark::SiHandle handle, std::uint32_t* queued,
                                      std::uint32_t* status) override;
    zelmark::SiStatus SI_Read(zelmark::SiHandle handle, void* buffer, std::uint32_t size,
                              std::uint32_t* read) override;
    zelmark::SiStatus waitForReceive(zelmark::SiHandle handle, std::uint32_t timeoutMs) override;

private:
    zelmark::Clock& clock_;
};
