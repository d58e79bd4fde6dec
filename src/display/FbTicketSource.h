#pragma once
// The called tickets as the walker reads them from the office connection:
// each open runs the query, kept prepared, under the connection's lock and
// returns the whole result in memory.

#include "display/TicketQuery.h"

#include <QElapsedTimer>
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>

class FbConnection;
class FbPreparedQuery;

class FbTicketSource : public CalledTicketSource {
public:
    explicit FbTicketSource(std::shared_ptr<FbConnection> connection);
    ~FbTicketSource() override;

    // The statement, narrowed to the configured ticket types; set before the first walker.
    void setSql(const QString& sql);
    QString sql() const;

    void close() override {}
    QList<TicketRow> open(const QDate& data) override;

    // After this the source never touches the connection again (the window is
    // going away and its data module closes the connection).
    void retire();

private:
    std::shared_ptr<FbConnection> m_connection;
    mutable std::mutex m_sqlMutex;
    QString m_sql;
    std::atomic<bool> m_retired{false};
    // Under the connection's lock.
    std::unique_ptr<FbPreparedQuery> m_query;
    QElapsedTimer m_prepared;
};
