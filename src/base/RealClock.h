#pragma once
// The clock of the machine: the PC's wall clock, the steady clock, and waits
// in real time.

#include "base/Clock.h"

#include <QDateTime>
#include <mutex>

class RealClock : public Clock {
public:
    QDateTime pcNow() const override;
    qint64 monotonicMs() const override;
    bool waitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, qint64 ms,
                 const std::function<bool()>& done) override;
    // The PC's time is read at most once in five seconds and kept in between.
    QDateTime nowCoarse() const override;

private:
    mutable std::mutex m_coarseMutex;
    mutable QDateTime m_coarse; // now() as last read
    mutable qint64 m_coarseAt = 0; // monotonic ms of that read
    mutable qint64 m_coarseOffset = 0; // the server difference it holds
};
