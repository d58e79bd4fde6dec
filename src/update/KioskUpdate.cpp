#include "update/KioskUpdate.h"

#include "platform/Platform.h"
#include "support/Kiosk.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace KioskUpdate {

bool updaterRunning(const QString& updater)
{
    // The system names a process's executable by its real path.
    QStringList names{updater};
    const QString real = QFileInfo(updater).canonicalFilePath();
    if (!real.isEmpty() && real != updater)
        names.append(real);
    for (const platform::ProcessInfo& process : platform::services().processes->ownProcesses()) {
        // An interpreter runs a script as its first argument after its own name.
        for (const QString& name : names)
            if (process.executable == name || process.arguments.mid(0, 2).contains(name))
                return true;
    }
    return false;
}

QString noticeRecordPath()
{
    const QString folder = platform::runtimeFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/monitor-senha-atualizacao");
}

bool tellOncePerDay(const QString& text, const QDate& today, const QString& recordPath)
{
    const QByteArray record = today.toString(Qt::ISODate).toUtf8() + ' ' + text.toUtf8();
    if (!recordPath.isEmpty() && platform::readSmallFile(recordPath) == record)
        return false;
    kiosk::log(QStringLiteral("VARLO"), text);
    // Not kept (no runtime folder): the next start writes the line again.
    platform::replaceFileContents(recordPath, record);
    return true;
}

QString cannotInstallText(const QString& released, const QString& build, const QString& updater)
{
    return QStringLiteral("Versão %1 liberada; esta é a %2. O programa de atualização (%3) não pode ser executado "
                          "nesta máquina: a tela continua com a versão atual.")
        .arg(released, build, updater);
}

} // namespace KioskUpdate
