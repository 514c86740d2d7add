#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <set>
#include <vector>

#include "firmwareimage.h"

// The device side of the protocol: what a Zelmark does with the bytes it receives. It answers the
// information command with its identity, enters update mode on the update command, checks every
// block frame (kind, CRC, address order), programs an emulated flash and answers ACK or NAK.
// Faults can be injected on request. It keeps no clock of its own: callers say when bytes arrived
// and are told how long after that each answer leaves the device.
namespace zelmark {

struct ZelmarkIdentity {
    std::uint16_t model = 3098;
    std::uint16_t serial = 4660;
    std::uint16_t currentVersion = 104;
    std::uint8_t submodel = 1;
    std::uint8_t updaterVersion = 100;
};

// How the information reply is laid out on the wire, and its faults.
struct InfoReplyShape {
    InfoReplyShape();  // three leading bytes, two trailing ones
    std::vector<std::uint8_t> leading;
    std::vector<std::uint8_t> trailing;
    bool omitMarker = false;
    std::size_t recordLength = 16;        // below 16: a short record
    std::size_t padTo = 0;                // pad the trailing bytes until the reply is this long
    std::vector<std::size_t> splitSizes;  // deliver the reply in pieces of these sizes
    std::uint32_t splitGapUs = 3000;      // pause between two pieces
};

// A fault fires at the listed frames and, independently, with a probability drawn from a seeded
// generator. Frames are counted from 1 in the order the device receives block frames since the
// update command, resends included.
struct FaultTrigger {
    std::set<unsigned> atFrames;
    double probability = 0.0;
};

struct TransferFaults {
    FaultTrigger nak;           // answer NAK without programming
    FaultTrigger lostReply;     // program, but the answer never arrives
    FaultTrigger lateReply;     // program, answer lateDelayMs late
    FaultTrigger garbageReply;  // program, answer a byte that is neither ACK nor NAK
    FaultTrigger corruptFrame;  // one byte of the frame is damaged on the way in
    std::uint32_t lateDelayMs = 1500;
    unsigned silentFromFrame = 0;  // from this frame on, no answers at all (0: never)
    unsigned unplugAtFrame = 0;    // the cable is pulled when this frame arrives (0: never)
    std::uint32_t seed = 1;
};

struct DeviceTiming {
    std::uint32_t programmingUs = 38000;  // checking and programming one block before the answer
    std::uint32_t refusalUs = 500;        // checking a block that is then refused
    std::uint32_t infoAnswerUs = 1000;    // from the information command to its answer
};

// An answer the device sends, delayUs after the frame that caused it arrived completely.
struct Emission {
    std::uint64_t delayUs = 0;
    std::vector<std::uint8_t> bytes;
};

struct ReceiveResult {
    std::vector<Emission> emissions;
    bool cablePulled = false;
};

struct EmulatorStats {
    unsigned framesReceived = 0;
    unsigned blocksProgrammed = 0;  // distinct code blocks programmed in this update
    unsigned acks = 0;
    unsigned naks = 0;
    unsigned commandsReceived = 0;
    std::uint64_t busyUs = 0;  // sum of the delays before the device's answers
    int lastReply = -1;        // last answer byte sent, -1 for none
    bool updateMode = false;
    bool vectorsProgrammed = false;
};

// The size of the device's flash, and whether a copy of it holds the image as the device programs
// it: the code blocks from 0x4000 on and the vector table at 0xFFE0.
inline constexpr std::size_t FlashSize = 0x10000;
bool flashHoldsImage(const std::uint8_t* flash, ImageBytes image);
inline bool flashHoldsImage(const std::vector<std::uint8_t>& flash, ImageBytes image) {
    return flash.size() == FlashSize && flashHoldsImage(flash.data(), image);
}

class ZelmarkEmulator {
public:
    static constexpr std::uint8_t Ack = 0x06;
    static constexpr std::uint8_t Nak = 0x15;
    static constexpr std::uint8_t GarbageByte = 0x3F;

    ZelmarkEmulator();

    ZelmarkIdentity identity;
    InfoReplyShape infoReply;
    TransferFaults faults;
    DeviceTiming timing;

    // Bytes that arrived on the device's serial line: the first at startUs, the last at endUs.
    ReceiveResult receive(const std::uint8_t* data, std::size_t size, std::uint64_t startUs,
                          std::uint64_t endUs);

    // The cable was pulled: the device loses power and starts afresh when plugged in again.
    void powerCycle();

    const EmulatorStats& stats() const { return stats_; }
    const std::array<std::uint8_t, FlashSize>& flash() const { return flash_; }
    // The bytes of the information reply as the device sends them, faults included.
    std::vector<std::uint8_t> informationReply() const;

private:
    void handleFrame(ReceiveResult& result);
    void handleCommand(ReceiveResult& result);
    void handleBlock(ReceiveResult& result);
    bool fires(const FaultTrigger& trigger, unsigned frame);
    void answer(ReceiveResult& result, std::uint8_t reply, std::uint64_t delayUs);

    std::array<std::uint8_t, FlashSize> flash_{};
    std::vector<std::uint8_t> frame_;
    std::uint64_t lastByteUs_ = 0;
    std::uint32_t nextAddress_ = 0;
    std::int32_t lastProgrammedAddress_ = -1;
    EmulatorStats stats_;
    std::mt19937 random_;
    std::uint32_t seededWith_ = 0;
};

}  // namespace zelmark
