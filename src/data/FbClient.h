#pragma once
// Thin access layer over the Firebird client library: a connection built from
// the name=value entries of the connection definition, transactions, and a
// dataset that fetches a whole result into memory so that its rows can be
// walked without touching the database.

#include "base/Clock.h"
#include "base/Errors.h"
#include "base/Windows1252.h"
#include "data/ConnectionParams.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>

// Values for the :NAME parameters of a statement, matched without regard to
// case. QString is text, int/qlonglong integer, double floating point,
// QDate date, QDateTime date and time, an invalid QVariant null.
using FbValues = QMap<QString, QVariant>;

// The server did not answer within the time a caller may wait for it.
class EServerNotAnswering : public EDatabaseError {
public:
    EServerNotAnswering();
};

class FbConnection {
public:
    using Milliseconds = std::chrono::milliseconds;
    // What the window thread waits for the connection's lock, and for a
    // statement of its own before it is cancelled.
    static constexpr Milliseconds LockWait{2000};
    static constexpr Milliseconds AnswerWait{3000};
    // What a transaction waits for a record that another one changed and has
    // not committed; shorter than AnswerWait, so that a lock held by another
    // program fails as a lock conflict, not as a server that does not answer.
    static constexpr int LockTimeoutSeconds = 2;
    // What a cancelled statement gets to give up before the link is dropped.
    static constexpr Milliseconds CancelGrace{1000};
    // Connect timeout in seconds, unless the parameter "connect_timeout" gives one.
    static constexpr int DefaultConnectTimeout = 15;

    // Holds the connection's lock for its lifetime. Every use of the
    // connection runs under it, so two threads never overlap on it.
    class Guard {
    public:
        // Waits as long as the holder takes.
        explicit Guard(const FbConnection& c);
        // Waits at most `limit`; raises EServerNotAnswering past it.
        Guard(const FbConnection& c, Milliseconds limit);
        ~Guard();
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        const FbConnection& m_conn;
    };

    // The limits on waits and statements run on `clock`.
    explicit FbConnection(ConnectionParams params = {}, Clock& clock = programClock());
    ~FbConnection();
    FbConnection(const FbConnection&) = delete;
    FbConnection& operator=(const FbConnection&) = delete;

    // Replaces the parameters; takes effect at the next open().
    void setParams(const ConnectionParams& params);
    ConnectionParams params() const;
    QString param(const QString& name) const;

    // Attaches to the "Database" text as it stands, as User_Name/Password,
    // with RoleName and ServerCharSet when given, in SQL dialect 3, giving up
    // after the connect timeout. A parameter longer than the client can carry
    // is refused, never cut.
    void open();
    // Detaches; an active transaction is rolled back. Never throws, and never
    // waits long: a holder that keeps the lock has its operation cancelled,
    // and a server that does not answer has the link dropped.
    void close();
    bool isOpen() const;
    Clock& clock() const { return m_clock; }
    // Counts the attachments made: a statement prepared under one count is
    // gone once it changes.
    quint64 attachment() const { return m_attachCount; }

    // Runs `work` under the lock, waiting at most `lockWait` for it. A
    // statement inside that runs longer than `answerWait` is cancelled, and
    // EServerNotAnswering is raised. A server that takes the cancel keeps the
    // connection; one that has not freed the caller `cancelGrace` later has
    // its link dropped and the connection closed.
    void bounded(const std::function<void()>& work, Milliseconds lockWait = LockWait,
                 Milliseconds answerWait = AnswerWait, Milliseconds cancelGrace = CancelGrace);

    // Asks the client, from any thread and without the lock, to stop the
    // operation running on the attachment. Raise makes it fail once the
    // server takes the request; Abort drops the client's side of the link at
    // once, which frees a caller that waits on a server gone silent.
    enum class Cancel { Raise, Abort };
    void cancel(Cancel how);

    // Frees the connection from a holder that keeps it: after a moment its
    // operation is cancelled, then its link dropped. True once the lock is
    // free (within about a second); the lock is not kept.
    bool interrupt();

    // How long the current holder has had the lock; zero while it is free.
    Milliseconds busyFor() const;

    // Explicit read-committed, read-write transaction waiting on locks for at
    // most LockTimeoutSeconds (as every transaction does).
    // Statements outside one run in their own transaction, committed at once.
    void startTransaction();
    void commit();
    void rollback();
    bool inTransaction() const;

    // Runs a statement without a result set; returns the rows it affected.
    int exec(const QString& sql, const FbValues& values = {});

    // Client handles, for FbQuery.
    unsigned int* dbHandle() { return &m_db; }
    unsigned int* trHandle() { return &m_tr; }
    // Character set id used for text parameters the server did not type.
    int clientCharSetId() const { return m_charSetId; }

private:
    bool lockInterrupting(std::unique_lock<std::recursive_timed_mutex>& lock, Milliseconds patience);
    void closeLocked();

    mutable std::recursive_timed_mutex m_mutex;
    mutable int m_depth = 0; // under m_mutex
    Clock& m_clock;
    mutable std::atomic<qint64> m_heldSince{0}; // monotonic ms of m_clock; 0 when free
    std::atomic<unsigned int> m_attachment{0}; // m_db, for cancel() off the lock
    ConnectionParams m_params;
    unsigned int m_db = 0;
    unsigned int m_tr = 0;
    int m_charSetId = 0;
    quint64 m_attachCount = 0; // attachments made so far
};

// One column value of a fetched row.
class FbField {
public:
    FbField() = default;
    FbField(QString name, QVariant value) : m_name(std::move(name)), m_value(std::move(value)) {}

    const QString& name() const { return m_name; }
    const QVariant& value() const { return m_value; }
    bool isNull() const { return m_value.isNull(); }
    // Null reads as "", 0, an invalid date or false.
    QString asString() const;
    int asInteger() const;
    qint64 asInt64() const;
    double asFloat() const;
    QDate asDate() const;
    QDateTime asDateTime() const;

private:
    QString m_name;
    QVariant m_value;
};

// A statement on a connection whose result is held in memory.
class FbQuery {
public:
    explicit FbQuery(FbConnection& connection) : m_conn(connection) {}

    // Runs the statement and fetches every row; the cursor is closed before
    // this returns. Opens the connection if it is closed.
    void open(const QString& sql, const FbValues& values = {});
    // Runs a statement without a result set; returns the rows it affected.
    int exec(const QString& sql, const FbValues& values = {});
    // Drops the fetched rows.
    void close();

    bool isActive() const { return m_active; }
    int recordCount() const { return m_rows.size(); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    void first() { m_pos = 0; }
    void next()
    {
        if (m_pos < m_rows.size())
            ++m_pos;
    }
    bool eof() const { return m_pos >= m_rows.size(); }

    const QStringList& fieldNames() const { return m_names; }
    // Throws EDatabaseError when no column has that name (case-insensitive).
    FbField fieldByName(const QString& name) const;
    FbField field(int index) const;

private:
    friend class FbPreparedQuery;
    FbConnection& m_conn;
    QStringList m_names;
    QVector<QVector<QVariant>> m_rows;
    int m_pos = 0;
    bool m_active = false;
};

// Rewrites :NAME parameters as ? markers, outside quotes and comments, and
// lists the names in order of appearance (upper-cased).
QString fbTranslateParams(const QString& sql, QStringList* names);

// Counts the attachments of a database as its user-names list reports them.
// Attaches once for the count (that attachment is included), with the
// administrator role when the user holds it there, and detaches. A user who
// neither owns the database nor holds that role sees its own attachment only.
int countAttachments(const QString& database, const QString& user, const QString& password);
constexpr char AdministratorRole[] = "RDB$ADMIN";

// True for a statement that met another transaction's change: a lock held
// past the wait, or an update conflict once that transaction committed.
bool isLockConflict(const EDatabaseError& error);

// Builds the error for a failed client call from its status vector.
EDatabaseError fbError(const intptr_t* status);
