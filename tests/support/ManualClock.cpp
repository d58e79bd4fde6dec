#include "support/ManualClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <chrono>

ManualClock::ManualClock(const QDateTime& pcStart) : m_pcAt(pcStart)
{}

QDateTime ManualClock::pcNow() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pcAt.addMSecs(m_ms.load() - m_pcSetMs);
}

void ManualClock::setPcNow(const QDateTime& pc)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pcAt = pc;
    m_pcSetMs = m_ms.load();
}

// A wait looks at the clock in short real-time slices as well as when it is
// notified: a notice that comes between its look and its sleep is not lost.
bool ManualClock::waitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, qint64 ms,
                          const std::function<bool()>& done)
{
    if (done())
        return true;
    if (ms <= 0)
        return false;
    std::multimap<qint64, std::condition_variable*>::iterator entry;
    const qint64 deadline = m_ms.load() + ms;
    {
        std::lock_guard<std::mutex> own(m_mutex);
        entry = m_waits.emplace(deadline, &wake);
    }
    while (!done() && m_ms.load() < deadline)
        wake.wait_for(lock, std::chrono::milliseconds(5));
    {
        std::lock_guard<std::mutex> own(m_mutex);
        m_waits.erase(entry);
    }
    return done();
}

void ManualClock::advance(qint64 ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ms += qMax<qint64>(0, ms);
    for (const auto& wait : m_waits)
        wait.second->notify_all();
}

int ManualClock::waiting() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_waits.size());
}

bool ManualClock::advanceToNextDeadline()
{
    qint64 step = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_waits.empty())
            return false;
        step = m_waits.begin()->first - m_ms.load();
    }
    advance(step);
    return true;
}

bool ManualClock::runUntil(const std::function<bool()>& until, int realMs)
{
    QElapsedTimer real;
    real.start();
    while (!until()) {
        if (real.elapsed() > realMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (!until() && !advanceToNextDeadline())
            QThread::usleep(200);
    }
    return true;
}
