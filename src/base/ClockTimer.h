#pragma once
// A repeating timer on the program's Clock, used like a QTimer: it fires
// once `interval` ms of the clock's monotonic time have passed, on the thread
// it lives on, whatever event loop runs there. On a clock that follows real
// time it is a plain QTimer; on one that does not (a test's), it looks at the
// clock every few milliseconds, so moving that clock on fires it.

#include "base/Clock.h"

#include <QObject>
#include <QTimer>

class ClockTimer : public QObject {
    Q_OBJECT
public:
    explicit ClockTimer(Clock& clock = programClock(), QObject* parent = nullptr);

    // On an active timer the new interval counts from now, as with QTimer.
    void setInterval(int ms);
    int interval() const { return m_interval; }
    void start();
    void start(int ms);
    void stop();
    bool isActive() const { return m_active; }
    void setTimerType(Qt::TimerType type) { m_rest.setTimerType(type); }

Q_SIGNALS:
    void timeout();

private:
    void arm();
    void check();

    Clock& m_clock;
    QTimer m_rest;
    int m_interval = 0;
    qint64 m_due = 0; // monotonic ms
    bool m_active = false;
    bool m_firing = false; // the handler runs
};
