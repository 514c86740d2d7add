// zelmark-flash in process on the virtual clock: its commands, output, JSON reports and exit
// codes; and its progress line. The program itself is run in flash_program_tests.cpp.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <functional>
#include <optional>
#include <sstream>

#include "flashtool.h"
#include "progressline.h"
#include "tempdir.h"
#include "textcatalogue.h"
#include "virtualzelmark.h"
#include "zelmarkpresets.h"

using namespace zelmark;

namespace {

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

// Runs the tool in process against a virtual Zelmark on the virtual clock.
struct InProcess {
    VirtualClock clock;
    std::shared_ptr<VirtualZelmark> device;
    std::function<void(VirtualZelmark&)> setup = [](VirtualZelmark&) {};
    std::string input;
    bool inIsTerminal = false;
    unsigned interruptAtFrame = 0;
    std::optional<std::uint64_t> interruptAtMs;  // Ctrl-C from this time on the clock
    bool ctrlCAtPrompt = false;                  // Ctrl-C instead of an answer
    bool ctrlCPressed = false;

    // Standard input on which the user presses Ctrl-C instead of answering: the read ends
    // without a line, as a read interrupted by the signal does.
    struct CtrlCAtRead final : std::streambuf {
        bool* pressed;
        explicit CtrlCAtRead(bool* p) : pressed(p) {}
        int_type underflow() override {
            *pressed = true;
            return traits_type::eof();
        }
    };

    Outcome run(const std::vector<std::string>& args) {
        std::ostringstream out;
        std::ostringstream err;
        std::istringstream answer(input);
        CtrlCAtRead ctrlC(&ctrlCPressed);
        std::istream ctrlCInput(&ctrlC);
        std::istream& in = ctrlCAtPrompt ? ctrlCInput : answer;
        FlashEnvironment env{
            .out = out,
            .err = err,
            .in = in,
            .inIsTerminal = inIsTerminal,
            .openDevice =
                [this](const FlashOptions& options) {
                    device = std::make_shared<VirtualZelmark>(clock);
                    if (options.source == FlashOptions::Source::Simulate) {
                        device->device().identity = *presetIdentity(options.preset);
                    }
                    setup(*device);
                    const bool port = options.source == FlashOptions::Source::Port;
                    return FlashDevice{device, &clock, port ? options.port : "virtual"};
                },
            .interrupted =
                [this] {
                    if (ctrlCPressed || (interruptAtMs && clock.nowMs() >= *interruptAtMs)) {
                        return true;
                    }
                    return interruptAtFrame != 0 && device &&
                           device->device().stats().framesReceived >= interruptAtFrame;
                }};
        Outcome result;
        result.code = runFlash(args, env);
        result.out = out.str();
        result.err = err.str();
        return result;
    }
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool has(const std::vector<std::string>& args, const std::string& arg) {
    return std::find(args.begin(), args.end(), arg) != args.end();
}

// The window's refusal texts name another product; the tool has its own words.
std::vector<std::string> windowRefusalTexts() {
    std::vector<std::string> texts;
    for (const TextId id : {TxtWrongModel, TxtWrongSubmodel, TxtWrongFirmware}) {
        for (const std::uint8_t language : {LangDanish, LangEnglish}) {
            texts.emplace_back(catalogueText(id, language));
        }
    }
    return texts;
}

}  // namespace

TEST(FlashTool, CommandsOutputsAndExitCodes) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::function<void(InProcess&)> arrange;
        int code;
        std::vector<std::string> inOut;
        std::vector<std::string> inErr;
    };
    auto nothing = [](InProcess&) {};
    auto withDevice = [](std::function<void(VirtualZelmark&)> setup) {
        return [setup](InProcess& p) { p.setup = setup; };
    };
    const Case cases[] = {
        {"image",
         {"image"},
         nothing,
         ExitSuccess,
         {"Model:             Zelmark (3098)\n", "Main version:      1.05\n",
          "Main firmware:     -----\n", "Target:            0xB2\n", "Submodel:          1\n",
          "Minimum updater:   1.00\n"},
         {}},
        {"image as JSON",
         {"image", "--json"},
         nothing,
         ExitSuccess,
         {"{\"exitCode\":0,\"mainFirmware\":null,\"mainVersion\":\"1.05\",\"minUpdaterVersion\":"
          "\"1.00\",\"model\":3098,\"modelName\":\"Zelmark\",\"submodel\":1,\"target\":178}\n"},
         {}},
        {"info, fitting device",
         {"--simulate", "info"},
         nothing,
         ExitSuccess,
         {"Serial number:     4660\n", "Current version:   1.04\n", "Current updater:   1.00\n",
          "Verdict:           fits the image (version 1.05)\n"},
         {}},
        {"info as JSON",
         {"--simulate=corrupt", "info", "--json"},
         nothing,
         ExitSuccess,
         {"\"currentVersion\":\"Corrupt\"", "\"fits\":true", "\"verdict\":\"ready\""},
         {}},
        {"JSON with an odd port name",
         {"--port", "/dev/tty\"odd\\", "info", "--json"},
         nothing,
         ExitSuccess,
         {"\"device\":\"/dev/tty\\\"odd\\\\\""},
         {}},
        {"info in Danish",
         {"--lang", "da", "--simulate", "info"},
         nothing,
         ExitSuccess,
         {"Serienummer:         4660\n", "Nuværende opdaterer: 1.00\n",
          "Vurdering:           passer til det nye program (version 1.05)\n"},
         {}},
        {"info, refused device",
         {"--simulate=old-updater", "info", "--json"},
         nothing,
         ExitSuccess,
         {"\"refusal\":\"updater 0.99, the image needs 1.00 or newer\"",
          "\"verdict\":\"wrong-updater\""},
         {}},
        {"update, fitting device",
         {"--simulate", "update", "--yes"},
         nothing,
         ExitSuccess,
         {"block 10 of 91    5180 bytes", "block 91 of 91, vectors   47138 bytes",
          "Done: 47138 bytes", "Remove the USB cable from Zelmark again."},
         {}},
        {"update as JSON",
         {"--simulate", "update", "--yes", "--json"},
         nothing,
         ExitSuccess,
         {"\"frames\":92", "\"outcome\":\"completed\"", "\"resends\":0", "\"bytes\":47138"},
         {"block 91 of 91, vectors"}},
        {"update, other model",
         {"--simulate=other-model", "update", "--yes"},
         nothing,
         ExitRefused,
         {"Verdict:           refused: model 3099, the image is for model 3098\n"},
         {"Refused: model 3099, the image is for model 3098.\nNothing was sent.\n"}},
        {"update, other submodel",
         {"--simulate=other-submodel", "update", "--yes", "--json"},
         nothing,
         ExitRefused,
         {"\"error\":\"refused\"", "\"outcome\":\"refused\""},
         {"Refused: submodel 2, the image is for submodel 1."}},
        {"update, old updater, Danish",
         {"--simulate=old-updater", "--lang", "da", "update", "--yes"},
         nothing,
         ExitRefused,
         {},
         {"Afvist: opdaterer 0.99, det nye program kræver 1.00 eller nyere.\nIntet er sendt.\n"}},
        {"unreadable reply",
         {"--simulate", "info", "--json"},
         withDevice([](VirtualZelmark& d) { d.device().infoReply.omitMarker = true; }),
         ExitUnreadableReply,
         {"\"error\":\"unreadable-reply\""},
         {"information reply could not be read (virtual): it holds no whole information record "
          "(21 bytes arrived)."}},
        {"device that never answers",
         {"--simulate", "info"},
         withDevice([](VirtualZelmark& d) { d.device().timing.infoAnswerUs = 10000000; }),
         ExitNoDevice,
         {},
         {"Waiting for the device to answer (up to 5 s)...\n",
          "The device did not answer (virtual).\nTurn the Zelmark on, and try another USB cable"}},
        {"device gone during the information query",
         {"--simulate", "info", "--json"},
         withDevice([](VirtualZelmark& d) {
             d.onCommand = [&d](std::uint8_t code) {
                 if (code == 9) {
                     d.unplug();
                 }
             };
         }),
         ExitNoDevice,
         {"\"error\":\"device-gone\""},
         {"The information query stopped (virtual): the device went away (cable pulled?).\n"
          "Connect the Zelmark again"}},
        {"no device",
         {"--simulate", "info", "--json"},
         withDevice([](VirtualZelmark& d) { d.unplug(); }),
         ExitNoDevice,
         {"\"error\":\"no-device\""},
         {"No Zelmark found."}},
        {"port held by another program",
         {"--simulate", "info", "--json"},
         withDevice([](VirtualZelmark& d) { d.openStatus = SiDeviceBusy; }),
         ExitNoDevice,
         {"\"error\":\"cannot-open\"", "\"status\":\"device busy\""},
         {"could not be opened (virtual): in use by another program.",
          "in use by another program. Close"}},
        {"no permission",
         {"--simulate", "update", "--yes"},
         withDevice([](VirtualZelmark& d) { d.openStatus = SiAccessDenied; }),
         ExitNoDevice,
         {},
         {"access denied", "60-zelmark.rules"}},
        {"transfer recovers",
         {"--simulate", "update", "--yes"},
         withDevice([](VirtualZelmark& d) { d.device().faults.nak.atFrames = {5}; }),
         ExitSuccess,
         {"Done: 47138 bytes", "1 resends."},
         {}},
        {"transfer fails",
         {"--simulate", "update", "--yes", "--json"},
         withDevice([](VirtualZelmark& d) { d.device().faults.silentFromFrame = 30; }),
         ExitTransferFailed,
         {"\"failure\":{\"block\":\"block 30 of 91\",\"flashAddress\":\"0x7A00\",\"frame\":30,"
          "\"reason\":\"no-acknowledge\"}",
          "\"frames\":29", "\"outcome\":\"failed\""},
         {"Transfer failed at block 30 of 91 (flash 0x7A00): no ACK after 10 attempts, no reply.",
          "The update did not complete."}},
        {"cable pulled",
         {"--simulate", "update", "--yes"},
         withDevice([](VirtualZelmark& d) { d.device().faults.unplugAtFrame = 92; }),
         ExitTransferFailed,
         {},
         {"Transfer failed at the vector block (flash 0xFFE0): the device went away"}},
        {"interrupted",
         {"--simulate", "update", "--yes"},
         [](InProcess& p) { p.interruptAtFrame = 20; },
         ExitInterrupted,
         {},
         {"Interrupted after block 20 of 91 (flash 0x6600) was acknowledged; the device is "
          "closed."}},
        {"interrupted during the query",
         {"--simulate", "update", "--yes", "--json"},
         [](InProcess& p) {
             p.setup = [](VirtualZelmark& d) { d.device().timing.infoAnswerUs = 3000000; };
             p.interruptAtMs = 1500;
         },
         ExitInterrupted,
         {"\"error\":\"interrupted\""},
         {"Interrupted. Nothing was sent.\n"}},
        {"interrupted at the prompt",
         {"--simulate", "update"},
         [](InProcess& p) {
             p.inIsTerminal = true;
             p.ctrlCAtPrompt = true;
         },
         ExitInterrupted,
         {"Send the new firmware to this Zelmark? [y/N] \n"},
         {"Interrupted. Nothing was sent.\n"}},
        {"confirmed at the prompt",
         {"--simulate", "update"},
         [](InProcess& p) {
             p.inIsTerminal = true;
             p.input = "y\n";
         },
         ExitSuccess,
         {"Send the new firmware to this Zelmark? [y/N] ", "Done: 47138 bytes"},
         {}},
        {"declined at the prompt",
         {"--simulate", "update"},
         [](InProcess& p) {
             p.inIsTerminal = true;
             p.input = "n\n";
         },
         ExitInterrupted,
         {},
         {"Nothing was sent."}},
        {"no terminal and no --yes",
         {"--simulate", "update", "--json"},
         nothing,
         ExitUsage,
         {"\"error\":\"usage\""},
         {"zelmark-flash: update needs --yes when standard input is not a terminal\n"
          "see zelmark-flash --help\n"}},
        {"no command",
         {"--simulate"},
         nothing,
         ExitUsage,
         {},
         {"zelmark-flash: a command is needed: image, info or update\nsee zelmark-flash --help\n"}},
        {"two sources",
         {"--port", "/dev/ttyUSB0", "--simulate", "info", "--json"},
         nothing,
         ExitUsage,
         {"\"error\":\"usage\""},
         {"exclude each other"}},
        {"unknown preset",
         {"--simulate=blue", "info"},
         nothing,
         ExitUsage,
         {},
         {"unknown preset 'blue'"}},
        {"help",
         {"--help"},
         nothing,
         ExitSuccess,
         {"Exit codes:", "130  interrupted", "6    the command ran"},
         {}},
        {"version",
         {"--version"},
         nothing,
         ExitSuccess,
         {"zelmark-flash " ZELMARK_VERSION " (firmware image 1.05)\n"},
         {}},
    };
    for (const Case& c : cases) {
        InProcess tool;
        c.arrange(tool);
        const Outcome run = tool.run(c.args);
        EXPECT_EQ(run.code, c.code) << c.name << "\n" << run.out << run.err;
        for (const std::string& part : c.inOut) {
            EXPECT_TRUE(contains(run.out, part)) << c.name << ": no \"" << part << "\" in\n"
                                                 << run.out;
        }
        for (const std::string& part : c.inErr) {
            EXPECT_TRUE(contains(run.err, part)) << c.name << ": no \"" << part << "\" in\n"
                                                 << run.err;
        }
        // With --json, standard output holds one JSON object and nothing else, its exit code
        // that of the program, and on a failure the error.
        if (has(c.args, "--json")) {
            QJsonParseError error{};
            const QJsonDocument report =
                QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
            EXPECT_EQ(error.error, QJsonParseError::NoError) << c.name << "\n" << run.out;
            EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << c.name;
            EXPECT_EQ(report.object().value("exitCode").toInt(-1), run.code) << c.name;
            EXPECT_EQ(report.object().contains("error"), run.code != ExitSuccess) << c.name;
        }
        for (const std::string& text : windowRefusalTexts()) {
            EXPECT_FALSE(contains(run.out + run.err, text)) << c.name;
        }
        if (run.code == ExitSuccess && has(c.args, "update")) {
            EXPECT_TRUE(tool.device->flashEquals(embeddedImage())) << c.name;
        }
        // Usage errors leave the device alone; refusals and interruptions before the transfer
        // send it nothing.
        if (c.code == ExitUsage) {
            EXPECT_EQ(tool.device, nullptr) << c.name;
        }
        if (c.code == ExitRefused || contains(run.err, "Nothing was sent")) {
            EXPECT_EQ(tool.device->device().stats().framesReceived, 0u) << c.name;
        }
    }
}

TEST(FlashTool, DanishThroughout) {
    // Words of the English texts that no Danish text holds.
    const char* const englishOnly[] = {
        "Device",  "Current", "Serial",      "Verdict",  "fits",       "refused",
        "Refused", "Main ",   "Target",      "Minimum",  "block",      "resends",
        "Done",    "Nothing", "Interrupted", "Transfer", "went away",  "did not",
        "Waiting", "unknown", "see ",        "Usage",    "Exit codes", "the image"};
    struct Case {
        std::vector<std::string> args;
        std::function<void(VirtualZelmark&)> setup;
    };
    auto none = [](VirtualZelmark&) {};
    const Case cases[] = {
        {{"image"}, none},
        {{"--help"}, none},
        {{"bogus"}, none},
        {{"--simulate", "info"}, none},
        {{"--simulate=other-model", "info"}, none},
        {{"--simulate", "update", "--yes"},
         [](VirtualZelmark& d) { d.device().faults.nak.atFrames = {3}; }},
        {{"--simulate=other-submodel", "update", "--yes"}, none},
        {{"--simulate", "update", "--yes"},
         [](VirtualZelmark& d) { d.device().faults.silentFromFrame = 92; }},
        {{"--simulate", "update", "--yes"},
         [](VirtualZelmark& d) { d.device().faults.unplugAtFrame = 40; }},
        {{"--simulate", "info"},
         [](VirtualZelmark& d) { d.device().timing.infoAnswerUs = 9000000; }},
        {{"--simulate", "info"}, [](VirtualZelmark& d) { d.openStatus = SiIoFailed; }},
        {{"--simulate", "info"}, [](VirtualZelmark& d) { d.device().infoReply.omitMarker = true; }},
    };
    for (const Case& c : cases) {
        InProcess tool;
        tool.setup = c.setup;
        std::vector<std::string> args{"--lang", "da"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome run = tool.run(args);
        const std::string all = run.out + run.err;
        EXPECT_FALSE(all.empty());
        for (const char* word : englishOnly) {
            EXPECT_FALSE(contains(all, word)) << "\"" << word << "\" in\n" << all;
        }
    }
}

TEST(FlashTool, TraceLabelsEveryFrame) {
    TempDir dir;
    const std::string trace = dir.file("trace.txt").string();
    InProcess tool;
    tool.setup = [](VirtualZelmark& d) { d.device().faults.nak.atFrames = {17}; };
    ASSERT_EQ(tool.run({"--simulate", "--trace", trace, "update", "--yes"}).code, ExitSuccess);
    const std::vector<std::uint8_t> bytes = TempDir::read(trace);
    const std::string text(bytes.begin(), bytes.end());
    for (const char* part :
         {"-> 8 bytes, command 9: 78 87 09 F6 00 00 00 00", "<- 22 bytes, reply: 00 55 AA CC 0C 1A",
          "-> 8 bytes, command 23: 78 87 17 E8", "-> 518 bytes, block 17 at 0x6000: A1 ",
          "<- 1 byte, NAK: 15", "<- 1 byte, ACK: 06", "-> 518 bytes, vector block at 0xFFE0: A2 ",
          "open device 0", "close"}) {
        EXPECT_TRUE(contains(text, part)) << part;
    }
    // Time stamps in milliseconds: the first block goes out after the two 250 ms pauses.
    EXPECT_TRUE(contains(text, "ms -> 518 bytes, block 1 at 0x4000"));
}

// The progress line at the widths of terminals: shorter than the width, the block always there,
// the vector block counted apart.
TEST(ProgressLine, FitsTheTerminal) {
    struct Case {
        unsigned frame;
        std::uint32_t bytes;
        unsigned width;
        std::uint8_t language;
        const char* line;
    };
    const Case cases[] = {
        {45, 23040, 0, LangEnglish, "block 45 of 91   23040 bytes    9.2 kB/s    2.5 s  resends 3"},
        {45, 23040, 80, LangEnglish,
         "block 45 of 91   23040 bytes    9.2 kB/s    2.5 s  resends 3"},
        {45, 23040, 50, LangEnglish, "block 45 of 91   23040 bytes    2.5 s  resends 3"},
        {45, 23040, 40, LangEnglish, "block 45 of 91   23040 bytes  resends 3"},
        {45, 23040, 30, LangEnglish, "block 45 of 91  resends 3"},
        {92, 46592, 30, LangEnglish, "block 91 of 91, vectors"},
        {92, 46592, 12, LangEnglish, "block 91 of"},
        {5, 2560, 0, LangDanish, "blok  5 af 91    2560 bytes    1,0 kB/s    2,5 s  gensendt 3"},
        {92, 46592, 50, LangDanish, "blok 91 af 91, vektorer   46592 bytes  gensendt 3"},
    };
    for (const Case& c : cases) {
        TransferProgress progress;
        progress.frame = c.frame;
        progress.byteCounter = c.bytes;
        progress.resends = 3;
        const QString line = progressLine(progress, 2.5, c.language, c.width);
        EXPECT_EQ(line.toStdString(), c.line) << c.width;
        if (c.width > 0) {
            EXPECT_LT(line.size(), static_cast<qsizetype>(c.width));
        }
    }
}
