#pragma once

#include <string>
#include <string_view>

// The program speaks UTF-8 (texts and paths), Windows UTF-16.
namespace zelmark {

std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

}  // namespace zelmark
