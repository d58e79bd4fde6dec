// Statement execution for FbQuery over the client's DSQL calls: prepare,
// bind the positional parameters, execute, fetch every row, free.

#include "base/Clock.h"
#include "data/FbClient.h"
#include "data/FbPreparedQuery.h"
#include "data/FbQueryIo.h"

#include <ibase.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int kFbDayOffset = 2400001; // Julian day of 17 Nov 1858, day 0 of the client's dates

QDate fromIscDate(ISC_DATE d)
{
    return QDate::fromJulianDay(qint64(d) + kFbDayOffset);
}

QTime fromIscTime(ISC_TIME t)
{
    return QTime::fromMSecsSinceStartOfDay(int(t / 10));
}

bool isMultiByte(int cs)
{
    return cs == 3 || cs == 4;
}

QString decodeText(const char* data, int length, int cs)
{
    if (isMultiByte(cs))
        return QString::fromUtf8(data, length);
    if (cs == 1 || cs == 21)
        return QString::fromLatin1(data, length);
    return decodeWindows1252(QByteArray(data, length));
}

QByteArray encodeText(const QString& text, int cs)
{
    if (isMultiByte(cs))
        return text.toUtf8();
    if (cs == 1 || cs == 21)
        return text.toLatin1();
    return encodeWindows1252(text);
}

class Sqlda {
public:
    explicit Sqlda(int n) { resize(n); }
    void resize(int n)
    {
        m_mem.assign(XSQLDA_LENGTH(n), 0);
        da()->version = SQLDA_VERSION1;
        da()->sqln = short(n);
    }
    XSQLDA* da() { return reinterpret_cast<XSQLDA*>(m_mem.data()); }

private:
    std::vector<char> m_mem;
};

QByteArray readBlob(FbConnection& c, unsigned int* tr, ISC_QUAD* id)
{
    ISC_STATUS_ARRAY status;
    isc_blob_handle blob = 0;
    if (isc_open_blob2(status, c.dbHandle(), tr, &blob, id, 0, nullptr))
        throw fbError(status);
    QByteArray out;
    char buffer[8192];
    for (;;) {
        unsigned short got = 0;
        const ISC_STATUS rc = isc_get_segment(status, &blob, &got, sizeof buffer, buffer);
        if (rc == 0 || rc == isc_segment) {
            out.append(buffer, got);
            continue;
        }
        if (rc == isc_segstr_eof)
            break;
        const EDatabaseError error = fbError(status);
        isc_close_blob(status, &blob);
        throw error;
    }
    isc_close_blob(status, &blob);
    return out;
}

QVariant scaled(qint64 value, short scale)
{
    if (scale >= 0)
        return QVariant(qlonglong(value));
    return QVariant(double(value) / std::pow(10.0, -scale));
}

// Types of newer servers, absent from this client's header.
constexpr int kSqlTimestampTzEx = 32748;
constexpr int kSqlTimeTzEx = 32750;
constexpr int kSqlInt128 = 32752;
constexpr int kSqlTimestampTz = 32754;
constexpr int kSqlTimeTz = 32756;
constexpr int kSqlDec16 = 32760;
constexpr int kSqlDec34 = 32762;

quint64 readU64(const char* p)
{
    quint64 x;
    std::memcpy(&x, p, sizeof x);
    return x;
}

// A 128-bit integer: as the 64-bit path when it fits, else its exact decimal text.
QVariant fromInt128(const char* p, short scale)
{
    const quint64 low = readU64(p);
    const qint64 high = qint64(readU64(p + 8));
    if ((high == 0 && qint64(low) >= 0) || (high == -1 && qint64(low) < 0))
        return scaled(qint64(low), scale);
    const bool negative = high < 0;
    unsigned __int128 magnitude = (static_cast<unsigned __int128>(quint64(high)) << 64) | low;
    if (negative)
        magnitude = ~magnitude + 1;
    QString digits;
    while (magnitude) {
        digits.prepend(QChar(u'0' + int(magnitude % 10)));
        magnitude /= 10;
    }
    if (scale < 0) {
        const int places = -scale;
        if (digits.size() <= places)
            digits.prepend(QString(places - digits.size() + 1, u'0'));
        digits.insert(digits.size() - places, u'.');
    } else if (scale > 0) {
        digits += QString(scale, u'0');
    }
    return negative ? QStringLiteral("-") + digits : digits;
}

// One 10-bit densely packed group of three decimal digits.
int declet(unsigned bits)
{
    const auto bit = [bits](int n) { return int((bits >> n) & 1); };
    const int p = bit(9), q = bit(8), r = bit(7), s = bit(6), t = bit(5), u = bit(4), y = bit(0);
    int d2 = int(bits >> 7) & 7, d1 = int(bits >> 4) & 7, d0 = int(bits) & 7;
    if (bit(3)) {
        switch ((bits >> 1) & 3) {
        case 0:
            d0 = 8 + y;
            break;
        case 1:
            d1 = 8 + u;
            d0 = s * 4 + t * 2 + y;
            break;
        case 2:
            d2 = 8 + r;
            d0 = p * 4 + q * 2 + y;
            break;
        default:
            switch ((bits >> 5) & 3) {
            case 0:
                d2 = 8 + r;
                d1 = 8 + u;
                d0 = p * 4 + q * 2 + y;
                break;
            case 1:
                d2 = 8 + r;
                d1 = p * 4 + q * 2 + u;
                d0 = 8 + y;
                break;
            case 2:
                d1 = 8 + u;
                d0 = 8 + y;
                break;
            default:
                d2 = 8 + r;
                d1 = 8 + u;
                d0 = 8 + y;
                break;
            }
        }
    }
    return d2 * 100 + d1 * 10 + d0;
}

// An IEEE 754 decimal of 64 or 128 bits in densely packed form, as the
// nearest double: sign, a 5-bit combination field, the exponent's
// continuation bits, then groups of three digits.
double fromDecFloat(const char* p, bool wide)
{
    const unsigned __int128 bits = wide ? (static_cast<unsigned __int128>(readU64(p + 8)) << 64) | readU64(p)
                                        : static_cast<unsigned __int128>(readU64(p));
    const int width = wide ? 128 : 64;
    const int expContinuation = wide ? 12 : 8;
    const int groups = wide ? 11 : 5;
    const int bias = wide ? 6176 : 398;

    const bool negative = (bits >> (width - 1)) & 1;
    const unsigned combination = unsigned(bits >> (width - 6)) & 0x1F;
    if ((combination >> 1) == 0xF) {
        if (combination & 1)
            return std::nan("");
        return negative ? -HUGE_VAL : HUGE_VAL;
    }
    int exponentHigh = int(combination >> 3);
    int leading = int(combination & 7);
    if (exponentHigh == 3) {
        exponentHigh = int(combination >> 1) & 3;
        leading = 8 + int(combination & 1);
    }
    const int continuation = int(bits >> (width - 6 - expContinuation)) & ((1 << expContinuation) - 1);
    const int exponent = ((exponentHigh << expContinuation) | continuation) - bias;

    QString text = negative ? QStringLiteral("-") : QString();
    text += QString::number(leading);
    for (int g = groups - 1; g >= 0; --g)
        text += QStringLiteral("%1").arg(declet(unsigned(bits >> (10 * g)) & 0x3FF), 3, 10, QLatin1Char('0'));
    return (text + QLatin1Char('e') + QString::number(exponent)).toDouble();
}

// A with-time-zone value is held in UTC; it reads in the local zone.
QDateTime fromUtc(const QDate& date, const QTime& time)
{
    return QDateTime(date, time, Qt::UTC).toLocalTime();
}

} // namespace

QVariant fbDecodeValue(int sqltype, int sqlscale, int sqlsubtype, int sqllen, const char* p)
{
    switch (sqltype) {
    case SQL_TEXT: {
        const int cs = sqlsubtype & 0xFF;
        QString text = decodeText(p, sqllen, cs);
        // A multi-byte charset pads CHAR(n) to its byte width; keep n characters.
        if (isMultiByte(cs)) {
            const int chars = sqllen / (cs == 4 ? 4 : 3);
            while (text.size() > chars && text.endsWith(u' '))
                text.chop(1);
        }
        return text;
    }
    case SQL_VARYING: {
        short length;
        std::memcpy(&length, p, sizeof length);
        return decodeText(p + 2, length, sqlsubtype & 0xFF);
    }
    case SQL_SHORT: {
        short x;
        std::memcpy(&x, p, sizeof x);
        return scaled(x, short(sqlscale));
    }
    case SQL_LONG: {
        ISC_LONG x;
        std::memcpy(&x, p, sizeof x);
        return scaled(x, short(sqlscale));
    }
    case SQL_INT64: {
        ISC_INT64 x;
        std::memcpy(&x, p, sizeof x);
        return scaled(x, short(sqlscale));
    }
    case kSqlInt128:
        return fromInt128(p, short(sqlscale));
    case SQL_FLOAT: {
        float x;
        std::memcpy(&x, p, sizeof x);
        return double(x);
    }
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
        double x;
        std::memcpy(&x, p, sizeof x);
        return x;
    }
    case kSqlDec16:
    case kSqlDec34:
        return fromDecFloat(p, sqltype == kSqlDec34);
    case SQL_TYPE_DATE: {
        ISC_DATE d;
        std::memcpy(&d, p, sizeof d);
        return fromIscDate(d);
    }
    case SQL_TYPE_TIME: {
        ISC_TIME t;
        std::memcpy(&t, p, sizeof t);
        return fromIscTime(t);
    }
    case kSqlTimeTz:
    case kSqlTimeTzEx: {
        // A time of day in UTC reads as the local time of today.
        ISC_TIME t;
        std::memcpy(&t, p, sizeof t);
        return fromUtc(programClock().now().toUTC().date(), fromIscTime(t)).time();
    }
    case SQL_TIMESTAMP: {
        ISC_TIMESTAMP ts;
        std::memcpy(&ts, p, sizeof ts);
        return QDateTime(fromIscDate(ts.timestamp_date), fromIscTime(ts.timestamp_time));
    }
    case kSqlTimestampTz:
    case kSqlTimestampTzEx: {
        ISC_TIMESTAMP ts;
        std::memcpy(&ts, p, sizeof ts);
        return fromUtc(fromIscDate(ts.timestamp_date), fromIscTime(ts.timestamp_time));
    }
    case SQL_BOOLEAN:
        return *p != 0;
    default:
        throw EDatabaseError(QStringLiteral("Unsupported column type %1").arg(sqltype));
    }
}

namespace {

QVariant readColumn(FbConnection& c, unsigned int* tr, const XSQLVAR& v)
{
    if ((v.sqltype & 1) && *v.sqlind < 0)
        return {};
    if ((v.sqltype & ~1) == SQL_BLOB) {
        ISC_QUAD id;
        std::memcpy(&id, v.sqldata, sizeof id);
        const QByteArray bytes = readBlob(c, tr, &id);
        if (v.sqlsubtype == 1)
            return decodeText(bytes.constData(), bytes.size(), v.sqlscale & 0xFF);
        return bytes;
    }
    return fbDecodeValue(v.sqltype & ~1, v.sqlscale, v.sqlsubtype, v.sqllen, v.sqldata);
}

// One prepared statement with its bound input and output buffers.
class Statement {
public:
    Statement(FbConnection& c, unsigned int* tr) : m_conn(c), m_tr(tr), m_out(16), m_in(4) {}
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement()
    {
        if (m_handle) {
            ISC_STATUS_ARRAY status;
            isc_dsql_free_statement(status, &m_handle, DSQL_drop);
        }
    }

    void prepare(const QString& sql)
    {
        ISC_STATUS_ARRAY status;
        if (isc_dsql_allocate_statement(status, m_conn.dbHandle(), &m_handle))
            throw fbError(status);
        const QByteArray text = encodeText(sql, m_conn.clientCharSetId());
        const unsigned short length = text.size() > 65535 ? 0 : static_cast<unsigned short>(text.size());
        if (isc_dsql_prepare(status, m_tr, &m_handle, length, text.constData(), 3, m_out.da()))
            throw fbError(status);
        if (m_out.da()->sqld > m_out.da()->sqln) {
            m_out.resize(m_out.da()->sqld);
            if (isc_dsql_describe(status, &m_handle, 1, m_out.da()))
                throw fbError(status);
        }
        allocateOutput();
        m_type = statementType();
    }

    void bind(const QStringList& names, const FbValues& values)
    {
        // Described once: a statement run again binds its values into the
        // same parameters without asking the server again.
        if (!m_inDescribed) {
            ISC_STATUS_ARRAY status;
            if (isc_dsql_describe_bind(status, &m_handle, 1, m_in.da()))
                throw fbError(status);
            if (m_in.da()->sqld > m_in.da()->sqln) {
                m_in.resize(m_in.da()->sqld);
                if (isc_dsql_describe_bind(status, &m_handle, 1, m_in.da()))
                    throw fbError(status);
            }
            m_inDescribed = true;
            m_inTypes.clear();
            for (int i = 0; i < m_in.da()->sqld; ++i)
                m_inTypes.push_back(m_in.da()->sqlvar[i]);
        }
        // Binding retypes each parameter after its value: start from the
        // server's description every time.
        for (int i = 0; i < m_in.da()->sqld; ++i)
            m_in.da()->sqlvar[i] = m_inTypes[i];
        const int count = m_in.da()->sqld;
        if (count != names.size())
            throw EDatabaseError(QStringLiteral("Parameter count mismatch"));
        m_inData.resize(count);
        m_inInd.assign(count, 0);
        for (int i = 0; i < count; ++i)
            bindOne(m_in.da()->sqlvar[i], i, names[i], values);
    }

    int type() const { return m_type; }
    // A prepared statement may run in a later transaction than the one it was
    // prepared in.
    void useTransaction(unsigned int* tr) { m_tr = tr; }
    // Closes the cursor of a select so that it can be executed again.
    void closeCursor()
    {
        ISC_STATUS_ARRAY status;
        if (isc_dsql_free_statement(status, &m_handle, DSQL_close))
            throw fbError(status);
    }
    // The attachment it belonged to is gone, and the handle with it.
    void forget() { m_handle = 0; }
    bool hasOutput() { return m_out.da()->sqld > 0; }
    XSQLDA* inDa() { return m_in.da()->sqld ? m_in.da() : nullptr; }

    void execute()
    {
        ISC_STATUS_ARRAY status;
        const bool procedureWithOutput = m_type == isc_info_sql_stmt_exec_procedure && hasOutput();
        const ISC_STATUS rc = procedureWithOutput ? isc_dsql_execute2(status, m_tr, &m_handle, 1, inDa(), m_out.da())
                                                  : isc_dsql_execute(status, m_tr, &m_handle, 1, inDa());
        if (rc)
            throw fbError(status);
    }

    bool fetch()
    {
        ISC_STATUS_ARRAY status;
        const ISC_STATUS rc = isc_dsql_fetch(status, &m_handle, 1, m_out.da());
        if (rc == 100)
            return false;
        if (rc)
            throw fbError(status);
        return true;
    }

    QStringList columnNames()
    {
        QStringList names;
        for (int i = 0; i < m_out.da()->sqld; ++i) {
            const XSQLVAR& v = m_out.da()->sqlvar[i];
            names.append(QString::fromUtf8(v.aliasname, v.aliasname_length));
        }
        return names;
    }

    QVector<QVariant> row()
    {
        QVector<QVariant> values;
        values.reserve(m_out.da()->sqld);
        for (int i = 0; i < m_out.da()->sqld; ++i)
            values.append(readColumn(m_conn, m_tr, m_out.da()->sqlvar[i]));
        return values;
    }

    int affectedRows()
    {
        const char items[] = {isc_info_sql_records};
        char buffer[128] = {};
        ISC_STATUS_ARRAY status;
        if (isc_dsql_sql_info(status, &m_handle, sizeof items, items, sizeof buffer, buffer))
            throw fbError(status);
        if (buffer[0] != isc_info_sql_records)
            return 0;
        long inserted = 0, updated = 0, deleted = 0;
        for (int pos = 3; pos + 3 <= int(sizeof buffer) && buffer[pos] != isc_info_end;) {
            const char item = buffer[pos];
            const short length = short(isc_vax_integer(buffer + pos + 1, 2));
            const long value = isc_vax_integer(buffer + pos + 3, length);
            if (item == isc_info_req_insert_count)
                inserted = value;
            else if (item == isc_info_req_update_count)
                updated = value;
            else if (item == isc_info_req_delete_count)
                deleted = value;
            pos += 3 + length;
        }
        switch (m_type) {
        case isc_info_sql_stmt_insert:
            return int(inserted);
        case isc_info_sql_stmt_update:
            return int(updated);
        case isc_info_sql_stmt_delete:
            return int(deleted);
        default:
            return int(inserted + updated + deleted);
        }
    }

private:
    int statementType()
    {
        const char items[] = {isc_info_sql_stmt_type};
        char buffer[16] = {};
        ISC_STATUS_ARRAY status;
        if (isc_dsql_sql_info(status, &m_handle, sizeof items, items, sizeof buffer, buffer))
            throw fbError(status);
        const short length = short(isc_vax_integer(buffer + 1, 2));
        return int(isc_vax_integer(buffer + 3, length));
    }

    void allocateOutput()
    {
        const int count = m_out.da()->sqld;
        m_outData.resize(count);
        m_outInd.assign(count, 0);
        for (int i = 0; i < count; ++i) {
            XSQLVAR& v = m_out.da()->sqlvar[i];
            int size = v.sqllen;
            if ((v.sqltype & ~1) == SQL_VARYING)
                size += 2;
            m_outData[i] = QByteArray(qMax(size, 1), '\0');
            v.sqldata = m_outData[i].data();
            v.sqlind = &m_outInd[i];
        }
    }

    void bindOne(XSQLVAR& v, int i, const QString& name, const FbValues& values)
    {
        const QVariant* found = nullptr;
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            if (it.key().compare(name, Qt::CaseInsensitive) == 0) {
                found = &it.value();
                break;
            }
        }
        if (!found)
            throw EDatabaseError(QStringLiteral("No value for parameter '%1'").arg(name));
        const QVariant& value = *found;
        v.sqlind = &m_inInd[i];
        QByteArray& data = m_inData[i];

        if (value.isNull()) {
            v.sqltype = short((v.sqltype & ~1) | 1);
            m_inInd[i] = -1;
            data = QByteArray(qMax(int(v.sqllen) + 2, 8), '\0');
            v.sqldata = data.data();
            return;
        }
        const int described = v.sqltype & ~1;
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort: {
            const ISC_INT64 x = value.toLongLong();
            data = QByteArray(reinterpret_cast<const char*>(&x), sizeof x);
            v.sqltype = SQL_INT64 | 1;
            v.sqllen = sizeof x;
            v.sqlscale = 0;
            break;
        }
        case QMetaType::Double:
        case QMetaType::Float: {
            const double x = value.toDouble();
            data = QByteArray(reinterpret_cast<const char*>(&x), sizeof x);
            v.sqltype = SQL_DOUBLE | 1;
            v.sqllen = sizeof x;
            v.sqlscale = 0;
            break;
        }
        case QMetaType::Bool: {
            const char x = value.toBool() ? 1 : 0;
            data = QByteArray(1, x);
            v.sqltype = SQL_BOOLEAN | 1;
            v.sqllen = 1;
            v.sqlscale = 0;
            break;
        }
        case QMetaType::QDate: {
            const ISC_DATE x = ISC_DATE(value.toDate().toJulianDay() - kFbDayOffset);
            data = QByteArray(reinterpret_cast<const char*>(&x), sizeof x);
            v.sqltype = SQL_TYPE_DATE | 1;
            v.sqllen = sizeof x;
            v.sqlscale = 0;
            break;
        }
        case QMetaType::QDateTime: {
            const QDateTime dt = value.toDateTime();
            ISC_TIMESTAMP x;
            x.timestamp_date = ISC_DATE(dt.date().toJulianDay() - kFbDayOffset);
            x.timestamp_time = ISC_TIME(dt.time().msecsSinceStartOfDay()) * 10;
            data = QByteArray(reinterpret_cast<const char*>(&x), sizeof x);
            v.sqltype = SQL_TIMESTAMP | 1;
            v.sqllen = sizeof x;
            v.sqlscale = 0;
            break;
        }
        default: {
            const bool textColumn = described == SQL_TEXT || described == SQL_VARYING;
            const int cs = textColumn ? (v.sqlsubtype & 0xFF) : m_conn.clientCharSetId();
            data = encodeText(value.toString(), cs);
            v.sqltype = SQL_TEXT | 1;
            v.sqllen = short(data.size());
            v.sqlsubtype = short(cs);
            v.sqlscale = 0;
            break;
        }
        }
        // An empty text still needs a valid data pointer.
        data.reserve(data.size() + 1);
        v.sqldata = data.data();
    }

    FbConnection& m_conn;
    unsigned int* m_tr;
    isc_stmt_handle m_handle = 0;
    int m_type = 0;
    Sqlda m_out;
    Sqlda m_in;
    bool m_inDescribed = false;
    std::vector<XSQLVAR> m_inTypes;
    std::vector<QByteArray> m_outData;
    std::vector<short> m_outInd;
    std::vector<QByteArray> m_inData;
    std::vector<short> m_inInd;
};

} // namespace

void FbQuery::open(const QString& sql, const FbValues& values)
{
    FbConnection::Guard guard(m_conn);
    close();
    if (!m_conn.isOpen())
        m_conn.open();
    QStringList names;
    const QString translated = fbTranslateParams(sql, &names);

    FbAutoTransaction transaction(m_conn);
    QStringList columns;
    QVector<QVector<QVariant>> rows;
    {
        Statement statement(m_conn, transaction.handle());
        statement.prepare(translated);
        statement.bind(names, values);
        columns = statement.columnNames();
        const int type = statement.type();
        statement.execute();
        if (type == isc_info_sql_stmt_select || type == isc_info_sql_stmt_select_for_upd) {
            while (statement.fetch())
                rows.append(statement.row());
        } else if (type == isc_info_sql_stmt_exec_procedure && statement.hasOutput()) {
            rows.append(statement.row());
        }
    }
    transaction.commit();

    m_names = columns;
    m_rows = rows;
    m_pos = 0;
    m_active = true;
}

int FbQuery::exec(const QString& sql, const FbValues& values)
{
    FbConnection::Guard guard(m_conn);
    close();
    if (!m_conn.isOpen())
        m_conn.open();
    QStringList names;
    const QString translated = fbTranslateParams(sql, &names);

    FbAutoTransaction transaction(m_conn);
    int affected = 0;
    {
        Statement statement(m_conn, transaction.handle());
        statement.prepare(translated);
        statement.bind(names, values);
        statement.execute();
        affected = statement.affectedRows();
    }
    transaction.commit();
    return affected;
}

struct FbPreparedQuery::Prepared {
    Prepared(FbConnection& c, unsigned int* tr) : statement(c, tr) {}
    Statement statement;
    QString sql;
    QStringList names;
    QStringList columns;
    quint64 attachment = 0;
};

FbPreparedQuery::FbPreparedQuery(FbConnection& connection) : m_conn(connection), m_result(connection)
{}

FbPreparedQuery::~FbPreparedQuery()
{
    FbConnection::Guard guard(m_conn);
    drop();
}

void FbPreparedQuery::reset()
{
    FbConnection::Guard guard(m_conn);
    drop();
}

void FbPreparedQuery::drop()
{
    if (m_prepared && !(m_conn.isOpen() && m_conn.attachment() == m_prepared->attachment))
        m_prepared->statement.forget();
    m_prepared.reset();
}

void FbPreparedQuery::open(const QString& sql, const FbValues& values)
{
    FbConnection::Guard guard(m_conn);
    m_result.close();
    if (!m_conn.isOpen())
        m_conn.open();
    if (m_prepared && (m_prepared->sql != sql || m_prepared->attachment != m_conn.attachment()))
        drop();

    FbAutoTransaction transaction(m_conn);
    QVector<QVector<QVariant>> rows;
    if (!m_prepared) {
        auto prepared = std::make_unique<Prepared>(m_conn, transaction.handle());
        const QString translated = fbTranslateParams(sql, &prepared->names);
        prepared->statement.prepare(translated);
        const int type = prepared->statement.type();
        if (type != isc_info_sql_stmt_select && type != isc_info_sql_stmt_select_for_upd)
            throw EDatabaseError(QStringLiteral("Only a select statement can be kept prepared"));
        prepared->columns = prepared->statement.columnNames();
        prepared->sql = sql;
        prepared->attachment = m_conn.attachment();
        m_prepared = std::move(prepared);
    }
    Statement& statement = m_prepared->statement;
    try {
        statement.useTransaction(transaction.handle());
        statement.bind(m_prepared->names, values);
        statement.execute();
        while (statement.fetch())
            rows.append(statement.row());
        statement.closeCursor();
    } catch (...) {
        // A cursor left open would refuse the next run: prepare afresh.
        drop();
        throw;
    }
    transaction.commit();

    m_result.m_names = m_prepared->columns;
    m_result.m_rows = rows;
    m_result.m_pos = 0;
    m_result.m_active = true;
}
