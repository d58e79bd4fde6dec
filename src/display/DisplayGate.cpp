#include "display/DisplayGate.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <future>

void DisplayLink::call(const std::function<void(DisplayView&)>& change)
{
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> result = done->get_future();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_closed)
            throw DisplayClosed();
        if (QThread::currentThread() != m_gate->thread()) {
            // Posted while the lock keeps the gate alive. Should the gate be
            // destroyed before the change runs, Qt drops the posted call and
            // with it the last reference to the promise, which releases the
            // wait below.
            DisplayLink* self = this;
            QMetaObject::invokeMethod(
                m_gate,
                [self, done, change]() {
                    if (self->isClosed()) {
                        done->set_exception(std::make_exception_ptr(DisplayClosed()));
                        return;
                    }
                    try {
                        change(*self->m_view);
                        done->set_value();
                    } catch (...) {
                        done->set_exception(std::current_exception());
                    }
                },
                Qt::QueuedConnection);
            done.reset();
        }
    }
    // On the window thread itself the gate cannot close meanwhile.
    if (done) {
        change(*m_view);
        return;
    }
    try {
        result.get();
    } catch (const std::future_error&) {
        throw DisplayClosed();
    }
}

bool DisplayLink::sleepFor(int ms)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (ms > 0)
        m_clock->waitFor(lock, m_wake, ms, [this] { return m_closed; });
    return !m_closed;
}

bool DisplayLink::isClosed() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_closed;
}

void DisplayLink::close()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closed = true;
    }
    m_wake.notify_all();
}

DisplayGate::DisplayGate(DisplayView& view, QObject* parent, Clock& clock)
    : QObject(parent), m_link(std::make_shared<DisplayLink>())
{
    m_link->m_gate = this;
    m_link->m_view = &view;
    m_link->m_clock = &clock;
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &DisplayGate::close);
}

DisplayGate::~DisplayGate()
{
    close();
}

void DisplayGate::close()
{
    m_link->close();
}
