#pragma once
// The call walker: a background thread that, pass after pass, blanks the
// current call, waits, re-reads the called tickets and shows each for the
// per-call time, keeping a four-slot history. Every display change runs on
// the window thread through the DisplayGate, and the walker waits for it.

#include "base/Clock.h"
#include "display/DisplayGate.h"
#include "display/DisplayView.h"
#include "display/QuadroChamadas.h"
#include "display/TicketQuery.h"

#include <QDate>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

// What a walker needs. The stop request and the per-call time are shared
// with the session, which may change them at any moment; the walker reads
// them afresh before each use. referenceDate (DataDoDia) is called on the
// walker thread.
struct WalkerSetup {
    std::shared_ptr<CalledTicketSource> source;
    std::shared_ptr<DisplayLink> display;
    // PararChamadas
    std::shared_ptr<std::atomic<bool>> stopRequested = std::make_shared<std::atomic<bool>>(false);
    // TEMPOSENHA, ms
    std::shared_ptr<std::atomic<int>> perCallMs = std::make_shared<std::atomic<int>>(0);
    std::function<QDate()> referenceDate;
    int blankMs = 1000; // blank time between passes
    // When set, a lost database connection goes here, on the window thread,
    // with the failure's message, instead of the walker's plain box.
    std::function<void(const QString&)> onLostConnection;
    // New calls at once: the per-call wait re-reads the tickets every
    // rereadMs and a new one is shown next.
    bool immediateCalls = false;
    int rereadMs = 1000;
    // Spoken calls: a call stays on the big panel until its announcement has
    // ended, waiting announcementMaxMs for it at most.
    bool spoken = false;
    int announcementMaxMs = 20000;
    // What the walker measures its waits with; the gate's link sleeps on
    // the same clock.
    Clock* clock = &programClock();
};

class ThChamaSenha : public QThread {
    Q_OBJECT
public:
    enum class Fim { Rodando, Parada, Falha, JanelaFechada };

    explicit ThChamaSenha(WalkerSetup setup, QObject* parent = nullptr);

    // Why the body ended; Rodando while it runs.
    Fim fim() const { return m_fim.load(); }

    // The calls on the screen; read it only once the walker has ended.
    const QuadroChamadas& quadro() const { return m_quadro; }

protected:
    void run() override;

private:
    void Execute();
    void mostraChamada(const TicketRow& row);
    bool parar() const;

    WalkerSetup m_setup;
    QuadroChamadas m_quadro;
    std::atomic<Fim> m_fim{Fim::Rodando};
};
