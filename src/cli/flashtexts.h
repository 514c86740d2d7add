#pragma once

#include <QString>
#include <cstdint>

// Every sentence zelmark-flash writes, in English and Danish (UTF-8). The window's catalogue
// speaks of buttons and wizard steps; the tool speaks of commands, ports and exit codes, so it
// keeps its own sentences. %1, %2, ... are filled in with QString::arg.
namespace zelmark::flashtext {

struct Sentence {
    const char* english;
    const char* danish;
};

// The sentence in the tool's language (LangDanish or LangEnglish of the catalogue).
QString say(const Sentence& sentence, std::uint8_t language);

// Labels of the image and info rows.
inline constexpr Sentence LabelDevice{"Device:", "Enhed:"};
inline constexpr Sentence LabelModel{"Model:", "Model:"};
inline constexpr Sentence LabelSerial{"Serial number:", "Serienummer:"};
inline constexpr Sentence LabelCurrentVersion{"Current version:", "Nuværende version:"};
inline constexpr Sentence LabelCurrentUpdater{"Current updater:", "Nuværende opdaterer:"};
inline constexpr Sentence LabelSubmodel{"Submodel:", "Undermodel:"};
inline constexpr Sentence LabelVerdict{"Verdict:", "Vurdering:"};
inline constexpr Sentence LabelMainVersion{"Main version:", "Hovedversion:"};
inline constexpr Sentence LabelMainFirmware{"Main firmware:", "Hovedfirmware:"};
inline constexpr Sentence LabelTarget{"Target:", "Mål:"};
inline constexpr Sentence LabelMinimumUpdater{"Minimum updater:", "Mindste opdaterer:"};
inline constexpr Sentence Corrupt{"Corrupt", "Ødelagt"};

// The verdict, and a refusal with both values.
inline constexpr Sentence Fits{"fits the image (version %1)",
                               "passer til det nye program (version %1)"};
inline constexpr Sentence RefusedValue{"refused: %1", "afvist: %1"};
inline constexpr Sentence RefusedLine{"Refused: %1.", "Afvist: %1."};
inline constexpr Sentence OtherModel{"model %1, the image is for model %2",
                                     "model %1, det nye program er til model %2"};
inline constexpr Sentence OtherSubmodel{"submodel %1, the image is for submodel %2",
                                        "undermodel %1, det nye program er til undermodel %2"};
inline constexpr Sentence OldUpdater{"updater %1, the image needs %2 or newer",
                                     "opdaterer %1, det nye program kræver %2 eller nyere"};

// Finding and opening the device.
inline constexpr Sentence NoDevice{
    "No Zelmark found. Connect it with its USB cable and turn it on.",
    "Ingen Zelmark fundet. Tilslut den med USB kablet og tænd den."};
inline constexpr Sentence CannotOpen{"The device could not be opened (%1): %2.",
                                     "Enheden kunne ikke åbnes (%1): %2."};
inline constexpr Sentence VirtualDevice{"virtual Zelmark (%1)", "virtuel Zelmark (%1)"};
inline constexpr Sentence PortMissing{"%1 does not exist.", "%1 findes ikke."};
inline constexpr Sentence NotSerialPort{"%1 is not a serial port.", "%1 er ikke en seriel port."};
inline constexpr Sentence PortUnreachable{"%1 cannot be reached: %2.", "%1 kan ikke nås: %2."};
inline constexpr Sentence PortFix{
    "Give the Zelmark's serial port, usually /dev/ttyUSB0 (ls /dev/ttyUSB*), or leave out --port "
    "and zelmark-flash finds it.",
    "Angiv Zelmarks serielle port, normalt /dev/ttyUSB0 (ls /dev/ttyUSB*), eller udelad --port, "
    "så finder zelmark-flash den selv."};

// Why SI_Open failed, in words.
inline constexpr Sentence StatusNotFound{"no device", "ingen enhed"};
inline constexpr Sentence StatusIoFailed{"the port does not behave as a serial port",
                                         "porten opfører sig ikke som en seriel port"};
inline constexpr Sentence StatusAccessDenied{"access denied", "adgang nægtet"};
inline constexpr Sentence StatusBusy{"in use by another program", "i brug af et andet program"};
inline constexpr Sentence StatusSeveral{"more than one Zelmark", "mere end én Zelmark"};
inline constexpr Sentence StatusOther{"error %1", "fejl %1"};

// The information query.
inline constexpr Sentence Waiting{"Waiting for the device to answer (up to %1 s)...",
                                  "Venter på svar fra enheden (op til %1 s)..."};
inline constexpr Sentence NoAnswer{"The device did not answer (%1).", "Enheden svarede ikke (%1)."};
inline constexpr Sentence NoAnswerFix{
    "Turn the Zelmark on, and try another USB cable: some cables carry power but no data.",
    "Tænd Zelmark, og prøv et andet USB kabel: nogle kabler giver strøm, men ingen data."};
inline constexpr Sentence QueryGone{
    "The information query stopped (%1): the device went away (cable pulled?).",
    "Forespørgslen stoppede (%1): enheden forsvandt (kablet trukket ud?)."};
inline constexpr Sentence QueryGoneFix{
    "Connect the Zelmark again, turn it on and run the command again.",
    "Tilslut Zelmark igen, tænd den og kør kommandoen igen."};
inline constexpr Sentence UnreadableReply{
    "The device's information reply could not be read (%1): it holds no whole information "
    "record (%2 bytes arrived).",
    "Enhedens svar kunne ikke læses (%1): det rummer ingen hel informationspost (%2 bytes "
    "modtaget)."};

// The update.
inline constexpr Sentence Confirm{"Send the new firmware to this Zelmark? [y/N] ",
                                  "Send det nye program til denne Zelmark? [j/N] "};
inline constexpr Sentence NothingSent{"Nothing was sent.", "Intet er sendt."};
inline constexpr Sentence InterruptedNothingSent{"Interrupted. Nothing was sent.",
                                                 "Afbrudt. Intet er sendt."};
inline constexpr Sentence InterruptedBeforeFirstBlock{
    "Interrupted before the first block was sent; the device is closed.",
    "Afbrudt før den første blok blev sendt; enheden er lukket."};
inline constexpr Sentence InterruptedAfter{
    "Interrupted after %1 (flash %2) was acknowledged; the device is closed.",
    "Afbrudt efter at %1 (flash %2) blev kvitteret; enheden er lukket."};
inline constexpr Sentence CodeBlock{"block %1 of %2", "blok %1 af %2"};
inline constexpr Sentence VectorBlock{"the vector block", "vektorblokken"};
inline constexpr Sentence Vectors{", vectors", ", vektorer"};
inline constexpr Sentence Bytes{"%1 bytes", "%1 bytes"};
inline constexpr Sentence Resends{"resends %1", "gensendt %1"};
inline constexpr Sentence Done{"Done: %1 bytes, %2 s, %3 resends.",
                               "Færdig: %1 bytes, %2 s, %3 gensendelser."};
inline constexpr Sentence TransferFailed{"Transfer failed at %1 (flash %2): %3.",
                                         "Overførslen fejlede ved %1 (flash %2): %3."};
inline constexpr Sentence DeviceWentAway{"the device went away (cable pulled?)",
                                         "enheden forsvandt (kablet trukket ud?)"};
inline constexpr Sentence NoAck{"no ACK after %1 attempts", "intet ACK efter %1 forsøg"};
inline constexpr Sentence NoReply{", no reply", ", intet svar"};
inline constexpr Sentence LastReply{", last reply %1", ", sidste svar %1"};
inline constexpr Sentence TransferAdvice{
    "The update did not complete. Zelmark keeps its updater, so nothing is lost: unplug the USB "
    "cable, plug it in again and run the update again.",
    "Opdateringen blev ikke gennemført. Zelmark beholder sit opdateringsprogram, så intet er "
    "tabt: tag USB kablet ud, sæt det i igen og kør opdateringen igen."};

// The trace file.
inline constexpr Sentence TraceCannotOpen{"The trace cannot be written to %1: %2.",
                                          "Sporingen kan ikke skrives til %1: %2."};
inline constexpr Sentence TraceWriteFailed{
    "The trace could not be written to %1: %2; it is incomplete.",
    "Sporingen kunne ikke skrives til %1: %2; den er ufuldstændig."};
inline constexpr Sentence ErrorNoEntry{"no such file or directory",
                                       "filen eller mappen findes ikke"};
inline constexpr Sentence ErrorAccess{"permission denied", "adgang nægtet"};
inline constexpr Sentence ErrorIsDirectory{"it is a directory", "det er en mappe"};
inline constexpr Sentence ErrorNoSpace{"the disk is full", "disken er fuld"};
inline constexpr Sentence ErrorReadOnly{"read-only file system", "skrivebeskyttet filsystem"};
inline constexpr Sentence ErrorQuota{"disk quota exceeded", "diskkvoten er opbrugt"};

// The command line.
inline constexpr Sentence SeeHelp{"see zelmark-flash --help", "se zelmark-flash --help"};
inline constexpr Sentence NeedsYes{"update needs --yes when standard input is not a terminal",
                                   "update kræver --yes når standard input ikke er en terminal"};
inline constexpr Sentence SourcesExclude{"--port and --simulate exclude each other",
                                         "--port og --simulate udelukker hinanden"};
inline constexpr Sentence PortNeedsPath{"--port needs a path", "--port kræver en sti"};
inline constexpr Sentence UnknownPreset{
    "unknown preset '%1' (fit, other-model, other-submodel, old-updater, corrupt)",
    "ukendt forudindstilling '%1' (fit, other-model, other-submodel, old-updater, corrupt)"};
inline constexpr Sentence TraceNeedsFile{"--trace needs a file name", "--trace kræver et filnavn"};
inline constexpr Sentence LangValues{"--lang takes da or en", "--lang tager da eller en"};
inline constexpr Sentence UnknownOption{"unknown option '%1'", "ukendt tilvalg '%1'"};
inline constexpr Sentence UnknownCommand{"unknown command '%1'", "ukendt kommando '%1'"};
inline constexpr Sentence OneCommand{"one command at a time", "én kommando ad gangen"};
inline constexpr Sentence CommandNeeded{"a command is needed: image, info or update",
                                        "en kommando mangler: image, info eller update"};

extern const Sentence Usage;

}  // namespace zelmark::flashtext
