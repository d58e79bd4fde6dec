#include "support/DbFixture.h"

#include "support/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

namespace {

// Database templates made once per test process, then copied per fixture.
struct Templates {
    QString dir[2];
    ~Templates()
    {
        for (const QString& d : dir)
            if (!d.isEmpty())
                QDir(d).removeRecursively();
    }
};

Templates& templates()
{
    static Templates t;
    return t;
}

QString templateDir(bool demo)
{
    QString& dir = templates().dir[demo ? 1 : 0];
    if (!dir.isEmpty())
        return dir;
    const QString path = QStringLiteral("%1/tpl-%2-%3")
                             .arg(DbFixture::dataDir())
                             .arg(QCoreApplication::applicationPid())
                             .arg(demo ? QStringLiteral("demo") : QStringLiteral("empty"));
    QDir(path).removeRecursively();
    QStringList args{path, QStringLiteral("--server"), DbFixture::host()};
    if (demo)
        args << QStringLiteral("--demo");
    QProcess mkdb;
    mkdb.start(testpaths::sourceDir() + QStringLiteral("/scripts/mkdb"), args);
    if (!mkdb.waitForFinished(120000) || mkdb.exitCode() != 0)
        throw Exception(QStringLiteral("mkdb failed: ") + QString::fromLocal8Bit(mkdb.readAllStandardError()));
    dir = path;
    return dir;
}

int fixtureCounter = 0;

} // namespace

bool DbFixture::requireServer()
{
    if (!host().isEmpty() && !dataDir().isEmpty())
        return true;
    const char* why = "database server not configured (start scripts/fbserver and export its env)";
    if (qEnvironmentVariable("MONITOR_REQUIRE_SERVER") == QLatin1String("1"))
        QTest::qFail(why, __FILE__, __LINE__);
    else
        QTest::qSkip(why, __FILE__, __LINE__);
    return false;
}

QString DbFixture::host()
{
    return qEnvironmentVariable("MONITOR_FB_HOST");
}

QString DbFixture::dataDir()
{
    return qEnvironmentVariable("MONITOR_FB_DIR");
}

DbFixture::DbFixture()
{
    m_dir = QStringLiteral("%1/t-%2-%3").arg(dataDir()).arg(QCoreApplication::applicationPid()).arg(++fixtureCounter);
    QDir(m_dir).removeRecursively();
    QDir().mkpath(m_dir);
}

DbFixture::~DbFixture()
{
    QDir(m_dir).removeRecursively();
}

QString DbFixture::location(const QString& fileName) const
{
    return host() + QLatin1Char(':') + m_dir + QLatin1Char('/') + fileName;
}

QString DbFixture::copyTemplate(const QString& fileName, bool demo)
{
    const QString target = m_dir + QLatin1Char('/') + fileName;
    // Replacing a file the server may hold open would mix two databases.
    if (QFile::exists(target))
        throw Exception(fileName + QStringLiteral(" already exists in this fixture"));
    if (!QFile::copy(templateDir(demo) + QLatin1Char('/') + fileName, target))
        throw Exception(QStringLiteral("cannot copy the template of ") + fileName);
    return location(fileName);
}

QString DbFixture::createOffice(bool demo)
{
    return copyTemplate(QStringLiteral("CARTORIO.FDB"), demo);
}

QString DbFixture::createUser(bool demo)
{
    return copyTemplate(QStringLiteral("USUARIO.FDB"), demo);
}

ConnectionParams DbFixture::params(const QString& database, const QString& charset)
{
    return {{QStringLiteral("Database"), database},
            {QStringLiteral("ServerCharSet"), charset},
            {QStringLiteral("SQLDialect"), QStringLiteral("3")},
            {QStringLiteral("User_Name"), user()},
            {QStringLiteral("Password"), password()}};
}

std::shared_ptr<FbConnection> DbFixture::connect(const QString& database, const QString& charset)
{
    auto connection = std::make_shared<FbConnection>(params(database, charset));
    connection->open();
    return connection;
}

int DbFixture::exec(const QString& database, const QString& sql, const FbValues& values)
{
    FbConnection connection(params(database));
    connection.open();
    return connection.exec(sql, values);
}

namespace {

QString administratorPassword()
{
    return qEnvironmentVariable("SYSDBA_PASSWORD", QStringLiteral("masterkey"));
}

void gbak(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("gbak"), args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw Exception(QStringLiteral("gbak failed: ") + QString::fromLocal8Bit(p.readAllStandardError()));
}

} // namespace

QString DbFixture::createOfficeOwnedByAdministrator()
{
    const QString source = createOffice(true);
    const QString backup = m_dir + QStringLiteral("/CARTORIO.FBK");
    gbak({QStringLiteral("-b"), QStringLiteral("-user"), user(), QStringLiteral("-password"), password(), source,
          backup});
    const QString target = location(QStringLiteral("ADMIN/CARTORIO.FDB"));
    QDir().mkpath(m_dir + QStringLiteral("/ADMIN"));
    gbak({QStringLiteral("-c"), QStringLiteral("-user"), QStringLiteral("SYSDBA"), QStringLiteral("-password"),
          administratorPassword(), backup, target});
    return target;
}

int DbFixture::execAsAdministrator(const QString& database, const QString& sql)
{
    ConnectionParams p = params(database);
    for (auto& entry : p) {
        if (entry.first == QLatin1String("User_Name"))
            entry.second = QStringLiteral("SYSDBA");
        else if (entry.first == QLatin1String("Password"))
            entry.second = administratorPassword();
    }
    FbConnection connection(p);
    connection.open();
    return connection.exec(sql);
}
