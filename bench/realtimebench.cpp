// zelmark-realtime-bench: zelmark-flash against the virtual Zelmark behind a pseudo-terminal, in
// real time with the device's default timing, and the window's time from start to shown.
//   zelmark-realtime-bench FLASH-PROGRAM WINDOW-STARTUP-PROGRAM
// Prints "name value" lines: the update's wall seconds, the device's limit for the same work,
// their ratio, the flasher's CPU seconds and their share of the wall time, the window's start-up.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "protocol.h"
#include "ptyzelmark.h"
#include "virtualzelmark.h"

using namespace zelmark;

namespace {

struct Measured {
    int exitCode = -1;
    double wallS = 0;
    double cpuS = 0;
};

Measured runQuietly(std::vector<std::string> args) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr)) {
            ::_exit(127);
        }
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    Measured m;
    m.wallS = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.cpuS = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
             static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    m.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: zelmark-realtime-bench FLASH-PROGRAM WINDOW-STARTUP-PROGRAM\n");
        return 2;
    }
    PtyZelmark pty;
    if (!pty.start()) {
        std::fprintf(stderr, "zelmark-realtime-bench: no pseudo-terminal\n");
        return 1;
    }
    const Measured update = runQuietly({argv[1], "--port", pty.portPath(), "update", "--yes"});
    pty.stop();
    const PtyStats stats = pty.stats();
    if (update.exitCode != 0 || !stats.flashMatchesImage) {
        std::fprintf(stderr, "zelmark-realtime-bench: the update failed (exit %d)\n",
                     update.exitCode);
        return 1;
    }
    // The device's limit: every byte on the wire in both directions, the device's own time before
    // its answers, and the protocol's fixed waits: two pauses around the information command, the
    // quiet gap that ends the information reply once its record is in, three pauses in the
    // transfer.
    const double wireS = static_cast<double>(stats.bytesToDevice + stats.bytesFromDevice) *
                         static_cast<double>(VirtualZelmark::ByteTimeNs) / 1e9;
    const double fixedS = (5.0 * protocol::SettlePauseMs + protocol::RecordQuietGapMs +
                           stats.device.naks * protocol::NakPauseMs) /
                          1000.0;
    const double limitS = wireS + static_cast<double>(stats.device.busyUs) / 1e6 + fixedS;

    double startupS = 1e9;
    for (int i = 0; i < 5; ++i) {  // the best of five: the first run also warms the disk cache
        const Measured window = runQuietly({argv[2]});
        if (window.exitCode == 0 && window.wallS < startupS) {
            startupS = window.wallS;
        }
    }

    std::printf("update_wall_s %.3f\n", update.wallS);
    std::printf("limit_s %.3f\n", limitS);
    std::printf("ratio %.4f\n", update.wallS / limitS);
    std::printf("cpu_s %.3f\n", update.cpuS);
    std::printf("cpu_share %.4f\n", update.cpuS / update.wallS);
    std::printf("window_shown_ms %.0f\n", startupS * 1000.0);
    return 0;
}
