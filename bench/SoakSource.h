#pragma once
// The called-ticket query on a live connection, as the walker reads it: each
// open runs the statement and hands the whole result over in memory.

#include "data/FbClient.h"
#include "display/TicketQuery.h"

#include <memory>

class SoakTicketSource : public CalledTicketSource {
public:
    SoakTicketSource(std::shared_ptr<FbConnection> connection, const QString& tiposSenha);

    void close() override;
    QList<TicketRow> open(const QDate& data) override;

private:
    std::shared_ptr<FbConnection> m_conn;
    FbQuery m_query;
    QString m_sql;
};
