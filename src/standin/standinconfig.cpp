#include "standinconfig.h"

#include <charconv>

#include "zelmarkpresets.h"

namespace zelmark {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

template <typename Number>
bool parseNumber(std::string_view text, Number& value) {
    Number parsed{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size()) {
        return false;
    }
    value = parsed;
    return true;
}

bool parseProbability(std::string_view text, double& value) {
    double parsed = 0;
    if (!parseNumber(text, parsed) || parsed < 0.0 || parsed > 1.0) {
        return false;
    }
    value = parsed;
    return true;
}

// One setting; the reason it could not be read, or empty.
std::string applyOne(StandInConfig& config, std::string_view key, std::string_view value) {
    if (key == "preset") {
        if (!presetIdentity(value)) {
            return "no such preset";
        }
        config.preset = value;
    } else if (key == "cable") {
        if (value != "in" && value != "out") {
            return "in or out";
        }
        config.cableIn = value == "in";
        config.cableGiven = true;
    } else if (key == "nakRate") {
        if (!parseProbability(value, config.nakRate)) {
            return "a probability from 0 to 1";
        }
    } else if (key == "lostRate") {
        if (!parseProbability(value, config.lostRate)) {
            return "a probability from 0 to 1";
        }
    } else if (key == "seed") {
        if (!parseNumber(value, config.seed)) {
            return "a number";
        }
    } else if (key == "unplugAt") {
        if (!parseNumber(value, config.unplugAt)) {
            return "a block frame number";
        }
    } else if (key == "pieces") {
        unsigned pieces = 0;
        if (!parseNumber(value, pieces) || pieces == 0) {
            return "a count of 1 or more";
        }
        config.pieces = pieces;
    } else if (key == "programmingUs") {
        std::uint32_t us = 0;
        if (!parseNumber(value, us)) {
            return "microseconds";
        }
        config.programmingUs = us;
    } else if (key == "flash") {
        config.flashPath = value;
    } else if (key == "log") {
        config.logPath = value;
    } else {
        return "unknown setting";
    }
    return {};
}

}  // namespace

void applySettings(StandInConfig& config, std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find_first_of(";\n");
        const std::string_view setting = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (setting.empty()) {
            continue;
        }
        const std::size_t equals = setting.find('=');
        const std::string_view key =
            trimmed(setting.substr(0, equals == std::string_view::npos ? setting.size() : equals));
        const std::string_view value = equals == std::string_view::npos
                                           ? std::string_view()
                                           : trimmed(setting.substr(equals + 1));
        if (std::string why = applyOne(config, key, value); !why.empty()) {
            config.problems.push_back(std::string(setting) + ": " + why);
        }
    }
}

}  // namespace zelmark
