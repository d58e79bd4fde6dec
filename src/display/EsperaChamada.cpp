#include "display/EsperaChamada.h"

#include <QElapsedTimer>

EsperaChamada::EsperaChamada(CalledTicketSource& source, DisplayLink& display, bool imediata, int intervalo)
    : m_source(source), m_display(display), m_imediata(imediata), m_intervalo(qMax(1, intervalo))
{
}

// A ticket is its letter and number; the same ticket called again to another
// desk is not a new call.
QString EsperaChamada::chave(const TicketRow& row)
{
    return row.SIGLA_SENHA.toString() + QLatin1Char('-') + row.NUMERO_SENHA.toString();
}

void EsperaChamada::novaPassagem(const QList<TicketRow>& rows, const QDate& data)
{
    m_data = data;
    m_vistas.clear();
    for (const TicketRow& row : rows)
        m_vistas.insert(chave(row));
}

QList<TicketRow> EsperaChamada::espera(int ms)
{
    if (!m_imediata || ms <= 0) {
        if (!m_display.sleepFor(ms))
            throw DisplayClosed();
        return {};
    }

    QElapsedTimer relogio;
    relogio.start();
    for (;;) {
        const qint64 resta = qMax<qint64>(0, ms - relogio.elapsed());
        if (!m_display.sleepFor(int(qMin<qint64>(m_intervalo, resta))))
            throw DisplayClosed();
        // The source takes the connection's lock for the read; nothing here
        // waits for the window thread meanwhile.
        QList<TicketRow> novas;
        for (const TicketRow& row : m_source.open(m_data)) {
            if (!m_vistas.contains(chave(row))) {
                m_vistas.insert(chave(row));
                novas.append(row);
            }
        }
        if (!novas.isEmpty() || relogio.elapsed() >= ms)
            return novas;
    }
}
