#pragma once

#include <cstdint>

// Every language-dependent text of the updater, in Danish and English (UTF-8).
namespace zelmark {

enum Language : std::uint8_t {
    LangDanish = 1,
    LangEnglish = 2,
    LangGerman = 3,  // no texts: showing a text in German leaves the control unchanged
};

enum TextId : int {
    TxtTitle,
    TxtTitleFound,
    TxtStatusLooking,
    TxtStatusFound,
    TxtSequence,
    TxtExplanation,
    TxtNewSoftware,
    TxtSent,
    TxtSerialNumber,
    TxtIntro,
    TxtIntroAgain,
    TxtStep1,
    TxtStep2,
    TxtStep3,
    TxtStep4,
    TxtStep5,
    TxtStep6,
    TxtTurnOn,
    TxtNextStep,
    TxtConnect,
    TxtReadyWarning,
    TxtUpdate,
    TxtTransmitting,
    TxtRemoveCable,
    TxtVerifyVersion,
    TxtFinish,
    TxtWrongFirmware,
    TxtWrongSubmodel,
    TxtWrongModel,
    TxtUnplugFirst,
    // Added by this program: the transfer was given up, why a device did not open, and a close
    // that waits for the transfer.
    TxtTransferFailed,
    TxtAccessDenied,
    TxtDeviceBusy,
    TxtSeveralDevices,
    TxtClosesAfterUpdate,  // the window was asked to close during the transfer
    // Windows: the device's USB library, SiUSBXp.dll, is not there, does not load, or lacks a
    // call the program needs. The window opens anyway and says what to install.
    TxtLibraryMissing,
    TxtLibraryUnusable,
    TxtLibraryCallMissing,
    TextCount
};

// The maker's web address, which ends both texts of TxtWrongFirmware.
inline constexpr const char* MakerWebAddress = "www.tarvik.dk";

// The text in the given language, or nullptr when the language has no texts.
const char* catalogueText(TextId id, std::uint8_t language);

}  // namespace zelmark
