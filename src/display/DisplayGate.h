#pragma once
// Hand-off of display changes from the call walker to the window thread.
//
// The window owns a DisplayGate (a QObject living on the window thread). The
// walker keeps only the gate's DisplayLink, which outlives the gate: once the
// gate is closed (explicitly, when the application quits, or when the gate is
// destroyed) nothing handed over runs any more, a waiting walker is released
// with DisplayClosed, and a sleeping walker wakes up. So a walker that outlives
// the window never touches it.

#include "base/Clock.h"
#include "display/DisplayView.h"

#include <QObject>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class DisplayGate;

// Raised in the walker when the window is gone; the walker ends quietly.
struct DisplayClosed {};

class DisplayLink {
public:
    // Runs `change` on the window thread and waits until it has run. A failure
    // inside it is raised again here. Throws DisplayClosed when the gate is
    // closed before or while the change waits.
    void call(const std::function<void(DisplayView&)>& change);

    // Sleeps `ms` milliseconds of the gate's clock (none when negative);
    // returns early, with false, when the gate closes.
    bool sleepFor(int ms);

    bool isClosed() const;

private:
    friend class DisplayGate;
    void close();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_closed = false;
    DisplayGate* m_gate = nullptr;
    DisplayView* m_view = nullptr;
    Clock* m_clock = nullptr;
};

class DisplayGate : public QObject {
    Q_OBJECT
public:
    DisplayGate(DisplayView& view, QObject* parent = nullptr, Clock& clock = programClock());
    ~DisplayGate() override;

    // Window thread. After it returns no handed-over change runs any more.
    void close();

    std::shared_ptr<DisplayLink> link() const { return m_link; }

private:
    std::shared_ptr<DisplayLink> m_link;
};
