#include "zelmarkpresets.h"

namespace zelmark {

namespace {

struct Preset {
    std::string name;
    ZelmarkIdentity identity;
};

// Against the delivered image (model 3098, submodel 1, updater 1.00 or newer, version 1.05).
const std::vector<Preset>& presets() {
    static const std::vector<Preset> all = {
        {"fit", {3098, 4660, 104, 1, 100}},
        {"other-model", {3099, 4660, 104, 1, 100}},
        {"other-submodel", {3098, 4660, 104, 2, 100}},
        {"old-updater", {3098, 4660, 104, 1, 99}},
        {"corrupt", {3098, 4660, 26505, 1, 100}},
    };
    return all;
}

}  // namespace

const std::vector<std::string>& presetNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const Preset& p : presets()) {
            n.push_back(p.name);
        }
        return n;
    }();
    return names;
}

std::optional<ZelmarkIdentity> presetIdentity(std::string_view name) {
    for (const Preset& p : presets()) {
        if (p.name == name) {
            return p.identity;
        }
    }
    return std::nullopt;
}

}  // namespace zelmark
