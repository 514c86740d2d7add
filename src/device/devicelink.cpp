#include "devicelink.h"

#include <algorithm>

#include "crc16.h"
#include "frames.h"
#include "imageheader.h"

namespace zelmark {

using namespace protocol;

DeviceLink::DeviceLink(UsbXpress& usb, Clock& clock, ImageBytes image, LinkHooks hooks)
    : usb_(usb), clock_(clock), image_(image), hooks_(std::move(hooks)) {}

void DeviceLink::pump() {
    if (hooks_.pumpMessages) {
        hooks_.pumpMessages();
    }
}

bool DeviceLink::stopRequested() const {
    return hooks_.stopRequested && hooks_.stopRequested();
}

void DeviceLink::setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
    readTimeoutMs_ = readMs;
    usb_.SI_SetTimeouts(readMs, writeMs);
}

void DeviceLink::UpdateCrc(std::uint8_t byte) {
    zelmark::UpdateCrc(Crc, byte);
}

void DeviceLink::SendCommand(std::uint8_t code, std::uint16_t first, std::uint16_t second) {
    buildCommandFrame(TxBuf.data(), code, first, second);
    std::uint32_t written = 0;
    usb_.SI_Write(DeviceHandle, TxBuf.data(), CommandFrameSize, &written);
}

DeviceLink::WaitResult DeviceLink::waitForQueued(std::uint32_t limitMs, bool stoppable) {
    const std::uint64_t deadline = clock_.nowUs() + std::uint64_t{limitMs} * 1000;
    for (;;) {
        pump();
        if (stoppable && stopRequested()) {
            return WaitResult::Stopped;
        }
        std::uint32_t queued = 0;
        std::uint32_t queueStatus = 0;
        if (usb_.SI_CheckRXQueue(DeviceHandle, &queued, &queueStatus) != SiSuccess) {
            return WaitResult::Failed;
        }
        if (queued > 0) {
            return WaitResult::Queued;
        }
        const std::uint64_t now = clock_.nowUs();
        if (now >= deadline) {
            return WaitResult::TimedOut;
        }
        const auto remainingMs = static_cast<std::uint32_t>((deadline - now + 999) / 1000);
        if (usb_.waitForReceive(DeviceHandle, std::min(WaitSliceMs, remainingMs)) != SiSuccess) {
            return WaitResult::Failed;
        }
    }
}

std::uint32_t DeviceLink::readQueued() {
    std::uint32_t read = 0;
    if (usb_.SI_Read(DeviceHandle, RxBuf.data(), BufferSize, &read) != SiSuccess) {
        return 0;
    }
    return read;
}

namespace {

// Follows the reply as it arrives: the first marker, then the record's bytes behind it.
class RecordWatch {
public:
    void feed(const std::uint8_t* data, std::size_t size) {
        for (std::size_t i = 0; i < size && !complete(); ++i) {
            if (markerSeen_) {
                ++recordBytes_;
            } else {
                markerSeen_ = data[i] == InfoMarkerByte;
            }
        }
    }
    bool complete() const { return recordBytes_ >= InfoRecordSize; }

private:
    bool markerSeen_ = false;
    std::size_t recordBytes_ = 0;
};

}  // namespace

CaptureEnd DeviceLink::CaptureReply(ReplyStore& store) {
    store.create();
    CaptureEnd end = CaptureEnd::NothingArrived;
    try {
        // A device that never falls silent must not hold the program: the capture also ends
        // after CaptureTimeLimitMs, or once CaptureByteLimit bytes have been read.
        const std::uint64_t giveUpAtUs = clock_.nowUs() + std::uint64_t{CaptureTimeLimitMs} * 1000;
        std::uint64_t bytesRead = 0;
        RecordWatch record;
        auto ended = [](WaitResult wait) {
            return wait == WaitResult::Failed    ? CaptureEnd::Failed
                   : wait == WaitResult::Stopped ? CaptureEnd::Stopped
                                                 : CaptureEnd::Silent;
        };
        // Wait for the reply to begin; a failing queue, a stop or a long silence ends the capture.
        if (const WaitResult first = waitForQueued(CaptureSilenceLimitMs, true);
            first != WaitResult::Queued) {
            end = first == WaitResult::TimedOut ? CaptureEnd::NothingArrived : ended(first);
        } else {
            end = CaptureEnd::CutOff;
            while (clock_.nowUs() < giveUpAtUs && bytesRead < CaptureByteLimit) {
                // Every byte is kept, in arrival order, whatever the size of the read.
                const std::uint32_t read = readQueued();
                if (read == 0) {
                    end = CaptureEnd::Failed;
                    break;
                }
                bytesRead += read;
                store.append(RxBuf.data(), read);
                record.feed(RxBuf.data(), read);
                // The device has fallen silent when nothing arrives within the read time-out, or
                // within a short gap once the whole record is in.
                const std::uint32_t silenceMs =
                    record.complete() ? std::min(RecordQuietGapMs, readTimeoutMs_) : readTimeoutMs_;
                if (const WaitResult next = waitForQueued(silenceMs, true);
                    next != WaitResult::Queued) {
                    end = ended(next);
                    break;
                }
            }
        }
    } catch (...) {
        store.close();
        throw;
    }
    store.close();
    return end;
}

QueryOutcome DeviceLink::queryInformation(ReplyStore& store) {
    if (!open()) {
        return QueryOutcome::NotOpened;
    }
    usb_.SI_SetBaudRate(DeviceHandle, BaudRate);
    setTimeouts(QueryTimeoutMs, QueryTimeoutMs);
    pause(SettlePauseMs);
    SendCommand(CommandInformation, 0, 0);
    CaptureEnd end = CaptureEnd::NothingArrived;
    try {
        end = CaptureReply(store);
    } catch (...) {
        usb_.SI_Close(DeviceHandle);
        throw;
    }
    pause(SettlePauseMs);
    usb_.SI_Close(DeviceHandle);

    // The first 0xCC in the reply is the marker; the record follows it.
    const std::unique_ptr<ByteReader> reply = store.openForReading();
    try {
        std::uint8_t byte = 0;
        do {
            byte = reply->readByte();
        } while (byte != InfoMarkerByte);
        InfoMarker = byte;
        InfoIndex = 0;
        for (std::size_t i = 0; i < InfoRecordSize; ++i) {
            InfoBytes[i] = reply->readByte();
        }
    } catch (const IoError&) {
        // A device that went away during its reply is gone, not a device with an unreadable one.
        if (end != CaptureEnd::Stopped && end != CaptureEnd::CutOff && deviceGone()) {
            return QueryOutcome::DeviceGone;
        }
        throw;
    }
    return QueryOutcome::Read;
}

bool DeviceLink::open() {
    lastOpenStatus_ = usb_.SI_Open(DeviceIndex, &DeviceHandle);
    return lastOpenStatus_ == SiSuccess;
}

bool DeviceLink::deviceGone() {
    std::uint32_t count = 0;
    return usb_.SI_GetNumDevices(&count) != SiSuccess;
}

void DeviceLink::discardQueued(unsigned& repliesSeen) {
    std::uint32_t queued = 0;
    std::uint32_t queueStatus = 0;
    // Bounded, so that a device that keeps talking cannot hold the transfer here.
    for (int reads = 0;
         reads < MaxDiscardReads &&
         usb_.SI_CheckRXQueue(DeviceHandle, &queued, &queueStatus) == SiSuccess && queued > 0;
         ++reads) {
        const std::uint32_t read = readQueued();
        if (read == 0) {
            break;
        }
        repliesSeen += read;
    }
}

// One frame in flight: the frame in TxBuf is written, and written again only after a NAK, a
// reply that is neither ACK nor NAK, or no reply within the reply time-out. Whatever is queued
// before a write belongs to an earlier write of the same frame and is dropped, so no reply is
// ever credited to another frame.
DeviceLink::FrameResult DeviceLink::sendFrame(TransferProgress& progress, TransferResult& result) {
    unsigned writes = 0;
    unsigned repliesSeen = 0;
    result.lastReply = -1;
    for (unsigned attempt = 1; attempt <= MaxFrameAttempts; ++attempt) {
        if (attempt > 1) {
            ++progress.resends;
        }
        discardQueued(repliesSeen);
        const SiStatus writeStatus =
            usb_.SI_Write(DeviceHandle, TxBuf.data(), BlockFrameSize, &lastWritten_);
        result.lastStatus = writeStatus;
        if (writeStatus != SiSuccess) {
            if (deviceGone()) {
                return FrameResult::DeviceGone;
            }
            if (attempt < MaxFrameAttempts) {
                pause(NakPauseMs);
            }
            continue;
        }
        ++writes;

        const WaitResult wait = waitForQueued(ReplyTimeoutMs, false);
        if (wait != WaitResult::Queued) {
            if (deviceGone()) {
                return FrameResult::DeviceGone;
            }
            continue;  // no reply in time: the frame goes out again
        }
        const std::uint32_t read = readQueued();
        if (read == 0) {
            continue;
        }
        repliesSeen += read;
        const std::uint8_t reply = RxBuf[0];
        result.lastReply = reply;
        if (reply == Ack) {
            // Each earlier write of this frame is owed a reply: collect and drop them so that
            // none is taken for the next frame's.
            while (repliesSeen < writes &&
                   waitForQueued(ReplyTimeoutMs, false) == WaitResult::Queued) {
                const std::uint32_t late = readQueued();
                if (late == 0) {
                    break;
                }
                repliesSeen += late;
            }
            return FrameResult::Acknowledged;
        }
        if (reply == Nak && attempt < MaxFrameAttempts) {
            pause(NakPauseMs);  // after the last attempt the transfer gives up at once
        }
    }
    return FrameResult::NoAcknowledge;
}

TransferResult DeviceLink::sendFirmware(TransferObserver& observer) {
    TransferResult result;
    if (!open()) {
        return result;
    }
    observer.deviceOpened();
    usb_.SI_SetBaudRate(DeviceHandle, BaudRate);
    setTimeouts(TransferTimeoutMs, TransferTimeoutMs);

    TransferProgress& progress = result.progress;
    progress.byteCounter = 0;
    pause(SettlePauseMs);
    SendCommand(CommandUpdate, 0, 0);
    pause(SettlePauseMs);

    // A transfer that ends early closes the device and says why.
    auto giveUp = [&](TransferOutcome outcome, FailureReason reason) {
        result.outcome = outcome;
        result.reason = reason;
        usb_.SI_Close(DeviceHandle);
        return result;
    };
    auto frameFailure = [&](FrameResult frame) {
        return giveUp(TransferOutcome::Failed, frame == FrameResult::DeviceGone
                                                   ? FailureReason::DeviceGone
                                                   : FailureReason::NoAcknowledge);
    };

    std::uint16_t flashAddress = FlashStart;
    for (unsigned k = 1; k <= BlockCount; ++k) {
        if (stopRequested()) {
            return giveUp(TransferOutcome::Stopped, FailureReason::None);
        }
        progress.frame = k;
        progress.flashAddress = flashAddress;
        buildCodeBlock(TxBuf.data(), image_, k, flashAddress, Crc);
        if (const FrameResult frame = sendFrame(progress, result);
            frame != FrameResult::Acknowledged) {
            return frameFailure(frame);
        }
        flashAddress = static_cast<std::uint16_t>(flashAddress + BlockSize);
        progress.byteCounter += lastWritten_;
        observer.frameAcknowledged(progress);
        pump();
    }

    if (stopRequested()) {
        return giveUp(TransferOutcome::Stopped, FailureReason::None);
    }
    progress.frame = TransferFrameCount;
    progress.flashAddress = VectorFlashAddress;
    buildVectorBlock(TxBuf.data(), image_, Crc);
    if (const FrameResult frame = sendFrame(progress, result); frame != FrameResult::Acknowledged) {
        return frameFailure(frame);
    }
    observer.frameAcknowledged(progress);

    observer.transferCounted(progress.byteCounter);
    pause(SettlePauseMs);
    usb_.SI_Close(DeviceHandle);
    result.outcome = TransferOutcome::Completed;
    return result;
}

}  // namespace zelmark
