#include "display/FbTicketSource.h"

#include "data/FbClient.h"

FbTicketSource::FbTicketSource(std::shared_ptr<FbConnection> connection)
    : m_connection(std::move(connection)), m_sql(ticketQuerySql(QString()))
{
}

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
    FbQuery query(*m_connection);
    query.open(sql(), {{QStringLiteral("DATA"), data}});
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
    return rows;
}

void FbTicketSource::retire()
{
    // Taking the lock waits for a query in progress to finish.
    FbConnection::Guard guard(*m_connection);
    m_retired = true;
}
