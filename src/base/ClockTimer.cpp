#include "base/ClockTimer.h"

#include <limits>

ClockTimer::ClockTimer(Clock& clock, QObject* parent) : QObject(parent), m_clock(clock)
{
    m_rest.setSingleShot(true);
    connect(&m_rest, &QTimer::timeout, this, &ClockTimer::check);
}

void ClockTimer::setInterval(int ms)
{
    m_interval = qMax(0, ms);
    if (m_active)
        start();
}

void ClockTimer::start()
{
    m_active = true;
    m_due = m_clock.monotonicMs() + m_interval;
    arm();
}

void ClockTimer::start(int ms)
{
    m_interval = qMax(0, ms);
    start();
}

void ClockTimer::stop()
{
    m_active = false;
    m_rest.stop();
}

void ClockTimer::arm()
{
    if (m_firing)
        return;
    const qint64 left = qMax<qint64>(0, m_due - m_clock.monotonicMs());
    const int slice = m_clock.timerSliceMs();
    m_rest.start(int(slice > 0 ? qMin<qint64>(left, slice) : qMin<qint64>(left, std::numeric_limits<int>::max())));
}

// Rearmed only after the handler has returned (even when it changes the
// interval): like a QTimer, the timer does not fire again while its own
// handler runs a loop of its own.
void ClockTimer::check()
{
    if (!m_active)
        return;
    if (m_clock.timerSliceMs() == 0 || m_clock.monotonicMs() >= m_due) {
        m_due = m_clock.monotonicMs() + m_interval;
        m_firing = true;
        Q_EMIT timeout();
        m_firing = false;
    }
    if (m_active)
        arm();
}
