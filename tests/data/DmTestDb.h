#pragma once
// Test support for the data modules: fresh office and user databases on the
// private server of scripts/fbserver (MONITOR_FB_HOST, MONITOR_FB_DIR), and a
// throw-away program folder holding the executable, the helper library and
// a dbxconnections.ini.

#include "data/FbClient.h"
#include "support/Paths.h"
#include "support/ProgramPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// Skips the test when no server is configured; a failure under MONITOR_REQUIRE_SERVER=1.
#define DM_REQUIRE_SERVER()                                                                                            \
    do {                                                                                                               \
        if (!DmTestDb::configured()) {                                                                                 \
            if (qEnvironmentVariable("MONITOR_REQUIRE_SERVER") == QLatin1String("1"))                                  \
                QFAIL("database server not configured (scripts/fbserver start)");                                      \
            QSKIP("database server not configured (scripts/fbserver start)");                                          \
        }                                                                                                              \
    } while (0)

class DmTestDb {
public:
    static QString host() { return qEnvironmentVariable("MONITOR_FB_HOST"); }
    static QString dataDir() { return qEnvironmentVariable("MONITOR_FB_DIR"); }
    static bool configured() { return !host().isEmpty() && !dataDir().isEmpty(); }

    // A folder of its own under the server's data folder with CARTORIO.FDB and
    // USUARIO.FDB copied from templates made once per test process.
    explicit DmTestDb(bool demo = true)
    {
        static int counter = 0;
        m_dir = QStringLiteral("%1/dm-%2-%3").arg(dataDir()).arg(QCoreApplication::applicationPid()).arg(++counter);
        QDir(m_dir).removeRecursively();
        QDir().mkpath(m_dir);
        const QString tpl = templateDir(demo);
        for (const char* f : {"CARTORIO.FDB", "USUARIO.FDB"})
            QFile::copy(tpl + QLatin1Char('/') + QLatin1String(f), m_dir + QLatin1Char('/') + QLatin1String(f));
    }
    ~DmTestDb() { QDir(m_dir).removeRecursively(); }

    QString dir() const { return m_dir; }
    QString office() const { return host() + QLatin1Char(':') + m_dir + QStringLiteral("/CARTORIO.FDB"); }
    QString user() const { return host() + QLatin1Char(':') + m_dir + QStringLiteral("/USUARIO.FDB"); }

    static ConnectionParams params(const QString& database)
    {
        return {{QStringLiteral("Database"), database},
                {QStringLiteral("User_Name"), QStringLiteral("VARLO")},
                {QStringLiteral("Password"), QStringLiteral("tarvumel")}};
    }
    // Runs one statement on an attachment of its own.
    static int exec(const QString& database, const QString& sql, const FbValues& values = {})
    {
        FbConnection c(params(database));
        c.open();
        return c.exec(sql, values);
    }
    static QVariant value(const QString& database, const QString& sql)
    {
        FbConnection c(params(database));
        FbQuery q(c);
        q.open(sql);
        return q.isEmpty() ? QVariant() : q.field(0).value();
    }

private:
    static QString templateDir(bool demo)
    {
        // Made once per test process, removed at its end.
        static struct Templates {
            QString dir[2];
            ~Templates()
            {
                for (const QString& d : dir)
                    if (!d.isEmpty())
                        QDir(d).removeRecursively();
            }
        } templates;
        QString& dir = templates.dir[demo ? 1 : 0];
        if (!dir.isEmpty())
            return dir;
        const QString path =
            QStringLiteral("%1/dmtpl-%2-%3").arg(dataDir()).arg(QCoreApplication::applicationPid()).arg(demo ? 1 : 0);
        QDir(path).removeRecursively();
        QStringList args{path, QStringLiteral("--server"), host()};
        if (demo)
            args << QStringLiteral("--demo");
        QProcess mkdb;
        mkdb.start(testpaths::sourceDir() + QStringLiteral("/scripts/mkdb"), args);
        if (!mkdb.waitForFinished(120000) || mkdb.exitCode() != 0)
            qFatal("mkdb failed: %s", mkdb.readAllStandardError().constData());
        dir = path;
        return dir;
    }
    QString m_dir;
};

// A program folder: the staged executable and helper library copied into a
// temporary folder the program is pointed at; dbxconnections.ini is written there.
class ProgramFolder {
public:
    explicit ProgramFolder(bool withHelperLibrary = true)
    {
        const QString stage = testpaths::stageDir() + QLatin1Char('/');
        QFile::copy(stage + QStringLiteral("MonitorSenha"), path(QStringLiteral("MonitorSenha")));
        if (withHelperLibrary)
            QFile::copy(stage + QStringLiteral("VarloLib.dll"), path(QStringLiteral("VarloLib.dll")));
        ProgramPaths::setExecutablePathForTesting(path(QStringLiteral("MonitorSenha")));
    }
    ~ProgramFolder() { ProgramPaths::setExecutablePathForTesting(QString()); }

    QString path(const QString& name) const { return m_tmp.path() + QLatin1Char('/') + name; }
    QString iniPath() const { return path(QStringLiteral("dbxconnections.ini")); }

    // Writes the file as it stands (bytes: Windows-1252).
    void writeIni(const QByteArray& bytes) const
    {
        QFile f(iniPath());
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
    }
    // The usual section "CARTÓRIO" with a Database entry and extra lines.
    void writeSection(const QString& database, const QByteArray& extra = {}) const
    {
        writeIni("[CART\xD3RIO]\r\nDriverName=Interbase\r\nDatabase=" + database.toLocal8Bit() + "\r\nSQLDialect=3\r\n"
                 + extra);
    }

private:
    QTemporaryDir m_tmp;
};
