#pragma once
// Whether the server reads the called tickets through an index: the plan of
// the very statement the walker runs, and the fix when it scans ATEND_SENHA.

#include <QString>
#include <QStringList>

class FbConnection;

// How a plan reads one table (named by its alias in the statement).
struct PlanAccess {
    bool found = false; // the alias appears in the plan
    QStringList indexes; // indexes it is read through (INDEX (...) and ORDER)
    bool filtered = false; // an INDEX (...) list: only the matching rows are read
};

// The access of `alias` in a plan text such as
// PLAN SORT (JOIN (A INDEX (IDX_X), T INDEX (RDB$PRIMARY4))).
PlanAccess planAccess(const QString& plan, const QString& alias);

// The index that serves the ticket query, as the schema creates it.
QString ticketIndexName();
QString ticketIndexStatement();

struct TicketQueryPlan {
    QString plan; // as the server reports it
    PlanAccess senhas; // how ATEND_SENHA is read
    QString inactiveIndex; // an index on ATEND_SENHA (DATA_SENHA, ...) left inactive
    bool readsByIndex() const { return senhas.filtered; }
};

// Asks the server for the plan of the ticket query narrowed to `tiposSenha`.
TicketQueryPlan ticketQueryPlan(FbConnection& connection, const QString& tiposSenha);
