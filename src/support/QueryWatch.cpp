#include "support/QueryWatch.h"

#include "base/SegundosInteiros.h"

#include <chrono>

namespace {

qint64 monotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

void QueryClock::begin()
{
    m_since = monotonicMs();
}

void QueryClock::end()
{
    m_since = -1;
}

qint64 QueryClock::runningForMs() const
{
    const qint64 since = m_since.load();
    return since < 0 ? -1 : monotonicMs() - since;
}

FrozenQueryWatch::FrozenQueryWatch(std::function<qint64()> runningForMs, int limitMs,
                                   std::function<void()> onFrozen, QObject* parent, int checkEveryMs)
    : QObject(parent), m_runningForMs(std::move(runningForMs)), m_limitMs(limitMs), m_onFrozen(std::move(onFrozen))
{
    m_timer.setInterval(checkEveryMs);
    alinhaAoSegundo(m_timer, checkEveryMs);
    connect(&m_timer, &QTimer::timeout, this, &FrozenQueryWatch::check);
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
