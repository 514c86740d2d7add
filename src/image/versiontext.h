#pragma once

#include <cstdint>
#include <string>

namespace zelmark {

// A version in hundredths as "whole.two-digit remainder": 105 gives "1.05", 5 gives "0.05".
std::string VersionText(unsigned version);

// A model code as shown to the user: the product's name for 3098, otherwise the decimal number.
std::string ModelText(std::uint16_t modelCode);

}  // namespace zelmark
