#include "siusbxplibrary.h"

#include <windows.h>
// windows.h first: the headers below need its definitions.
#include <timeapi.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>

#include "siusbxpapi.h"
#include "siusbxpstatus.h"
#include "widetext.h"

namespace zelmark {

using siusbxp::Call;
using siusbxp::toSiStatus;

struct SiUsbXpLibrary::Calls {
    siusbxp::GetNumDevicesFn getNumDevices = nullptr;
    siusbxp::GetProductStringFn getProductString = nullptr;
    siusbxp::OpenFn open = nullptr;
    siusbxp::CloseFn close = nullptr;
    siusbxp::SetBaudRateFn setBaudRate = nullptr;
    siusbxp::SetTimeoutsFn setTimeouts = nullptr;
    siusbxp::WriteFn write = nullptr;
    siusbxp::CheckRXQueueFn checkRXQueue = nullptr;
    siusbxp::ReadFn read = nullptr;
};

namespace {

// The folder of the running program, with its trailing separator.
std::wstring programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring modulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return path;
}

bool notFound(DWORD error) {
    return error == ERROR_MOD_NOT_FOUND || error == ERROR_FILE_NOT_FOUND ||
           error == ERROR_PATH_NOT_FOUND;
}

// GetProcAddress gives a generic function pointer; the call's own type is known from its name.
// The detour through void(*)() is the conversion compilers accept between function types.
template <typename Function>
bool resolve(HMODULE module, Call call, Function& target) {
    const FARPROC address = GetProcAddress(module, siusbxp::callName(call));
    target = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
    return address != nullptr;
}

}  // namespace

SiUsbXpLibrary::SiUsbXpLibrary(const std::wstring& fileName) : calls_(std::make_unique<Calls>()) {
    load(fileName);
    if (loaded()) {
        // Sleep() would otherwise last a whole scheduler tick (15.6 ms by default) and every wait
        // for an ACK would be rounded up to it.
        timerRaised_ = timeBeginPeriod(1) == TIMERR_NOERROR;
    }
}

SiUsbXpLibrary::~SiUsbXpLibrary() {
    if (loaded()) {
        for (const auto& [ours, theirs] : handles_) {
            calls_->close(theirs);
        }
    }
    if (module_) {
        FreeLibrary(static_cast<HMODULE>(module_));
    }
    if (timerRaised_) {
        timeEndPeriod(1);
    }
}

void SiUsbXpLibrary::load(const std::wstring& fileName) {
    problem_ = {LibraryProblem::FileMissing, toUtf8(fileName), 0};
    // No error box from the system for a file that will not load: the window says it.
    DWORD previousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    // Beside the program first (its own dependencies searched beside it too), then the system's
    // search order. A full path is loaded from there alone.
    const bool fullPath = std::filesystem::path(fileName).is_absolute();
    const std::wstring first = fullPath ? fileName : programFolder() + fileName;
    HMODULE module = LoadLibraryExW(first.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    DWORD error = module ? 0 : GetLastError();
    if (!module && !fullPath) {
        module = LoadLibraryW(fileName.c_str());
        if (!module && notFound(error)) {
            error = GetLastError();
        }
    }
    SetThreadErrorMode(previousMode, nullptr);
    if (!module) {
        problem_.kind =
            notFound(error) ? LibraryProblem::FileMissing : LibraryProblem::FileUnusable;
        problem_.systemError = error;
        return;
    }

    Calls& c = *calls_;
    const char* missing = nullptr;
    auto need = [&](Call call, auto& target) {
        if (!resolve(module, call, target) && !missing) {
            missing = siusbxp::callName(call);
        }
    };
    need(Call::GetNumDevices, c.getNumDevices);
    need(Call::GetProductString, c.getProductString);
    need(Call::Open, c.open);
    need(Call::Close, c.close);
    need(Call::SetBaudRate, c.setBaudRate);
    need(Call::SetTimeouts, c.setTimeouts);
    need(Call::Write, c.write);
    need(Call::CheckRXQueue, c.checkRXQueue);
    need(Call::Read, c.read);
    if (missing) {
        problem_ = {LibraryProblem::CallMissing, missing, 0};
        *calls_ = {};
        FreeLibrary(module);
        return;
    }
    module_ = module;
    path_ = toUtf8(modulePath(module));
    problem_ = {};
}

std::string SiUsbXpLibrary::describeLoadProblem() const {
    switch (problem_.kind) {
        case LibraryProblem::None:
            return {};
        case LibraryProblem::FileMissing:
            return problem_.name + " was not found beside the program or on the system";
        case LibraryProblem::FileUnusable:
            return problem_.name + " does not load (Windows error " +
                   std::to_string(problem_.systemError) + ")";
        case LibraryProblem::CallMissing:
            return "the USB library lacks the call " + problem_.name;
    }
    return {};
}

void* SiUsbXpLibrary::libraryHandle(SiHandle handle) const {
    const auto found = handles_.find(handle);
    return found == handles_.end() ? nullptr : found->second;
}

SiStatus SiUsbXpLibrary::SI_GetNumDevices(std::uint32_t* numDevices) {
    if (numDevices) {
        *numDevices = 0;
    }
    if (!loaded()) {
        return SiDeviceNotFound;
    }
    DWORD count = 0;
    const SiStatus status = toSiStatus(Call::GetNumDevices, calls_->getNumDevices(&count));
    if (status != SiSuccess) {
        return status;
    }
    if (numDevices) {
        *numDevices = count;
    }
    // Our callers read success as "a device is attached".
    return count > 0 ? SiSuccess : SiDeviceNotFound;
}

SiStatus SiUsbXpLibrary::SI_GetProductString(std::uint32_t deviceNum, char* buffer,
                                             std::uint32_t options) {
    if (!loaded()) {
        return SiDeviceNotFound;
    }
    // Room to spare, zeroed, so that a string the library does not end is ended all the same.
    std::array<char, 4 * SiMaxDeviceStringLength> text{};
    const SiStatus status = toSiStatus(Call::GetProductString,
                                       calls_->getProductString(deviceNum, text.data(), options));
    if (status != SiSuccess) {
        return status;
    }
    const std::size_t length =
        std::min<std::size_t>(strnlen(text.data(), text.size()), SiMaxDeviceStringLength - 1);
    std::copy_n(text.data(), length, buffer);
    buffer[length] = '\0';
    return SiSuccess;
}

SiStatus SiUsbXpLibrary::SI_Open(std::uint32_t deviceNum, SiHandle* handle) {
    if (!loaded()) {
        return SiDeviceNotFound;
    }
    HANDLE theirs = nullptr;
    const SiStatus status = toSiStatus(Call::Open, calls_->open(deviceNum, &theirs));
    if (status != SiSuccess) {
        return status;
    }
    if (nextHandle_ == 0) {
        nextHandle_ = 1;  // 0 is no handle
    }
    const SiHandle ours = nextHandle_++;
    handles_[ours] = theirs;
    *handle = ours;
    return SiSuccess;
}

SiStatus SiUsbXpLibrary::SI_Close(SiHandle handle) {
    void* theirs = libraryHandle(handle);
    if (!theirs) {
        return SiInvalidHandle;
    }
    handles_.erase(handle);
    return toSiStatus(Call::Close, calls_->close(theirs));
}

SiStatus SiUsbXpLibrary::SI_SetBaudRate(SiHandle handle, std::uint32_t baudRate) {
    void* theirs = libraryHandle(handle);
    if (!theirs) {
        return SiInvalidHandle;
    }
    return toSiStatus(Call::SetBaudRate, calls_->setBaudRate(theirs, baudRate));
}

SiStatus SiUsbXpLibrary::SI_SetTimeouts(std::uint32_t readTimeoutMs, std::uint32_t writeTimeoutMs) {
    if (!loaded()) {
        return SiDeviceNotFound;
    }
    return toSiStatus(Call::SetTimeouts, calls_->setTimeouts(readTimeoutMs, writeTimeoutMs));
}

SiStatus SiUsbXpLibrary::SI_Write(SiHandle handle, const void* buffer, std::uint32_t bytesToWrite,
                                  std::uint32_t* bytesWritten) {
    *bytesWritten = 0;
    void* theirs = libraryHandle(handle);
    if (!theirs) {
        return SiInvalidHandle;
    }
    DWORD written = 0;
    // The library's buffer parameter is not const, but it only reads from it.
    const SiStatus status = toSiStatus(Call::Write, calls_->write(theirs, const_cast<void*>(buffer),
                                                                  bytesToWrite, &written, nullptr));
    *bytesWritten = written;
    return status;
}

SiStatus SiUsbXpLibrary::SI_CheckRXQueue(SiHandle handle, std::uint32_t* numBytesInQueue,
                                         std::uint32_t* queueStatus) {
    *numBytesInQueue = 0;
    *queueStatus = 0;
    void* theirs = libraryHandle(handle);
    if (!theirs) {
        return SiInvalidHandle;
    }
    DWORD queued = 0;
    DWORD state = 0;
    const SiStatus status =
        toSiStatus(Call::CheckRXQueue, calls_->checkRXQueue(theirs, &queued, &state));
    *numBytesInQueue = queued;
    *queueStatus = state;
    return status;
}

SiStatus SiUsbXpLibrary::SI_Read(SiHandle handle, void* buffer, std::uint32_t bytesToRead,
                                 std::uint32_t* bytesReturned) {
    *bytesReturned = 0;
    void* theirs = libraryHandle(handle);
    if (!theirs) {
        return SiInvalidHandle;
    }
    DWORD read = 0;
    const SiStatus status =
        toSiStatus(Call::Read, calls_->read(theirs, buffer, bytesToRead, &read, nullptr));
    *bytesReturned = std::min<std::uint32_t>(read, bytesToRead);
    return status;
}

SiStatus SiUsbXpLibrary::waitForReceive(SiHandle handle, std::uint32_t timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::uint32_t queued = 0;
        std::uint32_t state = 0;
        if (const SiStatus status = SI_CheckRXQueue(handle, &queued, &state); status != SiSuccess) {
            return status;
        }
        if (queued > 0 || Clock::now() >= deadline) {
            return SiSuccess;
        }
        Sleep(PollPauseMs);
    }
}

}  // namespace zelmark
