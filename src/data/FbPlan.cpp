#include "data/FbPlan.h"

#include "data/FbQueryIo.h"

#include <ibase.h>

#include <vector>

namespace {

// Frees the statement handle however the preparation ends.
struct StatementHandle {
    isc_stmt_handle handle = 0;
    ~StatementHandle()
    {
        if (handle) {
            ISC_STATUS_ARRAY status;
            isc_dsql_free_statement(status, &handle, DSQL_drop);
        }
    }
};

} // namespace

QString fbStatementPlan(FbConnection& connection, const QString& sql)
{
    FbConnection::Guard guard(connection);
    if (!connection.isOpen())
        connection.open();
    // Sent as FbQuery sends it: UTF-8 on a multi-byte connection, else Windows-1252.
    const QString translated = fbTranslateParams(sql, nullptr);
    const int cs = connection.clientCharSetId();
    const QByteArray text = cs == 3 || cs == 4 ? translated.toUtf8() : encodeWindows1252(translated);
    FbAutoTransaction transaction(connection);
    QString plan;
    {
        StatementHandle statement;
        ISC_STATUS_ARRAY status;
        if (isc_dsql_allocate_statement(status, connection.dbHandle(), &statement.handle))
            throw fbError(status);
        if (isc_dsql_prepare(status, transaction.handle(), &statement.handle, 0, text.constData(), 3, nullptr))
            throw fbError(status);
        const char items[] = {isc_info_sql_get_plan};
        std::vector<char> buffer(32767, 0);
        if (isc_dsql_sql_info(status, &statement.handle, sizeof items, items, short(buffer.size()), buffer.data()))
            throw fbError(status);
        if (buffer[0] != isc_info_sql_get_plan)
            throw EDatabaseError(QStringLiteral("O servidor não informou o plano da consulta."));
        const int length = int(isc_vax_integer(buffer.data() + 1, 2));
        plan = QString::fromLatin1(buffer.data() + 3, qMin(length, int(buffer.size()) - 3)).trimmed();
    }
    transaction.commit();
    return plan;
}
