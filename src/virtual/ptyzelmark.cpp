#include "ptyzelmark.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "firmwareimage.h"
#include "imageheader.h"

namespace zelmark {

namespace {

constexpr std::uint64_t ByteTimeNs = 10851;  // 10 bits at 921600 baud

std::uint64_t nowUs() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

std::uint64_t wireUs(std::size_t bytes) {
    return (bytes * ByteTimeNs + 999) / 1000;
}

struct Scheduled {
    std::uint64_t atUs;
    std::vector<std::uint8_t> bytes;
};

}  // namespace

PtyZelmark::PtyZelmark() = default;

PtyZelmark::~PtyZelmark() {
    stop();
}

bool PtyZelmark::start() {
    // Close-on-exec throughout: a program started from this process must not keep the line
    // alive after the cable is pulled.
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        return false;
    }
    portPath_ = ::ptsname(master_);
    // Raw bytes both ways; the program's serial port sets its side raw too.
    slaveKeeper_ = ::open(portPath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveKeeper_ < 0) {
        return false;
    }
    termios raw{};
    ::tcgetattr(slaveKeeper_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slaveKeeper_, TCSANOW, &raw);
    if (::pipe2(wakePipe_, O_CLOEXEC) != 0) {
        return false;
    }
    running_ = true;
    thread_ = std::thread([this] { serve(); });
    return true;
}

void PtyZelmark::unplug() {
    unplugRequested_ = true;
    if (wakePipe_[1] >= 0) {
        const char wake = 'u';
        [[maybe_unused]] auto n = ::write(wakePipe_[1], &wake, 1);
    }
}

void PtyZelmark::stop() {
    if (running_.exchange(false) && wakePipe_[1] >= 0) {
        const char wake = 's';
        [[maybe_unused]] auto n = ::write(wakePipe_[1], &wake, 1);
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    for (int* fd : {&master_, &slaveKeeper_, &wakePipe_[0], &wakePipe_[1]}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

PtyStats PtyZelmark::stats() {
    std::lock_guard<std::mutex> lock(mutex_);
    return stats_;
}

void PtyZelmark::serve() {
    std::vector<Scheduled> pending;
    std::vector<std::uint8_t> buffer(4096);
    std::uint64_t lineFreeAtUs = 0;   // program to device
    std::uint64_t replyFreeAtUs = 0;  // device to program
    auto pullCable = [&] {
        // The device is gone: its end of the line closes, and the program's port fails.
        ::close(master_);
        master_ = -1;
        ::close(slaveKeeper_);
        slaveKeeper_ = -1;
        std::lock_guard<std::mutex> lock(mutex_);
        stats_.cablePulled = true;
    };

    while (running_ && master_ >= 0) {
        if (unplugRequested_) {
            pullCable();
            break;
        }
        const std::uint64_t now = nowUs();
        int timeoutMs = 100;
        if (!pending.empty()) {
            const std::uint64_t due = pending.front().atUs;
            timeoutMs = due <= now ? 0 : static_cast<int>((due - now + 999) / 1000);
        }
        pollfd fds[2] = {{master_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        ::poll(fds, 2, timeoutMs);
        if (fds[1].revents & POLLIN) {
            char drained[16];
            [[maybe_unused]] auto n = ::read(wakePipe_[0], drained, sizeof drained);
            continue;
        }
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(master_, buffer.data(), buffer.size());
            if (n > 0) {
                const std::uint64_t start = std::max(nowUs(), lineFreeAtUs);
                const std::uint64_t end = start + wireUs(static_cast<std::size_t>(n));
                lineFreeAtUs = end;
                ReceiveResult result =
                    device_.receive(buffer.data(), static_cast<std::size_t>(n), start, end);
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    stats_.bytesToDevice += static_cast<std::uint64_t>(n);
                    stats_.device = device_.stats();
                }
                if (result.cablePulled) {
                    pullCable();
                    break;
                }
                for (Emission& emission : result.emissions) {
                    const std::uint64_t send = std::max(end + emission.delayUs, replyFreeAtUs);
                    const std::uint64_t arrived = send + wireUs(emission.bytes.size());
                    replyFreeAtUs = arrived;
                    Scheduled item{arrived, std::move(emission.bytes)};
                    pending.insert(std::upper_bound(pending.begin(), pending.end(), item,
                                                    [](const Scheduled& a, const Scheduled& b) {
                                                        return a.atUs < b.atUs;
                                                    }),
                                   std::move(item));
                }
            }
        }
        while (!pending.empty() && pending.front().atUs <= nowUs()) {
            const std::vector<std::uint8_t>& bytes = pending.front().bytes;
            if (::write(master_, bytes.data(), bytes.size()) > 0) {
                std::lock_guard<std::mutex> lock(mutex_);
                stats_.bytesFromDevice += bytes.size();
            }
            pending.erase(pending.begin());
        }
    }
    const ImageBytes image = embeddedImage();
    std::lock_guard<std::mutex> lock(mutex_);
    stats_.device = device_.stats();
    stats_.flashMatchesImage = flashHoldsImage(device_.flash().data(), image);
}

}  // namespace zelmark
