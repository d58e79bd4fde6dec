#pragma once
// The called tickets as the walker reads them from the office connection:
// each open runs the query, kept prepared, under the connection's lock and
// returns the whole result in memory.

#include "base/Clock.h"
#include "display/TicketQuery.h"
#include "support/QueryWatch.h"

#include <QString>
#include <atomic>
#include <memory>
#include <mutex>

class FbConnection;
class FbPreparedQuery;

class FbTicketSource : public CalledTicketSource {
public:
    // The statement's age and the running query are measured on the
    // connection's clock.
    explicit FbTicketSource(std::shared_ptr<FbConnection> connection);
    ~FbTicketSource() override;

    // The statement, narrowed to the configured ticket types; set before the first walker.
    void setSql(const QString& sql);
    QString sql() const;

    void close() override {}
    QList<TicketRow> open(const QDate& data) override;

    // After this the source never touches the connection again (the window is
    // going away and its data module closes the connection). A query still
    // running is cancelled; false when it has not let go within a second.
    bool retire();

    // Marks each open while it waits for the lock and the server.
    const QueryClock& queryClock() const { return m_queryClock; }

private:
    std::shared_ptr<FbConnection> m_connection;
    mutable std::mutex m_sqlMutex;
    QString m_sql;
    std::atomic<bool> m_retired{false};
    // Under the connection's lock.
    Clock& m_clock;
    std::unique_ptr<FbPreparedQuery> m_query;
    qint64 m_preparedAt = -1; // monotonic ms; -1 before the first preparation
    QueryClock m_queryClock;
};
