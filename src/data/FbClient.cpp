#include "data/FbClient.h"

#include "data/FbQueryIo.h"

#include <ibase.h>

#include <QLocale>

#include <condition_variable>
#include <thread>

namespace {

using namespace std::chrono_literals;

// The client's parameter block carries a length byte per item.
constexpr int kMaxDpbItem = 255;
// The attach call takes the location's length as a signed 16-bit number.
constexpr int kMaxLocation = 32767;

void appendDpb(QByteArray& dpb, char tag, const QByteArray& value, const QString& name)
{
    if (value.size() > kMaxDpbItem)
        throw EDatabaseError(QStringLiteral("O parâmetro de conexão %1 tem %2 bytes; o limite é %3.")
                                 .arg(name)
                                 .arg(value.size())
                                 .arg(kMaxDpbItem));
    dpb.append(tag);
    dpb.append(char(value.size()));
    dpb.append(value);
}

void appendDpbInt(QByteArray& dpb, char tag, quint32 value)
{
    dpb.append(tag);
    dpb.append(char(4));
    for (int i = 0; i < 4; ++i)
        dpb.append(char((value >> (8 * i)) & 0xFF));
}

int connectTimeout(const ConnectionParams& params)
{
    bool found = false;
    const QString text = paramValue(params, QStringLiteral("connect_timeout"), &found).trimmed();
    if (!found || text.isEmpty())
        return FbConnection::DefaultConnectTimeout;
    bool ok = false;
    const int seconds = text.toInt(&ok);
    if (!ok || seconds < 1 || seconds > 3600)
        throw EDatabaseError(
            QStringLiteral("O parâmetro de conexão connect_timeout deve ser um número de segundos de 1 a 3600: '%1'.")
                .arg(text));
    return seconds;
}

isc_db_handle attach(const QByteArray& location, const QByteArray& dpb)
{
    if (location.size() > kMaxLocation)
        throw EDatabaseError(QStringLiteral("O parâmetro de conexão Database tem %1 bytes; o limite é %2.")
                                 .arg(location.size())
                                 .arg(kMaxLocation));
    ISC_STATUS_ARRAY status;
    isc_db_handle db = 0;
    if (isc_attach_database(status, short(location.size()), location.constData(), &db, short(dpb.size()),
                            dpb.constData()))
        throw fbError(status);
    return db;
}

// Character set ids the client reports for the names a definition may give.
int charSetId(const QString& name)
{
    const QString n = name.trimmed().toUpper();
    if (n == QLatin1String("UTF8"))
        return 4;
    if (n == QLatin1String("UNICODE_FSS"))
        return 3;
    if (n == QLatin1String("ISO8859_1"))
        return 21;
    if (n == QLatin1String("WIN1252"))
        return 53;
    return 0;
}

// version3, write, read_committed, rec_version, wait, and a bound on that wait:
// a record another transaction changed and has not committed yet fails the
// statement after LockTimeoutSeconds instead of holding it until that
// transaction ends.
const char kTpb[] = {isc_tpb_version3,
                     isc_tpb_write,
                     isc_tpb_read_committed,
                     isc_tpb_rec_version,
                     isc_tpb_wait,
                     isc_tpb_lock_timeout,
                     4,
                     char(FbConnection::LockTimeoutSeconds),
                     0,
                     0,
                     0};
static_assert(FbConnection::LockTimeoutSeconds > 0 && FbConnection::LockTimeoutSeconds < 128,
              "the lock timeout is written as one byte");

// Cancels the connection's operation when the scope outlives `limit`, and
// drops the link when the cancel has not freed it `grace` later (at once for
// no grace: a detach, for one, cannot be cancelled).
class AnswerWatch {
public:
    AnswerWatch(FbConnection& connection, FbConnection::Milliseconds limit, FbConnection::Milliseconds grace)
        : m_thread([this, &connection, limit, grace] { watch(connection, limit, grace); })
    {}
    ~AnswerWatch()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    bool fired() const { return m_fired; }
    // The link was dropped: the cancel did not free the caller in time.
    bool aborted() const { return m_aborted; }

private:
    void watch(FbConnection& connection, FbConnection::Milliseconds limit, FbConnection::Milliseconds grace)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        Clock& clock = connection.clock();
        if (clock.waitFor(lock, m_wake, limit.count(), [this] { return m_done; }))
            return;
        m_fired = true;
        if (grace.count() > 0) {
            connection.cancel(FbConnection::Cancel::Raise);
            if (clock.waitFor(lock, m_wake, grace.count(), [this] { return m_done; }))
                return;
        }
        m_aborted = true;
        connection.cancel(FbConnection::Cancel::Abort);
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::atomic<bool> m_fired{false};
    std::atomic<bool> m_aborted{false};
    std::thread m_thread;
};

} // namespace

EServerNotAnswering::EServerNotAnswering()
    : EDatabaseError(QStringLiteral("O Servidor de Banco de Dados não está respondendo.\r"
                                    "Tente novamente em alguns instantes."))
{}

bool isLockConflict(const EDatabaseError& error)
{
    for (const long code : error.codes())
        if (code == isc_deadlock || code == isc_lock_conflict || code == isc_update_conflict
            || code == isc_lock_timeout)
            return true;
    return false;
}

EDatabaseError fbError(const intptr_t* status)
{
    QList<long> codes;
    for (const ISC_STATUS* p = status; *p != isc_arg_end;) {
        const ISC_STATUS kind = *p++;
        if (kind == isc_arg_warning)
            break;
        if (kind == isc_arg_gds)
            codes.append(long(*p));
        p += kind == isc_arg_cstring ? 2 : 1;
    }

    QStringList lines;
    const ISC_STATUS* vector = status;
    char buffer[1024];
    while (fb_interpret(buffer, sizeof buffer, &vector) > 0) {
        const QString line = QString::fromLocal8Bit(buffer);
        if (lines.isEmpty() || lines.last() != line)
            lines.append(line);
    }
    return EDatabaseError(lines.join(QStringLiteral("\r\n")), codes);
}

QString paramValue(const ConnectionParams& params, const QString& name, bool* found)
{
    for (const auto& entry : params) {
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0) {
            if (found)
                *found = true;
            return entry.second;
        }
    }
    if (found)
        *found = false;
    return {};
}

FbConnection::Guard::Guard(const FbConnection& c) : m_conn(c)
{
    c.m_mutex.lock();
    if (c.m_depth++ == 0)
        c.m_heldSince = c.m_clock.monotonicMs();
}

FbConnection::Guard::Guard(const FbConnection& c, Milliseconds limit) : m_conn(c)
{
    if (!c.m_mutex.try_lock_for(limit))
        throw EServerNotAnswering();
    if (c.m_depth++ == 0)
        c.m_heldSince = c.m_clock.monotonicMs();
}

FbConnection::Guard::~Guard()
{
    if (--m_conn.m_depth == 0)
        m_conn.m_heldSince = 0;
    m_conn.m_mutex.unlock();
}

FbConnection::FbConnection(ConnectionParams params, Clock& clock) : m_clock(clock), m_params(std::move(params))
{}

FbConnection::~FbConnection()
{
    close();
}

void FbConnection::setParams(const ConnectionParams& params)
{
    Guard guard(*this);
    m_params = params;
}

ConnectionParams FbConnection::params() const
{
    Guard guard(*this);
    return m_params;
}

QString FbConnection::param(const QString& name) const
{
    Guard guard(*this);
    return paramValue(m_params, name);
}

void FbConnection::open()
{
    Guard guard(*this);
    if (m_db)
        return;
    QByteArray dpb(1, char(isc_dpb_version1));
    appendDpb(dpb, isc_dpb_user_name, param(QStringLiteral("User_Name")).toLocal8Bit(), QStringLiteral("User_Name"));
    appendDpb(dpb, isc_dpb_password, param(QStringLiteral("Password")).toLocal8Bit(), QStringLiteral("Password"));
    const QString role = param(QStringLiteral("RoleName"));
    if (!role.isEmpty())
        appendDpb(dpb, isc_dpb_sql_role_name, role.toLocal8Bit(), QStringLiteral("RoleName"));
    const QString charset = param(QStringLiteral("ServerCharSet")).trimmed();
    if (!charset.isEmpty())
        appendDpb(dpb, isc_dpb_lc_ctype, charset.toLatin1(), QStringLiteral("ServerCharSet"));
    appendDpbInt(dpb, isc_dpb_connect_timeout, quint32(connectTimeout(m_params)));
    dpb.append(char(isc_dpb_sql_dialect));
    dpb.append(char(1));
    dpb.append(char(3));

    m_db = attach(param(QStringLiteral("Database")).toLocal8Bit(), dpb);
    m_attachment = m_db;
    ++m_attachCount;
    m_charSetId = charSetId(charset);
}

bool FbConnection::lockInterrupting(std::unique_lock<std::recursive_timed_mutex>& lock, Milliseconds patience)
{
    if (lock.try_lock_for(patience))
        return true;
    // The holder is inside the client: stop its operation, then its link.
    cancel(Cancel::Raise);
    if (lock.try_lock_for(300ms))
        return true;
    cancel(Cancel::Abort);
    return lock.try_lock_for(500ms);
}

bool FbConnection::interrupt()
{
    std::unique_lock<std::recursive_timed_mutex> lock(m_mutex, std::defer_lock);
    return lockInterrupting(lock, 200ms);
}

void FbConnection::close()
{
    std::unique_lock<std::recursive_timed_mutex> lock(m_mutex, std::defer_lock);
    if (!lockInterrupting(lock, 1s))
        return;
    AnswerWatch watch(*this, 400ms, 0ms);
    closeLocked();
}

void FbConnection::closeLocked()
{
    ISC_STATUS_ARRAY status;
    if (m_tr) {
        isc_rollback_transaction(status, &m_tr);
        m_tr = 0;
    }
    if (m_db) {
        isc_detach_database(status, &m_db);
        m_db = 0;
        m_attachment = 0;
    }
}

bool FbConnection::isOpen() const
{
    Guard guard(*this);
    return m_db != 0;
}

void FbConnection::bounded(const std::function<void()>& work, Milliseconds lockWait, Milliseconds answerWait,
                           Milliseconds cancelGrace)
{
    Guard guard(*this, lockWait);
    bool linkDropped = false;
    {
        AnswerWatch watch(*this, answerWait, cancelGrace);
        try {
            work();
            return;
        } catch (...) {
            if (!watch.fired())
                throw;
            linkDropped = watch.aborted();
        }
    }
    // A server that took the cancel keeps the link. One that did not answer
    // is not used again: the next use connects anew.
    if (linkDropped) {
        AnswerWatch watch(*this, 400ms, 0ms);
        closeLocked();
    }
    throw EServerNotAnswering();
}

void FbConnection::cancel(Cancel how)
{
    isc_db_handle db = m_attachment.load();
    if (!db)
        return;
    ISC_STATUS_ARRAY status;
    fb_cancel_operation(status, &db, how == Cancel::Raise ? fb_cancel_raise : fb_cancel_abort);
}

FbConnection::Milliseconds FbConnection::busyFor() const
{
    const qint64 since = m_heldSince.load();
    return Milliseconds(since ? m_clock.monotonicMs() - since : 0);
}

void FbConnection::startTransaction()
{
    Guard guard(*this);
    if (m_tr)
        throw EDatabaseError(QStringLiteral("A transaction is already active"));
    if (!m_db)
        open();
    ISC_STATUS_ARRAY status;
    if (isc_start_transaction(status, &m_tr, 1, &m_db, short(sizeof kTpb), kTpb))
        throw fbError(status);
}

void FbConnection::commit()
{
    Guard guard(*this);
    if (!m_tr)
        throw EDatabaseError(QStringLiteral("No transaction is active"));
    ISC_STATUS_ARRAY status;
    if (isc_commit_transaction(status, &m_tr))
        throw fbError(status);
    m_tr = 0;
}

void FbConnection::rollback()
{
    Guard guard(*this);
    if (!m_tr)
        return;
    ISC_STATUS_ARRAY status;
    const bool failed = isc_rollback_transaction(status, &m_tr);
    // A rollback that fails on a broken connection leaves nothing to undo.
    m_tr = 0;
    if (failed)
        throw fbError(status);
}

bool FbConnection::inTransaction() const
{
    Guard guard(*this);
    return m_tr != 0;
}

int FbConnection::exec(const QString& sql, const FbValues& values)
{
    FbQuery query(*this);
    return query.exec(sql, values);
}

// Transaction of a statement: the explicit one, or its own committed at once.
FbAutoTransaction::FbAutoTransaction(FbConnection& c) : m_conn(c)
{
    if (c.inTransaction())
        return;
    ISC_STATUS_ARRAY status;
    if (isc_start_transaction(status, &m_own, 1, c.dbHandle(), short(sizeof kTpb), kTpb))
        throw fbError(status);
}

FbAutoTransaction::~FbAutoTransaction()
{
    if (m_own) {
        ISC_STATUS_ARRAY status;
        isc_rollback_transaction(status, &m_own);
    }
}

unsigned int* FbAutoTransaction::handle()
{
    return m_own ? &m_own : m_conn.trHandle();
}

void FbAutoTransaction::commit()
{
    if (!m_own)
        return;
    ISC_STATUS_ARRAY status;
    if (isc_commit_transaction(status, &m_own))
        throw fbError(status);
    m_own = 0;
}

QString FbField::asString() const
{
    switch (m_value.typeId()) {
    case QMetaType::UnknownType:
        return {};
    case QMetaType::QDate:
        return m_value.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case QMetaType::QTime:
        return m_value.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::QDateTime:
        return m_value.toDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    case QMetaType::Double:
        return QString::number(m_value.toDouble(), 'g', 15);
    case QMetaType::Bool:
        return m_value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return m_value.toString();
    }
}

qint64 FbField::asInt64() const
{
    if (m_value.isNull())
        return 0;
    switch (m_value.typeId()) {
    case QMetaType::QString: {
        bool ok = false;
        const qint64 v = m_value.toString().trimmed().toLongLong(&ok);
        if (!ok)
            throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(m_value.toString()));
        return v;
    }
    case QMetaType::Double:
        return qRound64(m_value.toDouble());
    case QMetaType::Bool:
        return m_value.toBool() ? 1 : 0;
    case QMetaType::LongLong:
    case QMetaType::Int:
        return m_value.toLongLong();
    default:
        throw EConvertError(QStringLiteral("Field '%1' cannot be read as an integer").arg(m_name));
    }
}

int FbField::asInteger() const
{
    return int(asInt64());
}

double FbField::asFloat() const
{
    if (m_value.isNull())
        return 0;
    if (m_value.typeId() == QMetaType::QString) {
        bool ok = false;
        const double v = m_value.toString().trimmed().toDouble(&ok);
        if (!ok)
            throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(m_value.toString()));
        return v;
    }
    if (m_value.typeId() == QMetaType::QDate || m_value.typeId() == QMetaType::QDateTime)
        throw EConvertError(QStringLiteral("Field '%1' cannot be read as a number").arg(m_name));
    return m_value.toDouble();
}

QDate FbField::asDate() const
{
    if (m_value.typeId() == QMetaType::QDateTime)
        return m_value.toDateTime().date();
    if (m_value.typeId() == QMetaType::QDate)
        return m_value.toDate();
    if (m_value.isNull())
        return {};
    throw EConvertError(QStringLiteral("Field '%1' cannot be read as a date").arg(m_name));
}

QDateTime FbField::asDateTime() const
{
    if (m_value.typeId() == QMetaType::QDateTime)
        return m_value.toDateTime();
    if (m_value.typeId() == QMetaType::QDate)
        return QDateTime(m_value.toDate(), QTime(0, 0));
    if (m_value.isNull())
        return {};
    throw EConvertError(QStringLiteral("Field '%1' cannot be read as a date and time").arg(m_name));
}

FbField FbQuery::fieldByName(const QString& name) const
{
    for (int i = 0; i < m_names.size(); ++i)
        if (m_names[i].compare(name, Qt::CaseInsensitive) == 0)
            return field(i);
    throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name));
}

FbField FbQuery::field(int index) const
{
    if (index < 0 || index >= m_names.size())
        throw EDatabaseError(QStringLiteral("Field index out of range"));
    if (eof())
        return FbField(m_names[index], QVariant());
    return FbField(m_names[index], m_rows[m_pos][index]);
}

void FbQuery::close()
{
    m_names.clear();
    m_rows.clear();
    m_pos = 0;
    m_active = false;
}

QString fbTranslateParams(const QString& sql, QStringList* names)
{
    QString out;
    out.reserve(sql.size());
    const int n = sql.size();
    int i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"') {
            int j = i + 1;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out += sql.mid(i, j + 1 - i);
            i = j + 1;
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            int j = sql.indexOf(u'\n', i);
            j = j < 0 ? n : j;
            out += sql.mid(i, j - i);
            i = j;
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            int j = sql.indexOf(QStringLiteral("*/"), i + 2);
            j = j < 0 ? n : j + 2;
            out += sql.mid(i, j - i);
            i = j;
        } else if (c == u':' && i + 1 < n && (sql[i + 1].isLetter() || sql[i + 1] == u'_')) {
            int j = i + 1;
            while (j < n && (sql[j].isLetterOrNumber() || sql[j] == u'_' || sql[j] == u'$'))
                ++j;
            if (names)
                names->append(sql.mid(i + 1, j - i - 1).toUpper());
            out += u'?';
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

int countAttachments(const QString& database, const QString& user, const QString& password)
{
    QByteArray dpb(1, char(isc_dpb_version1));
    appendDpb(dpb, isc_dpb_user_name, user.toLocal8Bit(), QStringLiteral("User_Name"));
    appendDpb(dpb, isc_dpb_password, password.toLocal8Bit(), QStringLiteral("Password"));
    // The server lists every attachment only to the database's owner and to
    // a user attached with the administrator role, which must be granted in
    // the database (GRANT RDB$ADMIN TO <user>); a role not granted is ignored.
    appendDpb(dpb, isc_dpb_sql_role_name, QByteArray(AdministratorRole), QStringLiteral("RoleName"));
    appendDpbInt(dpb, isc_dpb_connect_timeout, FbConnection::DefaultConnectTimeout);
    isc_db_handle db = attach(database.toLocal8Bit(), dpb);

    ISC_STATUS_ARRAY status;
    const char items[] = {isc_info_user_names};
    char answer[1024] = {};
    if (isc_database_info(status, &db, sizeof items, items, sizeof answer, answer)) {
        const EDatabaseError error = fbError(status);
        ISC_STATUS_ARRAY ignored;
        isc_detach_database(ignored, &db);
        throw error;
    }

    // Items: tag, two-byte length, payload; the walk stays inside the buffer.
    int count = 0;
    int pos = 0;
    while (pos + 3 <= int(sizeof answer)) {
        const unsigned char tag = static_cast<unsigned char>(answer[pos]);
        if (tag == isc_info_end || tag == isc_info_truncated || tag == isc_info_error)
            break;
        const int length = int(isc_vax_integer(answer + pos + 1, 2));
        ++count;
        pos += length + 3;
    }

    if (isc_detach_database(status, &db))
        throw fbError(status);
    return count;
}
