#include "platform/LinuxServices.h"

#include <QProcess>
#include <QStringList>

namespace platform {

bool LinuxLauncher::runDetached(const QString& commandLine, int /*showState*/)
{
    QStringList arguments = commandLine.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (arguments.isEmpty())
        return false;
    const QString program = arguments.takeFirst();
    return QProcess::startDetached(program, arguments);
}

} // namespace platform
