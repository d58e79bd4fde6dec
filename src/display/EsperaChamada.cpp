#include "display/EsperaChamada.h"

#include "platform/Platform.h"

namespace {

// While a call waits for its announcement, the window's closing is looked at
// this often.
constexpr int PassoAnuncio = 200;

} // namespace

EsperaChamada::EsperaChamada(CalledTicketSource& source, DisplayLink& display, const Modo& modo, Clock& clock)
    : m_source(source), m_display(display), m_clock(clock), m_modo(modo)
{
    m_modo.intervalo = qMax(1, m_modo.intervalo);
}

// A ticket is its letter and number; the same ticket called again to another
// desk is not a new call.
QString EsperaChamada::chave(const TicketRow& row)
{
    return row.SIGLA_SENHA.toString() + QLatin1Char('-') + row.NUMERO_SENHA.toString();
}

void EsperaChamada::novaPassagem(const QList<TicketRow>& rows, const QDate& data)
{
    // A new day starts afresh.
    if (data != m_data)
        m_vistas.clear();
    m_data = data;
    m_fila.clear();
    m_novasNaFila = 0;
    const bool adiante = m_modo.imediata && m_modo.voz && !m_primeira;
    m_primeira = false;
    if (!adiante) {
        // The tickets of this pass are the ones it has seen: only a ticket
        // called during a wait is new.
        m_vistas.clear();
        for (const TicketRow& row : rows)
            m_vistas.insert(chave(row));
        m_fila = rows;
        return;
    }
    // The tickets new to the screen first, then the rest, each in the query's order.
    QList<TicketRow> vistas;
    for (const TicketRow& row : rows)
        if (m_vistas.contains(chave(row)))
            vistas.append(row);
    acrescentaNovas(rows);
    m_fila += vistas;
}

TicketRow EsperaChamada::proxima()
{
    if (m_novasNaFila > 0)
        --m_novasNaFila;
    return m_fila.takeFirst();
}

void EsperaChamada::acrescentaNovas(const QList<TicketRow>& rows)
{
    QSet<QString> chamadas;
    for (const TicketRow& row : rows)
        chamadas.insert(chave(row));
    // A queued ticket whose call has ended is not shown any more: when calls
    // come faster than they are announced, the queue would otherwise grow
    // without end and the screen fall ever further behind.
    for (qsizetype i = m_fila.size() - 1; i >= 0; --i) {
        if (chamadas.contains(chave(m_fila[i])))
            continue;
        m_fila.removeAt(i);
        if (i < m_novasNaFila)
            --m_novasNaFila;
    }
    // Only the tickets called now stay remembered, so that the set is never
    // larger than the list of called tickets, however many calls a day
    // brings; a ticket whose call has ended and that is called again is a
    // new call.
    QSet<QString> vistas;
    for (const TicketRow& row : rows) {
        const QString key = chave(row);
        if (!m_vistas.contains(key) && !vistas.contains(key))
            m_fila.insert(m_novasNaFila++, row);
        vistas.insert(key);
    }
    m_vistas = vistas;
}

// Waits at most `ms` for the announcements asked for so far; the window's
// closing ends the wait.
bool EsperaChamada::anuncioTerminou(int ms)
{
    platform::Speech* speech = platform::services().speech;
    if (!speech)
        return true;
    const qint64 inicio = m_clock.monotonicMs();
    for (;;) {
        const qint64 resta = ms - (m_clock.monotonicMs() - inicio);
        if (speech->waitForEnd(int(qBound(qint64(0), resta, qint64(PassoAnuncio)))))
            return true;
        if (m_display.isClosed())
            throw DisplayClosed();
        if (m_clock.monotonicMs() - inicio >= ms)
            return false;
    }
}

void EsperaChamada::espera(int ms)
{
    const bool releitura = m_modo.imediata && (ms > 0 || m_modo.voz);
    if (!releitura) {
        if (!m_display.sleepFor(ms))
            throw DisplayClosed();
        if (m_modo.voz)
            anuncioTerminou(qMax(0, m_modo.anuncioMaximo - qMax(0, ms)));
        return;
    }

    const qint64 inicio = m_clock.monotonicMs();
    const auto decorrido = [this, inicio] { return m_clock.monotonicMs() - inicio; };
    qint64 proximaLeitura = m_modo.intervalo;
    bool lidaNoFim = false; // the tickets are read once more when the per-call time is over
    bool anuncio = !m_modo.voz;
    bool lidaAposAnuncio = false;
    for (;;) {
        // A new call waits only for the announcement before it; any other
        // call for the per-call time too.
        const qint64 agora = decorrido();
        if (!anuncio)
            anuncio = anuncioTerminou(0) || agora >= m_modo.anuncioMaximo;
        if (anuncio && (m_novasNaFila > 0 || agora >= ms)) {
            // A call made while the announcement outlasted the per-call
            // time still comes next.
            if (m_novasNaFila > 0 || !m_modo.voz || lidaAposAnuncio)
                return;
            acrescentaNovas(m_source.open(m_data));
            lidaAposAnuncio = true;
            continue;
        }

        qint64 ate = proximaLeitura;
        if (agora < ms)
            ate = qMin<qint64>(ate, ms);
        if (!anuncio)
            ate = qMin<qint64>(ate, m_modo.anuncioMaximo);
        const int passo = int(qMax<qint64>(0, ate - agora));
        if (anuncio) {
            if (!m_display.sleepFor(passo))
                throw DisplayClosed();
        } else {
            anuncio = anuncioTerminou(passo);
        }
        const qint64 depois = decorrido();
        const bool fim = depois >= ms && !lidaNoFim;
        if (depois >= proximaLeitura || fim) {
            lidaNoFim = lidaNoFim || fim;
            lidaAposAnuncio = anuncio;
            // The source takes the connection's lock for the read; nothing
            // here waits for the window thread meanwhile.
            acrescentaNovas(m_source.open(m_data));
            proximaLeitura = decorrido() + m_modo.intervalo;
        }
    }
}
