#pragma once

#include <cstdint>

// The nine calls through which the program reaches a Zelmark, in the shape of the USBXpress
// library the device was built for. Every backend implements UsbXpress: the OS's serial port
// (the device's USB bridge), the in-process virtual Zelmark, and the tests' scripted fakes.
namespace zelmark {

using SiStatus = std::uint32_t;
using SiHandle = std::uint32_t;

// Status values. 0 is success; the others say what the callers need to tell apart.
enum : SiStatus {
    SiSuccess = 0,
    SiDeviceNotFound = 1,    // no device at that index (or none attached at all)
    SiInvalidHandle = 2,     // the handle is not that of an open device
    SiIoFailed = 3,          // the device stopped answering the OS: cable pulled, device reset
    SiWriteTimeout = 4,      // the bytes did not leave within the write time-out
    SiAccessDenied = 5,      // the device exists but this user may not open it
    SiDeviceBusy = 6,        // another program holds the device
    SiSeveralDevices = 7,    // more than one device is attached; the program never guesses
    SiInvalidParameter = 8,  // a call's argument is out of range
};

const char* statusName(SiStatus status);

// SI_GetProductString writes at most this many characters, the terminating zero included.
inline constexpr std::uint32_t SiMaxDeviceStringLength = 256;
inline constexpr std::uint32_t SiReturnDescription = 1;  // option: the USB product description

class UsbXpress {
public:
    virtual ~UsbXpress() = default;

    // Status 0 when a device is attached; the count is written when not null.
    virtual SiStatus SI_GetNumDevices(std::uint32_t* numDevices) = 0;
    // buffer holds SiMaxDeviceStringLength characters.
    virtual SiStatus SI_GetProductString(std::uint32_t deviceNum, char* buffer,
                                         std::uint32_t options) = 0;
    virtual SiStatus SI_Open(std::uint32_t deviceNum, SiHandle* handle) = 0;
    virtual SiStatus SI_Close(SiHandle handle) = 0;
    virtual SiStatus SI_SetBaudRate(SiHandle handle, std::uint32_t baudRate) = 0;
    // Takes no handle: the values set last govern every later read and write.
    virtual SiStatus SI_SetTimeouts(std::uint32_t readTimeoutMs, std::uint32_t writeTimeoutMs) = 0;
    // Returns once the bytes have left the program, or the write time-out passed.
    virtual SiStatus SI_Write(SiHandle handle, const void* buffer, std::uint32_t bytesToWrite,
                              std::uint32_t* bytesWritten) = 0;
    // The count of bytes that have arrived and not been read yet.
    virtual SiStatus SI_CheckRXQueue(SiHandle handle, std::uint32_t* numBytesInQueue,
                                     std::uint32_t* queueStatus) = 0;
    // Returns what has arrived, up to bytesToRead; waits up to the read time-out for the first
    // byte and comes back empty after it.
    virtual SiStatus SI_Read(SiHandle handle, void* buffer, std::uint32_t bytesToRead,
                             std::uint32_t* bytesReturned) = 0;

    // Not one of the library's calls: blocks (without spinning) until a byte is queued or
    // timeoutMs has passed. The protocol waits in short slices with it so that it can keep the
    // window alive between slices. A time-out is success with nothing queued; a failing device
    // gives its status.
    virtual SiStatus waitForReceive(SiHandle handle, std::uint32_t timeoutMs) = 0;
};

}  // namespace zelmark
