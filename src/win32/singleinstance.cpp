#include "singleinstance.h"

#include "controlids.h"

namespace zelmark::win32 {

namespace {

// In the session's namespace: one window per logged-in user, as the Linux program keeps it.
constexpr const wchar_t* MutexName = L"Local\\Tarvik.ZelmarkUpdater";

}  // namespace

SingleInstance::SingleInstance() {
    mutex_ = CreateMutexW(nullptr, FALSE, MutexName);
    alreadyRunning_ = mutex_ && GetLastError() == ERROR_ALREADY_EXISTS;
}

SingleInstance::~SingleInstance() {
    if (mutex_) {
        CloseHandle(mutex_);
    }
}

void SingleInstance::activateRunning() {
    // The window may not be there yet when the first instance is still starting: then the first
    // comes up in front by itself.
    HWND window = FindWindowW(WindowClassName, nullptr);
    if (!window) {
        return;
    }
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
    }
    SetForegroundWindow(window);
}

}  // namespace zelmark::win32
