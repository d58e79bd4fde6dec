// The hand-over to the updater, from the released version recorded in the
// office database to the updater's command line and the news file.
#include "support/DbFixture.h"
#include "support/FakePlatform.h"
#include "support/LifecycleProgram.h"
#include "support/TestMain.h"

#include "config/ProfileFile.h"
#include "data/DMCadastro.h"
#include "support/Termination.h"
#include "update/NovaVersao.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

const QString kCaption = QStringLiteral("Monitor Senha [ 1.0.0.1 ]");
const QString kUpdaterMissing = QStringLiteral(
    "A versão atual do sistema está desatualizada.\r"
    "Porém, o programa de atualização (ATUALIZAVARLO.Exe) não foi localizado no SERVIDOR.\r"
    "Não será possível atualizar/executar o sistema agora.\r"
    "Contate o suporte técnico para resolver o problema.");

// A stand-in updater that writes its arguments, one a line, beside itself.
bool writeUpdater(const QString& dir)
{
    QFile script(dir + QStringLiteral("/AtualizaVarlo.exe"));
    if (!script.open(QIODevice::WriteOnly))
        return false;
    script.write("#!/bin/sh\n"
                 "out=\"$(dirname \"$0\")/args\"\n"
                 "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out.tmp\"\n"
                 "mv \"$out.tmp\" \"$out.txt\"\n");
    script.close();
    return script.setPermissions(script.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TstNovaVersao : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { LifecycleProgram::resetGlobals(); }
    void cleanup() { LifecycleProgram::resetGlobals(); }

    void newsFileName_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("news");
        QTest::newRow("no extension") << "/opt/m/MonitorSenha" << "/opt/m/NovidadesMonitorSenha.INI";
        QTest::newRow("extension replaced") << "/opt/m/PAINEL.EXE" << "/opt/m/NovidadesPAINEL.INI";
        QTest::newRow("last extension only") << "/opt/m/a.b.exe" << "/opt/m/Novidadesa.b.INI";
    }
    void newsFileName()
    {
        QFETCH(QString, executable);
        QFETCH(QString, news);
        QCOMPARE(NovaVersao::newsFilePath(executable), news);
    }

    void handOver_data()
    {
        QTest::addColumn<QVariant>("released"); // VERSAO_MSN; null QVariant: NULL; "-": no row
        QTest::addColumn<bool>("updater");      // AtualizaVarlo.exe in the server folder
        QTest::addColumn<QString>("outcome");   // launch, warning, nothing

        QTest::newRow("newer, updater present") << QVariant("2.0.0.0") << true << "launch";
        QTest::newRow("blanks around are trimmed") << QVariant("  2.0.0.0  ") << true << "launch";
        QTest::newRow("newer, updater missing") << QVariant("2.0.0.0") << false << "warning";
        QTest::newRow("null") << QVariant() << true << "nothing";
        QTest::newRow("blank") << QVariant("   ") << true << "nothing";
        QTest::newRow("same release") << QVariant("1.0.0.1") << true << "nothing";
        QTest::newRow("older release") << QVariant("1.0.0.0") << true << "nothing";
        QTest::newRow("no VERSAOBD row") << QVariant("-") << true << "nothing";
    }
    // Through the office data module on a real VERSAOBD; the hand-over
    // starts the stand-in updater for real.
    void handOver()
    {
        QFETCH(QVariant, released);
        QFETCH(bool, updater);
        QFETCH(QString, outcome);
        if (!DbFixture::requireServer())
            return;
        DbFixture db;
        const QString office = db.createOffice(true);
        if (released.toString() == QLatin1String("-"))
            DbFixture::exec(office, QStringLiteral("DELETE FROM VERSAOBD"));
        else
            DbFixture::exec(office, QStringLiteral("UPDATE VERSAOBD SET VERSAO_MSN = :V"),
                            {{QStringLiteral("V"), released}});
        QTemporaryDir servidor;
        if (updater)
            QVERIFY(writeUpdater(servidor.path()));

        FakePlatform fake;
        platform::LinuxLauncher realLauncher;
        const bool launches = outcome == QLatin1String("launch");
        if (launches)
            platform::services().launcher = &realLauncher;
        LifecycleProgram program;
        program.writeConnection(office, "Servidor Aplica\xE7\xE3o=" + servidor.path().toLocal8Bit() + "\r\n");
        const QString news = program.path(QStringLiteral("NovidadesMonitorSenha.INI"));
        program.writeFile(QStringLiteral("NovidadesMonitorSenha.INI"), "[Novidades]\r\nVersao=0.0.0.9\r\n");

        TFDMCadastro dm;
        QVERIFY(InfoConexaoAtual && InfoConexaoAtual->ConectadoCadastro);
        QCOMPARE(InfoConexaoAtual->ServidorAplicacao, servidor.path());
        bool encerrar = false;
        dm.VerificaNovaVersao(QStringLiteral("VERSAO_MSN"), QStringLiteral("1.0.0.1"), kCaption, encerrar);

        if (launches) {
            const QString args = servidor.path() + QStringLiteral("/args.txt");
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(args), 5000);
            const QStringList got = QString::fromLocal8Bit(readAll(args)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            QCOMPARE(got, (QStringList{program.executable(), servidor.path() + QStringLiteral("/MonitorSenha"),
                                       "TFrmPrincipal", "Monitor", "Senha", "[", "1.0.0.1", "]"}));
            QVERIFY(encerrar);
            QVERIFY(terminationRequested());
            QVERIFY(fake.boxes.shown.isEmpty());
            QCOMPARE(ProfileFile(news).readString(QStringLiteral("Novidades"), QStringLiteral("Versao"), QString()),
                     QStringLiteral("2.0.0.0"));
            QVERIFY(readAll(news).contains("[Novidades]"));
        } else if (outcome == QLatin1String("warning")) {
            QCOMPARE(fake.boxes.shown.size(), 1);
            QCOMPARE(fake.boxes.shown[0].text, kUpdaterMissing);
            QCOMPARE(fake.boxes.shown[0].title, QStringLiteral("VARLO"));
            QCOMPARE(fake.boxes.shown[0].style, 48);
            QVERIFY(!QFile::exists(news));
            QVERIFY(terminationRequested());
            QVERIFY(!encerrar);
            QVERIFY(fake.launcher.launched.isEmpty());
        } else {
            QVERIFY(fake.boxes.shown.isEmpty());
            QVERIFY(fake.launcher.launched.isEmpty());
            QVERIFY(!terminationRequested());
            QVERIFY(!encerrar);
            QCOMPARE(readAll(news), QByteArray("[Novidades]\r\nVersao=0.0.0.9\r\n"));
        }
    }

    // A database failure while reading the release goes to the caller as it is.
    void missingColumnRaises()
    {
        if (!DbFixture::requireServer())
            return;
        DbFixture db;
        const QString office = db.createOffice(true);
        FakePlatform fake;
        LifecycleProgram program;
        program.writeConnection(office);
        TFDMCadastro dm;
        bool encerrar = false;
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, dm.VerificaNovaVersao(QStringLiteral("VERSAO_XYZ"),
                                                                      QStringLiteral("1.0.0.1"), kCaption, encerrar));
        QVERIFY(!encerrar);
        QVERIFY(fake.boxes.shown.isEmpty());
        QVERIFY(!terminationRequested());
    }
};

MONITOR_TEST_MAIN(TstNovaVersao)
#include "tst_novaversao.moc"
