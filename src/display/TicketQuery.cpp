#include "display/TicketQuery.h"

CalledTicketSource::~CalledTicketSource() = default;

QStringList ticketQueryLines()
{
    return {
        QStringLiteral("SELECT A.SIGLA_SENHA, A.NUMERO_SENHA, A.PREFERENCIAL, T.NUMERO_MESA, T.LOCAL_ATEND"),
        QStringLiteral("FROM ATEND_SENHA A LEFT JOIN ATEND_TERMINAL T ON (A.CODATEND_TERM = T.CODATEND_TERM)"),
        QStringLiteral("WHERE A.DATA_SENHA = :DATA AND A.STATUS = 'A' AND A.CODATEND_TERM IS NOT NULL"),
        QStringLiteral("ORDER BY A.PREFERENCIAL"),
    };
}

QString ticketTypeList(const QString& tiposSenha)
{
    QString list;
    for (const QChar ch : tiposSenha) {
        if (ch == QLatin1Char(','))
            continue;
        // Quotes are doubled so that no stored text can change the statement.
        const QString literal =
            QLatin1Char('\'') + (ch == QLatin1Char('\'') ? QStringLiteral("''") : QString(ch)) + QLatin1Char('\'');
        if (!list.isEmpty())
            list += QLatin1Char(',');
        list += literal;
    }
    return list;
}

QString ticketQuerySql(const QString& tiposSenha)
{
    QStringList lines = ticketQueryLines();
    // Commas alone would give "IN ()", which the server refuses at every
    // pass; such a text restricts nothing, like an empty one.
    const QString list = ticketTypeList(tiposSenha);
    if (!list.isEmpty())
        lines[2] += QStringLiteral(" AND SIGLA_SENHA IN (") + list + QStringLiteral(") ");
    return lines.join(QLatin1Char('\n'));
}
