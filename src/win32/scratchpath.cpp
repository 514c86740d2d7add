#include "scratchpath.h"

#include <windows.h>

#include "widetext.h"

namespace zelmark::win32 {

namespace {

constexpr const wchar_t* ScratchName = L"version.tmp";

// Whether a file can be made in the folder: the only sure test is to make one (access rights,
// virtualization and read-only media all say no their own way). A name of this process's own,
// gone again when closed. (GetTempFileName would do, but wine's reports success even when it
// could not make the file.)
bool writable(const std::wstring& folder) {
    const std::wstring probe =
        folder + L"\\zelmark-updater-" + std::to_wstring(GetCurrentProcessId()) + L".probe";
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

}  // namespace

std::string scratchFilePath() {
    wchar_t current[MAX_PATH];
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    if (length > 0 && length < MAX_PATH && writable(current)) {
        return toUtf8(ScratchName);
    }
    wchar_t temp[MAX_PATH];
    const DWORD tempLength = GetTempPathW(MAX_PATH, temp);
    if (tempLength == 0 || tempLength >= MAX_PATH) {
        return toUtf8(ScratchName);  // nowhere better: the query says so when it cannot write
    }
    return toUtf8(std::wstring(temp) + ScratchName);
}

}  // namespace zelmark::win32
