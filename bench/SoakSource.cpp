#include "SoakSource.h"

SoakTicketSource::SoakTicketSource(std::shared_ptr<FbConnection> connection, const QString& tiposSenha)
    : m_conn(std::move(connection)), m_query(*m_conn), m_sql(ticketQuerySql(tiposSenha))
{
}

void SoakTicketSource::close()
{
    m_query.close();
}

QList<TicketRow> SoakTicketSource::open(const QDate& data)
{
    m_query.open(m_sql, {{QStringLiteral("DATA"), data}});
    QList<TicketRow> rows;
    for (m_query.first(); !m_query.eof(); m_query.next()) {
        rows.append({m_query.fieldByName(QStringLiteral("SIGLA_SENHA")).value(),
                     m_query.fieldByName(QStringLiteral("NUMERO_SENHA")).value(),
                     m_query.fieldByName(QStringLiteral("PREFERENCIAL")).value(),
                     m_query.fieldByName(QStringLiteral("NUMERO_MESA")).value(),
                     m_query.fieldByName(QStringLiteral("LOCAL_ATEND")).value()});
    }
    return rows;
}
