#include "platform/LinuxServices.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include <unistd.h>

namespace platform {

namespace {

// The start of an ELF header: magic, class, byte order, ..., machine at 18.
constexpr int kElfHeadSize = 20;

QByteArray head(const QString& path, int size)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(size) : QByteArray();
}

// The same word size, byte order and processor as the running program.
bool sameMachine(const QByteArray& elf)
{
    const QByteArray own = head(QStringLiteral("/proc/self/exe"), kElfHeadSize);
    return elf.size() == kElfHeadSize && own.size() == kElfHeadSize && elf.mid(4, 2) == own.mid(4, 2)
        && elf.mid(18, 2) == own.mid(18, 2);
}

} // namespace

bool LinuxLauncher::runDetached(const QString& program, const QStringList& arguments, int /*showState*/)
{
    return !program.isEmpty() && QProcess::startDetached(program, arguments);
}

bool LinuxLauncher::canRun(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || access(QFile::encodeName(path).constData(), X_OK) != 0)
        return false;
    const QByteArray start = head(path, kElfHeadSize);
    if (start.startsWith("#!"))
        return true;
    return start.startsWith("\x7f"
                            "ELF")
        && sameMachine(start);
}

} // namespace platform
