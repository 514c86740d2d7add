#pragma once

#include <cstdint>

#include "firmwareimage.h"

namespace zelmark {

// The device's 16-byte information record. The model code is stored high byte first, the serial
// number and the current version low byte first.
struct DeviceInfo {
    std::uint16_t model = 0;
    std::uint16_t serial = 0;
    std::uint16_t currentVersion = 0;
    std::uint8_t submodel = 0;
    std::uint8_t updaterVersion = 0;
};

inline constexpr std::uint16_t CorruptVersion = 26505;  // 0x6789: the device's program is damaged

DeviceInfo parseInfoRecord(const std::uint8_t* record);

// Whether the image may be sent to the device. The values are the wizard steps they lead to.
enum class Verdict : std::uint8_t {
    Ready = 5,
    WrongFirmware = 10,  // the device's updater is older than the image needs
    WrongSubmodel = 11,
    WrongModel = 12,
};

// The first test that applies decides: model, then updater version, then submodel.
Verdict judge(const DeviceInfo& info, ImageBytes image);

// An updater version from 100 to 254 is shown; others are not.
bool showsUpdaterVersion(std::uint8_t updaterVersion);

}  // namespace zelmark
