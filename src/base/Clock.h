#pragma once
// The one clock of the program: every read of the time and every wait goes
// through it, so that tests can drive time with a manual clock instead of
// waiting for it.
//
// Wall time is the PC's clock moved by the measured difference to the
// database server's clock (where the PC's clock could not be set from the
// server, the program still runs on the server's date and time). Monotonic
// time is for durations and deadlines; it never jumps.

#include <QDateTime>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

class Clock {
public:
    virtual ~Clock() = default;

    // The PC's own wall clock, without the difference to the server.
    virtual QDateTime pcNow() const = 0;
    // Milliseconds since an arbitrary start; never goes back.
    virtual qint64 monotonicMs() const = 0;

    // Waits on `wake` with `lock` held until `done` is true or `ms` of
    // monotonic time have passed; returns done(). `done` is read with the
    // lock held, as with std::condition_variable::wait_for.
    virtual bool waitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, qint64 ms,
                         const std::function<bool()>& done) = 0;

    // The program's wall time: pcNow() plus the server difference.
    QDateTime now() const;
    QDate today() const { return now().date(); }
    qint64 serverOffsetSecs() const;
    void setServerOffsetSecs(qint64 secs);

private:
    std::atomic<qint64> m_offsetSecs{0};
};
