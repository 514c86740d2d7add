#pragma once

// The caption of the message box that reports an error.
namespace zelmark::win32 {

inline constexpr const wchar_t* ErrorCaption = L"TARVIK ZELMARK FLASH UPDATER";

}  // namespace zelmark::win32
