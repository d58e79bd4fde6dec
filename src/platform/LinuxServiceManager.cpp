#include "platform/LinuxServices.h"

#include <QtGlobal>

#include <systemd/sd-daemon.h>

namespace platform {

void LinuxServiceManager::notifyReady()
{
    sd_notify(0, "READY=1");
}

void LinuxServiceManager::notifyAlive()
{
    sd_notify(0, "WATCHDOG=1");
}

void LinuxServiceManager::notifyStopping()
{
    sd_notify(0, "STOPPING=1");
}

int LinuxServiceManager::aliveIntervalMs()
{
    if (qEnvironmentVariableIsEmpty("NOTIFY_SOCKET"))
        return 0;
    uint64_t usec = 0;
    if (sd_watchdog_enabled(0, &usec) > 0 && usec > 0)
        return static_cast<int>(qBound<uint64_t>(500, usec / 3000, 5000));
    return 5000;
}

} // namespace platform
