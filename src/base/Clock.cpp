#include "base/Clock.h"

#include "base/RealClock.h"

#include <chrono>

QDateTime Clock::now() const
{
    const qint64 offset = m_offsetSecs.load();
    const QDateTime pc = pcNow();
    return offset == 0 ? pc : pc.addSecs(offset);
}

qint64 Clock::serverOffsetSecs() const
{
    return m_offsetSecs.load();
}

void Clock::setServerOffsetSecs(qint64 secs)
{
    m_offsetSecs.store(secs);
}

void Clock::sleepFor(qint64 ms)
{
    std::mutex mutex;
    std::condition_variable never;
    std::unique_lock<std::mutex> lock(mutex);
    waitFor(lock, never, ms, [] { return false; });
}

namespace {
std::atomic<Clock*> installed{nullptr};
}

Clock& programClock()
{
    static RealClock real;
    Clock* clock = installed.load();
    return clock ? *clock : real;
}

void setProgramClock(Clock* clock)
{
    installed.store(clock);
}

QDateTime RealClock::pcNow() const
{
    return QDateTime::currentDateTime();
}

qint64 RealClock::monotonicMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool RealClock::waitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, qint64 ms,
                        const std::function<bool()>& done)
{
    return wake.wait_for(lock, std::chrono::milliseconds(qMax<qint64>(0, ms)), done);
}

QDateTime RealClock::nowCoarse() const
{
    const qint64 at = monotonicMs();
    const qint64 offset = serverOffsetSecs();
    std::lock_guard<std::mutex> lock(m_coarseMutex);
    if (!m_coarse.isValid() || at - m_coarseAt >= 5000 || offset != m_coarseOffset) {
        m_coarse = now();
        m_coarseAt = at;
        m_coarseOffset = offset;
    }
    return m_coarse;
}
