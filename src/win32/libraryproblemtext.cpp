#include "libraryproblemtext.h"

namespace zelmark::win32 {

std::optional<TextId> libraryProblemText(LibraryProblem problem) {
    switch (problem) {
        case LibraryProblem::None:
            return std::nullopt;
        case LibraryProblem::FileMissing:
            return TxtLibraryMissing;
        case LibraryProblem::FileUnusable:
            return TxtLibraryUnusable;
        case LibraryProblem::CallMissing:
            return TxtLibraryCallMissing;
    }
    return std::nullopt;
}

}  // namespace zelmark::win32
