// zelmark-flash: the updater for service benches and scripts.
#include <sys/ioctl.h>
#include <unistd.h>
#include <QCoreApplication>
#include <atomic>
#include <csignal>
#include <iostream>

#include "flashtexts.h"
#include "flashtool.h"
#include "portcheck.h"
#include "serialusb.h"
#include "virtualzelmark.h"
#include "zelmarkpresets.h"

namespace {

std::atomic<bool> interruptRequested{false};

void onInterrupt(int) {
    interruptRequested = true;
}

// Ctrl-C asks the tool to stop at the next safe point. Without SA_RESTART a read of standard
// input (the confirmation) returns at once instead of waiting for Enter; SA_RESETHAND lets a
// second Ctrl-C end the program at once.
void catchInterrupt() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    ::sigaction(SIGINT, &action, nullptr);
}

unsigned terminalColumns() {
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        winsize size{};
        if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
            return size.ws_col;
        }
    }
    return 80;
}

zelmark::RealClock realClock;

zelmark::FlashDevice openDevice(const zelmark::FlashOptions& options) {
    using Source = zelmark::FlashOptions::Source;
    zelmark::FlashDevice device;
    device.clock = &realClock;
    switch (options.source) {
        case Source::Simulate: {
            auto simulated = std::make_unique<zelmark::VirtualZelmark>(realClock);
            simulated->device().identity = *zelmark::presetIdentity(options.preset);
            device.usb = std::move(simulated);
            device.where =
                zelmark::flashtext::say(zelmark::flashtext::VirtualDevice, options.language)
                    .arg(QString::fromStdString(options.preset))
                    .toStdString();
            break;
        }
        case Source::Port: {
            auto serial =
                std::make_unique<zelmark::SerialUsb>(QString::fromStdString(options.port));
            device.where = options.port;
            device.usb = std::move(serial);
            break;
        }
        case Source::Auto: {
            auto serial = std::make_unique<zelmark::SerialUsb>();
            device.where = serial->portPath().toStdString();
            if (device.where.empty()) {
                device.where = "USB 10C4:EA61";
            }
            device.usb = std::move(serial);
            break;
        }
    }
    return device;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    catchInterrupt();
    const std::vector<std::string> args(argv + 1, argv + argc);
    zelmark::FlashEnvironment env{.out = std::cout,
                                  .err = std::cerr,
                                  .in = std::cin,
                                  .inIsTerminal = ::isatty(STDIN_FILENO) == 1,
                                  .outIsTerminal = ::isatty(STDOUT_FILENO) == 1,
                                  .errIsTerminal = ::isatty(STDERR_FILENO) == 1,
                                  .openDevice = openDevice,
                                  .interrupted = [] { return interruptRequested.load(); },
                                  .columns = terminalColumns,
                                  .examinePort = zelmark::examinePort};
    return zelmark::runFlash(args, env);
}
