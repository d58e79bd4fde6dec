// The inactivity limit: the limit from the company row of the user database,
// and the real end of every process of one executable name.
#include "support/DbFixture.h"
#include "support/FakePlatform.h"
#include "support/LifecycleProgram.h"
#include <QtTest>

#include "data/DMCadastro.h"
#include "data/DMConnectionUser.h"
#include "support/FinalizaProcesso.h"
#include "support/ManualClock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <memory>

namespace {

// A copy of a small program under another name, started by the test.
std::unique_ptr<QProcess> startCopy(const QString& executable)
{
    auto p = std::make_unique<QProcess>();
    p->start(executable, {QStringLiteral("60")});
    if (!p->waitForStarted(5000))
        return nullptr;
    return p;
}

bool copyProgram(const QString& target)
{
    return QFile::copy(QStringLiteral("/bin/sleep"), target)
        && QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::ExeOwner);
}

} // namespace

class TstInatividade : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { LifecycleProgram::resetGlobals(); }
    void cleanup() { LifecycleProgram::resetGlobals(); }

    void endsRealProcesses_data()
    {
        QTest::addColumn<int>("argument"); // 0: the name, 1: the name in other case, 2: the path in folder A
        QTest::addColumn<bool>("endsA");
        QTest::addColumn<bool>("endsB");
        QTest::newRow("by name") << 0 << true << true;
        QTest::newRow("by name, other letter case") << 1 << true << true;
        QTest::newRow("by full path") << 2 << true << false;
    }
    // Copies of one program under a name of their own in two folders, and a
    // third under another name; only processes the test started can match.
    void endsRealProcesses()
    {
        QFETCH(int, argument);
        QFETCH(bool, endsA);
        QFETCH(bool, endsB);
        const QString name = QStringLiteral("MonitorSenhaTst%1").arg(QRandomGenerator::global()->generate());
        const QString outro = QStringLiteral("OutroTst%1").arg(QRandomGenerator::global()->generate());
        // The walk must never reach the test itself.
        QVERIFY(QFileInfo(QCoreApplication::applicationFilePath()).fileName().compare(name, Qt::CaseInsensitive) != 0);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("a")) && QDir(dir.path()).mkpath(QStringLiteral("b")));
        const QString a = dir.path() + QStringLiteral("/a/") + name;
        const QString b = dir.path() + QStringLiteral("/b/") + name;
        const QString c = dir.path() + QStringLiteral("/a/") + outro;
        QVERIFY(copyProgram(a) && copyProgram(b) && copyProgram(c));
        auto pa = startCopy(a), pb = startCopy(b), pc = startCopy(c);
        QVERIFY(pa && pb && pc);
        // The processes show their executable only once exec has happened.
        platform::LinuxProcesses real;
        auto allSeen = [&] {
            int seen = 0;
            for (const auto& p : real.list())
                seen += p.executable == a || p.executable == b || p.executable == c;
            return seen == 3;
        };
        QTRY_VERIFY(allSeen());

        FakePlatform fake;
        platform::services().processes = &real;
        const QString arg = argument == 0 ? name : argument == 1 ? name.toLower() : a;
        FinalizaProcesso(arg);

        QCOMPARE(pa->waitForFinished(5000), endsA);
        QCOMPARE(pb->waitForFinished(endsB ? 5000 : 300), endsB);
        if (endsA)
            QCOMPARE(pa->exitStatus(), QProcess::CrashExit);
        QCOMPARE(pc->state(), QProcess::Running);
        for (auto* p : {pa.get(), pb.get(), pc.get()}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }

    void limitFromCompanyRow_data()
    {
        QTest::addColumn<QVariant>("stored"); // TEMPOLIMITELOGOUT; null QVariant: NULL
        QTest::addColumn<int>("idleSeconds");
        QTest::addColumn<bool>("ends");
        QTest::newRow("1 minute, exactly at the limit") << QVariant(1) << 60 << false;
        QTest::newRow("1 minute, 61 s") << QVariant(1) << 61 << true;
        QTest::newRow("null reads 30, at the limit") << QVariant() << 1800 << false;
        QTest::newRow("null reads 30, beyond") << QVariant() << 1801 << true;
        QTest::newRow("90 minutes, beyond") << QVariant(90) << 5401 << true;
        QTest::newRow("90 minutes, within") << QVariant(90) << 5000 << false;
    }
    // Through the office data module, with the user module's company row open.
    void limitFromCompanyRow()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, idleSeconds);
        QFETCH(bool, ends);
        if (!DbFixture::requireServer())
            return;
        DbFixture db;
        const QString office = db.createOffice(true);
        const QString user = db.createUser(true);
        DbFixture::exec(user, QStringLiteral("UPDATE EMPRESA SET TEMPOLIMITELOGOUT = :T"),
                        {{QStringLiteral("T"), stored}});
        FakePlatform fake;
        LifecycleProgram program;
        program.writeConnection(office);
        fake.processes.self = 7;
        fake.processes.running = {{3, QStringLiteral("/usr/bin/bash"), {}},
                                  {5, QStringLiteral("/srv/outro/monitorsenha"), {}},
                                  {7, program.executable(), {}},
                                  {9, QStringLiteral("/srv/depois/MonitorSenha"), {}}};

        const QDateTime now(QDate(2030, 1, 2), QTime(3, 4, 5));
        ManualClock clock(now);
        TFDMCadastro dm(nullptr, clock);
        TFDMConnectionUser usuario(dm);
        usuario.DataModuleCreate();
        QVERIFY(usuario.DadosEmpresaAberto());
        dm.FDMConnectionUser = &usuario;
        UltimaAtividade = now.addSecs(-idleSeconds);
        dm.VerificaTempoInativo();
        QCOMPARE(fake.processes.terminated, ends ? (QList<qint64>{5, 7}) : QList<qint64>{});
        QVERIFY(fake.boxes.shown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstInatividade)
#include "tst_inatividade.moc"
