#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "clock.h"
#include "flashoptions.h"
#include "usbheader.h"

// zelmark-flash without its process: the commands, their output and exit codes, on a device
// interface handed in by the caller. The program gives it the serial port or the virtual device
// in real time; tests give it the virtual device on the virtual clock.
namespace zelmark {

enum FlashExitCode {
    ExitSuccess = 0,
    ExitTransferFailed = 1,
    ExitUsage = 2,
    ExitNoDevice = 3,
    ExitRefused = 4,
    ExitUnreadableReply = 5,
    ExitInterrupted = 130,
};

struct FlashDevice {
    std::shared_ptr<UsbXpress> usb;  // shared: a test may look at the device afterwards
    Clock* clock = nullptr;
    std::string where;  // the port, or which virtual device
};

struct FlashEnvironment {
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    bool inIsTerminal = false;
    bool outIsTerminal = false;
    std::function<FlashDevice(const FlashOptions&)> openDevice;
    std::function<bool()> interrupted = [] { return false; };
};

int runFlash(const std::vector<std::string>& args, FlashEnvironment& env);

}  // namespace zelmark
