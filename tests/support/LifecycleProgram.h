#pragma once
// Support for tests that run the program's own start-up in the test process:
// a throw-away program folder (the staged executable and helper library, the
// connection file, CARTORIO.ini) the program is pointed at, the reset of the
// program-wide state between tests, and a private database server of its own
// that a test can stop to cut the program's connection.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class LifecycleProgram {
public:
    explicit LifecycleProgram(bool withHelperLibrary = true);
    ~LifecycleProgram();
    LifecycleProgram(const LifecycleProgram&) = delete;
    LifecycleProgram& operator=(const LifecycleProgram&) = delete;

    QString dir() const { return m_tmp.path(); }
    QString path(const QString& name) const { return m_tmp.path() + QLatin1Char('/') + name; }
    QString executable() const { return path(QStringLiteral("MonitorSenha")); }

    // dbxconnections.ini in Windows-1252 with the section "CARTÓRIO", the
    // Database entry and any extra lines (already in Windows-1252, CRLF).
    void writeConnection(const QString& database, const QByteArray& extra = {}) const;
    void writeFile(const QString& name, const QByteArray& bytes) const;

    // Termination request, exit code, message hook, exception handler, clock
    // source and the program-wide dates back to their start values.
    static void resetGlobals();

private:
    QTemporaryDir m_tmp;
};

// A Firebird server on a port of its own (scripts/fbserver), for tests that
// lose the connection on purpose. Stopped by stop() or, at the latest, when
// the object goes away, whatever the test's outcome.
class PrivateFbServer {
public:
    PrivateFbServer();
    ~PrivateFbServer();
    PrivateFbServer(const PrivateFbServer&) = delete;
    PrivateFbServer& operator=(const PrivateFbServer&) = delete;

    // False (with the script's output in error()) when it did not start.
    bool start();
    void stop();
    bool running() const { return m_running; }

    int port() const { return m_port; }
    QString dataDir() const { return m_dir.path() + QStringLiteral("/srv/data"); }
    // The "Database" text of a file in dataDir().
    QString location(const QString& fileName) const;
    QString error() const { return m_error; }

private:
    bool run(const QString& command);

    QTemporaryDir m_dir;
    int m_port = 0;
    bool m_running = false;
    QString m_error;
};
