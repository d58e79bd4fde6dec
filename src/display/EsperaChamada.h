#pragma once
// The rows a pass still has to show, and the walker's wait after each call.
//
// Plain, the wait is a sleep of the per-call time. With spoken calls on, a
// call also stays until its announcement (chime and phrase) has ended, so no
// later call cuts it. With immediate calls on, the wait re-reads the called
// tickets once a second and ends early when a ticket new to the screen is
// among them; that ticket is shown next, then the pass goes on. With both on,
// every ticket new to the screen, one read at the start of a pass as much as
// one read during a wait, goes ahead of the rest in the query's order and is
// shown as soon as the announcement before it has ended.

#include "base/Clock.h"
#include "display/DisplayGate.h"
#include "display/TicketQuery.h"

#include <QDate>
#include <QSet>

class EsperaChamada {
public:
    struct Modo {
        bool imediata = false; // new calls at once
        bool voz = false; // hold a call until its announcement has ended
        int intervalo = 1000; // ms between re-reads while waiting
        int anuncioMaximo = 20000; // ms a call waits for its announcement at most
    };

    // The waits are measured on `clock`.
    EsperaChamada(CalledTicketSource& source, DisplayLink& display, const Modo& modo, Clock& clock = programClock());

    // A new pass with the rows it read for `data`.
    void novaPassagem(const QList<TicketRow>& rows, const QDate& data);

    bool temProxima() const { return !m_fila.isEmpty(); }
    TicketRow proxima();

    // The wait after a call has been shown: `ms` milliseconds (none when 0
    // or less), shortened and lengthened as the settings say. Tickets new to
    // the screen found meanwhile are queued to come next. Throws
    // DisplayClosed when the window goes, and the query's failures.
    void espera(int ms);

private:
    static QString chave(const TicketRow& row);
    // Queues the rows not seen before, after the new ones already queued,
    // and drops the queued rows whose call has ended.
    void acrescentaNovas(const QList<TicketRow>& rows);
    bool anuncioTerminou(int ms);

    CalledTicketSource& m_source;
    DisplayLink& m_display;
    Clock& m_clock;
    Modo m_modo;
    QDate m_data;
    QList<TicketRow> m_fila;
    int m_novasNaFila = 0; // how many rows at the head of m_fila are new calls
    QSet<QString> m_vistas;
    bool m_primeira = true;
};
