#include "platform/LinuxWindowRegistry.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QString sessionName()
{
    for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_ID"}) {
        const QString value = qEnvironmentVariable(var);
        if (!value.isEmpty())
            return QString::fromLatin1(var) + QLatin1Char('=') + value;
    }
    return QStringLiteral("none");
}

QByteArray readAll(int fd)
{
    QByteArray data;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || data.size() > 65536)
            return data;
        data.append(buffer, int(n));
    }
}

bool writeAll(int fd, const QByteArray& data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

LinuxWindowRegistry::LinuxWindowRegistry(const QString& directory)
    : m_directory(directory.isEmpty() ? defaultDirectory() : directory)
{
    m_usable = ensureDirectory();
}

LinuxWindowRegistry::~LinuxWindowRegistry()
{
    const auto windows = m_entries.keys();
    for (const void* w : windows)
        withdraw(w);
}

QString LinuxWindowRegistry::defaultDirectory()
{
    QString base = runtimeFolder();
    if (base.isEmpty())
        base = QDir::tempPath();
    const QByteArray session =
        QCryptographicHash::hash(sessionName().toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return base + QStringLiteral("/monitorsenha-windows-%1-%2").arg(::getuid()).arg(QString::fromLatin1(session));
}

bool LinuxWindowRegistry::ensureDirectory()
{
    const QByteArray path = QFile::encodeName(m_directory);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    // In a shared folder someone else could have made the directory first.
    struct stat st;
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return false;
    if ((st.st_mode & 0077) != 0)
        ::chmod(path.constData(), 0700);
    return true;
}

QString LinuxWindowRegistry::keyOf(const QString& className, const QString& caption)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(contentOf(className, caption), QCryptographicHash::Sha1).toHex());
}

QByteArray LinuxWindowRegistry::contentOf(const QString& className, const QString& caption)
{
    return className.toUtf8() + '\n' + caption.toUtf8();
}

void LinuxWindowRegistry::publish(const void* window, const QString& className, const QString& caption)
{
    withdraw(window);
    if (!m_usable)
        return;
    const QString unique = QStringLiteral("%1-%2").arg(QCoreApplication::applicationPid()).arg(++m_serial);
    const QByteArray temporary = QFile::encodeName(m_directory + QStringLiteral("/.") + unique);
    const QString finalPath = m_directory + QLatin1Char('/') + keyOf(className, caption) + QLatin1Char('.') + unique;

    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return;
    // Locked and complete before it gets its visible name, so a finder never
    // takes a new entry for a stale one.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !writeAll(fd, contentOf(className, caption))
        || ::rename(temporary.constData(), QFile::encodeName(finalPath).constData()) != 0) {
        ::unlink(temporary.constData());
        ::close(fd);
        return;
    }
    m_entries.insert(window, {fd, finalPath});
}

void LinuxWindowRegistry::withdraw(const void* window)
{
    const auto it = m_entries.find(window);
    if (it == m_entries.end())
        return;
    ::unlink(QFile::encodeName(it->path).constData());
    ::close(it->fd);
    m_entries.erase(it);
}

bool LinuxWindowRegistry::find(const QString& className, const QString& caption)
{
    if (!m_usable)
        return false;
    const QByteArray wanted = contentOf(className, caption);
    const QDir dir(m_directory);
    const QStringList names =
        dir.entryList({keyOf(className, caption) + QStringLiteral(".*")}, QDir::Files | QDir::System);
    bool found = false;
    for (const QString& name : names) {
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
            // Held by a live process (this one included).
            if (errno == EWOULDBLOCK && readAll(fd) == wanted)
                found = true;
        } else {
            // Nobody holds it: its process has ended. Remove it unless the name
            // has meanwhile been given to another file.
            struct stat opened, named;
            if (::fstat(fd, &opened) == 0 && ::lstat(path.constData(), &named) == 0 && opened.st_ino == named.st_ino
                && opened.st_dev == named.st_dev)
                ::unlink(path.constData());
        }
        ::close(fd);
        if (found)
            return true;
    }
    return false;
}

} // namespace platform
