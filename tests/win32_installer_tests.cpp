// The installer for Windows users, run silently under wine as a user would run it with /S: the
// program, its read-me and the uninstaller in the folder chosen, a Start-menu entry, an entry in
// the list of installed programs, and a program that starts from there; then the silent
// uninstaller takes all of it away again. Needs a display (the installed program's window).
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

#include "tempdir.h"
#include "updaterprocess.h"

using namespace zelmark;
using namespace std::chrono_literals;

namespace {

std::filesystem::path buildFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path().parent_path();  // bin's parent
}

constexpr const wchar_t* UninstallKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZelmarkUpdater";

std::optional<DWORD> runAndWait(const std::wstring& commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return std::nullopt;
    }
    std::optional<DWORD> code;
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) {
        DWORD exitCode = 0;
        GetExitCodeProcess(process.hProcess, &exitCode);
        code = exitCode;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

std::optional<std::wstring> uninstallValue(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, UninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(value);
}

std::filesystem::path startMenuEntry() {
    PWSTR programs = nullptr;
    SHGetKnownFolderPath(FOLDERID_Programs, 0, nullptr, &programs);
    std::filesystem::path entry =
        std::filesystem::path(programs) / L"Zelmark Updater" / L"Zelmark Updater.lnk";
    CoTaskMemFree(programs);
    return entry;
}

TEST(WindowsInstaller, InstallsAndUninstallsSilently) {
    const std::filesystem::path setup = buildFolder() / ZELMARK_SETUP_NAME;
    ASSERT_TRUE(std::filesystem::exists(setup)) << setup.string();
    TempDir dir;
    const std::filesystem::path target = dir.file("Zelmark Updater");

    // /D= comes last and unquoted, even with blanks.
    ASSERT_EQ(runAndWait(L"\"" + setup.wstring() + L"\" /S /D=" + target.wstring()),
              std::optional<DWORD>(0));
    const std::filesystem::path program = target / "zelmark-updater.exe";
    ASSERT_TRUE(std::filesystem::exists(program));
    EXPECT_EQ(TempDir::read(program),
              TempDir::read(buildFolder() / ZELMARK_STAGED_FOLDER / "zelmark-updater.exe"));
    EXPECT_TRUE(std::filesystem::exists(target / "README.txt"));
    EXPECT_TRUE(std::filesystem::exists(target / "uninstall.exe"));
    EXPECT_FALSE(std::filesystem::exists(target / "SiUSBXp.dll"));
    EXPECT_TRUE(std::filesystem::exists(startMenuEntry())) << startMenuEntry().string();
    EXPECT_EQ(uninstallValue(L"InstallLocation"), std::optional<std::wstring>(target.wstring()));
    EXPECT_EQ(uninstallValue(L"DisplayVersion"), std::optional<std::wstring>(ZELMARK_VERSION_WIDE));

    {
        // The installed program opens its window; with no USB library beside it here, it says so.
        UpdaterProcess updater(program, target);
        ASSERT_NE(updater.window(), nullptr);
        EXPECT_TRUE(updater.waitForText(Control::Comment, TxtLibraryMissing));
        updater.close();
        EXPECT_EQ(updater.waitForExit(), std::optional<DWORD>(0));
    }

    // The uninstaller runs a copy of itself and returns at once: wait for its work.
    ASSERT_EQ(runAndWait(L"\"" + (target / "uninstall.exe").wstring() + L"\" /S"),
              std::optional<DWORD>(0));
    EXPECT_TRUE(UpdaterProcess::waitUntil([&] { return !std::filesystem::exists(target); }, 60s))
        << "left behind in " << target.string();
    EXPECT_FALSE(std::filesystem::exists(startMenuEntry()));
    EXPECT_FALSE(std::filesystem::exists(startMenuEntry().parent_path()));
    EXPECT_EQ(uninstallValue(L"InstallLocation"), std::nullopt);
}

}  // namespace
