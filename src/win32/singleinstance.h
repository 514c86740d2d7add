#pragma once

#include <windows.h>

// One updater window per user session, as on Linux: a second start brings the running window to
// the front and ends, so two windows never run the wizard against one device.
namespace zelmark::win32 {

class SingleInstance {
public:
    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    bool alreadyRunning() const { return alreadyRunning_; }
    // Shows the running instance's window (restored if minimized) in front.
    static void activateRunning();

private:
    HANDLE mutex_ = nullptr;
    bool alreadyRunning_ = false;
};

}  // namespace zelmark::win32
