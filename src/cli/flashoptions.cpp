#include "flashoptions.h"

#include "textcatalogue.h"
#include "zelmarkpresets.h"

namespace zelmark {

const char* const FlashUsage =
    "Usage: zelmark-flash [--port PATH | --simulate[=PRESET]] [--trace FILE] [--lang da|en]\n"
    "                     COMMAND [--yes] [--json]\n"
    "\n"
    "Updates the firmware of a Tarvik Zelmark lap timer over its USB cable.\n"
    "\n"
    "Commands:\n"
    "  image     print the embedded image's header: model, main version, main firmware,\n"
    "            target, submodel, minimum updater\n"
    "  info      query the device: model, serial number, current version, updater version,\n"
    "            submodel, and the verdict against the image\n"
    "  update    query, check, and on a fit send the image\n"
    "\n"
    "Options:\n"
    "  --port PATH         use this serial port instead of looking for the Zelmark (10C4:EA61)\n"
    "  --simulate[=PRESET] use the built-in virtual Zelmark, in real time; PRESET is one of\n"
    "                      fit (the default), other-model, other-submodel, old-updater, corrupt\n"
    "  --trace FILE        write every byte written and read, time-stamped, to FILE\n"
    "  --lang da|en        Danish or English texts (default English)\n"
    "  --yes               update without asking (required when standard input is not a terminal)\n"
    "  --json              with image or info: one JSON object on standard output\n"
    "  --help              this text\n"
    "\n"
    "Exit codes:\n"
    "  0    success\n"
    "  1    the transfer failed (the frame, its flash address and the reason are printed)\n"
    "  2    usage error\n"
    "  3    no device, or it cannot be opened (the reason and its fix are printed)\n"
    "  4    the device is refused (model, submodel or updater, with both values)\n"
    "  5    the device's information reply could not be read\n"
    "  130  interrupted (Ctrl-C, or the confirmation declined)\n";

std::optional<std::string> parseFlashOptions(const std::vector<std::string>& args,
                                             FlashOptions& options) {
    bool sourceGiven = false;
    auto setSource = [&](FlashOptions::Source source) -> std::optional<std::string> {
        if (sourceGiven) {
            return "--port and --simulate exclude each other";
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
        } else if (arg == "--port") {
            const auto path = value();
            if (!path)
                return "--port needs a path";
            if (auto error = setSource(FlashOptions::Source::Port))
                return error;
            options.port = *path;
        } else if (arg == "--simulate" || arg.rfind("--simulate=", 0) == 0) {
            if (auto error = setSource(FlashOptions::Source::Simulate))
                return error;
            if (arg != "--simulate") {
                options.preset = arg.substr(std::string("--simulate=").size());
                if (!presetIdentity(options.preset)) {
                    return "unknown preset '" + options.preset +
                           "' (fit, other-model, other-submodel, old-updater, corrupt)";
                }
            }
        } else if (arg == "--trace") {
            const auto file = value();
            if (!file)
                return "--trace needs a file name";
            options.traceFile = *file;
        } else if (arg == "--lang") {
            const auto language = value();
            if (!language || (*language != "da" && *language != "en")) {
                return "--lang takes da or en";
            }
            options.language = *language == "da" ? LangDanish : LangEnglish;
        } else if (arg == "--yes" || arg == "-y") {
            options.yes = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else if (options.command.empty()) {
            if (arg != "image" && arg != "info" && arg != "update") {
                return "unknown command '" + arg + "'";
            }
            options.command = arg;
        } else {
            return "one command at a time";
        }
    }
    if (options.help) {
        return std::nullopt;
    }
    if (options.command.empty()) {
        return "a command is needed: image, info or update";
    }
    if (options.json && options.command == "update") {
        return "--json goes with image or info";
    }
    return std::nullopt;
}

}  // namespace zelmark
