#pragma once

#include <string>

// Where the window keeps the device's information reply: version.tmp in the current directory,
// as always; a program started from the Start menu may find itself in a folder it cannot write
// (Program Files, say), and then uses the user's temporary folder. UTF-8.
namespace zelmark::win32 {

std::string scratchFilePath();

}  // namespace zelmark::win32
