#include "app/ui/MonitorApplication.h"
#include "app/ui/Startup.h"
#include "platform/LinuxSignals.h"
#include "platform/Platform.h"
#include "platform/ui/LinuxPlatform.h"
#include "support/Kiosk.h"
#include "support/Termination.h"

int main(int argc, char** argv)
{
    platform::ui::prepareLinuxPlatform();
    MonitorApplication app(argc, argv);
    const KioskOptions kiosk = KioskOptions::fromArguments(app.arguments());
    platform::ui::installLinuxPlatform(kiosk.fechaCaixasEmMs, &kiosk::log);
    platform::watchTerminationSignals(&requestTermination);
    int code = 0;
    {
        const ScreenKeptOn screenOn(kiosk.ativo ? platform::services().screen : nullptr);
        code = startup::runStartup(app, startup::programParts(kiosk));
    }
    // A stop asked for by a signal is no failure, whatever the attachment
    // count set; fatal ends never come back here and keep their codes.
    if (platform::terminationSignalReceived())
        platform::endProcessNow(0);
    return code;
}
