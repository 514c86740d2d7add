// The nine calls of the stand-in USB library, exported by plain name (siusbxp.def) with the
// vendor library's calling convention and status values, on a virtual Zelmark in real time.
// Its settings come from the environment: ZELMARK_STANDIN holds them, ZELMARK_STANDIN_FILE names
// a file holding more (standinconfig.h). The device is made at the first call; the emulated
// flash is written at each SI_Close and when the library is unloaded.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>

#include "siusbxpapi.h"
#include "siusbxpstatus.h"
#include "standindevice.h"
#include "widetext.h"

using namespace zelmark;
using namespace zelmark::siusbxp;

namespace {

std::mutex mutex;
StandInDevice* device = nullptr;  // kept until the library is unloaded

std::wstring environment(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

StandInDevice& theDevice() {
    if (!device) {
        device = new StandInDevice(toUtf8(environment(L"ZELMARK_STANDIN")),
                                   environment(L"ZELMARK_STANDIN_FILE"));
    }
    return *device;
}

// The library's handles are pointers; these are the virtual device's handles moved above 4 GiB,
// so that a caller that cut them to 32 bits would be caught.
constexpr std::uintptr_t HandleBase = std::uintptr_t{0x7A5E} << 32;

HANDLE toLibrary(SiHandle handle) {
    return reinterpret_cast<HANDLE>(HandleBase + handle);
}

SiHandle fromLibrary(HANDLE handle) {
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    if (value <= HandleBase || value - HandleBase > UINT32_MAX) {
        return 0;  // no handle of ours: the virtual device answers "invalid handle"
    }
    return static_cast<SiHandle>(value - HandleBase);
}

// How the library reports what the virtual device answered. A device that stopped answering is
// reported by each call in its own words.
DWORD libraryStatus(Call call, SiStatus status) {
    switch (status) {
        case SiSuccess:
            return LibSuccess;
        case SiDeviceNotFound:
            return LibDeviceNotFound;
        case SiInvalidHandle:
            return LibInvalidHandle;
        case SiInvalidParameter:
            return LibInvalidParameter;
        case SiWriteTimeout:
            return LibWriteTimedOut;
        default:
            break;
    }
    switch (call) {
        case Call::Read:
            return LibReadError;
        case Call::Write:
            return LibWriteError;
        default:
            return LibDeviceIoFailed;
    }
}

}  // namespace

extern "C" {

DWORD WINAPI SI_GetNumDevices(LPDWORD numDevices) {
    std::lock_guard lock(mutex);
    StandInDevice& standIn = theDevice();
    standIn.followSettingsFile();
    std::uint32_t count = 0;
    standIn.usb().SI_GetNumDevices(&count);
    *numDevices = count;  // none attached is a count of 0, not a failure
    return LibSuccess;
}

DWORD WINAPI SI_GetProductString(DWORD deviceNum, LPVOID deviceString, DWORD options) {
    std::lock_guard lock(mutex);
    return libraryStatus(Call::GetProductString,
                         theDevice().usb().SI_GetProductString(
                             deviceNum, static_cast<char*>(deviceString), options));
}

DWORD WINAPI SI_Open(DWORD deviceNum, HANDLE* handle) {
    std::lock_guard lock(mutex);
    SiHandle ours = 0;
    const SiStatus status = theDevice().usb().SI_Open(deviceNum, &ours);
    if (status == SiSuccess) {
        *handle = toLibrary(ours);
    }
    return libraryStatus(Call::Open, status);
}

DWORD WINAPI SI_Close(HANDLE handle) {
    std::lock_guard lock(mutex);
    StandInDevice& standIn = theDevice();
    const SiStatus status = standIn.usb().SI_Close(fromLibrary(handle));
    standIn.save();
    return libraryStatus(Call::Close, status);
}

DWORD WINAPI SI_SetBaudRate(HANDLE handle, DWORD baudRate) {
    std::lock_guard lock(mutex);
    return libraryStatus(Call::SetBaudRate,
                         theDevice().usb().SI_SetBaudRate(fromLibrary(handle), baudRate));
}

DWORD WINAPI SI_SetTimeouts(DWORD readTimeoutMs, DWORD writeTimeoutMs) {
    std::lock_guard lock(mutex);
    return libraryStatus(Call::SetTimeouts,
                         theDevice().usb().SI_SetTimeouts(readTimeoutMs, writeTimeoutMs));
}

DWORD WINAPI SI_Write(HANDLE handle, LPVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
                      LPOVERLAPPED /*overlapped*/) {
    std::lock_guard lock(mutex);
    std::uint32_t written = 0;
    const SiStatus status =
        theDevice().usb().SI_Write(fromLibrary(handle), buffer, bytesToWrite, &written);
    *bytesWritten = written;
    return libraryStatus(Call::Write, status);
}

DWORD WINAPI SI_CheckRXQueue(HANDLE handle, LPDWORD numBytesInQueue, LPDWORD queueStatus) {
    std::lock_guard lock(mutex);
    std::uint32_t queued = 0;
    std::uint32_t state = 0;
    const SiStatus status = theDevice().usb().SI_CheckRXQueue(fromLibrary(handle), &queued, &state);
    *numBytesInQueue = queued;
    *queueStatus = state;
    return libraryStatus(Call::CheckRXQueue, status);
}

DWORD WINAPI SI_Read(HANDLE handle, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesReturned,
                     LPOVERLAPPED /*overlapped*/) {
    std::lock_guard lock(mutex);
    std::uint32_t read = 0;
    const SiStatus status =
        theDevice().usb().SI_Read(fromLibrary(handle), buffer, bytesToRead, &read);
    *bytesReturned = read;
    return libraryStatus(Call::Read, status);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID processEnds) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && device) {
        device->save();
        if (!processEnds) {  // unloaded by FreeLibrary: the next load starts afresh
            delete device;
            device = nullptr;
        }
    }
    return TRUE;
}

}  // extern "C"

// The exports have exactly the types the backend resolves them as.
static_assert(std::is_same_v<decltype(&SI_GetNumDevices), GetNumDevicesFn>);
static_assert(std::is_same_v<decltype(&SI_GetProductString), GetProductStringFn>);
static_assert(std::is_same_v<decltype(&SI_Open), OpenFn>);
static_assert(std::is_same_v<decltype(&SI_Close), CloseFn>);
static_assert(std::is_same_v<decltype(&SI_SetBaudRate), SetBaudRateFn>);
static_assert(std::is_same_v<decltype(&SI_SetTimeouts), SetTimeoutsFn>);
static_assert(std::is_same_v<decltype(&SI_Write), WriteFn>);
static_assert(std::is_same_v<decltype(&SI_CheckRXQueue), CheckRXQueueFn>);
static_assert(std::is_same_v<decltype(&SI_Read), ReadFn>);
