#include "support/QueryWatch.h"

#include "base/SegundosInteiros.h"

void QueryClock::begin()
{
    m_since = m_clock.monotonicMs();
}

void QueryClock::end()
{
    m_since = -1;
}

qint64 QueryClock::runningForMs() const
{
    const qint64 since = m_since.load();
    return since < 0 ? -1 : m_clock.monotonicMs() - since;
}

FrozenQueryWatch::FrozenQueryWatch(std::function<qint64()> runningForMs, int limitMs, std::function<void()> onFrozen,
                                   QObject* parent, int checkEveryMs, Clock& clock)
    : QObject(parent)
    , m_runningForMs(std::move(runningForMs))
    , m_limitMs(limitMs)
    , m_onFrozen(std::move(onFrozen))
    , m_timer(clock)
{
    m_timer.setInterval(checkEveryMs);
    alinhaAoSegundo(m_timer, checkEveryMs);
    connect(&m_timer, &ClockTimer::timeout, this, &FrozenQueryWatch::check);
    m_timer.start();
}

void FrozenQueryWatch::check()
{
    if (m_runningForMs() <= m_limitMs)
        return;
    // Once: the reaction ends the process, and its box runs timers meanwhile.
    m_timer.stop();
    m_onFrozen();
}
