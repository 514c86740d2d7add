#include "siusbxpstatus.h"

namespace zelmark::siusbxp {

const char* callName(Call call) {
    switch (call) {
        case Call::GetNumDevices:
            return "SI_GetNumDevices";
        case Call::GetProductString:
            return "SI_GetProductString";
        case Call::Open:
            return "SI_Open";
        case Call::Close:
            return "SI_Close";
        case Call::SetBaudRate:
            return "SI_SetBaudRate";
        case Call::SetTimeouts:
            return "SI_SetTimeouts";
        case Call::Write:
            return "SI_Write";
        case Call::CheckRXQueue:
            return "SI_CheckRXQueue";
        case Call::Read:
            return "SI_Read";
    }
    return "SI_?";
}

SiStatus toSiStatus(Call call, std::uint32_t libraryStatus) {
    const bool findsDevice =
        call == Call::GetNumDevices || call == Call::GetProductString || call == Call::Open;
    switch (libraryStatus) {
        case LibSuccess:
            return SiSuccess;
        case LibDeviceNotFound:
            // Before a device is open this is "no device"; on an open handle the device went away.
            return findsDevice ? SiDeviceNotFound : SiIoFailed;
        case LibInvalidHandle:
            return findsDevice ? SiDeviceNotFound : SiInvalidHandle;
        case LibInvalidParameter:
            return SiInvalidParameter;
        case LibWriteTimedOut:
            return call == Call::Write ? SiWriteTimeout : SiIoFailed;
        case LibDeviceIoFailed:
            // The device is listed but cannot be opened: the library opens it exclusively, so
            // another program holds it.
            if (call == Call::Open) {
                return SiDeviceBusy;
            }
            break;
        default:
            break;
    }
    // Counting that fails finds no device; any other failure is the device not answering.
    return call == Call::GetNumDevices ? SiDeviceNotFound : SiIoFailed;
}

}  // namespace zelmark::siusbxp
