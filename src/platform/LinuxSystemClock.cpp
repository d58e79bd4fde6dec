#include "platform/LinuxServices.h"

#include <ctime>

namespace platform {

bool LinuxSystemClock::setLocalTime(const QDateTime& local)
{
    if (!local.isValid())
        return false;
    const qint64 ms = local.toMSecsSinceEpoch();
    timespec ts;
    ts.tv_sec = static_cast<time_t>(ms / 1000);
    ts.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    if (ts.tv_nsec < 0) {
        ts.tv_sec -= 1;
        ts.tv_nsec += 1000000000L;
    }
    return clock_settime(CLOCK_REALTIME, &ts) == 0;
}

} // namespace platform
