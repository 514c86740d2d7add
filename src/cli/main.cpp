// zelmark-flash: the updater for service benches and scripts.
#include <unistd.h>
#include <QCoreApplication>
#include <atomic>
#include <csignal>
#include <iostream>

#include "flashtool.h"
#include "serialusb.h"
#include "virtualzelmark.h"
#include "zelmarkpresets.h"

namespace {

std::atomic<bool> interruptRequested{false};

void onInterrupt(int) {
    interruptRequested = true;
    std::signal(SIGINT, SIG_DFL);  // a second Ctrl-C ends the program at once
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
            device.where = "virtual Zelmark (" + options.preset + ")";
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
    std::signal(SIGINT, onInterrupt);
    const std::vector<std::string> args(argv + 1, argv + argc);
    zelmark::FlashEnvironment env{std::cout,
                                  std::cerr,
                                  std::cin,
                                  ::isatty(STDIN_FILENO) == 1,
                                  ::isatty(STDOUT_FILENO) == 1,
                                  openDevice,
                                  [] { return interruptRequested.load(); }};
    return zelmark::runFlash(args, env);
}
