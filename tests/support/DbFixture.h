#pragma once
// Database tests run against the private server of scripts/fbserver, named by
//   MONITOR_FB_HOST  server and port, e.g. 127.0.0.1/3052
//   MONITOR_FB_DIR   a folder the server can write, on this machine
// Without them the tests skip, unless MONITOR_REQUIRE_SERVER=1 makes that a failure.

#include "data/FbClient.h"

#include <QString>
#include <memory>

class DbFixture {
public:
    // Call first in a test: `if (!DbFixture::requireServer()) return;`
    static bool requireServer();
    static QString host();
    static QString dataDir();

    static QString user() { return QStringLiteral("VARLO"); }
    static QString password() { return QStringLiteral("tarvumel"); }

    // A folder of its own under the data folder, removed with the fixture.
    DbFixture();
    ~DbFixture();
    DbFixture(const DbFixture&) = delete;
    DbFixture& operator=(const DbFixture&) = delete;

    // Fresh databases (CARTORIO.FDB, USUARIO.FDB side by side in dir()), empty
    // or with the demonstration content; each returns its "Database" text.
    QString createOffice(bool demo = false);
    QString createUser(bool demo = false);
    // CARTORIO.FDB with the demonstration content, owned by the server's
    // administrator (restored from a backup by SYSDBA), as an office's often is.
    QString createOfficeOwnedByAdministrator();
    QString dir() const { return m_dir; }
    // The "Database" text of a file in dir().
    QString location(const QString& fileName) const;

    // Connection parameters as a definition section would give them.
    static ConnectionParams params(const QString& database, const QString& charset = QString());
    static std::shared_ptr<FbConnection> connect(const QString& database, const QString& charset = QString());
    // Runs one statement as VARLO on its own attachment, for test setup.
    static int exec(const QString& database, const QString& sql, const FbValues& values = {});
    // The same as the server's administrator (SYSDBA_PASSWORD, else masterkey).
    static int execAsAdministrator(const QString& database, const QString& sql);

private:
    QString copyTemplate(const QString& fileName, bool demo);
    QString m_dir;
};
