#include "support/RestartLoop.h"

#include <QtTest>

namespace e2e {

namespace {
// Boxes of the program: the "VARLO" boxes and the plain and fatal ones.
const QString BoxNames = QStringLiteral("^(VARLO|Monitor de Senhas)$");
} // namespace

RestartLoop::RestartLoop(Program& program, int delayMs) : m_program(program), m_delayMs(delayMs)
{
    m_clock.start();
}

void RestartLoop::start()
{
    m_program.start();
    ++m_starts;
    m_waitingForRestart = false;
}

void RestartLoop::poll()
{
    if (!m_waitingForRestart && !m_program.running()) {
        m_errors += m_program.errorOutput();
        m_exitCodes.append(m_program.process().exitStatus() == QProcess::NormalExit ? m_program.process().exitCode()
                                                                                    : -1);
        m_waitingForRestart = true;
        m_ended.start();
    }
    if (m_waitingForRestart && m_ended.elapsed() >= m_delayMs)
        start();
    watchBoxes();
}

void RestartLoop::wait(int ms)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms) {
        poll();
        QTest::qWait(250);
    }
}

QString RestartLoop::errors()
{
    return m_errors + (m_waitingForRestart ? QString() : m_program.errorOutput());
}

void RestartLoop::watchBoxes()
{
    const qint64 now = m_clock.elapsed();
    const QStringList shown = pid() ? windowsNamed(BoxNames, pid()) : QStringList();
    for (const QString& box : shown) {
        const qint64 first = m_boxFirstSeen.value(box, -1);
        if (first < 0) {
            m_boxFirstSeen.insert(box, now);
        } else if (now - first > m_longestBoxMs) {
            m_longestBoxMs = now - first;
            m_longestBox = xdotool({QStringLiteral("getwindowname"), box}).value(0);
        }
    }
    for (auto it = m_boxFirstSeen.begin(); it != m_boxFirstSeen.end();)
        it = shown.contains(it.key()) ? std::next(it) : m_boxFirstSeen.erase(it);
}

} // namespace e2e
