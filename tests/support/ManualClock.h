#pragma once
// Clocks for tests. ManualClock stands still until the test moves it on;
// every wait on it ends by the clock's time, not by real time. ShiftedClock
// is the real clock with the PC's clock put ahead or behind. UseClock makes
// either the program's clock for its lifetime.

#include "base/Clock.h"
#include "base/RealClock.h"

#include <QDateTime>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>

class ManualClock : public Clock {
public:
    explicit ManualClock(const QDateTime& pcStart = QDateTime(QDate(2024, 3, 15), QTime(10, 0)));

    QDateTime pcNow() const override;
    qint64 monotonicMs() const override { return m_ms.load(); }
    bool waitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, qint64 ms,
                 const std::function<bool()>& done) override;
    int timerSliceMs() const override { return 2; }

    // Moves both clocks on and wakes the waits.
    void advance(qint64 ms);
    // Sets the PC's wall clock; monotonic time goes on from where it is.
    void setPcNow(const QDateTime& pc);

    // How many threads wait on this clock now.
    int waiting() const;
    // When a thread waits, moves time to the earliest end of a wait and
    // returns true.
    bool advanceToNextDeadline();
    // Runs the calling thread's events until `until` holds, and lets time
    // pass only while some thread waits on this clock: each wait lasts its
    // full time at once. False when `until` does not hold within `realMs`.
    bool runUntil(const std::function<bool()>& until, int realMs = 10000);

private:
    mutable std::mutex m_mutex;
    // Monotonic time starts an hour in: 0 is no moment for the code that
    // takes it for "none".
    static constexpr qint64 StartMs = 3600 * 1000;
    std::atomic<qint64> m_ms{StartMs};
    QDateTime m_pcAt; // the PC's clock at m_pcSetMs
    qint64 m_pcSetMs = StartMs;
    std::multimap<qint64, std::condition_variable*> m_waits; // deadline -> what to notify
};

class ShiftedClock : public RealClock {
public:
    explicit ShiftedClock(qint64 pcAheadSecs = 0) : m_secs(pcAheadSecs) {}
    QDateTime pcNow() const override { return RealClock::pcNow().addSecs(m_secs); }
    void setPcAheadSecs(qint64 secs) { m_secs = secs; }

private:
    std::atomic<qint64> m_secs;
};

// The real clock back as the program's, without a difference to the server.
inline void useRealClock()
{
    setProgramClock(nullptr);
    programClock().setServerOffsetSecs(0);
}

class UseClock {
public:
    explicit UseClock(Clock& clock) { setProgramClock(&clock); }
    ~UseClock() { useRealClock(); }
    UseClock(const UseClock&) = delete;
    UseClock& operator=(const UseClock&) = delete;
};
