#pragma once

#include <string>

// What is wrong with a port path given on the command line, found without opening it: opening a
// serial port may already signal the device, and what is not a port says so plainly before.
namespace zelmark {

struct PortCheck {
    enum class Problem { None, Missing, NotSerialPort, Unreachable };
    Problem problem = Problem::None;
    int error = 0;  // errno, for Unreachable
};

// A path that exists and is a character device of the tty class (or of no class the system
// tells, as pseudo-terminals) passes; the serial layer then opens it and says what else fails.
PortCheck examinePort(const std::string& path);

}  // namespace zelmark
