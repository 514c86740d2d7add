#include "flashtool.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "devicelink.h"
#include "imageheader.h"
#include "textcatalogue.h"
#include "tracingusb.h"
#include "versiontext.h"

namespace zelmark {

namespace {

// The tool's own sentences, in the catalogue's two languages.
struct Sentence {
    const char* english;
    const char* danish;
};

constexpr Sentence NoDevice{"No Zelmark found. Connect it with its USB cable and turn it on.",
                            "Ingen Zelmark fundet. Tilslut den med USB kablet og tænd den."};
constexpr Sentence CannotOpen{"The device could not be opened", "Enheden kunne ikke åbnes"};
constexpr Sentence UnreadableReply{"The device's information reply could not be read",
                                   "Enhedens svar kunne ikke læses"};
constexpr Sentence Confirm{"Send the new firmware to this Zelmark? [y/N] ",
                           "Send det nye program til denne Zelmark? [j/N] "};
constexpr Sentence Declined{"Nothing was sent.", "Intet er sendt."};
constexpr Sentence NeedsYes{"update needs --yes when standard input is not a terminal",
                            "update kræver --yes når standard input ikke er en terminal"};
constexpr Sentence Interrupted{"Interrupted", "Afbrudt"};
constexpr Sentence Done{"Done", "Færdig"};

struct Texts {
    std::uint8_t language;
    const char* operator()(const Sentence& s) const {
        return language == LangDanish ? s.danish : s.english;
    }
    const char* operator()(TextId id) const { return catalogueText(id, language); }
};

std::string hex4(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

std::string modelText(std::uint16_t model) {
    return model == ZelmarkModelCode ? ModelText(model) + " (" + std::to_string(model) + ")"
                                     : std::to_string(model);
}

// A JSON string literal: port paths may hold any character.
std::string jsonString(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

const char* verdictName(Verdict verdict) {
    switch (verdict) {
        case Verdict::Ready:
            return "ready";
        case Verdict::WrongFirmware:
            return "wrong-updater";
        case Verdict::WrongSubmodel:
            return "wrong-submodel";
        case Verdict::WrongModel:
            return "wrong-model";
    }
    return "unknown";
}

// Why the device is refused, with both values.
std::string refusalReason(Verdict verdict, const DeviceInfo& info, ImageBytes image) {
    switch (verdict) {
        case Verdict::WrongModel:
            return "model " + std::to_string(info.model) + ", the image is for model " +
                   std::to_string(ModelCode(image));
        case Verdict::WrongFirmware:
            return "updater " + VersionText(info.updaterVersion) + ", the image needs " +
                   VersionText(MinUpdaterVersion(image)) + " or newer";
        case Verdict::WrongSubmodel:
            return "submodel " + std::to_string(info.submodel) + ", the image is for submodel " +
                   std::to_string(Submodel(image));
        case Verdict::Ready:
            break;
    }
    return {};
}

class Flash {
public:
    Flash(const FlashOptions& options, FlashEnvironment& env)
        : options_(options), env_(env), text_{options.language} {}

    int run() {
        if (options_.command == "image") {
            return image();
        }
        device_ = env_.openDevice(options_);
        UsbXpress* usb = device_.usb.get();
        if (!options_.traceFile.empty()) {
            traceFile_.open(options_.traceFile);
            if (!traceFile_) {
                env_.err << "zelmark-flash: cannot write " << options_.traceFile << "\n";
                return ExitUsage;
            }
            tracer_ = std::make_unique<TracingUsb>(*usb, *device_.clock, traceFile_);
            usb = tracer_.get();
        }
        link_ = std::make_unique<DeviceLink>(*usb, *device_.clock, embeddedImage(),
                                             LinkHooks{{}, env_.interrupted});
        std::uint32_t count = 0;
        if (usb->SI_GetNumDevices(&count) != SiSuccess) {
            env_.err << text_(NoDevice) << "\n";
            return ExitNoDevice;
        }
        if (const int code = query(); code != ExitSuccess) {
            return code;
        }
        return options_.command == "info" ? info() : update();
    }

private:
    int image() {
        const ImageBytes image = embeddedImage();
        const std::uint8_t mainFirmware = MainFirmwareVersion(image);
        const bool named = namesMainFirmwareVersion(mainFirmware);
        if (options_.json) {
            env_.out << "{\"model\":" << ModelCode(image) << ",\"modelName\":\""
                     << ModelText(ModelCode(image)) << "\",\"mainVersion\":\""
                     << VersionText(MainVersion(image)) << "\",\"mainFirmware\":"
                     << (named ? "\"" + VersionText(mainFirmware) + "\"" : std::string("null"))
                     << ",\"target\":" << int(TargetCode(image))
                     << ",\"submodel\":" << int(Submodel(image)) << ",\"minUpdaterVersion\":\""
                     << VersionText(MinUpdaterVersion(image)) << "\"}\n";
            return ExitSuccess;
        }
        std::string target = TargetCode(image) == ZelmarkTargetCode ? "Zelmark" : "";
        if (named) {
            target += " + Firmware";
        }
        char code[8];
        std::snprintf(code, sizeof code, "0x%02X", TargetCode(image));
        row("Model:", modelText(ModelCode(image)));
        row("Main version:", VersionText(MainVersion(image)));
        row("Main firmware:", named ? VersionText(mainFirmware) : "-----");
        row("Target:", std::string(code) + (target.empty() ? "" : " (" + target + ")"));
        row("Submodel:", std::to_string(Submodel(image)));
        row("Minimum updater:", VersionText(MinUpdaterVersion(image)));
        return ExitSuccess;
    }

    void row(const std::string& label, const std::string& value) {
        std::string padded = label;
        padded.resize(std::max<std::size_t>(label.size() + 1, 19), ' ');
        env_.out << padded << value << "\n";
    }

    int query() {
        MemoryReplyStore reply;
        try {
            if (link_->queryInformation(reply) == QueryOutcome::NotOpened) {
                return explainOpenFailure();
            }
        } catch (const IoError& error) {
            if (env_.interrupted()) {
                env_.err << text_(Interrupted) << "\n";
                return ExitInterrupted;
            }
            env_.err << text_(UnreadableReply) << ": " << error.what() << "\n";
            return ExitUnreadableReply;
        }
        info_ = link_->deviceInfo();
        verdict_ = link_->verdict();
        return ExitSuccess;
    }

    int explainOpenFailure() {
        const SiStatus status = link_->lastOpenStatus();
        env_.err << text_(CannotOpen) << " (" << device_.where << "): " << statusName(status)
                 << "\n";
        switch (status) {
            case SiAccessDenied:
                env_.err << text_(TxtAccessDenied) << "\n";
                break;
            case SiDeviceBusy:
                env_.err << text_(TxtDeviceBusy) << "\n";
                break;
            case SiSeveralDevices:
                env_.err << text_(TxtSeveralDevices) << "\n";
                break;
            case SiDeviceNotFound:
                env_.err << text_(NoDevice) << "\n";
                break;
            default:
                break;
        }
        return ExitNoDevice;
    }

    void printInfo() {
        const ImageBytes image = embeddedImage();
        const std::string current =
            info_.currentVersion == CorruptVersion ? "Corrupt" : VersionText(info_.currentVersion);
        if (options_.json) {
            env_.out << "{\"device\":" << jsonString(device_.where) << ",\"model\":" << info_.model
                     << ",\"serial\":" << info_.serial << ",\"currentVersion\":\"" << current
                     << "\",\"updaterVersion\":\"" << VersionText(info_.updaterVersion)
                     << "\",\"submodel\":" << int(info_.submodel) << ",\"verdict\":\""
                     << verdictName(verdict_)
                     << "\",\"fits\":" << (verdict_ == Verdict::Ready ? "true" : "false") << "}\n";
            return;
        }
        row("Device:", device_.where);
        row("Model:", modelText(info_.model));
        row(text_(TxtSerialNumber), std::to_string(info_.serial));
        row("Current version:", current);
        row("Current updater:", VersionText(info_.updaterVersion));
        row("Submodel:", std::to_string(int(info_.submodel)));
        row("Verdict:", verdict_ == Verdict::Ready
                            ? "fits the image (version " + VersionText(MainVersion(image)) + ")"
                            : "refused: " + refusalReason(verdict_, info_, image));
    }

    int info() {
        printInfo();
        return ExitSuccess;
    }

    int refused() {
        const TextId why = verdict_ == Verdict::WrongModel      ? TxtWrongModel
                           : verdict_ == Verdict::WrongSubmodel ? TxtWrongSubmodel
                                                                : TxtWrongFirmware;
        env_.err << "Refused: " << refusalReason(verdict_, info_, embeddedImage()) << "\n"
                 << text_(why) << "\n";
        return ExitRefused;
    }

    bool confirmed() {
        if (options_.yes) {
            return true;
        }
        env_.out << text_(Confirm) << std::flush;
        std::string answer;
        std::getline(env_.in, answer);
        return !answer.empty() &&
               (answer[0] == 'y' || answer[0] == 'Y' || answer[0] == 'j' || answer[0] == 'J');
    }

    class Progress;

    int update();

    const FlashOptions& options_;
    FlashEnvironment& env_;
    Texts text_;
    FlashDevice device_;
    std::ofstream traceFile_;
    std::unique_ptr<TracingUsb> tracer_;
    std::unique_ptr<DeviceLink> link_;
    DeviceInfo info_;
    Verdict verdict_ = Verdict::Ready;
};

// On a terminal one line redrawn in place; elsewhere a line every ten blocks.
class Flash::Progress final : public TransferObserver {
public:
    Progress(std::ostream& out, bool terminal, Clock& clock)
        : out_(out), terminal_(terminal), clock_(clock), startUs_(clock.nowUs()) {}

    void frameAcknowledged(const TransferProgress& p) override {
        last_ = p;
        if (terminal_) {
            out_ << "\r" << line(p) << std::flush;
        } else if (p.frame % 10 == 0 || p.frame == TransferFrameCount) {
            out_ << line(p) << std::endl;  // a log behind a pipe sees each line at once
        }
    }
    void finish() {
        if (terminal_ && last_.frame > 0) {
            out_ << "\n";
        }
    }
    double elapsedS() const { return static_cast<double>(clock_.nowUs() - startUs_) / 1e6; }

private:
    std::string line(const TransferProgress& p) const {
        const double seconds = elapsedS();
        char text[160];
        std::snprintf(text, sizeof text,
                      "block %2u of %u  %6u bytes  %5.1f kB/s  %5.1f s  resends %u", p.frame,
                      TransferFrameCount, p.byteCounter,
                      seconds > 0 ? p.byteCounter / seconds / 1000.0 : 0.0, seconds, p.resends);
        return text;
    }

    std::ostream& out_;
    bool terminal_;
    Clock& clock_;
    std::uint64_t startUs_;
    TransferProgress last_;
};

int Flash::update() {
    printInfo();
    if (verdict_ != Verdict::Ready) {
        return refused();
    }
    if (!options_.yes && !env_.inIsTerminal) {
        env_.err << "zelmark-flash: " << text_(NeedsYes) << "\n";
        return ExitUsage;
    }
    if (!confirmed()) {
        env_.err << text_(Declined) << "\n";
        return ExitInterrupted;
    }

    Progress progress(env_.out, env_.outIsTerminal, *device_.clock);
    const TransferResult result = link_->sendFirmware(progress);
    progress.finish();
    const TransferProgress& at = result.progress;
    switch (result.outcome) {
        case TransferOutcome::Completed: {
            char summary[128];
            std::snprintf(summary, sizeof summary, "%s: %u bytes, %.1f s, %u resends.", text_(Done),
                          at.byteCounter, progress.elapsedS(), at.resends);
            env_.out << summary << "\n" << text_(TxtRemoveCable) << "\n";
            return ExitSuccess;
        }
        case TransferOutcome::NotOpened:
            return explainOpenFailure();
        case TransferOutcome::Stopped:
            env_.err << text_(Interrupted) << " after frame " << at.frame << " of "
                     << TransferFrameCount << " (flash " << hex4(at.flashAddress)
                     << ") was acknowledged; the device is closed.\n"
                     << text_(TxtTransferFailed) << "\n";
            return ExitInterrupted;
        case TransferOutcome::Failed: {
            std::string reason =
                result.reason == FailureReason::DeviceGone
                    ? "the device went away (cable pulled?)"
                    : "no ACK after " + std::to_string(protocol::MaxFrameAttempts) + " attempts";
            if (result.reason == FailureReason::NoAcknowledge) {
                reason += result.lastReply < 0 ? ", no reply"
                          : result.lastReply == protocol::Nak
                              ? ", last reply NAK"
                              : ", last reply " + hex4(static_cast<unsigned>(result.lastReply));
            }
            env_.err << "Transfer failed at frame " << at.frame << " of " << TransferFrameCount
                     << " (flash " << hex4(at.flashAddress) << "): " << reason << ".\n"
                     << text_(TxtTransferFailed) << "\n";
            return ExitTransferFailed;
        }
    }
    return ExitTransferFailed;
}

}  // namespace

int runFlash(const std::vector<std::string>& args, FlashEnvironment& env) {
    FlashOptions options;
    if (const auto error = parseFlashOptions(args, options)) {
        env.err << "zelmark-flash: " << *error << "\n\n" << FlashUsage;
        return ExitUsage;
    }
    if (options.help) {
        env.out << FlashUsage;
        return ExitSuccess;
    }
    return Flash(options, env).run();
}

}  // namespace zelmark
