#include "serialusb.h"

#include <sys/ioctl.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>
#include <cstring>

namespace zelmark {

std::vector<SerialUsb::Candidate> SerialUsb::candidates() const {
    std::vector<Candidate> found;
    if (!fixedPath_.isEmpty()) {
        if (QFileInfo::exists(fixedPath_)) {
            found.push_back({fixedPath_, QStringLiteral("Zelmark")});
        }
        return found;
    }
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.hasVendorIdentifier() && info.hasProductIdentifier() &&
            info.vendorIdentifier() == ZelmarkUsbVendorId &&
            info.productIdentifier() == ZelmarkUsbProductId) {
            found.push_back({info.systemLocation(), info.description()});
        }
    }
    std::sort(found.begin(), found.end(),
              [](const Candidate& a, const Candidate& b) { return a.path < b.path; });
    return found;
}

QString SerialUsb::portPath() const {
    if (open_) {
        return openPath_;
    }
    const auto found = candidates();
    return found.empty() ? fixedPath_ : found.front().path;
}

SiStatus SerialUsb::SI_GetNumDevices(std::uint32_t* numDevices) {
    auto found = candidates();
    // The port we hold counts as gone once the OS reported it failing (cable pulled).
    if (open_ && failed_) {
        found.erase(std::remove_if(found.begin(), found.end(),
                                   [&](const Candidate& c) { return c.path == openPath_; }),
                    found.end());
    }
    if (numDevices) {
        *numDevices = static_cast<std::uint32_t>(found.size());
    }
    return found.empty() ? SiDeviceNotFound : SiSuccess;
}

SiStatus SerialUsb::SI_GetProductString(std::uint32_t deviceNum, char* buffer, std::uint32_t) {
    const auto found = candidates();
    if (deviceNum >= found.size()) {
        return SiDeviceNotFound;
    }
    const QByteArray text = found[deviceNum].description.toUtf8();
    const std::size_t n = std::min<std::size_t>(text.size(), SiMaxDeviceStringLength - 1);
    std::memcpy(buffer, text.constData(), n);
    buffer[n] = '\0';
    return SiSuccess;
}

SiStatus SerialUsb::SI_Open(std::uint32_t deviceNum, SiHandle* handle) {
    if (open_) {
        return SiDeviceBusy;
    }
    const auto found = candidates();
    if (found.empty() || deviceNum >= found.size()) {
        return SiDeviceNotFound;
    }
    if (found.size() > 1 && fixedPath_.isEmpty()) {
        return SiSeveralDevices;  // never guess which one the user means
    }
    const QString path = found[deviceNum].path;
    const QByteArray native = path.toLocal8Bit();
    if (::access(native.constData(), R_OK | W_OK) != 0) {
        return SiAccessDenied;
    }
    port_.setPortName(path);
    if (!port_.open(QIODevice::ReadWrite)) {
        // We may use the port, so an open that is refused means another program holds it.
        const auto error = port_.error();
        port_.clearError();
        return error == QSerialPort::PermissionError ? SiDeviceBusy : SiIoFailed;
    }
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    port_.clear();
    open_ = true;
    failed_ = false;
    openPath_ = path;
    handle_ = nextHandle_++;
    *handle = handle_;
    return SiSuccess;
}

SiStatus SerialUsb::SI_Close(SiHandle handle) {
    if (!open_ || handle != handle_) {
        return SiInvalidHandle;
    }
    port_.close();
    open_ = false;
    failed_ = false;
    return SiSuccess;
}

SiStatus SerialUsb::checkHandle(SiHandle handle) {
    if (!open_ || handle != handle_) {
        return SiInvalidHandle;
    }
    const auto error = port_.error();
    if (error == QSerialPort::ResourceError || error == QSerialPort::DeviceNotFoundError) {
        failed_ = true;
    }
    return failed_ ? SiIoFailed : SiSuccess;
}

SiStatus SerialUsb::SI_SetBaudRate(SiHandle handle, std::uint32_t baudRate) {
    if (const SiStatus status = checkHandle(handle); status != SiSuccess) {
        return status;
    }
    return port_.setBaudRate(static_cast<qint32>(baudRate)) ? SiSuccess : SiInvalidParameter;
}

SiStatus SerialUsb::SI_SetTimeouts(std::uint32_t readTimeoutMs, std::uint32_t writeTimeoutMs) {
    readTimeoutMs_ = readTimeoutMs;
    writeTimeoutMs_ = writeTimeoutMs;
    return SiSuccess;
}

SiStatus SerialUsb::SI_Write(SiHandle handle, const void* buffer, std::uint32_t bytesToWrite,
                             std::uint32_t* bytesWritten) {
    *bytesWritten = 0;
    if (const SiStatus status = checkHandle(handle); status != SiSuccess) {
        return status;
    }
    if (port_.write(static_cast<const char*>(buffer), bytesToWrite) < 0) {
        checkHandle(handle);
        return SiIoFailed;
    }
    // Qt sends buffered bytes from its event loop; the caller must know they have left now.
    QElapsedTimer elapsed;
    elapsed.start();
    while (port_.bytesToWrite() > 0) {
        const qint64 left = static_cast<qint64>(writeTimeoutMs_) - elapsed.elapsed();
        if (left <= 0 || !port_.waitForBytesWritten(static_cast<int>(left))) {
            if (checkHandle(handle) != SiSuccess) {
                return SiIoFailed;
            }
            if (port_.bytesToWrite() > 0) {
                *bytesWritten = static_cast<std::uint32_t>(bytesToWrite - port_.bytesToWrite());
                return SiWriteTimeout;
            }
        }
    }
    *bytesWritten = bytesToWrite;
    return SiSuccess;
}

qint64 SerialUsb::arrivedBytes() {
    int inOs = 0;
    if (::ioctl(port_.handle(), FIONREAD, &inOs) != 0) {
        inOs = 0;
    }
    return port_.bytesAvailable() + inOs;
}

SiStatus SerialUsb::SI_CheckRXQueue(SiHandle handle, std::uint32_t* numBytesInQueue,
                                    std::uint32_t* queueStatus) {
    *numBytesInQueue = 0;
    *queueStatus = 0;
    if (const SiStatus status = checkHandle(handle); status != SiSuccess) {
        return status;
    }
    // A pulled cable shows as a hang-up on the port; reading is how the OS tells it.
    if (port_.bytesAvailable() == 0) {
        port_.waitForReadyRead(0);
        if (const SiStatus status = checkHandle(handle); status != SiSuccess) {
            return status;
        }
    }
    *numBytesInQueue = static_cast<std::uint32_t>(arrivedBytes());
    return SiSuccess;
}

SiStatus SerialUsb::SI_Read(SiHandle handle, void* buffer, std::uint32_t bytesToRead,
                            std::uint32_t* bytesReturned) {
    *bytesReturned = 0;
    if (const SiStatus status = checkHandle(handle); status != SiSuccess) {
        return status;
    }
    if (port_.bytesAvailable() == 0) {
        port_.waitForReadyRead(static_cast<int>(readTimeoutMs_));
        if (const SiStatus status = checkHandle(handle); status != SiSuccess) {
            return status;
        }
    }
    const qint64 n = port_.read(static_cast<char*>(buffer), bytesToRead);
    if (n < 0) {
        return SiIoFailed;
    }
    *bytesReturned = static_cast<std::uint32_t>(n);
    return SiSuccess;
}

SiStatus SerialUsb::waitForReceive(SiHandle handle, std::uint32_t timeoutMs) {
    if (const SiStatus status = checkHandle(handle); status != SiSuccess) {
        return status;
    }
    if (arrivedBytes() == 0) {
        port_.waitForReadyRead(static_cast<int>(timeoutMs));
    }
    return checkHandle(handle);
}

}  // namespace zelmark
