#pragma once

#include <string>
#include <string_view>

// The window core speaks UTF-8, Win32 UTF-16.
namespace zelmark::win32 {

std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

}  // namespace zelmark::win32
