#include "platform/LinuxServices.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace platform {

namespace {
// The kernel marks the executable of a process whose file was replaced or
// removed; the path is still the one the process was started from.
const char kDeletedMark[] = " (deleted)";
} // namespace

namespace {

// The executable of each process that has one readable; with `own`, only the
// processes whose real and effective user are this program's effective user,
// with their command lines.
QList<ProcessInfo> readProcesses(bool own)
{
    QList<ProcessInfo> processes;
    const QString self = QString::number(::geteuid());
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid || pid <= 0)
            continue;
        const QString folder = QStringLiteral("/proc/") + entry;
        if (own) {
            QFile status(folder + QStringLiteral("/status"));
            if (!status.open(QIODevice::ReadOnly))
                continue;
            QStringList ids;
            for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
                if (line.startsWith("Uid:"))
                    ids = QString::fromLatin1(line.mid(4)).simplified().split(QLatin1Char(' '));
            if (ids.size() < 2 || ids[0] != self || ids[1] != self)
                continue;
        }
        const QByteArray link = QFile::encodeName(folder + QStringLiteral("/exe"));
        char target[4096];
        const ssize_t length = readlink(link.constData(), target, sizeof target - 1);
        if (length <= 0)
            continue;
        QString executable = QFile::decodeName(QByteArray(target, int(length)));
        if (executable.endsWith(QLatin1String(kDeletedMark)))
            executable.chop(int(sizeof kDeletedMark) - 1);
        QStringList arguments;
        QFile cmdline(folder + QStringLiteral("/cmdline"));
        if (own && cmdline.open(QIODevice::ReadOnly)) {
            QByteArray bytes = cmdline.readAll();
            if (bytes.endsWith('\0'))
                bytes.chop(1);
            for (const QByteArray& argument : bytes.split('\0'))
                arguments.append(QFile::decodeName(argument));
        }
        processes.append({pid, executable, arguments});
    }
    return processes;
}

} // namespace

QList<ProcessInfo> LinuxProcesses::list()
{
    return readProcesses(false);
}

QList<ProcessInfo> LinuxProcesses::ownProcesses()
{
    return readProcesses(true);
}

qint64 LinuxProcesses::currentPid()
{
    return getpid();
}

bool LinuxProcesses::terminate(qint64 pid)
{
    if (pid <= 0)
        return false;
    return kill(static_cast<pid_t>(pid), SIGKILL) == 0;
}

} // namespace platform
