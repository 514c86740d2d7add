#include "textcatalogue.h"

namespace zelmark {

namespace {

struct Entry {
    const char* danish;
    const char* english;
};

#define TARVIK_WEB_ADDRESS "www.tarvik.dk"

constexpr Entry Catalogue[TextCount] = {
    /* TxtTitle */ {"TARVIK ZELMARK OPDATER", "TARVIK ZELMARK UPDATER"},
    /* TxtTitleFound */ {"TARVIK ZELMARK OPDATER (fundet)", "TARVIK ZELMARK UPDATER (found)"},
    /* TxtStatusLooking */ {"leder...", "looking..."},
    /* TxtStatusFound */ {"fundet", "found"},
    /* TxtSequence */ {"Rækkefølge", "Sequence"},
    /* TxtExplanation */ {"Forklaring", "Explanation"},
    /* TxtNewSoftware */ {"Nyt Software", "New Software"},
    /* TxtSent */ {"Sendt:", "Sent:"},
    /* TxtSerialNumber */ {"Serienummer:", "Serial number:"},
    /* TxtIntro: two blanks before "Start" in Danish, as the device's owners have always seen */
    {"Det er simpelt at opdatere din Tarvik Zelmark. Du skal blot følge 6 simple step. Det er "
     "vigtigt at du følge alle steps i den nævnte rækkefølge. Begynd med at trykke på  Start "
     "knappen.",
     "It is simple to upgrade your Tarvik Zelmark. You just need to follow 6 simple steps. It is "
     "important you follow the steps in the right order. Start by pressing the Start button."},
    /* TxtIntroAgain */
    {"Det er simpelt at opdatere din Tarvik Zelmark. Du skal blot følge 6 simple steps. Det er "
     "vigtigt at du følge alle steps i den nævnte rækkefølge. Begynd med at trykke på Start "
     "knappen.",
     "It is simple to upgrade your Tarvik Zelmark. You just need to follow 6 simple steps. It is "
     "important you follow the steps in the right order. Start by pressing the Start button."},
    /* TxtStep1 */ {"Step 1: tænd Zelmark", "Step 1: turn Zelmark on"},
    /* TxtStep2 */
    {"Step 2: tilslut USB kabel mellem PC og Zelmark",
     "Step 2: connect USB cable from PC to Zelmark"},
    /* TxtStep3 */ {"Step 3: tryk OPDATER", "Step 3: press UPDATE"},
    /* TxtStep4 */
    {"Step 4: vent til Zelmark lyser grønt (48 sekunder)",
     "Step 4: wait for the green light (48 seconds)"},
    /* TxtStep5 */
    {"Step 5: fjern USB kablet mellem PC og Zelmark", "Step 5: disconnect the USB cable again"},
    /* TxtStep6 */ {"Step 6: kontrollér versionsnummeret", "Step 6: verify version number"},
    /* TxtTurnOn */
    {"Tænd for Ferrovane. Dette gøres ved at trykke på MENU knappen.",
     "Turn on Zelmark. This is done by pressing the MENU button."},
    /* TxtNextStep */ {"Næste step", "Next step"},
    /* TxtConnect */
    {"Tilslut USB kablet mellem PC og Ferrovane. Det må du gerne gøre når både PC og Zelmark er "
     "tændt! Så snart kablet er i, læses oplysninger fra Zelmark.",
     "Connect the USB cable between the PC and Zelmark. You can do that even when both PC and "
     "Zelmark are turned on! After that, information will be read from Zelmark."},
    /* TxtReadyWarning */
    {"ADVARSEL... Nu er du klar til at opdatere programmet i Zelmark. Når du trykker på OPDATER er "
     "der ingen vej tilbage. Du kan ikke afbryde eller fortryde undervejs!",
     "WARNING... You are now ready to update the program in Zelmark. When you press UPDATE, there "
     "is no way back. You can not interrupt or regret during the process!"},
    /* TxtUpdate */ {"OPDATER", "UPDATE"},
    /* TxtTransmitting */
    {"Det nye program sendes nu til Zelmark hvor det checkes og programmeres.",
     "The new program is transmitted to Zelmark where it is checked and programmed."},
    /* TxtRemoveCable */
    {"Fjern USB kablet fra Zelmark igen. Zelmark vil slukke når kablet fjernes.",
     "Remove the USB cable from Zelmark again. Zelmark will turn off when the cable is removed."},
    /* TxtVerifyVersion */
    {"Når Zelmark genstarter kan du kontrollere versionsnummeret på opstartsbilledet. Tryk på "
     "FÆRDIG for at afslutte. God fornøjelse!",
     "When Zelmark is restarted you can check the version number on the start-up screen. Press "
     "FINISH to exit the program. Thank You for choosing TARVIK."},
    /* TxtFinish */ {"FÆRDIG", "FINISH"},
    /* TxtWrongFirmware */
    {"Forkert version af Firmware! Du bliver nødt til at opdatere Flash Opdate programmet i "
     "Dravelinen. Dette er et separat program som hentes på " TARVIK_WEB_ADDRESS,
     "Wrong version of Firmware! You need to update the Flash Update program in the Dravelin. You "
     "can download it from our homepage " TARVIK_WEB_ADDRESS},
    /* TxtWrongSubmodel */
    {"Forkert Dravelin variant. Du skal være sikker på at du ikke prøver at opdatere f.eks. en A "
     "model med programmet til en C model!",
     "Wrong Dravelin submodel. You need to be sure you are not trying to update a A model with the "
     "program for a C model."},
    /* TxtWrongModel */
    {"Forkert Dravelin. Du skal være sikker på at du ikke prøver at opdatere to forskellige "
     "modeller!",
     "Wrong Dravelin. You need to be sure you are not trying to update a different model!"},
    /* TxtUnplugFirst */
    {"Du skal nu fjerne USB kablet mellem Zelmark og PC. Det er vigtigt at du følger den rigtige "
     "rækkefølge!",
     "Now you have to remove the USB cable between Zelmark and PC. It is important you follow the "
     "steps in the right order!"},
    /* TxtTransferFailed */
    {"Opdateringen blev ikke gennemført. Zelmark beholder sit opdateringsprogram, så intet er "
     "tabt. "
     "Tag USB kablet ud af Zelmark, sæt det i igen og tryk på OPDATER for at prøve igen.",
     "The update did not complete. Zelmark keeps its updater, so nothing is lost. Unplug the USB "
     "cable from Zelmark, connect it again and press UPDATE to try again."},
    /* TxtAccessDenied */
    {"Zelmark er fundet, men du har ikke adgang til dens USB port. Installer programmets udev "
     "regel (60-zelmark.rules), eller meld dig ind i portens gruppe (normalt dialout) og log ind "
     "igen. Tag derefter USB kablet ud og sæt det i igen.",
     "Zelmark was found, but you may not open its USB port. Install the program's udev rule "
     "(60-zelmark.rules), or join the port's group (usually dialout) and log in again. Then unplug "
     "the USB cable and connect it again."},
    /* TxtDeviceBusy */
    {"Zelmarks USB port bruges af et andet program. Luk det program (f.eks. et terminal- eller "
     "modemprogram), tag derefter USB kablet ud og sæt det i igen.",
     "Zelmark's USB port is in use by another program. Close that program (a terminal or modem "
     "program, for example), then unplug the USB cable and connect it again."},
    /* TxtSeveralDevices */
    {"Der er tilsluttet mere end én Zelmark. Tilslut kun den du vil opdatere, tag derefter dens "
     "USB kabel ud og sæt det i igen.",
     "More than one Zelmark is connected. Connect only the one you want to update, then unplug its "
     "USB cable and connect it again."},
    /* TxtClosesAfterUpdate */
    {"Opdateringen kører videre og kan ikke afbrydes. Vinduet lukkes, når opdateringen er færdig.",
     "The update goes on and cannot be interrupted. The window closes when the update has "
     "finished."},
    /* TxtLibraryMissing */
    {"Zelmarks USB bibliotek, SiUSBXp.dll, er ikke fundet, så programmet kan ikke finde Zelmark. "
     "Installer Zelmarks USB driver, eller læg SiUSBXp.dll i samme mappe som "
     "zelmark-updater.exe, og start programmet igen.",
     "Zelmark's USB library, SiUSBXp.dll, was not found, so the program cannot find Zelmark. "
     "Install Zelmark's USB driver, or put SiUSBXp.dll in the same folder as zelmark-updater.exe, "
     "then start the program again."},
    /* TxtLibraryUnusable */
    {"SiUSBXp.dll er fundet, men kan ikke indlæses (det kan være en 32-bit udgave eller en "
     "beskadiget fil). Installer Zelmarks USB driver igen, eller læg 64-bit udgaven af "
     "SiUSBXp.dll i samme mappe som zelmark-updater.exe, og start programmet igen.",
     "SiUSBXp.dll was found but cannot be loaded (it may be a 32-bit version or a damaged file). "
     "Install Zelmark's USB driver again, or put the 64-bit SiUSBXp.dll in the same folder as "
     "zelmark-updater.exe, then start the program again."},
    /* TxtLibraryCallMissing */
    {"SiUSBXp.dll mangler en funktion som programmet bruger (den er for gammel eller ikke den "
     "rigtige). Installer den nyeste USB driver til Zelmark, eller læg den rigtige SiUSBXp.dll i "
     "samme mappe som zelmark-updater.exe, og start programmet igen.",
     "SiUSBXp.dll lacks a call this program needs (it is too old or not the right one). Install "
     "Zelmark's latest USB driver, or put the right SiUSBXp.dll in the same folder as "
     "zelmark-updater.exe, then start the program again."},
};

static_assert(sizeof(Catalogue) / sizeof(Catalogue[0]) == TextCount);

}  // namespace

const char* catalogueText(TextId id, std::uint8_t language) {
    if (id < 0 || id >= TextCount) {
        return nullptr;
    }
    switch (language) {
        case LangDanish:
            return Catalogue[id].danish;
        case LangEnglish:
            return Catalogue[id].english;
        default:
            return nullptr;
    }
}

}  // namespace zelmark
