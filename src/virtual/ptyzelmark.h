#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "zelmarkemulator.h"

// The virtual Zelmark behind a pseudo-terminal, in real time: a program opens the terminal's
// slave side as its serial port and talks to the device as to a real one. The device runs on its
// own thread on the master side and keeps the wire timing of 921600 baud. Pulling the cable
// closes the master side, which the program sees as the port failing.
namespace zelmark {

struct PtyStats {
    std::uint64_t bytesToDevice = 0;
    std::uint64_t bytesFromDevice = 0;
    EmulatorStats device;
    bool flashMatchesImage = false;
    bool cablePulled = false;
};

class PtyZelmark {
public:
    // Configure device() before start().
    PtyZelmark();
    ~PtyZelmark();
    PtyZelmark(const PtyZelmark&) = delete;
    PtyZelmark& operator=(const PtyZelmark&) = delete;

    ZelmarkEmulator& device() { return device_; }

    // Opens the pseudo-terminal and starts serving; false when the OS gives none.
    bool start();
    const std::string& portPath() const { return portPath_; }
    // Pulls the cable now.
    void unplug();
    // Stops serving and closes the terminal.
    void stop();
    PtyStats stats();

private:
    void serve();

    ZelmarkEmulator device_;
    std::string portPath_;
    int master_ = -1;
    int slaveKeeper_ = -1;  // keeps the terminal alive between the program's opens
    int wakePipe_[2] = {-1, -1};
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> unplugRequested_{false};
    std::mutex mutex_;
    PtyStats stats_;
};

}  // namespace zelmark
