#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "usbheader.h"

// The device through the vendor's USB library on Windows, SiUSBXp.dll, which the device's driver
// installation provides. The library is loaded at run time, from beside the program first, then
// in the system's search order, and its nine calls are resolved by name. Without it (or with one
// that lacks a call) the program still runs: it finds no device and can say what is missing.
namespace zelmark {

enum class LibraryProblem {
    None,
    FileMissing,   // no such library beside the program or on the system's search path
    FileUnusable,  // a file by that name exists but does not load (a 32-bit or damaged library)
    CallMissing,   // the library loaded but does not export one of the nine calls
};

struct LibraryLoadProblem {
    LibraryProblem kind = LibraryProblem::None;
    std::string name;               // the library's file name, or the missing call's name
    std::uint32_t systemError = 0;  // Windows' error code from loading the file (0: none)
};

class SiUsbXpLibrary final : public UsbXpress {
public:
    static constexpr const wchar_t* DefaultFileName = L"SiUSBXp.dll";
    // Waits poll the receive queue with pauses this long: short against the device's answers
    // (an ACK comes a few milliseconds after a block), long enough not to keep a core busy.
    static constexpr std::uint32_t PollPauseMs = 1;

    // fileName: a name searched for as above, or a full path loaded from there alone.
    explicit SiUsbXpLibrary(const std::wstring& fileName = DefaultFileName);
    ~SiUsbXpLibrary() override;
    SiUsbXpLibrary(const SiUsbXpLibrary&) = delete;
    SiUsbXpLibrary& operator=(const SiUsbXpLibrary&) = delete;

    bool loaded() const { return problem_.kind == LibraryProblem::None; }
    const LibraryLoadProblem& loadProblem() const { return problem_; }
    // In English, for logs and tests: "SiUSBXp.dll lacks the call SI_Read". The window words
    // its own message from loadProblem().
    std::string describeLoadProblem() const;
    // The file that was loaded, in UTF-8; empty when none was.
    const std::string& libraryPath() const { return path_; }

    SiStatus SI_GetNumDevices(std::uint32_t* numDevices) override;
    SiStatus SI_GetProductString(std::uint32_t deviceNum, char* buffer,
                                 std::uint32_t options) override;
    SiStatus SI_Open(std::uint32_t deviceNum, SiHandle* handle) override;
    SiStatus SI_Close(SiHandle handle) override;
    SiStatus SI_SetBaudRate(SiHandle handle, std::uint32_t baudRate) override;
    SiStatus SI_SetTimeouts(std::uint32_t readTimeoutMs, std::uint32_t writeTimeoutMs) override;
    SiStatus SI_Write(SiHandle handle, const void* buffer, std::uint32_t bytesToWrite,
                      std::uint32_t* bytesWritten) override;
    SiStatus SI_CheckRXQueue(SiHandle handle, std::uint32_t* numBytesInQueue,
                             std::uint32_t* queueStatus) override;
    SiStatus SI_Read(SiHandle handle, void* buffer, std::uint32_t bytesToRead,
                     std::uint32_t* bytesReturned) override;
    SiStatus waitForReceive(SiHandle handle, std::uint32_t timeoutMs) override;

private:
    struct Calls;

    void load(const std::wstring& fileName);
    // The library's handle behind one of ours; null when ours is not open.
    void* libraryHandle(SiHandle handle) const;

    std::unique_ptr<Calls> calls_;
    void* module_ = nullptr;
    bool timerRaised_ = false;
    LibraryLoadProblem problem_;
    std::string path_;
    // The library's handles are pointer-sized, ours 32 bits: ours are numbers handed out here.
    std::map<SiHandle, void*> handles_;
    SiHandle nextHandle_ = 1;
};

}  // namespace zelmark
