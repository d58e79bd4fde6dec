#pragma once
// The call walker: a background thread that, pass after pass, blanks the
// current call, waits, re-reads the called tickets and shows each for the
// per-call time, keeping a four-slot history. Every display change runs on
// the window thread through the DisplayGate, and the walker waits for it.

#include "display/DisplayGate.h"
#include "display/DisplayView.h"
#include "display/TicketQuery.h"

#include <QDate>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

// What a walker needs. The two readers are called on the walker thread while
// the gate is open; they must only read (DataDoDia, the per-call time).
struct WalkerSetup {
    std::shared_ptr<CalledTicketSource> source;
    std::shared_ptr<DisplayLink> display;
    std::atomic<bool>* pararChamadas = nullptr; // the window's stop flag
    std::function<QDate()> dataDoDia;
    std::function<int()> tempoSenha;            // per-call time in ms
    int pausaEntrePassagens = 1000;             // blank time between passes, ms
    // When set, a lost database connection goes here, on the window thread,
    // with the failure's message, instead of the walker's plain box.
    std::function<void(const QString&)> conexaoPerdida;
    // New calls at once: the per-call wait re-reads the tickets every
    // intervaloReleitura ms and a new one is shown next.
    bool chamadaImediata = false;
    int intervaloReleitura = 1000;
};

// The call sound of the installation.
QString somDaChamada();

// The desk number of the big desk panel: the text after the last blank of
// the desk text, trimmed; a text without blank, trimmed whole.
QString numeroDaMesa(const QString& mesa);

class ThChamaSenha : public QThread {
    Q_OBJECT
public:
    enum class Fim { Rodando, Parada, Falha, JanelaFechada };

    explicit ThChamaSenha(WalkerSetup setup, QObject* parent = nullptr);

    // Why the body ended; Rodando while it runs.
    Fim fim() const { return m_fim.load(); }

    // The body of the display update; window thread only, while the walker
    // that handed it over waits.
    void AtualizaTelaNaJanela(DisplayView& view);

    TChamadaSenha Atual;
    TChamadaSenha Historico[4]; // slot 1 is Historico[0]
    QString UltimaSenhaAnunciada;
    int ContadorAtualizacoes = 0;

protected:
    void run() override;

private:
    void Execute();
    void AtualizaTela();
    void mostraChamada(const TicketRow& row);

    WalkerSetup m_setup;
    std::atomic<Fim> m_fim{Fim::Rodando};
};
