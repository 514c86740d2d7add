#include "usbheader.h"

namespace zelmark {

const char* statusName(SiStatus status) {
    switch (status) {
        case SiSuccess:
            return "success";
        case SiDeviceNotFound:
            return "device not found";
        case SiInvalidHandle:
            return "invalid handle";
        case SiIoFailed:
            return "device stopped answering";
        case SiWriteTimeout:
            return "write time-out";
        case SiAccessDenied:
            return "access denied";
        case SiDeviceBusy:
            return "device busy";
        case SiSeveralDevices:
            return "several devices attached";
        case SiInvalidParameter:
            return "invalid parameter";
        default:
            return "unknown status";
    }
}

}  // namespace zelmark
