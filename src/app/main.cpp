#include "app/ui/MonitorApplication.h"
#include "app/ui/Startup.h"
#include "platform/ui/LinuxPlatform.h"

int main(int argc, char** argv)
{
    MonitorApplication app(argc, argv);
    platform::ui::installLinuxPlatform();
    return startup::runStartup(app);
}
