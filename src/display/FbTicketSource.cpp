#include "display/FbTicketSource.h"

#include "data/FbClient.h"
#include "data/FbPreparedQuery.h"

namespace {
// A statement kept prepared keeps its plan: an index created while the display
// runs is taken at the next preparation, at most this long after.
constexpr qint64 kReprepareMs = 60 * 1000;
} // namespace

FbTicketSource::FbTicketSource(std::shared_ptr<FbConnection> connection)
    : m_connection(std::move(connection))
    , m_sql(ticketQuerySql(QString()))
    , m_clock(m_connection->clock())
    , m_queryClock(m_clock)
{}

FbTicketSource::~FbTicketSource() = default;

void FbTicketSource::setSql(const QString& sql)
{
    std::lock_guard<std::mutex> lock(m_sqlMutex);
    m_sql = sql;
}

QString FbTicketSource::sql() const
{
    std::lock_guard<std::mutex> lock(m_sqlMutex);
    return m_sql;
}

QList<TicketRow> FbTicketSource::open(const QDate& data)
{
    QueryClock::Running running(m_queryClock);
    FbConnection::Guard guard(*m_connection);
    if (m_retired)
        throw Exception(QStringLiteral("A conexão com o banco de dados foi encerrada."));
    // Prepared once and run pass after pass: a pass costs the server one
    // execution, not a preparation as well.
    if (!m_query)
        m_query = std::make_unique<FbPreparedQuery>(*m_connection);
    const qint64 now = m_clock.monotonicMs();
    if (m_preparedAt < 0 || now - m_preparedAt >= kReprepareMs) {
        m_query->reset();
        m_preparedAt = now;
    }
    m_query->open(sql(), {{QStringLiteral("DATA"), data}});
    FbQuery& query = m_query->result();
    QList<TicketRow> rows;
    rows.reserve(query.recordCount());
    for (query.first(); !query.eof(); query.next()) {
        TicketRow row;
        row.SIGLA_SENHA = query.fieldByName(QStringLiteral("SIGLA_SENHA")).value();
        row.NUMERO_SENHA = query.fieldByName(QStringLiteral("NUMERO_SENHA")).value();
        row.PREFERENCIAL = query.fieldByName(QStringLiteral("PREFERENCIAL")).value();
        row.NUMERO_MESA = query.fieldByName(QStringLiteral("NUMERO_MESA")).value();
        row.LOCAL_ATEND = query.fieldByName(QStringLiteral("LOCAL_ATEND")).value();
        rows.append(row);
    }
    query.close();
    return rows;
}

bool FbTicketSource::retire()
{
    m_retired = true;
    // A query that began before is cancelled; none begins after.
    return m_connection->interrupt();
}
