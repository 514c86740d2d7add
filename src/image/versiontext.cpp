#include "versiontext.h"

#include <cstdio>

#include "imageheader.h"

namespace zelmark {

std::string VersionText(unsigned version) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%2.2u", version / 100, version % 100);
    return text;
}

std::string ModelText(std::uint16_t modelCode) {
    return modelCode == ZelmarkModelCode ? std::string("Zelmark") : std::to_string(modelCode);
}

}  // namespace zelmark
