// zelmark-bench: a whole update against the virtual Zelmark on the virtual clock, compared with
// the device's own limit for the same work (every byte's wire time in both directions, the
// device's programming time, and the protocol's fixed pauses). Prints "name value" lines.
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "devicelink.h"
#include "protocol.h"
#include "virtualzelmark.h"
#include "windowcore.h"

using namespace zelmark;

namespace {

struct Figures {
    double updateS;
    double limitS;
};

Figures run(double nakProbability) {
    VirtualClock clock;
    VirtualZelmark device(clock);
    device.device().faults.nak.probability = nakProbability;
    device.device().faults.seed = 11;  // a seed under which the device NAKs one frame of the 92
    DeviceLink link(device, clock, embeddedImage());
    TransferObserver observer;
    const std::uint64_t start = clock.nowUs();
    const TransferResult result = link.sendFirmware(observer);
    const std::uint64_t elapsed = clock.nowUs() - start;
    if (result.outcome != TransferOutcome::Completed || !device.flashEquals(embeddedImage())) {
        std::fprintf(stderr, "zelmark-bench: the update did not complete\n");
        std::exit(1);
    }
    const WireStats& wire = device.wireStats();
    const EmulatorStats& stats = device.device().stats();
    const double wireUs = static_cast<double>(wire.bytesToDevice + wire.bytesFromDevice) *
                          static_cast<double>(VirtualZelmark::ByteTimeNs) / 1000.0;
    const double pausesUs =
        3.0 * protocol::SettlePauseMs * 1000.0 + stats.naks * protocol::NakPauseMs * 1000.0;
    return {static_cast<double>(elapsed) / 1e6,
            (wireUs + static_cast<double>(stats.busyUs) + pausesUs) / 1e6};
}

// Virtual seconds from opening the device for the information query to the verdict.
double querySeconds() {
    VirtualClock clock;
    VirtualZelmark device(clock);
    DeviceLink link(device, clock, embeddedImage());
    MemoryReplyStore reply;
    const std::uint64_t start = clock.nowUs();
    if (link.queryInformation(reply) != QueryOutcome::Read || link.verdict() != Verdict::Ready) {
        std::fprintf(stderr, "zelmark-bench: the information query did not read the device\n");
        std::exit(1);
    }
    return static_cast<double>(clock.nowUs() - start) / 1e6;
}

// Virtual seconds of the window's road: from the press of Next step with a fitting device
// attached to the remove-cable text, with UPDATE pressed as soon as it is armed.
double roadSeconds() {
    VirtualClock clock;
    VirtualZelmark device(clock);
    WindowCore window(device, clock);
    window.setScratchFilePath((std::filesystem::temp_directory_path() /
                               ("zelmark-bench-" + std::to_string(::getpid()) + ".tmp"))
                                  .string());
    window.shown();
    window.tick();                 // the device is seen
    window.click(Control::GoBtn);  // Start
    const std::uint64_t start = clock.nowUs();
    window.click(Control::GoBtn);  // Next step: the device is read and UPDATE armed
    window.click(Control::GoBtn);  // UPDATE
    const double seconds = static_cast<double>(clock.nowUs() - start) / 1e6;
    std::filesystem::remove(window.scratchFilePath());
    if (window.model()[Control::Comment].caption != catalogueText(TxtRemoveCable, LangEnglish) ||
        !device.flashEquals(embeddedImage())) {
        std::fprintf(stderr,
                     "zelmark-bench: the window's road did not end in the remove-cable step\n");
        std::exit(1);
    }
    return seconds;
}

void print(const char* prefix, const Figures& f) {
    std::printf("%supdate_s %.3f\n", prefix, f.updateS);
    std::printf("%slimit_s %.3f\n", prefix, f.limitS);
    std::printf("%sratio %.4f\n", prefix, f.updateS / f.limitS);
}

}  // namespace

int main() {
    print("", run(0.0));
    print("nak1_", run(0.01));
    std::printf("query_s %.3f\n", querySeconds());
    std::printf("road_s %.3f\n", roadSeconds());
    return 0;
}
