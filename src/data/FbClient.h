#pragma once
// Thin access layer over the Firebird client library: a connection built from
// the name=value entries of the connection definition, transactions, and a
// dataset that fetches a whole result into memory so that its rows can be
// walked without touching the database.

#include "support/Errors.h"
#include "support/Windows1252.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <mutex>

// Connection parameters in file order; looked up by name without regard to
// case, the first occurrence winning.
using FbParamList = QList<QPair<QString, QString>>;

// Values for the :NAME parameters of a statement, matched without regard to
// case. QString is text, int/qlonglong integer, double floating point,
// QDate date, QDateTime date and time, an invalid QVariant null.
using FbValues = QMap<QString, QVariant>;

QString fbParamValue(const FbParamList& params, const QString& name, bool* found = nullptr);

class FbConnection {
public:
    // Holds the connection's lock for its lifetime. Every use of the
    // connection runs under it, so two threads never overlap on it.
    class Guard {
    public:
        explicit Guard(const FbConnection& c) : m_lock(c.m_mutex) {}

    private:
        std::lock_guard<std::recursive_mutex> m_lock;
    };

    explicit FbConnection(FbParamList params = {});
    ~FbConnection();
    FbConnection(const FbConnection&) = delete;
    FbConnection& operator=(const FbConnection&) = delete;

    // Replaces the parameters; takes effect at the next open().
    void setParams(const FbParamList& params);
    FbParamList params() const;
    QString param(const QString& name) const;

    // Attaches to the "Database" text as it stands, as User_Name/Password,
    // with RoleName and ServerCharSet when given, in SQL dialect 3.
    void open();
    // Detaches; an active transaction is rolled back. Never throws.
    void close();
    bool isOpen() const;
    // Counts the attachments made: a statement prepared under one count is
    // gone once it changes.
    quint64 attachment() const { return m_attachment; }

    // Explicit read-committed, read-write transaction waiting on locks.
    // Statements outside one run in their own transaction, committed at once.
    void startTransaction();
    void commit();
    void rollback();
    bool inTransaction() const;

    std::recursive_mutex& lock() const { return m_mutex; }

    // Runs a statement without a result set; returns the rows it affected.
    int exec(const QString& sql, const FbValues& values = {});

    // True for the client's codes of a broken or shut-down connection.
    static bool isConnectionLost(const QList<long>& codes);

    // Client handles, for FbQuery.
    unsigned int* dbHandle() { return &m_db; }
    unsigned int* trHandle() { return &m_tr; }
    // Character set id used for text parameters the server did not type.
    int clientCharSetId() const { return m_charSetId; }

private:
    mutable std::recursive_mutex m_mutex;
    FbParamList m_params;
    unsigned int m_db = 0;
    unsigned int m_tr = 0;
    int m_charSetId = 0;
    quint64 m_attachment = 0;
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
    int recNo() const { return m_pos; }

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
// Attaches once for the count (that attachment is included) and detaches.
int countAttachments(const QString& database, const QString& user, const QString& password);

// Builds the error for a failed client call from its status vector.
EDatabaseError fbError(const intptr_t* status);

