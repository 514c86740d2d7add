// The Windows backend against the stand-in USB library (src/standin), loaded from beside this
// program, in real time: the library's nine calls, its status values and handles, the device
// found, queried, updated and pulled, and a library that is missing or incomplete.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "devicelink.h"
#include "imageheader.h"
#include "siusbxplibrary.h"
#include "siusbxpstatus.h"
#include "standinconfig.h"
#include "tempdir.h"

using namespace zelmark;

namespace {

std::wstring widened(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

std::filesystem::path programFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

// Each test loads the stand-in afresh (the library is unloaded with its SiUsbXpLibrary) with
// the settings it gives it through the environment; the flash and the log go to a fresh folder.
struct StandInFixture : ::testing::Test {
    TempDir dir;
    std::filesystem::path flashFile = dir.file("flash.bin");
    std::filesystem::path logFile = dir.file("wire.log");
    RealClock clock;

    // A device that programs a block in 0.2 ms, so that an update takes a second or two.
    void useDevice(const std::string& settings) {
        const std::wstring all = widened(settings + ";programmingUs=200;flash=") +
                                 flashFile.wstring() + L";log=" + logFile.wstring();
        SetEnvironmentVariableW(L"ZELMARK_STANDIN", all.c_str());
    }
    void useSettingsFile(const std::filesystem::path& file) {
        SetEnvironmentVariableW(L"ZELMARK_STANDIN_FILE", file.wstring().c_str());
    }
    ~StandInFixture() override {
        SetEnvironmentVariableW(L"ZELMARK_STANDIN", nullptr);
        SetEnvironmentVariableW(L"ZELMARK_STANDIN_FILE", nullptr);
    }

    std::string logText() const {
        const std::vector<std::uint8_t> bytes = TempDir::read(logFile);
        return std::string(bytes.begin(), bytes.end());
    }
};

bool flashHoldsImage(const std::vector<std::uint8_t>& flash, ImageBytes image) {
    constexpr std::size_t CodeStart = 0x4000;
    constexpr std::size_t VectorStart = 0xFFE0;
    if (flash.size() != 0x10000) {
        return false;
    }
    return std::equal(image.data() + CodeAreaOffset,
                      image.data() + CodeAreaOffset + BlockCount * BlockSize,
                      flash.begin() + CodeStart) &&
           std::equal(image.data() + VectorTableOffset,
                      image.data() + VectorTableOffset + VectorTableSize,
                      flash.begin() + VectorStart);
}

}  // namespace

TEST(SiUsbXpStatus, LibraryStatusesMeanWhatTheCallSays) {
    using namespace siusbxp;
    struct Case {
        Call call;
        std::uint32_t library;
        SiStatus ours;
    };
    const Case cases[] = {
        {Call::Close, LibSuccess, SiSuccess},
        {Call::GetNumDevices, LibDeviceIoFailed, SiDeviceNotFound},
        {Call::Open, LibDeviceNotFound, SiDeviceNotFound},
        {Call::Open, LibDeviceIoFailed, SiDeviceBusy},
        {Call::Open, LibInvalidParameter, SiInvalidParameter},
        {Call::GetProductString, LibDeviceNotFound, SiDeviceNotFound},
        {Call::Write, LibDeviceNotFound, SiIoFailed},
        {Call::Write, LibWriteError, SiIoFailed},
        {Call::Write, LibWriteTimedOut, SiWriteTimeout},
        {Call::Read, LibWriteTimedOut, SiIoFailed},
        {Call::Read, LibReadError, SiIoFailed},
        {Call::Read, LibInvalidHandle, SiInvalidHandle},
        {Call::CheckRXQueue, LibRxQueueNotReady, SiIoFailed},
        {Call::SetBaudRate, LibInvalidParameter, SiInvalidParameter},
        {Call::SetTimeouts, 0x42, SiIoFailed},  // a value this program does not know
    };
    for (const Case& c : cases) {
        EXPECT_EQ(toSiStatus(c.call, c.library), c.ours)
            << callName(c.call) << " with library status " << c.library;
    }
}

TEST(StandInSettings, AreReadAndBadOnesAreReported) {
    StandInConfig config;
    applySettings(config,
                  "preset=other-model; cable=out\nunplugAt=40;pieces=3;nakRate=0.25;"
                  "flash=C:\\out\\flash.bin;preset=nosuch;nakRate=2;pieces=0;colour=red");
    EXPECT_EQ(config.preset, "other-model");
    EXPECT_FALSE(config.cableIn);
    EXPECT_EQ(config.unplugAt, 40u);
    EXPECT_EQ(config.pieces, 3u);
    EXPECT_DOUBLE_EQ(config.nakRate, 0.25);
    EXPECT_EQ(config.flashPath, "C:\\out\\flash.bin");
    const std::vector<std::string> problems = {
        "preset=nosuch: no such preset", "nakRate=2: a probability from 0 to 1",
        "pieces=0: a count of 1 or more", "colour=red: unknown setting"};
    EXPECT_EQ(config.problems, problems);
}

TEST_F(StandInFixture, LibraryBesideTheProgramIsLoadedWithItsNineCalls) {
    useDevice("preset=fit");
    SiUsbXpLibrary library;
    ASSERT_TRUE(library.loaded()) << library.describeLoadProblem();
    EXPECT_EQ(library.loadProblem().kind, LibraryProblem::None);
    EXPECT_EQ(std::filesystem::path(library.libraryPath()).parent_path(), programFolder());

    std::uint32_t count = 0;
    EXPECT_EQ(library.SI_GetNumDevices(&count), SiSuccess);
    EXPECT_EQ(count, 1u);
    char product[SiMaxDeviceStringLength] = {};
    EXPECT_EQ(library.SI_GetProductString(0, product, SiReturnDescription), SiSuccess);
    EXPECT_STREQ(product, "Zelmark");

    // The library's handle lies above 4 GiB; ours is a small number that reaches it.
    SiHandle handle = 0;
    ASSERT_EQ(library.SI_Open(0, &handle), SiSuccess);
    EXPECT_EQ(library.SI_Open(0, &handle), SiDeviceBusy);
    EXPECT_EQ(library.SI_SetBaudRate(handle, 921600), SiSuccess);
    EXPECT_EQ(library.SI_SetBaudRate(handle + 1, 921600), SiInvalidHandle);
    std::uint32_t queued = 99;
    std::uint32_t queueStatus = 99;
    EXPECT_EQ(library.SI_CheckRXQueue(handle, &queued, &queueStatus), SiSuccess);
    EXPECT_EQ(queued, 0u);
    EXPECT_EQ(library.SI_Close(handle), SiSuccess);
    EXPECT_EQ(library.SI_Close(handle), SiInvalidHandle);
}

TEST_F(StandInFixture, WholeUpdateLeavesTheImageInTheFlash) {
    useDevice("preset=fit;pieces=3");
    SiUsbXpLibrary library;
    ASSERT_TRUE(library.loaded()) << library.describeLoadProblem();
    DeviceLink link(library, clock, embeddedImage());
    MemoryReplyStore store;

    ASSERT_EQ(link.queryInformation(store), QueryOutcome::Read);
    EXPECT_EQ(link.deviceInfo().model, 3098);
    EXPECT_EQ(link.verdict(), Verdict::Ready);

    TransferObserver observer;
    const TransferResult result = link.sendFirmware(observer);
    ASSERT_EQ(result.outcome, TransferOutcome::Completed);
    EXPECT_EQ(result.progress.frame, TransferFrameCount);
    // The stand-in wrote its flash when the link closed the device.
    EXPECT_TRUE(flashHoldsImage(TempDir::read(flashFile), embeddedImage()));
    const std::string log = logText();
    EXPECT_NE(log.find("command 23"), std::string::npos) << log.substr(0, 2000);
    EXPECT_NE(log.find("block 91 at 0xF400"), std::string::npos);
    EXPECT_NE(log.find("vector block at 0xFFE0"), std::string::npos);
}

TEST_F(StandInFixture, RefusingDevicesAreReadRight) {
    struct Case {
        const char* settings;
        std::uint16_t model;
        std::uint8_t updaterVersion;
        Verdict verdict;
    };
    const Case cases[] = {
        {"preset=other-model;pieces=3", 3099, 100, Verdict::WrongModel},
        {"preset=old-updater", 3098, 99, Verdict::WrongFirmware},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        useDevice(c.settings);
        SiUsbXpLibrary library;
        DeviceLink link(library, clock, embeddedImage());
        MemoryReplyStore store;
        ASSERT_EQ(link.queryInformation(store), QueryOutcome::Read);
        EXPECT_EQ(link.deviceInfo().model, c.model);
        EXPECT_EQ(link.deviceInfo().updaterVersion, c.updaterVersion);
        EXPECT_EQ(link.verdict(), c.verdict);
    }
}

TEST_F(StandInFixture, CablePulledDuringTheTransferEndsAsDeviceGone) {
    useDevice("preset=fit;unplugAt=40");
    SiUsbXpLibrary library;
    DeviceLink link(library, clock, embeddedImage());
    TransferObserver observer;
    const TransferResult result = link.sendFirmware(observer);
    EXPECT_EQ(result.outcome, TransferOutcome::Failed);
    EXPECT_EQ(result.reason, FailureReason::DeviceGone);
    EXPECT_EQ(result.progress.frame, 40u);
    std::uint32_t count = 1;
    EXPECT_EQ(library.SI_GetNumDevices(&count), SiDeviceNotFound);
    EXPECT_EQ(count, 0u);
}

TEST_F(StandInFixture, SettingsFilePlugsAndPullsTheCableWhileTheProgramRuns) {
    const std::filesystem::path settings = dir.file("standin.txt");
    auto cable = [&](const char* text) {
        std::ofstream(settings) << "preset=fit\n" << text << '\n';
    };
    cable("cable=out");
    useSettingsFile(settings);
    SiUsbXpLibrary library;
    std::uint32_t count = 0;
    EXPECT_EQ(library.SI_GetNumDevices(&count), SiDeviceNotFound);
    cable("cable=in");
    EXPECT_EQ(library.SI_GetNumDevices(&count), SiSuccess);
    EXPECT_EQ(count, 1u);
    SiHandle handle = 0;
    ASSERT_EQ(library.SI_Open(0, &handle), SiSuccess);
    cable("cable=out");
    EXPECT_EQ(library.SI_GetNumDevices(&count), SiDeviceNotFound);
    std::uint32_t written = 0;
    const std::uint8_t command[8] = {0x78, 0x87, 9, 0xF6, 0, 0, 0, 0};
    EXPECT_EQ(library.SI_Write(handle, command, sizeof command, &written), SiIoFailed);
}

TEST(SiUsbXpLibraryMissing, ReportsWhatIsMissingAndFindsNoDevice) {
    TempDir dir;
    const std::filesystem::path junk = dir.file("SiUSBXp.dll");
    std::ofstream(junk) << "not a library";
    struct Case {
        std::wstring file;
        LibraryProblem problem;
        std::string name;
    };
    const Case cases[] = {
        {L"NoSuchUsbLibrary.dll", LibraryProblem::FileMissing, "NoSuchUsbLibrary.dll"},
        {L"SiUSBXpNoRxQueue.dll", LibraryProblem::CallMissing, "SI_CheckRXQueue"},
        {junk.wstring(), LibraryProblem::FileUnusable, junk.string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SiUsbXpLibrary library(c.file);
        EXPECT_FALSE(library.loaded());
        EXPECT_EQ(library.loadProblem().kind, c.problem);
        EXPECT_EQ(library.loadProblem().name, c.name);
        EXPECT_NE(library.describeLoadProblem().find(c.name), std::string::npos)
            << library.describeLoadProblem();
        EXPECT_TRUE(library.libraryPath().empty());
        std::uint32_t count = 1;
        EXPECT_EQ(library.SI_GetNumDevices(&count), SiDeviceNotFound);
        EXPECT_EQ(count, 0u);
        SiHandle handle = 0;
        EXPECT_EQ(library.SI_Open(0, &handle), SiDeviceNotFound);
    }
}
