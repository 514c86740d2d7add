// zelmark-win-bench: the Windows program's figures, run under wine beside the stand-in USB
// library (the build's program folder), in real time with the device's default timing.
//   win_window_shown_ms  from starting zelmark-updater.exe to its window showing the intro, the
//                        best of five
//   win_update_*         an information query and the whole update through SiUSBXp.dll (the
//                        stand-in) against the device's limit for the same work, as on Linux:
//                        every byte's wire time both ways, the device's own time before its
//                        answers, and the protocol's fixed waits
// Prints "name value" lines.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "devicelink.h"
#include "imageheader.h"
#include "protocol.h"
#include "siusbxplibrary.h"
#include "tempdir.h"
#include "updaterprocess.h"
#include "virtualzelmark.h"
#include "zelmarkemulator.h"

using namespace zelmark;
using namespace std::chrono_literals;

namespace {

std::filesystem::path programFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

// Counts the bytes that cross the wire, at the program's side of the library.
class CountingUsb final : public UsbXpress {
public:
    explicit CountingUsb(UsbXpress& inner) : inner_(inner) {}
    std::uint64_t bytes = 0;

    SiStatus SI_GetNumDevices(std::uint32_t* n) override { return inner_.SI_GetNumDevices(n); }
    SiStatus SI_GetProductString(std::uint32_t d, char* b, std::uint32_t o) override {
        return inner_.SI_GetProductString(d, b, o);
    }
    SiStatus SI_Open(std::uint32_t d, SiHandle* h) override { return inner_.SI_Open(d, h); }
    SiStatus SI_Close(SiHandle h) override { return inner_.SI_Close(h); }
    SiStatus SI_SetBaudRate(SiHandle h, std::uint32_t r) override {
        return inner_.SI_SetBaudRate(h, r);
    }
    SiStatus SI_SetTimeouts(std::uint32_t r, std::uint32_t w) override {
        return inner_.SI_SetTimeouts(r, w);
    }
    SiStatus SI_Write(SiHandle h, const void* b, std::uint32_t n, std::uint32_t* done) override {
        const SiStatus status = inner_.SI_Write(h, b, n, done);
        bytes += *done;
        return status;
    }
    SiStatus SI_CheckRXQueue(SiHandle h, std::uint32_t* n, std::uint32_t* q) override {
        return inner_.SI_CheckRXQueue(h, n, q);
    }
    SiStatus SI_Read(SiHandle h, void* b, std::uint32_t n, std::uint32_t* done) override {
        const SiStatus status = inner_.SI_Read(h, b, n, done);
        bytes += *done;
        return status;
    }
    SiStatus waitForReceive(SiHandle h, std::uint32_t t) override {
        return inner_.waitForReceive(h, t);
    }

private:
    UsbXpress& inner_;
};

// The device's own time before its answers for the query and the update, and its refusals:
// the same work on the same emulator with the same timing, on the virtual clock.
EmulatorStats deviceWork() {
    VirtualClock clock;
    VirtualZelmark device(clock);
    DeviceLink link(device, clock, embeddedImage());
    MemoryReplyStore reply;
    TransferObserver observer;
    if (link.queryInformation(reply) != QueryOutcome::Read ||
        link.sendFirmware(observer).outcome != TransferOutcome::Completed) {
        std::fprintf(stderr, "zelmark-win-bench: the virtual update failed\n");
        std::exit(1);
    }
    return device.device().stats();
}

double windowShownMs(const std::filesystem::path& program) {
    TempDir dir;
    const std::wstring cable = dir.file("cable.txt").wstring();
    std::FILE* file = _wfopen(cable.c_str(), L"w");
    std::fputs("cable=out\n", file);
    std::fclose(file);
    SetEnvironmentVariableW(L"ZELMARK_STANDIN_FILE", cable.c_str());
    const std::wstring intro = catalogue(TxtIntro);
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        UpdaterProcess updater(program, dir.path());
        // Checked every millisecond: the usual 20 ms polling would round the figure up.
        const auto deadline = start + 30s;
        while (!updater.window(0ms) || updater.text(Control::Comment) != intro) {
            if (std::chrono::steady_clock::now() > deadline) {
                std::fprintf(stderr, "zelmark-win-bench: the window did not show\n");
                std::exit(1);
            }
            std::this_thread::sleep_for(1ms);
        }
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        best = std::min(best, ms);
        updater.close();
        updater.waitForExit();
    }
    SetEnvironmentVariableW(L"ZELMARK_STANDIN_FILE", nullptr);
    return best;
}

}  // namespace

int main() {
    const std::filesystem::path folder = programFolder();
    const double shownMs = windowShownMs(folder / "zelmark-updater.exe");

    TempDir dir;
    const std::filesystem::path flash = dir.file("flash.bin");
    SetEnvironmentVariableW(L"ZELMARK_STANDIN", (L"preset=fit;flash=" + flash.wstring()).c_str());
    double wallS = 0;
    std::uint64_t bytes = 0;
    {
        SiUsbXpLibrary library((folder / "SiUSBXp.dll").wstring());
        if (!library.loaded()) {
            std::fprintf(stderr, "zelmark-win-bench: %s\n", library.describeLoadProblem().c_str());
            return 1;
        }
        CountingUsb usb(library);
        RealClock clock;
        DeviceLink link(usb, clock, embeddedImage());
        MemoryReplyStore reply;
        TransferObserver observer;
        const auto start = std::chrono::steady_clock::now();
        if (link.queryInformation(reply) != QueryOutcome::Read ||
            link.sendFirmware(observer).outcome != TransferOutcome::Completed) {
            std::fprintf(stderr, "zelmark-win-bench: the update through the library failed\n");
            return 1;
        }
        wallS = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        bytes = usb.bytes;
    }  // the library unloads and writes the flash
    if (!flashHoldsImage(TempDir::read(flash), embeddedImage())) {
        std::fprintf(stderr, "zelmark-win-bench: the emulated flash does not hold the image\n");
        return 1;
    }

    const EmulatorStats work = deviceWork();
    const double wireS =
        static_cast<double>(bytes) * static_cast<double>(VirtualZelmark::ByteTimeNs) / 1e9;
    const double fixedS = (5.0 * protocol::SettlePauseMs + protocol::RecordQuietGapMs +
                           work.naks * protocol::NakPauseMs) /
                          1000.0;
    const double limitS = wireS + static_cast<double>(work.busyUs) / 1e6 + fixedS;
    std::printf("win_window_shown_ms %.0f\n", shownMs);
    std::printf("win_update_wall_s %.3f\n", wallS);
    std::printf("win_limit_s %.3f\n", limitS);
    std::printf("win_update_ratio %.4f\n", wallS / limitS);
    return 0;
}
