#include "flashoptions.h"

#include "flashtexts.h"
#include "textcatalogue.h"
#include "zelmarkpresets.h"

namespace zelmark {

using namespace flashtext;

std::optional<QString> parseFlashOptions(const std::vector<std::string>& args,
                                         FlashOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json") {
            options.json = true;
        } else if (args[i] == "--lang" && i + 1 < args.size() && args[i + 1] == "da") {
            options.language = LangDanish;
        }
    }
    auto text = [&](const Sentence& sentence) { return say(sentence, options.language); };
    auto quoted = [&](const Sentence& sentence, const std::string& value) {
        return text(sentence).arg(QString::fromStdString(value));
    };

    bool sourceGiven = false;
    auto setSource = [&](FlashOptions::Source source) -> std::optional<QString> {
        if (sourceGiven) {
            return text(SourcesExclude);
        }
        sourceGiven = true;
        options.source = source;
        return std::nullopt;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                return std::nullopt;
            }
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--port") {
            const auto path = value();
            if (!path)
                return text(PortNeedsPath);
            if (auto error = setSource(FlashOptions::Source::Port))
                return error;
            options.port = *path;
        } else if (arg == "--simulate" || arg.rfind("--simulate=", 0) == 0) {
            if (auto error = setSource(FlashOptions::Source::Simulate))
                return error;
            if (arg != "--simulate") {
                options.preset = arg.substr(std::string("--simulate=").size());
                if (!presetIdentity(options.preset)) {
                    return quoted(UnknownPreset, options.preset);
                }
            }
        } else if (arg == "--trace") {
            const auto file = value();
            if (!file)
                return text(TraceNeedsFile);
            options.traceFile = *file;
        } else if (arg == "--lang") {
            const auto language = value();
            if (!language || (*language != "da" && *language != "en")) {
                return text(LangValues);
            }
            options.language = *language == "da" ? LangDanish : LangEnglish;
        } else if (arg == "--yes" || arg == "-y") {
            options.yes = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return quoted(UnknownOption, arg);
        } else if (options.command.empty()) {
            if (arg != "image" && arg != "info" && arg != "update") {
                return quoted(UnknownCommand, arg);
            }
            options.command = arg;
        } else {
            return text(OneCommand);
        }
    }
    if (options.help || options.version) {
        return std::nullopt;
    }
    if (options.command.empty()) {
        return text(CommandNeeded);
    }
    return std::nullopt;
}

}  // namespace zelmark
