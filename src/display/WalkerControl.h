#pragma once
// Starts call walkers for the display window and keeps the one-walker rule:
// never two walkers at once, and after startWalker() (with the stop flag
// false) a walker is running or will run as soon as the old one has ended.
// Lives on the window thread.

#include "display/ChamaSenha.h"

#include <QObject>
#include <QPointer>

class WalkerControl : public QObject {
    Q_OBJECT
public:
    explicit WalkerControl(WalkerSetup setup, QObject* parent = nullptr);

    // Called at each activation of the window, after clearing the stop flag.
    void startWalker();

    // The walker whose body has not ended yet, or null.
    ThChamaSenha* current() const { return m_current; }

    // Waits at most `ms` of `clock` for the threads of every walker started
    // in this process to end; true when none runs any more.
    static bool waitForAllWalkers(int ms, Clock& clock = programClock());

Q_SIGNALS:
    // Emitted just before a new walker starts.
    void walkerCreated(ThChamaSenha* walker);

private:
    void launch();
    void walkerEnded(ThChamaSenha* walker);

    WalkerSetup m_setup;
    QPointer<ThChamaSenha> m_current;
    bool m_restartWanted = false;
    bool m_requestAfterEnd = false; // a request came after the walker began to end
};
