#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The command line of zelmark-flash.
namespace zelmark {

struct FlashOptions {
    enum class Source { Auto, Port, Simulate };
    Source source = Source::Auto;
    std::string port;
    std::string preset = "fit";
    std::string traceFile;
    std::uint8_t language = 2;  // English
    std::string command;        // image, info or update
    bool yes = false;
    bool json = false;
    bool help = false;
    bool version = false;
};

// Fills options from the arguments (without the program name); a usage error comes back as its
// message, in the language asked for. The language and --json are taken first, so that an error
// anywhere on the line is told in that language, and as JSON.
std::optional<QString> parseFlashOptions(const std::vector<std::string>& args,
                                         FlashOptions& options);

}  // namespace zelmark
