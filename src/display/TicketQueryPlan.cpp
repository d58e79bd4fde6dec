#include "display/TicketQueryPlan.h"

#include "data/FbClient.h"
#include "data/FbPlan.h"
#include "display/TicketQuery.h"

#include <QRegularExpression>

namespace {

// Words and parentheses of a plan; commas are dropped.
QStringList planTokens(const QString& plan)
{
    static const QRegularExpression token(QStringLiteral("[()]|[^\\s(),]+"));
    QStringList tokens;
    for (auto it = token.globalMatch(plan); it.hasNext();)
        tokens.append(it.next().captured(0));
    return tokens;
}

} // namespace

PlanAccess planAccess(const QString& plan, const QString& alias)
{
    const QStringList t = planTokens(plan);
    PlanAccess access;
    for (int i = 0; i + 1 < t.size(); ++i) {
        if (t[i].compare(alias, Qt::CaseInsensitive) != 0)
            continue;
        const QString& how = t[i + 1];
        if (how == QLatin1String("NATURAL")) {
            access.found = true;
            return access;
        }
        if (how != QLatin1String("INDEX") && how != QLatin1String("ORDER"))
            continue;
        access.found = true;
        int j = i + 1;
        // ORDER <index> walks the whole table in index order; INDEX (...) reads
        // only the keys that match. A plan may give both.
        if (t[j] == QLatin1String("ORDER") && j + 1 < t.size()) {
            access.indexes.append(t[j + 1]);
            j += 2;
        }
        if (j + 1 < t.size() && t[j] == QLatin1String("INDEX") && t[j + 1] == QLatin1String("(")) {
            access.filtered = true;
            int depth = 0;
            for (int k = j + 1; k < t.size(); ++k) {
                if (t[k] == QLatin1String("("))
                    ++depth;
                else if (t[k] == QLatin1String(")") && --depth == 0)
                    break;
                else if (!access.indexes.contains(t[k]))
                    access.indexes.append(t[k]);
            }
        }
        return access;
    }
    return access;
}

QString ticketIndexName()
{
    return QStringLiteral("IDX_ATEND_SENHA_DATA_STATUS");
}

QString ticketIndexStatement()
{
    return QStringLiteral("CREATE INDEX %1 ON ATEND_SENHA (DATA_SENHA, STATUS);").arg(ticketIndexName());
}

TicketQueryPlan ticketQueryPlan(FbConnection& connection, const QString& tiposSenha)
{
    TicketQueryPlan result;
    result.plan = fbStatementPlan(connection, ticketQuerySql(tiposSenha));
    result.senhas = planAccess(result.plan, QStringLiteral("A"));
    if (result.readsByIndex())
        return result;
    FbQuery inactive(connection);
    inactive.open(QStringLiteral("SELECT I.RDB$INDEX_NAME FROM RDB$INDICES I"
                                 " JOIN RDB$INDEX_SEGMENTS S ON S.RDB$INDEX_NAME = I.RDB$INDEX_NAME"
                                 " WHERE I.RDB$RELATION_NAME = 'ATEND_SENHA' AND I.RDB$INDEX_INACTIVE = 1"
                                 " AND S.RDB$FIELD_NAME = 'DATA_SENHA' AND S.RDB$FIELD_POSITION = 0"
                                 " ORDER BY I.RDB$SEGMENT_COUNT DESC"));
    if (!inactive.isEmpty())
        result.inactiveIndex = inactive.field(0).asString().trimmed();
    return result;
}
