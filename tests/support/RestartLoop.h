#pragma once
// Stands in for the service manager of a kiosk: starts the program, and
// starts it again a fixed delay after each end, for as long as the test
// polls. It also keeps an eye on the program's message boxes, to tell how
// long each stayed on the screen.

#include "support/E2eProgram.h"

#include <QElapsedTimer>
#include <QHash>

namespace e2e {

class RestartLoop {
public:
    explicit RestartLoop(Program& program, int delayMs = 10000);

    void start();
    // Restarts the program when its delay has passed, and looks at the boxes.
    void poll();
    // Polls for `ms` milliseconds.
    void wait(int ms);

    int starts() const { return m_starts; }
    int ends() const { return m_exitCodes.size(); }
    QList<int> exitCodes() const { return m_exitCodes; }
    // Standard error of every run so far.
    QString errors();
    // The running program's process id, 0 between runs.
    qint64 pid() const { return m_program.running() ? m_program.pid() : 0; }
    // The longest time a box was seen on the screen, ms, and its title.
    qint64 longestBoxMs() const { return m_longestBoxMs; }
    QString longestBox() const { return m_longestBox; }

private:
    void watchBoxes();

    Program& m_program;
    int m_delayMs;
    int m_starts = 0;
    QList<int> m_exitCodes;
    QString m_errors;
    bool m_waitingForRestart = false;
    QElapsedTimer m_ended;
    QElapsedTimer m_clock;
    QHash<QString, qint64> m_boxFirstSeen; // window id -> first seen, ms on m_clock
    qint64 m_longestBoxMs = 0;
    QString m_longestBox;
};

} // namespace e2e
