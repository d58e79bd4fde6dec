#include "display/WalkerControl.h"

#include <condition_variable>
#include <mutex>

namespace {

// Walker threads started and not yet ended, in the whole process.
struct RunningWalkers {
    std::mutex mutex;
    std::condition_variable ended;
    int count = 0;
};

RunningWalkers& runningWalkers()
{
    static RunningWalkers running;
    return running;
}

} // namespace

bool WalkerControl::waitForAllWalkers(int ms, Clock& clock)
{
    RunningWalkers& running = runningWalkers();
    std::unique_lock<std::mutex> lock(running.mutex);
    return clock.waitFor(lock, running.ended, ms, [&running] { return running.count == 0; });
}

WalkerControl::WalkerControl(WalkerSetup setup, QObject* parent) : QObject(parent), m_setup(std::move(setup))
{}

void WalkerControl::startWalker()
{
    if (!m_current) {
        launch();
        return;
    }
    // The old walker may already have seen a stop request, or failed, and be
    // on its way out; then a new one starts when it has ended. One that goes
    // on (it had not seen the request yet) keeps serving this activation.
    m_restartWanted = true;
    m_requestAfterEnd = m_requestAfterEnd || m_current->fim() != ThChamaSenha::Fim::Rodando;
}

void WalkerControl::launch()
{
    auto* walker = new ThChamaSenha(m_setup);
    m_current = walker;
    // Queued to the window thread, so the next walker starts only after this
    // one's body has returned. The walker frees itself afterwards.
    QPointer<ThChamaSenha> ended(walker);
    connect(
        walker, &QThread::finished, this, [this, ended] { walkerEnded(ended); }, Qt::QueuedConnection);
    connect(walker, &QThread::finished, walker, &QObject::deleteLater);
    {
        std::lock_guard<std::mutex> lock(runningWalkers().mutex);
        ++runningWalkers().count;
    }
    // Runs on the walker's thread as its last act.
    connect(
        walker, &QThread::finished, walker,
        [] {
            RunningWalkers& running = runningWalkers();
            {
                std::lock_guard<std::mutex> lock(running.mutex);
                --running.count;
            }
            running.ended.notify_all();
        },
        Qt::DirectConnection);
    Q_EMIT walkerCreated(walker);
    // Its priority is lowered by the walker itself: Qt's thread priorities
    // change nothing for ordinary threads on Linux.
    walker->start();
}

void WalkerControl::walkerEnded(ThChamaSenha* walker)
{
    if (!walker || walker != m_current)
        return;
    const ThChamaSenha::Fim fim = walker->fim();
    // A failure ends the walker for good unless the window was activated
    // after it; a window that is gone gets no new walker.
    const bool restart = m_restartWanted && !m_setup.stopRequested->load()
        && (fim == ThChamaSenha::Fim::Parada || (fim == ThChamaSenha::Fim::Falha && m_requestAfterEnd));
    m_current = nullptr;
    m_restartWanted = false;
    m_requestAfterEnd = false;
    if (restart)
        launch();
}
