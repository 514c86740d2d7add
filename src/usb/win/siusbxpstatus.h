#pragma once

#include <cstdint>

#include "usbheader.h"

// The vendor's USB library on Windows reports every call's outcome as a 32-bit status, 0 meaning
// success. These are the other values this program knows, and what each means for our callers.
// The translation depends on the call (a device that is not found is "no device" when counting
// or opening, but a device that stopped answering when writing), so it lives in one function.
namespace zelmark::siusbxp {

enum : std::uint32_t {
    LibSuccess = 0x00,
    LibInvalidHandle = 0x01,
    LibReadError = 0x02,
    LibRxQueueNotReady = 0x03,
    LibWriteError = 0x04,
    LibInvalidParameter = 0x05,
    LibDeviceIoFailed = 0x06,
    LibWriteTimedOut = 0x07,
    LibDeviceNotFound = 0xFF,
};

enum class Call {
    GetNumDevices,
    GetProductString,
    Open,
    Close,
    SetBaudRate,
    SetTimeouts,
    Write,
    CheckRXQueue,
    Read,
};

// The library's exported name of the call: "SI_Open".
const char* callName(Call call);

// What a status of the library means for the caller of our interface.
SiStatus toSiStatus(Call call, std::uint32_t libraryStatus);

}  // namespace zelmark::siusbxp
