#include "support/ProgramPaths.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
QString& overridePath()
{
    static QString path;
    return path;
}
} // namespace

namespace ProgramPaths {

QString executablePath()
{
    if (!overridePath().isEmpty())
        return overridePath();
    return QCoreApplication::applicationFilePath();
}

QString directory()
{
    const QString path = executablePath();
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1).trimmed();
}

QString executableName()
{
    return QFileInfo(executablePath()).fileName();
}

void setExecutablePathForTesting(const QString& path)
{
    overridePath() = path;
}

} // namespace ProgramPaths
