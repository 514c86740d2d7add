// zelmark-flash: its commands, output and exit codes, in process on the virtual clock, and as
// the real program through a pseudo-terminal in real time.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <functional>
#include <sstream>

#include "flashtool.h"
#include "ptyzelmark.h"
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

    Outcome run(const std::vector<std::string>& args) {
        std::ostringstream out;
        std::ostringstream err;
        std::istringstream in(input);
        FlashEnvironment env{
            out,
            err,
            in,
            inIsTerminal,
            false,
            [this](const FlashOptions& options) {
                device = std::make_shared<VirtualZelmark>(clock);
                if (options.source == FlashOptions::Source::Simulate) {
                    device->device().identity = *presetIdentity(options.preset);
                }
                setup(*device);
                const bool port = options.source == FlashOptions::Source::Port;
                return FlashDevice{device, &clock, port ? options.port : "virtual"};
            },
            [this] {
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
         {"{\"model\":3098,\"modelName\":\"Zelmark\",\"mainVersion\":\"1.05\",\"mainFirmware\":"
          "null,"
          "\"target\":178,\"submodel\":1,\"minUpdaterVersion\":\"1.00\"}\n"},
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
         {"\"currentVersion\":\"Corrupt\"", "\"verdict\":\"ready\",\"fits\":true}"},
         {}},
        {"JSON with an odd port name",
         {"--port", "/dev/tty\"odd\\", "info", "--json"},
         nothing,
         ExitSuccess,
         {"{\"device\":\"/dev/tty\\\"odd\\\\\",\"model\":3098,"},
         {}},
        {"info in Danish",
         {"--lang", "da", "--simulate", "info"},
         nothing,
         ExitSuccess,
         {"Serienummer:       4660\n"},
         {}},
        {"info, refused device",
         {"--simulate=old-updater", "info"},
         nothing,
         ExitSuccess,
         {"refused: updater 0.99, the image needs 1.00 or newer"},
         {}},
        {"update, fitting device",
         {"--simulate", "update", "--yes"},
         nothing,
         ExitSuccess,
         {"block 10 of 92    5180 bytes", "block 92 of 92   47138 bytes", "Done: 47138 bytes",
          "Remove the USB cable from Zelmark again."},
         {}},
        {"update, other model",
         {"--simulate=other-model", "update", "--yes"},
         nothing,
         ExitRefused,
         {},
         {"Refused: model 3099, the image is for model 3098\n", "Wrong Dravelin. "}},
        {"update, other submodel",
         {"--simulate=other-submodel", "update", "--yes"},
         nothing,
         ExitRefused,
         {},
         {"submodel 2, the image is for submodel 1"}},
        {"update, old updater, Danish",
         {"--simulate=old-updater", "--lang", "da", "update", "--yes"},
         nothing,
         ExitRefused,
         {},
         {"updater 0.99, the image needs 1.00", "Forkert version af Firmware!"}},
        {"unreadable reply",
         {"--simulate", "info"},
         [](InProcess& p) {
             p.setup = [](VirtualZelmark& d) { d.device().infoReply.omitMarker = true; };
         },
         ExitUnreadableReply,
         {},
         {"information reply could not be read: Read beyond end of file"}},
        {"no device",
         {"--simulate", "info"},
         [](InProcess& p) { p.setup = [](VirtualZelmark& d) { d.unplug(); }; },
         ExitNoDevice,
         {},
         {"No Zelmark found."}},
        {"port held by another program",
         {"--simulate", "info"},
         [](InProcess& p) { p.setup = [](VirtualZelmark& d) { d.openStatus = SiDeviceBusy; }; },
         ExitNoDevice,
         {},
         {"(virtual): device busy", "in use by another program"}},
        {"no permission",
         {"--simulate", "update", "--yes"},
         [](InProcess& p) { p.setup = [](VirtualZelmark& d) { d.openStatus = SiAccessDenied; }; },
         ExitNoDevice,
         {},
         {"access denied", "60-zelmark.rules"}},
        {"transfer recovers",
         {"--simulate", "update", "--yes"},
         [](InProcess& p) {
             p.setup = [](VirtualZelmark& d) { d.device().faults.nak.atFrames = {5}; };
         },
         ExitSuccess,
         {"Done: 47138 bytes", "1 resends."},
         {}},
        {"transfer fails",
         {"--simulate", "update", "--yes"},
         [](InProcess& p) {
             p.setup = [](VirtualZelmark& d) { d.device().faults.silentFromFrame = 30; };
         },
         ExitTransferFailed,
         {},
         {"Transfer failed at frame 30 of 92 (flash 0x7A00): no ACK after 10 attempts, no reply.",
          "The update did not complete."}},
        {"cable pulled",
         {"--simulate", "update", "--yes"},
         [](InProcess& p) {
             p.setup = [](VirtualZelmark& d) { d.device().faults.unplugAtFrame = 92; };
         },
         ExitTransferFailed,
         {},
         {"Transfer failed at frame 92 of 92 (flash 0xFFE0): the device went away"}},
        {"interrupted",
         {"--simulate", "update", "--yes"},
         [](InProcess& p) { p.interruptAtFrame = 20; },
         ExitInterrupted,
         {},
         {"Interrupted after frame 20 of 92 (flash 0x6600) was acknowledged; the device is "
          "closed."}},
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
         {"--simulate", "update"},
         nothing,
         ExitUsage,
         {},
         {"update needs --yes when standard input is not a terminal"}},
        {"no command",
         {"--simulate"},
         nothing,
         ExitUsage,
         {},
         {"a command is needed", "Exit codes:"}},
        {"two sources",
         {"--port", "/dev/ttyUSB0", "--simulate", "info"},
         nothing,
         ExitUsage,
         {},
         {"exclude each other"}},
        {"unknown preset",
         {"--simulate=blue", "info"},
         nothing,
         ExitUsage,
         {},
         {"unknown preset 'blue'"}},
        {"JSON with update",
         {"--simulate", "update", "--json"},
         nothing,
         ExitUsage,
         {},
         {"--json goes with"}},
        {"help", {"--help"}, nothing, ExitSuccess, {"Exit codes:", "130  interrupted"}, {}},
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
        if (run.code == ExitSuccess && c.args.back() != "info" && tool.device &&
            tool.device->device().stats().framesReceived > 0) {
            EXPECT_TRUE(tool.device->flashEquals(embeddedImage())) << c.name;
        }
        if (c.code == ExitRefused || c.code == ExitUsage) {
            EXPECT_TRUE(!tool.device || tool.device->device().stats().framesReceived == 0)
                << c.name;
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

// The real program through a pseudo-terminal, in real time.
namespace {

Outcome runProgram(const std::vector<std::string>& args,
                   const std::function<bool(const std::string&, pid_t)>& onOutput = {}) {
    int outPipe[2];
    int errPipe[2];
    if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0) {
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(outPipe[1], STDOUT_FILENO);
        ::dup2(errPipe[1], STDERR_FILENO);
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        std::vector<char*> argv;
        std::string program = ZELMARK_FLASH_PROGRAM;
        argv.push_back(program.data());
        std::vector<std::string> copies = args;
        for (std::string& a : copies)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    Outcome run;
    char buffer[4096];
    bool signalled = false;
    for (ssize_t n; (n = ::read(outPipe[0], buffer, sizeof buffer)) > 0;) {
        run.out.append(buffer, static_cast<std::size_t>(n));
        if (onOutput && !signalled && onOutput(run.out, child)) {
            signalled = true;
        }
    }
    for (ssize_t n; (n = ::read(errPipe[0], buffer, sizeof buffer)) > 0;) {
        run.err.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

struct PtyRun : ::testing::Test {
    PtyZelmark pty;
    void SetUp() override { pty.device().timing.programmingUs = 5000; }
    void start() { ASSERT_TRUE(pty.start()); }
};

}  // namespace

TEST_F(PtyRun, InfoAndUpdateThroughThePort) {
    start();
    const Outcome info = runProgram({"--port", pty.portPath(), "info"});
    EXPECT_EQ(info.code, ExitSuccess) << info.err;
    EXPECT_TRUE(contains(info.out, "Device:            " + pty.portPath() + "\n"));
    EXPECT_TRUE(contains(info.out, "fits the image"));

    const Outcome update = runProgram({"--port", pty.portPath(), "update", "--yes"});
    EXPECT_EQ(update.code, ExitSuccess) << update.err;
    EXPECT_TRUE(contains(update.out, "block 90 of 92"));
    pty.stop();
    EXPECT_TRUE(pty.stats().flashMatchesImage);
}

TEST_F(PtyRun, RefusedDeviceAndPulledCable) {
    pty.device().identity.model = 3099;
    start();
    const Outcome refused = runProgram({"--port", pty.portPath(), "update", "--yes"});
    EXPECT_EQ(refused.code, ExitRefused);
    EXPECT_TRUE(contains(refused.err, "model 3099, the image is for model 3098"));

    pty.device().identity.model = 3098;
    pty.device().faults.unplugAtFrame = 10;
    const Outcome pulled = runProgram({"--port", pty.portPath(), "update", "--yes"});
    EXPECT_EQ(pulled.code, ExitTransferFailed);
    EXPECT_TRUE(contains(pulled.err, "at frame 10 of 92 (flash 0x5200): the device went away"))
        << pulled.err;
}

TEST_F(PtyRun, CtrlCStopsAtAFrameBoundary) {
    start();
    const Outcome run = runProgram({"--port", pty.portPath(), "update", "--yes"},
                                   [](const std::string& out, pid_t pid) {
                                       if (!contains(out, "block 20 of 92"))
                                           return false;
                                       ::kill(pid, SIGINT);
                                       return true;
                                   });
    EXPECT_EQ(run.code, ExitInterrupted) << run.err;
    EXPECT_TRUE(contains(run.err, "Interrupted after frame")) << run.err;
    EXPECT_TRUE(contains(run.err, "the device is closed")) << run.err;
    pty.stop();
    EXPECT_FALSE(pty.stats().flashMatchesImage);
}
