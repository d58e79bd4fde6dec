#include "data/FbClient.h"

#include "data/FbQueryIo.h"

#include <ibase.h>

#include <QLocale>

namespace {

void appendDpb(QByteArray& dpb, char tag, const QByteArray& value)
{
    dpb.append(tag);
    dpb.append(char(qMin(value.size(), 255)));
    dpb.append(value.left(255));
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

const char* const kTpb = "\x03\x09\x0f\x11\x06";  // version3, write, read_committed, rec_version, wait

}  // namespace


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

QString fbParamValue(const FbParamList& params, const QString& name, bool* found)
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

FbConnection::FbConnection(FbParamList params) : m_params(std::move(params)) {}

FbConnection::~FbConnection()
{
    close();
}

void FbConnection::setParams(const FbParamList& params)
{
    Guard guard(*this);
    m_params = params;
}

FbParamList FbConnection::params() const
{
    Guard guard(*this);
    return m_params;
}

QString FbConnection::param(const QString& name) const
{
    Guard guard(*this);
    return fbParamValue(m_params, name);
}

void FbConnection::open()
{
    Guard guard(*this);
    if (m_db)
        return;
    QByteArray dpb(1, char(isc_dpb_version1));
    appendDpb(dpb, isc_dpb_user_name, param(QStringLiteral("User_Name")).toLocal8Bit());
    appendDpb(dpb, isc_dpb_password, param(QStringLiteral("Password")).toLocal8Bit());
    const QString role = param(QStringLiteral("RoleName"));
    if (!role.isEmpty())
        appendDpb(dpb, isc_dpb_sql_role_name, role.toLocal8Bit());
    const QString charset = param(QStringLiteral("ServerCharSet")).trimmed();
    if (!charset.isEmpty())
        appendDpb(dpb, isc_dpb_lc_ctype, charset.toLatin1());
    dpb.append(char(isc_dpb_sql_dialect));
    dpb.append(char(1));
    dpb.append(char(3));

    const QByteArray database = param(QStringLiteral("Database")).toLocal8Bit();
    ISC_STATUS_ARRAY status;
    isc_db_handle db = 0;
    if (isc_attach_database(status, short(database.size()), database.constData(), &db,
                            short(dpb.size()), dpb.constData()))
        throw fbError(status);
    m_db = db;
    ++m_attachment;
    m_charSetId = charSetId(charset);
}

void FbConnection::close()
{
    Guard guard(*this);
    ISC_STATUS_ARRAY status;
    if (m_tr) {
        isc_rollback_transaction(status, &m_tr);
        m_tr = 0;
    }
    if (m_db) {
        isc_detach_database(status, &m_db);
        m_db = 0;
    }
}

bool FbConnection::isOpen() const
{
    Guard guard(*this);
    return m_db != 0;
}

void FbConnection::startTransaction()
{
    Guard guard(*this);
    if (m_tr)
        throw EDatabaseError(QStringLiteral("A transaction is already active"));
    if (!m_db)
        open();
    ISC_STATUS_ARRAY status;
    if (isc_start_transaction(status, &m_tr, 1, &m_db, short(5), kTpb))
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

bool FbConnection::isConnectionLost(const QList<long>& codes)
{
    static const long lost[] = {isc_network_error, isc_net_read_err, isc_net_write_err,
                                isc_lost_db_connection, isc_conn_lost, isc_shutdown,
                                isc_att_shutdown};
    for (long code : codes)
        for (long l : lost)
            if (code == l)
                return true;
    return false;
}

// Transaction of a statement: the explicit one, or its own committed at once.
FbAutoTransaction::FbAutoTransaction(FbConnection& c) : m_conn(c)
{
    if (c.inTransaction())
        return;
    ISC_STATUS_ARRAY status;
    if (isc_start_transaction(status, &m_own, 1, c.dbHandle(), short(5), kTpb))
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
    appendDpb(dpb, isc_dpb_user_name, user.toLocal8Bit());
    appendDpb(dpb, isc_dpb_password, password.toLocal8Bit());

    const QByteArray location = database.toLocal8Bit();
    ISC_STATUS_ARRAY status;
    isc_db_handle db = 0;
    if (isc_attach_database(status, short(location.size()), location.constData(), &db,
                            short(dpb.size()), dpb.constData()))
        throw fbError(status);

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
