#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "clock.h"
#include "flashoptions.h"
#include "portcheck.h"
#include "usbheader.h"

// zelmark-flash without its process: the commands, their output and exit codes, on a device
// interface handed in by the caller. The program gives it the serial port or the virtual device
// in real time; tests give it the virtual device on the virtual clock.
namespace zelmark {

enum FlashExitCode {
    ExitSuccess = 0,
    ExitTransferFailed = 1,
    ExitUsage = 2,     // also a trace file that cannot be created
    ExitNoDevice = 3,  // none, cannot be opened, does not answer, or went away
    ExitRefused = 4,
    ExitUnreadableReply = 5,
    ExitTraceFailed = 6,  // the command succeeded, but the trace is incomplete
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
    bool errIsTerminal = false;
    std::function<FlashDevice(const FlashOptions&)> openDevice;
    std::function<bool()> interrupted = [] { return false; };
    // The terminal's width in columns, for the progress line drawn in place.
    std::function<unsigned()> columns = [] { return 80u; };
    // What is wrong with a --port path; the program looks at the file system.
    std::function<PortCheck(const std::string&)> examinePort = [](const std::string&) {
        return PortCheck{};
    };
};

int runFlash(const std::vector<std::string>& args, FlashEnvironment& env);

}  // namespace zelmark
