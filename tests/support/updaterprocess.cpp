#include "updaterprocess.h"

#include <optional>
#include <stdexcept>
#include <thread>

#include "controlids.h"
#include "widetext.h"

using namespace zelmark;

namespace {

constexpr auto PollPause = std::chrono::milliseconds(20);
constexpr UINT MessageTimeoutMs = 5000;

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK findWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (owner == search->processId && IsWindowVisible(window) &&
        std::wstring(className) == win32::WindowClassName) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::wstring windowText(HWND window) {
    // WM_GETTEXT is marshalled between processes; GetWindowText would not ask the other process.
    wchar_t buffer[2048] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, MessageTimeoutMs, &copied)) {
        return L"<no answer>";
    }
    return std::wstring(buffer, copied);
}

}  // namespace

UpdaterProcess::UpdaterProcess(const std::filesystem::path& program,
                               const std::filesystem::path& workingDirectory) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingDirectory.c_str(), &startup, &process_)) {
        throw std::runtime_error("cannot start " + program.string());
    }
}

UpdaterProcess::~UpdaterProcess() {
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 10000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND UpdaterProcess::window(std::chrono::milliseconds timeout) {
    if (!window_) {
        waitUntil(
            [this] {
                Search search{process_.dwProcessId, nullptr};
                EnumWindows(findWindow, reinterpret_cast<LPARAM>(&search));
                window_ = search.found;
                return window_ != nullptr;
            },
            timeout);
    }
    return window_;
}

HWND UpdaterProcess::control(Control id) {
    return GetDlgItem(window(), win32::controlId(id));
}

std::wstring UpdaterProcess::text(Control id) {
    return windowText(control(id));
}

std::wstring UpdaterProcess::title() {
    return windowText(window());
}

bool UpdaterProcess::enabled(Control id) {
    return IsWindowEnabled(control(id)) != FALSE;
}

bool UpdaterProcess::visible(Control id) {
    return IsWindowVisible(control(id)) != FALSE;
}

void UpdaterProcess::click(Control id) {
    PostMessageW(window(), WM_COMMAND, MAKEWPARAM(win32::controlId(id), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control(id)));
}

void UpdaterProcess::close() {
    PostMessageW(window(), WM_CLOSE, 0, 0);
}

bool UpdaterProcess::waitUntil(const std::function<bool()>& condition,
                               std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(PollPause);
    }
    return true;
}

bool UpdaterProcess::waitForText(Control id, TextId textId, std::uint8_t language,
                                 std::chrono::milliseconds timeout) {
    const std::wstring expected = catalogue(textId, language);
    return waitUntil([&] { return text(id) == expected; }, timeout);
}

std::optional<DWORD> UpdaterProcess::waitForExit(std::chrono::milliseconds timeout) {
    if (WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) !=
        WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

std::wstring catalogue(TextId text, std::uint8_t language) {
    return toWide(catalogueText(text, language));
}
