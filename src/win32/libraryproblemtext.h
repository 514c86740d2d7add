#pragma once

#include <optional>

#include "siusbxplibrary.h"
#include "textcatalogue.h"

// What the window says, in the catalogue's languages, when the device's USB library did not load.
namespace zelmark::win32 {

// None when the library loaded.
std::optional<TextId> libraryProblemText(LibraryProblem problem);

}  // namespace zelmark::win32
