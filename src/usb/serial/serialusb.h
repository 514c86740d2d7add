#pragma once

#include <QSerialPort>
#include <QString>
#include <optional>

#include "usbheader.h"

// The Zelmark's USB bridge (a CP210x, 10C4:EA61) as the OS's serial port. Device index 0 is the
// first such port in name order; a port path given at construction is used instead of the
// search (pseudo-terminals in tests, --port on the command line).
namespace zelmark {

inline constexpr quint16 ZelmarkUsbVendorId = 0x10C4;
inline constexpr quint16 ZelmarkUsbProductId = 0xEA61;

class SerialUsb final : public UsbXpress {
public:
    SerialUsb() = default;
    explicit SerialUsb(QString portPath) : fixedPath_(std::move(portPath)) {}

    // The path of the port that SI_Open opened or would open, for messages to the user.
    QString portPath() const;

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
    struct Candidate {
        QString path;
        QString description;
    };
    std::vector<Candidate> candidates() const;
    SiStatus checkHandle(SiHandle handle);
    // Bytes that have arrived: those Qt holds and those still in the OS.
    qint64 arrivedBytes();

    QString fixedPath_;
    QString openPath_;
    QSerialPort port_;
    bool open_ = false;
    bool failed_ = false;
    SiHandle handle_ = 0;
    SiHandle nextHandle_ = 1;
    std::uint32_t readTimeoutMs_ = 500;
    std::uint32_t writeTimeoutMs_ = 500;
};

}  // namespace zelmark
