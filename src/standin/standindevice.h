#pragma once

#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>

#include "clock.h"
#include "standinconfig.h"
#include "tracingusb.h"
#include "virtualzelmark.h"

// The device behind the stand-in USB library: a virtual Zelmark on real time, set up from the
// settings, every byte on the wire logged. A settings file, when there is one, is read again each
// time the program counts devices, so that a test can plug and unplug the cable while the program
// runs.
namespace zelmark {

class StandInDevice {
public:
    // settings: the text of the settings; settingsFile: a file whose settings apply on top of it.
    StandInDevice(std::string_view settings, std::filesystem::path settingsFile);

    UsbXpress& usb() { return traced_; }
    VirtualZelmark& device() { return device_; }
    const StandInConfig& config() const { return config_; }

    // Plugs or unplugs the cable when the settings file's cable setting has changed since it was
    // last read.
    void followSettingsFile();
    // Writes the emulated flash to its file and flushes the log.
    void save();

private:
    void configure();

    StandInConfig config_;
    std::filesystem::path settingsFile_;
    std::optional<bool> fileCable_;
    RealClock clock_;
    VirtualZelmark device_{clock_};
    std::ofstream log_;
    TracingUsb traced_{device_, clock_, log_};
};

}  // namespace zelmark
