#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zelmarkemulator.h"

// Named devices for the demo panel and the command-line tool's --simulate.
namespace zelmark {

// "fit", "other-model", "other-submodel", "old-updater", "corrupt".
const std::vector<std::string>& presetNames();
std::optional<ZelmarkIdentity> presetIdentity(std::string_view name);

}  // namespace zelmark
