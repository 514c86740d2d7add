#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "controls.h"
#include "textcatalogue.h"

// zelmark-updater.exe run as a user runs it, driven through its window's messages only: the
// window found by the process's id, the controls by their ids, clicks posted as the buttons post
// them, texts read with WM_GETTEXT. Windows only (the tests run it under wine).
class UpdaterProcess {
public:
    // Starts the program in workingDirectory; it inherits this process's environment.
    UpdaterProcess(const std::filesystem::path& program,
                   const std::filesystem::path& workingDirectory);
    ~UpdaterProcess();  // a program still running is ended
    UpdaterProcess(const UpdaterProcess&) = delete;
    UpdaterProcess& operator=(const UpdaterProcess&) = delete;

    // The program's visible window, waited for; null when it did not appear in time.
    HWND window(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    HWND control(zelmark::Control id);

    std::wstring text(zelmark::Control id);
    std::wstring title();
    bool enabled(zelmark::Control id);
    bool visible(zelmark::Control id);

    // A click as the button gives it (BN_CLICKED to the window), handled when the window next
    // takes its messages.
    void click(zelmark::Control id);
    void close();  // the window's close box

    // Polls until the condition holds; false when it did not within the timeout.
    static bool waitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Waits until the control shows the catalogue text in the language; false if it did not.
    bool waitForText(zelmark::Control id, zelmark::TextId text,
                     std::uint8_t language = zelmark::LangEnglish,
                     std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // The exit code, or nothing when the program still runs after the timeout.
    std::optional<DWORD> waitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20));

private:
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

// The catalogue's text as the window shows it.
std::wstring catalogue(zelmark::TextId text, std::uint8_t language = zelmark::LangEnglish);
