#include "app/ui/MonitorApplication.h"
#include "app/ui/Startup.h"
#include "platform/LinuxSignals.h"
#include "platform/ui/LinuxPlatform.h"
#include "support/Termination.h"

int main(int argc, char** argv)
{
    platform::ui::prepareLinuxPlatform();
    MonitorApplication app(argc, argv);
    platform::ui::installLinuxPlatform();
    platform::watchTerminationSignals(&requestTermination);
    return startup::runStartup(app);
}
