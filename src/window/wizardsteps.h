#pragma once

#include <cstdint>

// The wizard's steps as held in TForm1's Step. 3 and 7 do not occur.
enum WizardStep : std::uint8_t {
    StepUnplugFirst = 0,  // a wizard that may not begin while a device is attached
    StepStart = 1,
    StepPowerOn = 2,
    StepConnect = 4,
    StepReady = 5,
    StepUpdate = 6,
    StepUnplug = 8,
    StepFinish = 9,
    StepWrongFirmware = 10,
    StepWrongSubmodel = 11,
    StepWrongModel = 12,
};

inline bool isRefusal(std::uint8_t step) {
    return step == StepWrongFirmware || step == StepWrongSubmodel || step == StepWrongModel;
}
