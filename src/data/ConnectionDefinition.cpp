#include "data/ConnectionDefinition.h"

#include "data/FbClient.h"
#include "support/Errors.h"
#include "support/ProgramPaths.h"

#include <QFile>

namespace ConnectionDefinition {

QString secao()
{
    return QStringLiteral("CARTÓRIO");
}

QString caminhoPadrao()
{
    return ProgramPaths::directory() + QStringLiteral("dbxconnections.ini");
}

ConnectionParams leSecao(const QString& path, const QString& section)
{
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        throw EDatabaseError(QStringLiteral("Driver/Connection Registry File '%1' not found").arg(path));
    const QString text = decodeWindows1252(file.readAll());

    ConnectionParams params;
    bool inSection = false;
    bool sectionSeen = false;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            const int close = line.indexOf(QLatin1Char(']'));
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            if (inSection)
                break; // a later section of the same name is not read
            inSection = !sectionSeen && name.compare(section, Qt::CaseInsensitive) == 0;
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection || line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString name = line.left(eq).trimmed();
        if (!name.isEmpty())
            params.append({name, line.mid(eq + 1).trimmed()});
    }
    return params;
}

ConnectionParams parametrosConexao(const QString& path)
{
    ConnectionParams params = leSecao(path, secao());
    params.append({QStringLiteral("User_Name"), QStringLiteral("VARLO")});
    params.append({QStringLiteral("Password"), QStringLiteral("tarvumel")});
    return params;
}

} // namespace ConnectionDefinition
