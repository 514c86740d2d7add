#include "portcheck.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace zelmark {

PortCheck examinePort(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) {
            return {PortCheck::Problem::Missing, error};
        }
        return {PortCheck::Problem::Unreachable, error};
    }
    if (!S_ISCHR(status.st_mode)) {
        return {PortCheck::Problem::NotSerialPort, 0};
    }
    // The kernel names the class of each character device it registered; serial ports (USB
    // bridges among them) are of class tty, /dev/null of class mem. Pseudo-terminals have no
    // entry and are left to the serial layer.
    const std::filesystem::path classLink = "/sys/dev/char/" +
                                            std::to_string(major(status.st_rdev)) + ":" +
                                            std::to_string(minor(status.st_rdev)) + "/subsystem";
    std::error_code error;
    const std::filesystem::path deviceClass = std::filesystem::read_symlink(classLink, error);
    if (!error && deviceClass.filename() != "tty") {
        return {PortCheck::Problem::NotSerialPort, 0};
    }
    return {};
}

}  // namespace zelmark
