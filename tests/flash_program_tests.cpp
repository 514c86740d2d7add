// The zelmark-flash program itself, in real time: bad inputs of every kind, a virtual Zelmark
// behind a pseudo-terminal as its serial port, Ctrl-C, and a narrow terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <sstream>

#include "flashtool.h"
#include "ptyzelmark.h"
#include "tempdir.h"
#include "textcatalogue.h"

using namespace zelmark;

namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
    bool ended = true;  // false: the program did not end and was killed
};

// The running program, for a test that acts while it runs.
struct Child {
    pid_t pid = -1;
    int terminal = -1;  // the master side of its terminal, or -1
    // Ctrl-C: typed on its terminal when it has one, else the signal a shell would send.
    void pressCtrlC() const {
        if (terminal >= 0) {
            const char key = 0x03;
            EXPECT_EQ(::write(terminal, &key, 1), 1);
        } else {
            ::kill(pid, SIGINT);
        }
    }
};

struct Launch {
    explicit Launch(std::vector<std::string> arguments) : args(std::move(arguments)) {}
    std::vector<std::string> args;
    // Standard input and output on one terminal of this width, as in a shell; otherwise
    // standard input is /dev/null and standard output a pipe.
    bool terminal = false;
    unsigned short columns = 80;
    // Called as output arrives; returns true once it has acted, and is not called again.
    std::function<bool(const std::string& out, const std::string& err, const Child&)> onOutput;
};

// A program that has not ended after this long is taken as hung, killed, and reported so: it
// guards the run, it does not measure it.
constexpr auto HangGuard = std::chrono::seconds(60);

Outcome runProgram(const Launch& launch) {
    int errPipe[2];
    int outPipe[2] = {-1, -1};
    int master = -1;
    int slave = -1;
    if (::pipe(errPipe) != 0) {
        return {};
    }
    if (launch.terminal) {
        winsize size{};
        size.ws_row = 24;
        size.ws_col = launch.columns;
        if (::openpty(&master, &slave, nullptr, nullptr, &size) != 0) {
            return {};
        }
    } else if (::pipe(outPipe) != 0) {
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (launch.terminal) {
            ::setsid();
            ::ioctl(slave, TIOCSCTTY, 0);
            ::dup2(slave, STDIN_FILENO);
            ::dup2(slave, STDOUT_FILENO);
        } else {
            const int devNull = ::open("/dev/null", O_RDONLY);
            ::dup2(devNull, STDIN_FILENO);
            ::dup2(outPipe[1], STDOUT_FILENO);
        }
        ::dup2(errPipe[1], STDERR_FILENO);
        std::vector<std::string> copies = launch.args;
        std::string program = ZELMARK_FLASH_PROGRAM;
        std::vector<char*> argv{program.data()};
        for (std::string& a : copies)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(errPipe[1]);
    const int outFd = launch.terminal ? master : outPipe[0];
    if (launch.terminal) {
        ::close(slave);
    } else {
        ::close(outPipe[1]);
    }

    Outcome run;
    const Child running{child, launch.terminal ? master : -1};
    bool acted = !launch.onOutput;
    const auto giveUpAt = std::chrono::steady_clock::now() + HangGuard;
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0) {
        if (std::chrono::steady_clock::now() > giveUpAt) {
            ::kill(child, SIGKILL);
            run.ended = false;
            break;
        }
        if (::poll(fds, 2, 100) < 0) {
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                // End of the pipe; a terminal whose program has ended reads EIO.
                fds[i].fd = -1;
                --open;
            }
        }
        if (!acted) {
            acted = launch.onOutput(run.out, run.err, running);
        }
    }
    ::close(outFd);
    ::close(errPipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

Outcome runProgram(const std::vector<std::string>& args) {
    return runProgram(Launch{args});
}

// A serial port on which nothing answers: a pseudo-terminal whose other side nobody serves.
struct SilentPort {
    int master = -1;
    int slave = -1;
    std::string path;
    SilentPort() {
        if (::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0) {
            path = ::ttyname(slave);
        }
    }
    ~SilentPort() {
        ::close(master);
        ::close(slave);
    }
};

}  // namespace

// Every bad input of issue-tracker reports: the exit code and the key words of each message, and
// what must not be said instead.
TEST(FlashProgram, BadInputs) {
    TempDir dir;
    const std::string file = dir.file("firmware.txt").string();
    std::ofstream(file) << "not a port\n";
    const std::string directory = dir.path().string();
    SilentPort silent;
    ASSERT_FALSE(silent.path.empty());
    const std::string wrongModel = catalogueText(TxtWrongModel, LangEnglish);

    struct Case {
        const char* name;
        std::vector<std::string> args;
        int code;
        std::vector<std::string> inOut;
        std::vector<std::string> inErr;
        std::vector<std::string> absent;  // from both
    };
    const Case cases[] = {
        {"port that does not exist",
         {"--port", "/nonexistent", "info"},
         ExitNoDevice,
         {},
         {"/nonexistent does not exist.\n", "usually /dev/ttyUSB0"},
         {"No Zelmark found"}},
        {"port that does not exist, Danish",
         {"--lang", "da", "--port", "/nonexistent", "info"},
         ExitNoDevice,
         {},
         {"/nonexistent findes ikke.\n", "normalt /dev/ttyUSB0"},
         {}},
        {"port that does not exist, JSON",
         {"--port", "/nonexistent", "info", "--json"},
         ExitNoDevice,
         {"\"error\":\"port-missing\"", "\"exitCode\":3"},
         {"/nonexistent does not exist."},
         {}},
        {"/dev/null",
         {"--port", "/dev/null", "info"},
         ExitNoDevice,
         {},
         {"/dev/null is not a serial port.\n", "usually /dev/ttyUSB0"},
         {"stopped answering"}},
        {"regular file",
         {"--port", file, "info"},
         ExitNoDevice,
         {},
         {file + " is not a serial port.\n", "usually /dev/ttyUSB0"},
         {}},
        {"directory",
         {"--port", directory, "update", "--yes"},
         ExitNoDevice,
         {},
         {directory + " is not a serial port.\n"},
         {}},
        {"a port on which nothing answers",
         {"--port", silent.path, "info"},
         ExitNoDevice,
         {},
         {"Waiting for the device to answer (up to 5 s)...\n",
          "The device did not answer (" + silent.path + ").\n", "Turn the Zelmark on",
          "another USB cable"},
         {"Read beyond end of file"}},
        {"update without --yes and without a terminal",
         {"--port", "/nonexistent", "update"},
         ExitUsage,
         {},
         {"update needs --yes when standard input is not a terminal\nsee zelmark-flash --help\n"},
         {"does not exist"}},
        {"unknown command",
         {"bogus"},
         ExitUsage,
         {},
         {"zelmark-flash: unknown command 'bogus'\nsee zelmark-flash --help\n"},
         {"Usage:", "Exit codes"}},
        {"usage error in Danish",
         {"--lang", "da", "info", "image"},
         ExitUsage,
         {},
         {"zelmark-flash: én kommando ad gangen\nse zelmark-flash --help\n"},
         {"Brug:"}},
        {"usage error as JSON",
         {"--json", "--lang", "fr", "info"},
         ExitUsage,
         {"\"error\":\"usage\"", "\"exitCode\":2"},
         {"--lang takes da or en"},
         {}},
        {"version",
         {"--version"},
         ExitSuccess,
         {"zelmark-flash " ZELMARK_VERSION " (firmware image 1.05)\n"},
         {},
         {}},
        {"refused device",
         {"--simulate=other-model", "update", "--yes"},
         ExitRefused,
         {},
         {"Refused: model 3099, the image is for model 3098.\nNothing was sent.\n"},
         {wrongModel}},
        {"trace on a full disk",
         {"--simulate", "--trace", "/dev/full", "info"},
         ExitTraceFailed,
         {"fits the image"},
         {"The trace could not be written to /dev/full: the disk is full; it is incomplete.\n"},
         {}},
        {"trace into a directory",
         {"--simulate", "--trace", directory, "info"},
         ExitUsage,
         {},
         {"The trace cannot be written to " + directory + ": it is a directory.\n"},
         {"fits the image"}},
        {"trace in /proc",
         {"--simulate", "--trace", "/proc/zelmark.trace", "info", "--json"},
         ExitUsage,
         {"\"error\":\"trace\""},
         {"The trace cannot be written to /proc/zelmark.trace: no such file or directory.\n"},
         {}},
        {"update as JSON",
         {"--simulate", "update", "--yes", "--json"},
         ExitSuccess,
         {"\"frames\":92", "\"outcome\":\"completed\"", "\"resends\":0"},
         {},
         {}},
    };
    for (const Case& c : cases) {
        const Outcome run = runProgram(c.args);
        ASSERT_TRUE(run.ended) << c.name;
        EXPECT_EQ(run.code, c.code) << c.name << "\n" << run.out << run.err;
        for (const std::string& part : c.inOut) {
            EXPECT_TRUE(contains(run.out, part)) << c.name << ": no \"" << part << "\" in\n"
                                                 << run.out;
        }
        for (const std::string& part : c.inErr) {
            EXPECT_TRUE(contains(run.err, part)) << c.name << ": no \"" << part << "\" in\n"
                                                 << run.err;
        }
        for (const std::string& part : c.absent) {
            EXPECT_FALSE(contains(run.out + run.err, part)) << c.name << ": \"" << part << "\"";
        }
        // With --json, standard output is one JSON object carrying the exit code.
        if (std::find(c.args.begin(), c.args.end(), "--json") != c.args.end()) {
            const QJsonDocument report =
                QJsonDocument::fromJson(QByteArray::fromStdString(run.out));
            EXPECT_TRUE(report.isObject()) << c.name << "\n" << run.out;
            EXPECT_EQ(report.object().value("exitCode").toInt(-1), run.code) << c.name;
        }
    }
}

namespace {

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
    EXPECT_TRUE(contains(update.out, "block 90 of 91"));
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
    EXPECT_TRUE(contains(pulled.err, "at block 10 of 91 (flash 0x5200): the device went away"))
        << pulled.err;
}

TEST_F(PtyRun, CtrlCStopsAtAFrameBoundary) {
    start();
    Launch launch{{"--port", pty.portPath(), "update", "--yes"}};
    launch.onOutput = [](const std::string& out, const std::string&, const Child& child) {
        if (!contains(out, "block 20 of 91"))
            return false;
        child.pressCtrlC();
        return true;
    };
    const Outcome run = runProgram(launch);
    EXPECT_EQ(run.code, ExitInterrupted) << run.err;
    EXPECT_TRUE(contains(run.err, "Interrupted after block")) << run.err;
    EXPECT_TRUE(contains(run.err, "the device is closed")) << run.err;
    pty.stop();
    EXPECT_FALSE(pty.stats().flashMatchesImage);
}

// Ctrl-C typed at the confirmation ends the program without Enter, and the device got nothing
// but the information command.
TEST_F(PtyRun, CtrlCAtThePromptSendsNothing) {
    start();
    Launch launch{{"--port", pty.portPath(), "update"}};
    launch.terminal = true;
    launch.onOutput = [](const std::string& out, const std::string&, const Child& child) {
        if (!contains(out, "[y/N] "))
            return false;
        child.pressCtrlC();
        return true;
    };
    const Outcome run = runProgram(launch);
    ASSERT_TRUE(run.ended) << "still waiting for Enter after Ctrl-C\n" << run.out;
    EXPECT_EQ(run.code, ExitInterrupted) << run.out << run.err;
    EXPECT_TRUE(contains(run.err, "Interrupted. Nothing was sent.\n")) << run.err;
    pty.stop();
    EXPECT_EQ(pty.stats().device.commandsReceived, 1u);
    EXPECT_EQ(pty.stats().device.framesReceived, 0u);
}

TEST(FlashProgram, CtrlCDuringTheQuerySendsNothing) {
    SilentPort silent;
    ASSERT_FALSE(silent.path.empty());
    Launch launch{{"--port", silent.path, "update", "--yes"}};
    launch.onOutput = [](const std::string&, const std::string& err, const Child& child) {
        if (!contains(err, "Waiting for the device"))
            return false;
        child.pressCtrlC();
        return true;
    };
    const Outcome run = runProgram(launch);
    EXPECT_EQ(run.code, ExitInterrupted) << run.err;
    EXPECT_TRUE(contains(run.err, "Interrupted. Nothing was sent.\n")) << run.err;
    EXPECT_FALSE(contains(run.err, "after")) << run.err;
}

// In a 50-column terminal the progress line is redrawn in place and never reaches the last
// column, so it never wraps into a pile of lines.
TEST_F(PtyRun, ProgressFitsANarrowTerminal) {
    start();
    Launch launch{{"--port", pty.portPath(), "update", "--yes"}};
    launch.terminal = true;
    launch.columns = 50;
    const Outcome run = runProgram(launch);
    EXPECT_EQ(run.code, ExitSuccess) << run.err;
    std::size_t drawn = 0;
    std::stringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        std::stringstream redraws(line);
        for (std::string shown; std::getline(redraws, shown, '\r');) {
            if (contains(shown, "block ")) {
                ++drawn;
                EXPECT_LT(shown.size(), 50u) << shown;
            }
        }
    }
    EXPECT_EQ(drawn, 92u);
    EXPECT_TRUE(contains(run.out, "block 91 of 91, vectors")) << run.out;
}
