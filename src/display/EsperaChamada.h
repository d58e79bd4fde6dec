#pragma once
// The walker's per-call wait. With immediate calls on, the wait re-reads the
// called tickets once a second and ends early as soon as a ticket that this
// pass has not seen is among them: the walker shows that ticket next, then
// goes on with the rows still to come. Off, it is a plain sleep.

#include "display/DisplayGate.h"
#include "display/TicketQuery.h"

#include <QDate>
#include <QSet>

class EsperaChamada {
public:
    EsperaChamada(CalledTicketSource& source, DisplayLink& display, bool imediata, int intervalo = 1000);

    // A new pass: the rows it read for `data` are the tickets it has seen.
    void novaPassagem(const QList<TicketRow>& rows, const QDate& data);

    // Waits `ms` milliseconds (none when 0 or less). Returns the tickets
    // called meanwhile that this pass had not seen, in the query's order,
    // and counts them as seen; empty when the wait ran its whole time.
    // Throws DisplayClosed when the window goes, and the query's failures.
    QList<TicketRow> espera(int ms);

private:
    static QString chave(const TicketRow& row);

    CalledTicketSource& m_source;
    DisplayLink& m_display;
    bool m_imediata;
    int m_intervalo;
    QDate m_data;
    QSet<QString> m_vistas;
};
