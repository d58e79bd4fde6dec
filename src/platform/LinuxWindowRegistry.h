#pragma once
// Top-level window look-up across the processes of one user and desktop
// session. Each published window is an entry file in a private directory of
// the session, named after a hash of class and caption and holding them both;
// the publishing process keeps an exclusive lock on it. The kernel drops the
// lock when the process ends in any way, so entries of crashed processes are
// recognised (and removed) by anyone who can take the lock. Nothing waits:
// a running copy is found even while it is busy and runs no event loop.

#include "platform/Platform.h"

#include <QHash>
#include <QString>

namespace platform {

class LinuxWindowRegistry : public WindowRegistry {
public:
    // Empty directory: the default one of this user and desktop session.
    explicit LinuxWindowRegistry(const QString& directory = QString());
    ~LinuxWindowRegistry() override;

    void publish(const void* window, const QString& className, const QString& caption) override;
    void withdraw(const void* window) override;
    bool find(const QString& className, const QString& caption) override;

    QString directory() const { return m_directory; }
    // <runtime dir>/monitorsenha-windows-<uid>-<session>, from XDG_RUNTIME_DIR
    // (or the temporary folder) and DISPLAY, WAYLAND_DISPLAY or XDG_SESSION_ID.
    static QString defaultDirectory();

private:
    struct Entry {
        int fd = -1;
        QString path;
    };
    bool ensureDirectory();
    static QString keyOf(const QString& className, const QString& caption);
    static QByteArray contentOf(const QString& className, const QString& caption);

    QString m_directory;
    bool m_usable = false;
    QHash<const void*, Entry> m_entries;
    int m_serial = 0;
};

} // namespace platform
