// zelmark-updater.exe under wine, driven through its window's messages as a user would drive it,
// against the stand-in USB library beside it (its cable plugged and pulled through a settings
// file): the whole road of the wizard, the refusals, a cable pulled during the transfer, and the
// library missing, unusable or incomplete. Needs a display (Xvfb).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "controls.h"
#include "firmwareimage.h"
#include "imageheader.h"
#include "protocol.h"
#include "tempdir.h"
#include "updaterprocess.h"
#include "zelmarkemulator.h"

using namespace zelmark;
using namespace std::chrono_literals;
using enum Control;

namespace {

std::filesystem::path programFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

const std::filesystem::path UpdaterProgram = programFolder() / "zelmark-updater.exe";

// The program started beside the stand-in library (the build's program folder), in a folder of
// its own, with the device the settings give; the cable is plugged and pulled through the
// settings file, which the stand-in reads each time the program counts devices.
struct StandInWindow : ::testing::Test {
    TempDir dir;
    std::filesystem::path flashFile = dir.file("flash.bin");
    std::filesystem::path cableFile = dir.file("cable.txt");

    std::unique_ptr<UpdaterProcess> start(const std::string& settings, bool cableIn) {
        plug(cableIn);
        // A device that programs a block in 0.2 ms unless the test says otherwise.
        const std::wstring all = L"programmingUs=200;flash=" + flashFile.wstring() + L";log=" +
                                 dir.file("wire.log").wstring() + L";" +
                                 std::wstring(settings.begin(), settings.end());
        SetEnvironmentVariableW(L"ZELMARK_STANDIN", all.c_str());
        SetEnvironmentVariableW(L"ZELMARK_STANDIN_FILE", cableFile.wstring().c_str());
        auto process = std::make_unique<UpdaterProcess>(UpdaterProgram, dir.path());
        SetEnvironmentVariableW(L"ZELMARK_STANDIN", nullptr);
        SetEnvironmentVariableW(L"ZELMARK_STANDIN_FILE", nullptr);
        return process;
    }
    void plug(bool in) {
        std::ofstream(cableFile, std::ios::trunc) << (in ? "cable=in\n" : "cable=out\n");
    }

    // Start and Next step: the window asks for the cable.
    static void walkToConnect(UpdaterProcess& updater) {
        ASSERT_NE(updater.window(), nullptr) << "the window did not appear";
        ASSERT_TRUE(updater.waitForText(Comment, TxtIntro))
            << "shows: " << narrow(updater, Comment);
        updater.click(GoBtn);
        ASSERT_TRUE(updater.waitForText(Comment, TxtTurnOn));
        ASSERT_TRUE(updater.waitForText(GoBtn, TxtNextStep));
        updater.click(GoBtn);
        ASSERT_TRUE(updater.waitForText(Comment, TxtConnect));
    }

    static std::string narrow(UpdaterProcess& updater, Control id) {
        const std::wstring text = updater.text(id);
        std::string out;
        for (wchar_t c : text) {
            out += c < 128 ? static_cast<char>(c) : '?';
        }
        return out;
    }
};

TEST_F(StandInWindow, WholeRoadPutsTheImageIntoTheFlash) {
    auto updater = start("preset=fit", false);
    walkToConnect(*updater);
    EXPECT_FALSE(updater->enabled(GoBtn));
    EXPECT_EQ(updater->title(), catalogue(TxtTitle));

    plug(true);  // the presence monitor finds the device and reads it
    ASSERT_TRUE(updater->waitForText(Comment, TxtReadyWarning)) << narrow(*updater, Comment);
    ASSERT_TRUE(updater->waitUntil([&] { return updater->enabled(GoBtn); }));
    EXPECT_EQ(updater->text(GoBtn), catalogue(TxtUpdate));
    EXPECT_EQ(updater->title(), catalogue(TxtTitleFound));
    EXPECT_TRUE(updater->visible(Lap12));
    EXPECT_FALSE(updater->text(Lap3).empty());  // the serial number

    updater->click(GoBtn);
    ASSERT_TRUE(updater->waitForText(Comment, TxtRemoveCable, LangEnglish, 120s))
        << narrow(*updater, Comment);
    EXPECT_EQ(updater->text(GoBtn), catalogue(TxtNextStep));
    EXPECT_EQ(updater->text(SW4),
              std::to_wstring(BlockCount * protocol::BlockFrameSize) + L" Bytes");

    plug(false);
    ASSERT_TRUE(updater->waitForText(Lap1, TxtStatusLooking));
    updater->click(GoBtn);
    ASSERT_TRUE(updater->waitForText(Comment, TxtVerifyVersion));
    ASSERT_TRUE(updater->waitForText(GoBtn, TxtFinish));
    updater->click(GoBtn);
    EXPECT_EQ(updater->waitForExit(), std::optional<DWORD>(0));

    EXPECT_TRUE(flashHoldsImage(TempDir::read(flashFile), embeddedImage()));
    EXPECT_TRUE(std::filesystem::exists(dir.file("version.tmp")));  // the scratch file
}

// A close asked for during the transfer: the window says it closes when the update has
// finished, and does so then, with the image in the flash.
TEST_F(StandInWindow, CloseDuringTheTransferWaitsForItsEnd) {
    auto updater = start("preset=fit;programmingUs=20000", false);  // about two seconds
    walkToConnect(*updater);
    plug(true);
    ASSERT_TRUE(updater->waitForText(GoBtn, TxtUpdate));
    ASSERT_TRUE(updater->waitUntil([&] { return updater->enabled(GoBtn); }));
    updater->click(GoBtn);
    ASSERT_TRUE(updater->waitForText(Comment, TxtTransmitting));
    updater->close();
    ASSERT_TRUE(updater->waitForText(Comment, TxtClosesAfterUpdate)) << narrow(*updater, Comment);
    EXPECT_EQ(updater->waitForExit(60s), std::optional<DWORD>(0));
    EXPECT_TRUE(flashHoldsImage(TempDir::read(flashFile), embeddedImage()));
}

// A device the image does not fit: its refusal and FINISH, the image never sent.
struct Refusal {
    const char* preset;
    TextId text;
    friend void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.preset; }
};

class RefusedDevice : public StandInWindow, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedDevice, IsToldWhyAndKeepsItsFlash) {
    auto updater = start(std::string("preset=") + GetParam().preset, false);
    walkToConnect(*updater);
    plug(true);
    ASSERT_TRUE(updater->waitForText(Comment, GetParam().text)) << narrow(*updater, Comment);
    ASSERT_TRUE(updater->waitForText(GoBtn, TxtFinish));
    ASSERT_TRUE(updater->waitUntil([&] { return updater->enabled(GoBtn); }));
    updater->click(GoBtn);
    EXPECT_EQ(updater->waitForExit(), std::optional<DWORD>(0));
    EXPECT_FALSE(flashHoldsImage(TempDir::read(flashFile), embeddedImage()));
}

INSTANTIATE_TEST_SUITE_P(Presets, RefusedDevice,
                         ::testing::Values(Refusal{"other-model", TxtWrongModel},
                                           Refusal{"other-submodel", TxtWrongSubmodel},
                                           Refusal{"old-updater", TxtWrongFirmware}),
                         [](const auto& test) {
                             std::string name = test.param.preset;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST_F(StandInWindow, CablePulledDuringTheTransferIsSaidAndUpdateOffered) {
    auto updater = start("preset=fit;unplugAt=40", false);
    walkToConnect(*updater);
    plug(true);
    ASSERT_TRUE(updater->waitForText(GoBtn, TxtUpdate));
    ASSERT_TRUE(updater->waitUntil([&] { return updater->enabled(GoBtn); }));
    updater->click(GoBtn);
    ASSERT_TRUE(updater->waitForText(Comment, TxtTransferFailed, LangEnglish, 120s))
        << narrow(*updater, Comment);
    EXPECT_EQ(updater->text(GoBtn), catalogue(TxtUpdate));
    EXPECT_TRUE(updater->enabled(GoBtn));
    updater->close();  // the window closes as usual afterwards
    EXPECT_EQ(updater->waitForExit(), std::optional<DWORD>(0));
    EXPECT_FALSE(flashHoldsImage(TempDir::read(flashFile), embeddedImage()));
}

// The program alone in a folder, with no library, a file by the library's name that is no
// library, or a library that lacks a call: the window opens and says what to do, in English and,
// after a click on the Danish flag, in Danish; no device is looked for.
struct LibraryCase {
    const char* name;
    const char* libraryFrom;  // copied beside the program as SiUSBXp.dll; nullptr: none
    TextId text;
    friend void PrintTo(const LibraryCase& library, std::ostream* out) { *out << library.name; }
};

class LibraryProblemWindow : public ::testing::TestWithParam<LibraryCase> {};

TEST_P(LibraryProblemWindow, SaysWhatToInstallInBothLanguages) {
    TempDir dir;
    std::filesystem::copy_file(UpdaterProgram, dir.file("zelmark-updater.exe"));
    if (GetParam().libraryFrom) {
        const std::filesystem::path from = programFolder() / GetParam().libraryFrom;
        if (from.extension() == ".dll") {
            std::filesystem::copy_file(from, dir.file("SiUSBXp.dll"));
        } else {
            std::ofstream(dir.file("SiUSBXp.dll")) << "not a library";
        }
    }
    UpdaterProcess updater(dir.file("zelmark-updater.exe"), dir.path());
    ASSERT_NE(updater.window(), nullptr);
    ASSERT_TRUE(updater.waitForText(Comment, GetParam().text, LangEnglish));
    EXPECT_NE(updater.text(Comment).find(L"SiUSBXp.dll"), std::wstring::npos);
    updater.click(DKBtn);
    ASSERT_TRUE(updater.waitForText(Comment, GetParam().text, LangDanish));
    EXPECT_EQ(updater.title(), catalogue(TxtTitle, LangDanish));
    updater.close();
    EXPECT_EQ(updater.waitForExit(), std::optional<DWORD>(0));
}

INSTANTIATE_TEST_SUITE_P(Library, LibraryProblemWindow,
                         ::testing::Values(LibraryCase{"Missing", nullptr, TxtLibraryMissing},
                                           LibraryCase{"NotALibrary", "text", TxtLibraryUnusable},
                                           LibraryCase{"LacksACall", "SiUSBXpNoRxQueue.dll",
                                                       TxtLibraryCallMissing}),
                         [](const auto& test) { return std::string(test.param.name); });

// What the program carries for Windows: the manifest (common controls 6, per-monitor DPI
// awareness, no elevation), the stopwatch icon in every size, and the project's version.
TEST(UpdaterProgram, CarriesManifestIconAndVersion) {
    HMODULE program = LoadLibraryExW(UpdaterProgram.c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr);
    HRSRC manifestResource = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifestResource, nullptr);
    const std::string manifest(
        static_cast<const char*>(LockResource(LoadResource(program, manifestResource))),
        SizeofResource(program, manifestResource));
    for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                             "PerMonitorV2", "level=\"asInvoker\""}) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
    for (int size : {16, 32, 48, 256}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(program, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        EXPECT_NE(icon, nullptr) << size;
        DestroyIcon(icon);
    }
    FreeLibrary(program);

    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeW(UpdaterProgram.c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(UpdaterProgram.c_str(), 0, static_cast<DWORD>(info.size()),
                                    info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    const std::string version = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(version, ZELMARK_VERSION);
}

// Started in a folder where no file can be made (here the Linux /proc, read-only even for
// root), the window keeps the device's information reply in the user's temporary folder.
TEST_F(StandInWindow, ScratchFileGoesToTheTemporaryFolderWhereTheFolderIsReadOnly) {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::filesystem::path scratch = std::filesystem::path(temp) / "version.tmp";
    std::filesystem::remove(scratch);

    plug(false);
    const std::wstring settings = L"programmingUs=200;flash=" + flashFile.wstring();
    SetEnvironmentVariableW(L"ZELMARK_STANDIN", settings.c_str());
    SetEnvironmentVariableW(L"ZELMARK_STANDIN_FILE", cableFile.wstring().c_str());
    UpdaterProcess updater(UpdaterProgram, L"Z:\\proc");
    SetEnvironmentVariableW(L"ZELMARK_STANDIN", nullptr);
    SetEnvironmentVariableW(L"ZELMARK_STANDIN_FILE", nullptr);
    walkToConnect(updater);
    plug(true);
    ASSERT_TRUE(updater.waitForText(Comment, TxtReadyWarning)) << narrow(updater, Comment);
    EXPECT_TRUE(std::filesystem::exists(scratch));
    updater.close();
    EXPECT_EQ(updater.waitForExit(), std::optional<DWORD>(0));
    std::filesystem::remove(scratch);
}

// Enter presses GoBtn, the window's default button.
TEST_F(StandInWindow, EnterPressesTheDefaultButton) {
    auto updater = start("preset=fit", false);
    ASSERT_NE(updater->window(), nullptr);
    ASSERT_TRUE(updater->waitForText(Comment, TxtIntro));
    ASSERT_TRUE(updater->waitUntil([&] { return updater->enabled(GoBtn); }));
    PostMessageW(updater->window(), WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(updater->window(), WM_KEYUP, VK_RETURN, 0xC0000001);
    EXPECT_TRUE(updater->waitForText(Comment, TxtTurnOn)) << narrow(*updater, Comment);
    updater->close();
    EXPECT_EQ(updater->waitForExit(), std::optional<DWORD>(0));
}

// A second start while the window is open brings that window back (restored, in front) and
// ends without a window of its own.
TEST_F(StandInWindow, SecondStartBringsTheFirstWindowBack) {
    auto first = start("preset=fit", false);
    HWND window = first->window();
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(UpdaterProcess::waitUntil([&] { return IsIconic(window) != FALSE; }));

    auto second = start("preset=fit", false);
    EXPECT_EQ(second->waitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(second->window(0ms), nullptr);
    EXPECT_TRUE(UpdaterProcess::waitUntil([&] { return IsIconic(window) == FALSE; }));
    first->close();
    EXPECT_EQ(first->waitForExit(), std::optional<DWORD>(0));
}

// The window as the design lays it out (wine runs at 96 dpi): the client area and every control
// of a fixed size at its place, the labels that size themselves at their place.
TEST_F(StandInWindow, ControlsStandWhereTheDesignPutsThem) {
    auto updater = start("preset=fit", false);
    HWND window = updater->window();
    ASSERT_NE(window, nullptr);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, ClientWidth);
    EXPECT_EQ(client.bottom, ClientHeight);
    // A fixed dialog frame: a close box, no minimise or maximise box, not resizable.
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    for (const ControlDesign& d : controlTable()) {
        RECT rect;
        GetWindowRect(updater->control(d.id), &rect);
        MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rect), 2);
        const int left = d.left + (d.parent ? design(*d.parent).left : 0);
        const int top = d.top + (d.parent ? design(*d.parent).top : 0);
        EXPECT_EQ(rect.left, left) << d.name;
        EXPECT_EQ(rect.top, top) << d.name;
        if (!d.autoSize) {
            EXPECT_EQ(rect.right - rect.left, d.width) << d.name;
            EXPECT_EQ(rect.bottom - rect.top, d.height) << d.name;
        }
    }
    updater->close();
    EXPECT_EQ(updater->waitForExit(), std::optional<DWORD>(0));
}

// At another DPI (wine takes it from the user's LogPixels setting when a program starts) the
// design's pixels are scaled by it: the client area, and every control's place and size.
class ScaledWindow : public StandInWindow {
protected:
    static constexpr DWORD Dpi = 120;
    static constexpr const wchar_t* DesktopKey = L"Control Panel\\Desktop";
    void SetUp() override {
        DWORD size = sizeof(previous_);
        hadSetting_ = RegGetValueW(HKEY_CURRENT_USER, DesktopKey, L"LogPixels", RRF_RT_REG_DWORD,
                                   nullptr, &previous_, &size) == ERROR_SUCCESS;
        setLogPixels(Dpi);
    }
    void TearDown() override {
        if (hadSetting_) {
            setLogPixels(previous_);
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, DesktopKey, L"LogPixels");
        }
    }
    static void setLogPixels(DWORD dpi) {
        RegSetKeyValueW(HKEY_CURRENT_USER, DesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
    }
    static int scaled(int pixels) { return MulDiv(pixels, Dpi, DesignDpi); }

private:
    DWORD previous_ = 0;
    bool hadSetting_ = false;
};

TEST_F(ScaledWindow, DesignIsScaledByTheWindowsDpi) {
    auto updater = start("preset=fit", false);
    HWND window = updater->window();
    ASSERT_NE(window, nullptr);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, scaled(ClientWidth));
    EXPECT_EQ(client.bottom, scaled(ClientHeight));
    for (const ControlDesign& d : controlTable()) {
        RECT rect;
        GetWindowRect(updater->control(d.id), &rect);
        MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, scaled(d.left + (d.parent ? design(*d.parent).left : 0))) << d.name;
        EXPECT_EQ(rect.top, scaled(d.top + (d.parent ? design(*d.parent).top : 0))) << d.name;
        if (!d.autoSize) {
            EXPECT_EQ(rect.right - rect.left, scaled(d.width)) << d.name;
            EXPECT_EQ(rect.bottom - rect.top, scaled(d.height)) << d.name;
        } else if (!updater->text(d.id).empty()) {
            // A label sized to its caption: as high as its font, which is scaled too.
            EXPECT_GE(rect.bottom - rect.top, scaled(d.fontPixels)) << d.name;
        }
    }
    updater->close();
    EXPECT_EQ(updater->waitForExit(), std::optional<DWORD>(0));
}

// The flags on their buttons as the screen shows them: in colour on the two language buttons,
// in greys on the German one, which is never enabled. It reads the screen, so it runs alone (no
// other test's window over it).
class OnScreen : public StandInWindow {
protected:
    struct Colours {
        bool red = false;   // as in all three flags
        bool blue = false;  // as in the Union Jack
        bool anyColour = false;
    };
    static Colours coloursOn(HWND control) {
        RECT rect;
        GetWindowRect(control, &rect);
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        SelectObject(memory, previous);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height));
        GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info,
                  DIB_RGB_COLORS);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        Colours colours;
        for (std::uint32_t pixel : pixels) {
            const int red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
            colours.red |= red > 150 && green < 100 && blue < 100;
            colours.blue |= blue > 80 && red < 60;
            colours.anyColour |= std::max({red, green, blue}) - std::min({red, green, blue}) > 24;
        }
        return colours;
    }
};

TEST_F(OnScreen, FlagButtonsShowTheirFlags) {
    auto updater = start("preset=fit", false);
    ASSERT_NE(updater->window(), nullptr);
    ASSERT_TRUE(updater->waitForText(Comment, TxtIntro));
    std::this_thread::sleep_for(500ms);  // painted
    const Colours british = coloursOn(updater->control(UKBtn));
    EXPECT_TRUE(british.red && british.blue);
    EXPECT_TRUE(coloursOn(updater->control(DKBtn)).red);
    EXPECT_FALSE(updater->enabled(GBtn));
    EXPECT_FALSE(coloursOn(updater->control(GBtn)).anyColour);
    updater->close();
    EXPECT_EQ(updater->waitForExit(), std::optional<DWORD>(0));
}

}  // namespace
