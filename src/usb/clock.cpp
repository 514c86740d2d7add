#include "clock.h"

#include <chrono>
#include <thread>

namespace zelmark {

std::uint64_t RealClock::nowUs() const {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

void RealClock::sleepUs(std::uint64_t us) {
    std::this_thread::sleep_for(std::chrono::microseconds(us));
}

}  // namespace zelmark
