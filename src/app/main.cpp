#include "app/ui/MonitorApplication.h"
#include "app/ui/Startup.h"
#include "platform/LinuxServices.h"
#include "platform/LinuxSignals.h"
#include "platform/Platform.h"
#include "platform/ui/LinuxPlatform.h"
#include "support/Kiosk.h"
#include "support/Termination.h"

#include <cstring>

int main(int argc, char** argv)
{
    platform::ui::prepareLinuxPlatform();
    if (argc == 2 && std::strcmp(argv[1], kiosk::RestoreScreenOption) == 0) {
        platform::installLinuxCoreServices();
        platform::services().screen->restoreLeftOver();
        return 0;
    }
    MonitorApplication app(argc, argv);
    const KioskOptions kiosk = KioskOptions::fromArguments(app.arguments());
    platform::ui::installLinuxPlatform(kiosk.boxTimeoutMs, &kiosk::log);
    platform::watchTerminationSignals(&requestTermination);
    int code = 0;
    {
        const ScreenKeptOn screenOn(kiosk.enabled ? platform::services().screen : nullptr);
        code = startup::runStartup(app, startup::programParts(kiosk));
    }
    // A stop asked for by a signal is no failure, whatever the attachment
    // count set; fatal ends never come back here and keep their codes.
    if (platform::terminationSignalReceived())
        platform::endProcessNow(0);
    return code;
}
