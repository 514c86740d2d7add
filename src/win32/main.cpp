// zelmark-updater.exe: the wizard window on the first Zelmark attached to this computer, through
// the device's USB library (SiUSBXp.dll). Without the library the window still opens and says
// what to install.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <exception>

#include "errorcaption.h"
#include "libraryproblemtext.h"
#include "scratchpath.h"
#include "singleinstance.h"
#include "siusbxplibrary.h"
#include "updaterwindow.h"
#include "widetext.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    using namespace zelmark;
    try {
        // Version 6 of the common controls (the manifest asks for it) draws the buttons and
        // group boxes in the system's current style.
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);

        win32::SingleInstance single;
        if (single.alreadyRunning()) {
            win32::SingleInstance::activateRunning();
            return 0;
        }

        RealClock clock;
        SiUsbXpLibrary usb;
        win32::UpdaterWindow window(usb, clock, instance);
        window.core().setScratchFilePath(win32::scratchFilePath());
        if (const auto problem = win32::libraryProblemText(usb.loadProblem().kind)) {
            window.core().setStandingProblem(*problem);
        }
        window.show(showCommand);
        return window.run();
    } catch (const std::exception& error) {
        MessageBoxW(nullptr, toWide(error.what()).c_str(), win32::ErrorCaption,
                    MB_OK | MB_ICONERROR);
        return 1;
    }
}
