#include "platform/ui/LinuxPlatform.h"

#include "platform/LinuxServices.h"
#include "platform/LinuxWindowRegistry.h"
#include "platform/ui/LinuxUiServices.h"
#include "platform/ui/UnattendedBoxes.h"
#include "support/Kiosk.h"

namespace platform::ui {

namespace {

// Services without a user interface, from the core library.
void installCoreServices(Services& s)
{
    static LinuxLibraryLoader libraries;
    static LinuxRegionalSettings regional;
    static LinuxSystemClock clock;
    static LinuxProcesses processes;
    static LinuxLauncher launcher;
    static LinuxMachineInfo machine;
    static LinuxScreenBlanking screen;
    static LinuxServiceManager service;
    s.libraries = &libraries;
    s.regional = &regional;
    s.clock = &clock;
    s.processes = &processes;
    s.launcher = &launcher;
    s.machine = &machine;
    s.screen = &screen;
    s.service = &service;
}

} // namespace

void prepareLinuxPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_IM_MODULE"))
        qputenv("QT_IM_MODULE", "none");
}

void installLinuxPlatform(const KioskOptions& kiosk)
{
    setUnattendedBoxes(kiosk.fechaCaixasEmMs);
    Services& s = services();
    installCoreServices(s);

    static LinuxWindowRegistry windows;
    static LinuxMessageBoxes boxes;
    static LinuxCursor cursor;
    static LinuxFatalExit fatal;
    // Owns a sound object, which must go before the application object.
    static LinuxSound* sound = new LinuxSound;
    s.windows = &windows;
    s.boxes = &boxes;
    s.cursor = &cursor;
    s.fatal = &fatal;
    s.sound = sound;
}

} // namespace platform::ui
