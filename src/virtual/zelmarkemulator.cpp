#include "zelmarkemulator.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "imageheader.h"

namespace zelmark {

namespace {

constexpr std::uint8_t CommandPreamble0 = 0x78;
constexpr std::uint8_t CommandPreamble1 = 0x87;
constexpr std::size_t CommandFrameSize = 8;
constexpr std::uint8_t InformationCommand = 9;
constexpr std::uint8_t UpdateCommand = 23;
constexpr std::uint8_t CodeBlockKind = 0xA1;
constexpr std::uint8_t VectorBlockKind = 0xA2;
constexpr std::size_t BlockFrameSize = 518;
constexpr std::size_t BlockDataSize = 512;
constexpr std::uint32_t FirstCodeAddress = 0x4000;
constexpr std::uint32_t EndOfCode = 0xF600;
constexpr std::uint32_t VectorAddress = 0xFFE0;
constexpr std::size_t VectorSize = 32;
constexpr std::uint8_t InfoMarker = 0xCC;
// A pause on the line this long means the sender started over: a frame in progress is dropped.
constexpr std::uint64_t ResyncGapUs = 2000;

// The device's firmware checks frames with a table-driven CRC-16/XMODEM.
struct CrcTable {
    std::array<std::uint16_t, 256> entries{};
    CrcTable() {
        for (unsigned i = 0; i < 256; ++i) {
            std::uint16_t crc = static_cast<std::uint16_t>(i << 8);
            for (int bit = 0; bit < 8; ++bit) {
                crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
            }
            entries[i] = crc;
        }
    }
};

std::uint16_t frameCrc(const std::vector<std::uint8_t>& frame) {
    static const CrcTable table;
    std::uint16_t crc = 0;
    auto feed = [&](std::uint8_t b) {
        crc = static_cast<std::uint16_t>((crc << 8) ^ table.entries[((crc >> 8) ^ b) & 0xFF]);
    };
    feed(frame[0]);
    for (std::size_t i = 3; i < BlockFrameSize; ++i) {
        feed(frame[i]);
    }
    return crc;
}

}  // namespace

InfoReplyShape::InfoReplyShape() {
    static constexpr std::uint8_t DefaultLeading[] = {0x00, 0x55, 0xAA};
    leading.assign(std::begin(DefaultLeading), std::end(DefaultLeading));
    trailing.assign(2, 0x00);
}

ZelmarkEmulator::ZelmarkEmulator() {
    flash_.fill(0xFF);
}

void ZelmarkEmulator::powerCycle() {
    frame_.clear();
    stats_.updateMode = false;
}

ReceiveResult ZelmarkEmulator::receive(const std::uint8_t* data, std::size_t size,
                                       std::uint64_t startUs, std::uint64_t endUs) {
    ReceiveResult result;
    if (!frame_.empty() && startUs > lastByteUs_ + ResyncGapUs) {
        frame_.clear();
    }
    lastByteUs_ = endUs;
    for (std::size_t i = 0; i < size && !result.cablePulled; ++i) {
        const std::uint8_t b = data[i];
        if (frame_.empty()) {
            const bool startsFrame =
                b == CommandPreamble0 ||
                (stats_.updateMode && (b == CodeBlockKind || b == VectorBlockKind));
            if (!startsFrame) {
                continue;  // noise between frames
            }
        }
        frame_.push_back(b);
        const bool isCommand = frame_[0] == CommandPreamble0;
        if (isCommand && frame_.size() == 2 && b != CommandPreamble1) {
            frame_.clear();
            continue;
        }
        if (frame_.size() == (isCommand ? CommandFrameSize : BlockFrameSize)) {
            handleFrame(result);
            frame_.clear();
        }
    }
    return result;
}

void ZelmarkEmulator::handleFrame(ReceiveResult& result) {
    if (frame_[0] == CommandPreamble0) {
        handleCommand(result);
    } else {
        handleBlock(result);
    }
}

void ZelmarkEmulator::handleCommand(ReceiveResult& result) {
    const std::uint8_t code = frame_[2];
    if (static_cast<std::uint8_t>(~code) != frame_[3]) {
        return;  // a damaged command is ignored
    }
    ++stats_.commandsReceived;
    if (code == InformationCommand && !stats_.updateMode) {
        const std::vector<std::uint8_t> reply = informationReply();
        std::uint64_t delay = timing.infoAnswerUs;
        std::size_t sent = 0;
        for (std::size_t piece : infoReply.splitSizes) {
            if (sent >= reply.size()) {
                break;
            }
            const std::size_t n = std::min(piece, reply.size() - sent);
            result.emissions.push_back(
                {delay, std::vector<std::uint8_t>(reply.begin() + static_cast<long>(sent),
                                                  reply.begin() + static_cast<long>(sent + n))});
            sent += n;
            delay += infoReply.splitGapUs;
        }
        if (sent < reply.size()) {
            result.emissions.push_back(
                {delay,
                 std::vector<std::uint8_t>(reply.begin() + static_cast<long>(sent), reply.end())});
        }
        stats_.busyUs += timing.infoAnswerUs;
    } else if (code == UpdateCommand) {
        // Update mode: the main flash is erased and programmed block by block from 0x4000 on.
        stats_.updateMode = true;
        stats_.framesReceived = 0;
        stats_.blocksProgrammed = 0;
        stats_.vectorsProgrammed = false;
        std::fill(flash_.begin() + FirstCodeAddress, flash_.end(), 0xFF);
        nextAddress_ = FirstCodeAddress;
        lastProgrammedAddress_ = -1;
    }
}

bool ZelmarkEmulator::fires(const FaultTrigger& trigger, unsigned frame) {
    if (seededWith_ != faults.seed) {
        random_.seed(faults.seed);
        seededWith_ = faults.seed;
    }
    bool fired = trigger.atFrames.count(frame) > 0;
    if (trigger.probability > 0.0) {
        fired = std::uniform_real_distribution<double>(0.0, 1.0)(random_) < trigger.probability ||
                fired;
    }
    return fired;
}

void ZelmarkEmulator::answer(ReceiveResult& result, std::uint8_t reply, std::uint64_t delayUs) {
    result.emissions.push_back({delayUs, {reply}});
    stats_.busyUs += delayUs;
    stats_.lastReply = reply;
    if (reply == Ack) {
        ++stats_.acks;
    } else if (reply == Nak) {
        ++stats_.naks;
    }
}

void ZelmarkEmulator::handleBlock(ReceiveResult& result) {
    const unsigned frameNumber = ++stats_.framesReceived;
    if (faults.unplugAtFrame != 0 && frameNumber >= faults.unplugAtFrame) {
        result.cablePulled = true;
        return;
    }
    if (faults.silentFromFrame != 0 && frameNumber >= faults.silentFromFrame) {
        return;
    }
    if (fires(faults.corruptFrame, frameNumber)) {
        frame_[6 + frameNumber % BlockDataSize] ^= 0x5A;
    }
    if (fires(faults.nak, frameNumber)) {
        answer(result, Nak, timing.refusalUs);
        return;
    }

    const std::uint16_t crc = static_cast<std::uint16_t>(frame_[1] | (frame_[2] << 8));
    const std::uint32_t address = static_cast<std::uint32_t>(frame_[4] | (frame_[5] << 8));
    bool accepted = false;
    if (crc == frameCrc(frame_) && frame_[3] == 0x40) {
        const bool inOrder = address == nextAddress_ && nextAddress_ < EndOfCode;
        const bool again = static_cast<std::int32_t>(address) == lastProgrammedAddress_;
        if (frame_[0] == CodeBlockKind && (inOrder || again)) {
            // A block already programmed may come again when its ACK went astray.
            std::memcpy(flash_.data() + address, frame_.data() + 6, BlockDataSize);
            if (address == nextAddress_) {
                nextAddress_ += BlockDataSize;
                ++stats_.blocksProgrammed;
            }
            lastProgrammedAddress_ = static_cast<std::int32_t>(address);
            accepted = true;
        } else if (frame_[0] == VectorBlockKind && address == VectorAddress &&
                   (nextAddress_ == EndOfCode || stats_.vectorsProgrammed)) {
            std::memcpy(flash_.data() + VectorAddress, frame_.data() + 6, VectorSize);
            stats_.vectorsProgrammed = true;
            accepted = true;
        }
    }
    if (!accepted) {
        answer(result, Nak, timing.refusalUs);
        return;
    }

    std::uint8_t reply = Ack;
    std::uint64_t delay = timing.programmingUs;
    if (fires(faults.garbageReply, frameNumber)) {
        reply = GarbageByte;
    }
    if (fires(faults.lateReply, frameNumber)) {
        delay += std::uint64_t{faults.lateDelayMs} * 1000;
    }
    if (fires(faults.lostReply, frameNumber)) {
        stats_.busyUs += timing.programmingUs;
        return;
    }
    answer(result, reply, delay);
}

std::vector<std::uint8_t> ZelmarkEmulator::informationReply() const {
    std::vector<std::uint8_t> reply = infoReply.leading;
    if (!infoReply.omitMarker) {
        reply.push_back(InfoMarker);
    }
    std::array<std::uint8_t, 16> record{};
    record[0] = static_cast<std::uint8_t>(identity.model >> 8);
    record[1] = static_cast<std::uint8_t>(identity.model & 0xFF);
    record[2] = static_cast<std::uint8_t>(identity.serial & 0xFF);
    record[3] = static_cast<std::uint8_t>(identity.serial >> 8);
    record[7] = static_cast<std::uint8_t>(identity.currentVersion & 0xFF);
    record[8] = static_cast<std::uint8_t>(identity.currentVersion >> 8);
    record[11] = identity.submodel;
    record[12] = identity.updaterVersion;
    const std::size_t recordLength = std::min(infoReply.recordLength, record.size());
    reply.insert(reply.end(), record.begin(), record.begin() + static_cast<long>(recordLength));
    if (recordLength == record.size()) {
        reply.insert(reply.end(), infoReply.trailing.begin(), infoReply.trailing.end());
    }
    if (reply.size() < infoReply.padTo) {
        reply.resize(infoReply.padTo, 0x00);
    }
    return reply;
}

bool flashHoldsImage(const std::uint8_t* flash, ImageBytes image) {
    return std::memcmp(flash + FirstCodeAddress, image.data() + CodeAreaOffset,
                       BlockCount * BlockSize) == 0 &&
           std::memcmp(flash + VectorAddress, image.data() + VectorTableOffset, VectorTableSize) ==
               0;
}

}  // namespace zelmark
