#pragma once
// The called-ticket query: the tickets of one date that attendants have called
// to a desk, and the source of its rows as the call walker sees them.

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// The four lines of the query, unfiltered. One parameter, DATA (a date).
QStringList ticketQueryLines();

// The query text for the stored TIPO_SENHA text: every character other than
// "," is one ticket-type letter. A text without letters (empty, or commas
// only) leaves every ticket type listed.
QString ticketQuerySql(const QString& tiposSenha);

// The letter list of the filter: each letter as a quoted SQL literal, joined
// by ","; empty when the text has no letters.
QString ticketTypeList(const QString& tiposSenha);

// One row of the result. A null column is a null QVariant.
struct TicketRow {
    QVariant SIGLA_SENHA;
    QVariant NUMERO_SENHA;
    QVariant PREFERENCIAL;
    QVariant NUMERO_MESA;
    QVariant LOCAL_ATEND;
};

// Where the walker reads the rows from. open() runs the query for `data` and
// returns the whole result in memory, so nothing of the database is held
// while the rows are walked. Failures are raised as exceptions.
class CalledTicketSource {
public:
    virtual ~CalledTicketSource();
    virtual void close() = 0;
    virtual QList<TicketRow> open(const QDate& data) = 0;
};
