#include "BenchCommon.h"

#include <QFile>
#include <QList>
#include <unistd.h>

double cpuMs(long pid)
{
    QFile stat(pid ? QStringLiteral("/proc/%1/stat").arg(pid) : QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The command name may hold blanks: fields are counted after its ")".
    const QList<QByteArray> f = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (f.size() < 13)
        return -1;
    const double ticks = double(sysconf(_SC_CLK_TCK));
    return (f[11].toDouble() + f[12].toDouble()) * 1000.0 / ticks;
}

QuietServices::QuietServices()
{
    platform::services().sound = &sound;
    platform::services().cursor = &cursor;
    platform::services().boxes = &boxes;
}
