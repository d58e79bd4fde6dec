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
    // lock held, as with std::condition_variable::wait_for. Whoever makes
    // `done` true notifies `wake`: that is how a stop request cuts it short.
    virtual bool waitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, qint64 ms,
                         const std::function<bool()>& done) = 0;

    // The longest a timer on this clock may rest before it reads the clock
    // again; 0 when the clock follows real time and a timer can rest until
    // its moment.
    virtual int timerSliceMs() const { return 0; }

    // now() to within a few seconds, for callers that ask very often (every
    // message of the loop) and need minutes.
    virtual QDateTime nowCoarse() const { return now(); }

    // The program's wall time: pcNow() plus the server difference.
    QDateTime now() const;
    QDate today() const { return now().date(); }
    // The server's time minus the PC's, in whole seconds; 0 while the PC's
    // clock follows the server (or before the first measurement).
    qint64 serverOffsetSecs() const;
    void setServerOffsetSecs(qint64 secs);

    // Sleeps `ms` of this clock's time; nothing cuts it short.
    void sleepFor(qint64 ms);

private:
    std::atomic<qint64> m_offsetSecs{0};
};

// The clock the program runs on: the real one, created on first use, unless
// a test has put another in its place. Classes take a Clock& (defaulting to
// this one); code too deep to be handed one reads it here.
Clock& programClock();
// Puts `clock` in the program clock's place; null brings the real one back.
void setProgramClock(Clock* clock);
