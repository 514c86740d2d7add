#pragma once

#include <cstdint>

namespace zelmark {

// Pauses and time-outs go through a clock, so that the protocol can run on real time (the
// programs) or on virtual time (tests and benchmarks, where a whole update takes milliseconds
// and yields the exact time it would take against a device).
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t nowUs() const = 0;
    virtual void sleepUs(std::uint64_t us) = 0;

    std::uint64_t nowMs() const { return nowUs() / 1000; }
    void sleepMs(std::uint32_t ms) { sleepUs(std::uint64_t{ms} * 1000); }
};

class RealClock final : public Clock {
public:
    std::uint64_t nowUs() const override;
    void sleepUs(std::uint64_t us) override;
};

// Time moves only when somebody sleeps.
class VirtualClock final : public Clock {
public:
    std::uint64_t nowUs() const override { return now_; }
    void sleepUs(std::uint64_t us) override { now_ += us; }

private:
    std::uint64_t now_ = 0;
};

}  // namespace zelmark
