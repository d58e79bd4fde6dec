#include "platform/LinuxServices.h"

namespace platform {

void installLinuxCoreServices()
{
    static LinuxLibraryLoader libraries;
    static LinuxRegionalSettings regional;
    static LinuxSystemClock clock;
    static LinuxProcesses processes;
    static LinuxLauncher launcher;
    static LinuxMachineInfo machine;
    static LinuxThreadPriority threads;
    static LinuxScreenBlanking screen;
    static LinuxServiceManager service;
    Services& s = services();
    s.libraries = &libraries;
    s.regional = &regional;
    s.clock = &clock;
    s.processes = &processes;
    s.launcher = &launcher;
    s.machine = &machine;
    s.threads = &threads;
    s.screen = &screen;
    s.service = &service;
}

} // namespace platform
