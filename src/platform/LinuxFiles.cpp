#include "platform/Platform.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int MaxLinks = 40;           // the kernel's own limit on the links of one path
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
        const bool groupKept =
            ::fchown(fd, old->st_uid, old->st_gid) == 0 || ::fchown(fd, uid_t(-1), old->st_gid) == 0;
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

bool removeFile(const QString& path)
{
    const QByteArray target = finalName(QFile::encodeName(path));
    return !target.isEmpty() && (::unlink(target.constData()) == 0 || errno == ENOENT);
}

} // namespace platform
