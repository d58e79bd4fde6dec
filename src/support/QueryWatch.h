#pragma once
// A watch on a database query that may never come back: the query marks
// when it starts and ends (from any thread), and a timer on the window
// thread calls `onFrozen`, once, when one has run longer than the limit.

#include "base/Clock.h"

#include "base/ClockTimer.h"
#include <QObject>
#include <atomic>
#include <functional>

class QueryClock {
public:
    explicit QueryClock(Clock& clock = programClock()) : m_clock(clock) {}

    // Marks a query in progress for its lifetime.
    class Running {
    public:
        explicit Running(QueryClock& clock) : m_clock(clock) { m_clock.begin(); }
        ~Running() { m_clock.end(); }
        Running(const Running&) = delete;
        Running& operator=(const Running&) = delete;

    private:
        QueryClock& m_clock;
    };

    void begin();
    void end();
    // How long the query in progress has run, ms; -1 when none runs.
    qint64 runningForMs() const;

private:
    Clock& m_clock;
    std::atomic<qint64> m_since{-1}; // monotonic ms
};

class FrozenQueryWatch : public QObject {
    Q_OBJECT
public:
    // Looks every `checkEveryMs` of `clock`.
    FrozenQueryWatch(std::function<qint64()> runningForMs, int limitMs, std::function<void()> onFrozen,
                     QObject* parent = nullptr, int checkEveryMs = 1000, Clock& clock = programClock());

private:
    void check();

    std::function<qint64()> m_runningForMs;
    int m_limitMs;
    std::function<void()> m_onFrozen;
    ClockTimer m_timer;
};
