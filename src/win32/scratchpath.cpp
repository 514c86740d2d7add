#include "scratchpath.h"

#include <windows.h>

#include "widetext.h"

namespace zelmark::win32 {

namespace {

constexpr const wchar_t* ScratchName = L"version.tmp";

// Whether a file can be made in the folder: the only sure test is to make one (access rights,
// virtualization and read-only media all say no their own way).
bool writable(const std::wstring& folder) {
    wchar_t probe[MAX_PATH];
    if (GetTempFileNameW(folder.c_str(), L"zel", 0, probe) == 0) {
        return false;
    }
    DeleteFileW(probe);
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
