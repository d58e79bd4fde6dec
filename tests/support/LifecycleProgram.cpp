#include "support/LifecycleProgram.h"

#include "data/DMCadastro.h"
#include "support/ApplicationEvents.h"
#include "support/ManualClock.h"
#include "support/Paths.h"
#include "support/ProgramPaths.h"
#include "support/Termination.h"

#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>

LifecycleProgram::LifecycleProgram(bool withHelperLibrary)
{
    const QString stage = testpaths::stageDir() + QLatin1Char('/');
    QFile::copy(stage + QStringLiteral("MonitorSenha"), executable());
    if (withHelperLibrary)
        QFile::copy(stage + QStringLiteral("VarloLib.dll"), path(QStringLiteral("VarloLib.dll")));
    ProgramPaths::setExecutablePathForTesting(executable());
}

LifecycleProgram::~LifecycleProgram()
{
    ProgramPaths::setExecutablePathForTesting(QString());
}

void LifecycleProgram::writeConnection(const QString& database, const QByteArray& extra) const
{
    writeFile(QStringLiteral("dbxconnections.ini"),
              "[CART\xD3RIO]\r\nDriverName=Interbase\r\nDatabase=" + database.toLocal8Bit() + "\r\nSQLDialect=3\r\n"
                  + extra);
}

void LifecycleProgram::writeFile(const QString& name, const QByteArray& bytes) const
{
    QFile f(path(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

void LifecycleProgram::resetGlobals()
{
    resetTerminationForTesting();
    ApplicationEvents::setMessageHook({});
    ApplicationEvents::setExceptionHandler({});
    useRealClock();
    DataDoDia.set(QDate());
    UltimaAtividade = QDateTime();
}

PrivateFbServer::PrivateFbServer()
{
    // A port nobody listens on now; the script refuses a taken one.
    QTcpServer probe;
    if (probe.listen(QHostAddress::LocalHost, 0))
        m_port = probe.serverPort();
}

PrivateFbServer::~PrivateFbServer()
{
    stop();
}

bool PrivateFbServer::run(const QString& command)
{
    QProcess script;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PORT"), QString::number(m_port));
    script.setProcessEnvironment(env);
    script.start(testpaths::sourceDir() + QStringLiteral("/scripts/fbserver"),
                 {command, m_dir.path() + QStringLiteral("/srv")});
    const bool ok =
        script.waitForFinished(60000) && script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0;
    if (!ok)
        m_error = QString::fromLocal8Bit(script.readAllStandardError());
    return ok;
}

bool PrivateFbServer::start()
{
    if (m_port <= 0 || !m_dir.isValid()) {
        m_error = QStringLiteral("no free port or folder");
        return false;
    }
    // Marked first: a half-started server is stopped all the same.
    m_running = true;
    return run(QStringLiteral("start"));
}

void PrivateFbServer::stop()
{
    if (!m_running)
        return;
    run(QStringLiteral("stop"));
    m_running = false;
}

QString PrivateFbServer::location(const QString& fileName) const
{
    return QStringLiteral("127.0.0.1/%1:%2/%3").arg(m_port).arg(dataDir(), fileName);
}
