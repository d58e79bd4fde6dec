#include "platform/Platform.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int MaxLinks = 40; // the kernel's own limit on the links of one path
constexpr int TemporaryNameTries = 100; // names taken by someone else are skipped

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray nameOf(const QByteArray& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// The name a path finally stands for: each link followed, a relative one
// from its own folder, up to a name that is no link, whether a file of that
// name exists or not. Only links of the caller or of root are followed: a
// link planted by another member of a shared folder's group never steers a
// save (or a removal) made with more rights. Empty when a link is not
// followed or cannot be read, or the chain is too long.
QByteArray finalName(QByteArray path)
{
    for (int hops = 0; hops <= MaxLinks; ++hops) {
        struct stat st = {};
        if (::lstat(path.constData(), &st) != 0)
            return errno == ENOENT ? path : QByteArray();
        if (!S_ISLNK(st.st_mode))
            return path;
        if (st.st_uid != 0 && st.st_uid != ::geteuid())
            return {};
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(path.constData(), buffer, sizeof buffer);
        if (n <= 0 || n == ssize_t(sizeof buffer))
            return {};
        const QByteArray link(buffer, n);
        path = link.startsWith('/') ? link : folderOf(path) + '/' + link;
    }
    return {};
}

QString randomTemporaryName(const QString& fileName)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString name = QLatin1Char('.') + fileName + QLatin1Char('.');
    for (int i = 0; i < 12; ++i)
        name += QLatin1Char(letters[QRandomGenerator::system()->bounded(int(sizeof letters - 1))]);
    return name;
}

bool writeWhole(int fd, const QByteArray& bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// The new file gets the old one's owner and group where the caller may give
// them, and its permission bits. A new file in a folder shared by a group
// (setgid) stays writable by that group.
bool takeOverAttributes(int fd, const struct stat* old, bool sharedFolder)
{
    if (old) {
        const bool groupKept = ::fchown(fd, old->st_uid, old->st_gid) == 0 || ::fchown(fd, uid_t(-1), old->st_gid) == 0;
        // The old group's write access is never handed to another group.
        return ::fchmod(fd, old->st_mode & (groupKept ? 0777 : 0755)) == 0;
    }
    struct stat created = {};
    if (::fstat(fd, &created) != 0)
        return false;
    return !sharedFolder || ::fchmod(fd, (created.st_mode & 0777) | S_IRGRP | S_IWGRP) == 0;
}

int openFolder(const QByteArray& folder)
{
    return ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

} // namespace

bool replaceFileContents(const QString& path, const QByteArray& bytes, const TemporaryNames& temporaryName)
{
    const QByteArray target = finalName(QFile::encodeName(path));
    if (target.isEmpty())
        return false;
    const QByteArray name = nameOf(target);
    const int folder = openFolder(folderOf(target));
    if (folder < 0)
        return false;

    struct stat folderStat = {};
    struct stat old = {};
    bool exists = ::fstatat(folder, name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    bool ok = ::fstat(folder, &folderStat) == 0 && (exists ? S_ISREG(old.st_mode) : errno == ENOENT);

    // A name nobody holds: a link or a file planted there is never opened.
    QByteArray temporary;
    int fd = -1;
    for (int i = 0; ok && fd < 0 && i < TemporaryNameTries; ++i) {
        temporary = QFile::encodeName(temporaryName(QFile::decodeName(name)));
        fd = ::openat(folder, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        ok = fd >= 0 || errno == EEXIST;
    }
    ok = ok && fd >= 0;
    if (ok) {
        ok = takeOverAttributes(fd, exists ? &old : nullptr, folderStat.st_mode & S_ISGID);
        ok = ok && writeWhole(fd, bytes);
        ok = ok && ::fsync(fd) == 0;
        ok = ::close(fd) == 0 && ok;
        ok = ok && ::renameat(folder, temporary.constData(), folder, name.constData()) == 0;
        if (ok)
            ::fsync(folder); // the rename itself on the disk; the file is already whole
        else
            ::unlinkat(folder, temporary.constData(), 0);
    }
    ::close(folder);
    return ok;
}

bool replaceFileContents(const QString& path, const QByteArray& bytes)
{
    return replaceFileContents(path, bytes, &randomTemporaryName);
}

namespace {

void refuseRead(const QString& path, const char* why)
{
    std::fprintf(stderr, "%s: not read (%s)\n", QFile::encodeName(path).constData(), why);
    std::fflush(stderr);
}

} // namespace

std::optional<QByteArray> readSmallFile(const QString& path)
{
    const QByteArray target = finalName(QFile::encodeName(path));
    if (target.isEmpty()) {
        refuseRead(path, "a link of another user, or a path that cannot be followed");
        return std::nullopt;
    }
    struct stat named = {};
    if (::lstat(target.constData(), &named) != 0) {
        if (errno != ENOENT)
            refuseRead(path, std::strerror(errno));
        return std::nullopt;
    }
    if (!S_ISREG(named.st_mode)) {
        refuseRead(path, "not a regular file");
        return std::nullopt;
    }
    const int fd = ::open(target.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        refuseRead(path, std::strerror(errno));
        return std::nullopt;
    }
    struct stat opened = {};
    QByteArray bytes;
    const char* refusal = nullptr;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_ino != named.st_ino
        || opened.st_dev != named.st_dev) {
        refusal = "changed while it was opened";
    } else if (opened.st_size > SmallFileLimit) {
        refusal = "larger than 1 MiB";
    } else {
        // One byte past the limit tells a file that grew meanwhile.
        char buffer[65536];
        while (!refusal) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                refusal = "read error";
            if (n <= 0)
                break;
            bytes.append(buffer, n);
            if (bytes.size() > SmallFileLimit)
                refusal = "larger than 1 MiB";
        }
    }
    ::close(fd);
    if (refusal) {
        refuseRead(path, refusal);
        return std::nullopt;
    }
    return bytes;
}

namespace {

QString openRuntimeFolder()
{
    const QByteArray path = qgetenv("XDG_RUNTIME_DIR");
    if (path.isEmpty())
        return {};
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st = {};
    const char* refusal = nullptr;
    if (fd < 0)
        refusal = std::strerror(errno);
    else if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid())
        refusal = "not owned by this user";
    else if ((st.st_mode & 07777) != 0700)
        refusal = "mode is not 0700";
    if (refusal) {
        std::fprintf(stderr, "XDG_RUNTIME_DIR=%s not used (%s); going on without a runtime folder\n", path.constData(),
                     refusal);
        std::fflush(stderr);
        if (fd >= 0)
            ::close(fd);
        return {};
    }
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
}

} // namespace

QString runtimeFolder()
{
    // A handle stays open for the process's life, since its path may be kept
    // by a caller; only a change of the variable (tests) opens another.
    static std::mutex mutex;
    static QByteArray openedFor;
    static QString folder;
    const std::lock_guard<std::mutex> lock(mutex);
    const QByteArray now = qgetenv("XDG_RUNTIME_DIR");
    if (folder.isNull() || now != openedFor) {
        openedFor = now;
        folder = openRuntimeFolder();
        if (folder.isNull())
            folder = QStringLiteral("");
    }
    return folder;
}

bool removeFile(const QString& path)
{
    const QByteArray target = finalName(QFile::encodeName(path));
    return !target.isEmpty() && (::unlink(target.constData()) == 0 || errno == ENOENT);
}

} // namespace platform
