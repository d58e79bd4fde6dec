#include "support/LocalClock.h"

#include <atomic>
#include <chrono>

namespace {
std::function<QDateTime()>& source()
{
    static std::function<QDateTime()> s;
    return s;
}

std::atomic<qint64> offsetSecs{0};

QDateTime shifted(const QDateTime& pc, qint64 secs)
{
    return secs == 0 ? pc : pc.addSecs(secs);
}
} // namespace

namespace LocalClock {

QDateTime pcNow()
{
    return source() ? source()() : QDateTime::currentDateTime();
}

QDateTime now()
{
    return shifted(pcNow(), offsetSecs.load());
}

QDateTime nowCoarse()
{
    if (source())
        return now();
    using Steady = std::chrono::steady_clock;
    thread_local Steady::time_point lidoEm;
    thread_local QDateTime lido;
    thread_local qint64 lidoCom = 0; // the offset `lido` was shifted by
    const Steady::time_point agora = Steady::now();
    const qint64 offset = offsetSecs.load();
    if (!lido.isValid() || agora - lidoEm >= std::chrono::seconds(5) || offset != lidoCom) {
        lido = shifted(QDateTime::currentDateTime(), offset);
        lidoEm = agora;
        lidoCom = offset;
    }
    return lido;
}

QDate today()
{
    return now().date();
}

qint64 serverOffsetSecs()
{
    return offsetSecs.load();
}

void setServerOffsetSecs(qint64 secs)
{
    offsetSecs.store(secs);
}

void setSourceForTesting(std::function<QDateTime()> s)
{
    source() = std::move(s);
    offsetSecs.store(0);
}

} // namespace LocalClock
