// The hand-over to the updater, from the released version recorded in the
// office database to the updater's command line and the news file.
#include "support/DbFixture.h"
#include "support/FakePlatform.h"
#include "support/LifecycleProgram.h"
#include <QtTest>

#include "config/ProfileFile.h"
#include "data/DMCadastro.h"
#include "support/ExitCode.h"
#include "support/Termination.h"
#include "update/KioskUpdate.h"
#include "update/NovaVersao.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

const QString kCaption = QStringLiteral("Monitor Senha [ 1.0.0.1 ]");
const QString kUpdaterMissing =
    QStringLiteral("A versão atual do sistema está desatualizada.\r"
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

// Bytes of a program for another system: a PE header, executable bit set.
bool writeWindowsProgram(const QString& path)
{
    QFile exe(path);
    if (!exe.open(QIODevice::WriteOnly))
        return false;
    exe.write(QByteArray("MZ\x90\0\3\0\0\0\4\0\0\0\xff\xff\0\0", 16) + QByteArray(240, '\0'));
    exe.close();
    return exe.setPermissions(exe.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

// What `work` writes to the process's standard error.
QString standardError(const std::function<void()>& work)
{
    QTemporaryFile capture;
    if (!capture.open())
        return QStringLiteral("(standard error not captured)");
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(capture.handle(), STDERR_FILENO);
    work();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    capture.seek(0);
    return QString::fromLocal8Bit(capture.readAll());
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
        QTest::newRow("no extension") << "/opt/m/MonitorSenha"
                                      << "/opt/m/NovidadesMonitorSenha.INI";
        QTest::newRow("extension replaced") << "/opt/m/PAINEL.EXE"
                                            << "/opt/m/NovidadesPAINEL.INI";
        QTest::newRow("last extension only") << "/opt/m/a.b.exe"
                                             << "/opt/m/Novidadesa.b.INI";
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
        QTest::addColumn<QString>("updater"); // in the server folder: script, windows, none; running: started before
        QTest::addColumn<bool>("quiosque");
        QTest::addColumn<QString>("outcome"); // launch, warning, nothing, goes on

        QTest::newRow("newer, updater present") << QVariant("2.0.0.0") << "script" << false << "launch";
        QTest::newRow("blanks around are trimmed") << QVariant("  2.0.0.0  ") << "script" << false << "launch";
        QTest::newRow("newer, updater missing") << QVariant("2.0.0.0") << "none" << false << "warning";
        QTest::newRow("null") << QVariant() << "script" << false << "nothing";
        QTest::newRow("blank") << QVariant("   ") << "script" << false << "nothing";
        QTest::newRow("same release") << QVariant("1.0.0.1") << "script" << false << "nothing";
        QTest::newRow("older release") << QVariant("1.0.0.0") << "script" << false << "nothing";
        QTest::newRow("no VERSAOBD row") << QVariant("-") << "script" << false << "nothing";
        QTest::newRow("kiosk, updater present") << QVariant("2.0.0.0") << "script" << true << "launch";
        QTest::newRow("kiosk, updater missing") << QVariant("2.0.0.0") << "none" << true << "goes on";
        QTest::newRow("kiosk, updater for another system") << QVariant("2.0.0.0") << "windows" << true << "goes on";
        QTest::newRow("kiosk, updater still running") << QVariant("2.0.0.0") << "running" << true << "goes on";
    }
    // Through the office data module on a real VERSAOBD; the hand-over
    // starts the stand-in updater for real.
    void handOver()
    {
        QFETCH(QVariant, released);
        QFETCH(QString, updater);
        QFETCH(bool, quiosque);
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
        // A blank in the server's folder: the file checked is the one started.
        QTemporaryDir servidor(QDir::tempPath() + QStringLiteral("/servidor de aplicacao-XXXXXX"));
        const QString updaterFile = NovaVersao::updaterPath(servidor.path());
        if (updater == QLatin1String("script") || updater == QLatin1String("running"))
            QVERIFY(writeUpdater(servidor.path()));
        else if (updater == QLatin1String("windows"))
            QVERIFY(writeWindowsProgram(updaterFile));
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());

        FakePlatform fake;
        if (updater == QLatin1String("running"))
            fake.processes.running = {{77, QStringLiteral("/usr/bin/dash"), {QStringLiteral("/bin/sh"), updaterFile}}};
        platform::LinuxLauncher realLauncher;
        const bool launches = outcome == QLatin1String("launch");
        if (launches || quiosque)
            platform::services().launcher = &realLauncher;
        LifecycleProgram program;
        program.writeConnection(office, "Servidor Aplica\xE7\xE3o=" + servidor.path().toLocal8Bit() + "\r\n");
        const QString news = program.path(QStringLiteral("NovidadesMonitorSenha.INI"));
        program.writeFile(QStringLiteral("NovidadesMonitorSenha.INI"), "[Novidades]\r\nVersao=0.0.0.9\r\n");

        TFDMCadastro dm;
        QVERIFY(InfoConexaoAtual && InfoConexaoAtual->ConectadoCadastro);
        QCOMPARE(InfoConexaoAtual->ServidorAplicacao, servidor.path());
        setProcessExitCode(1); // as the attachment count leaves it beside other programs
        bool encerrar = false;
        const QString journal = standardError([&] {
            VerificaNovaVersao(dm, QStringLiteral("VERSAO_MSN"), QStringLiteral("1.0.0.1"), kCaption, encerrar,
                               quiosque);
        });

        if (launches) {
            const QString args = servidor.path() + QStringLiteral("/args.txt");
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(args), 5000);
            const QStringList got = QString::fromLocal8Bit(readAll(args)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            QCOMPARE(got,
                     (QStringList{program.executable(), servidor.path() + QStringLiteral("/MonitorSenha"),
                                  "TFrmPrincipal", "Monitor", "Senha", "[", "1.0.0.1", "]"}));
            QVERIFY(encerrar);
            QVERIFY(terminationRequested());
            QVERIFY(fake.boxes.shown.isEmpty());
            QCOMPARE(ProfileFile(news).readString(QStringLiteral("Novidades"), QStringLiteral("Versao"), QString()),
                     QStringLiteral("2.0.0.0"));
            QVERIFY(readAll(news).contains("[Novidades]"));
            // Under a service manager an end by hand-over is no failure.
            QCOMPARE(processExitCode(), quiosque ? 0 : 1);
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
            QCOMPARE(processExitCode(), 1);
        }
        if (outcome == QLatin1String("nothing") || updater == QLatin1String("running"))
            QCOMPARE(readAll(news), QByteArray("[Novidades]\r\nVersao=0.0.0.9\r\n"));
        // The journal hears of a release the display cannot take: one line with both releases.
        if (outcome == QLatin1String("goes on")) {
            QCOMPARE(journal.count(QLatin1Char('\n')), 1);
            QVERIFY2(journal.contains(QLatin1String("2.0.0.0")) && journal.contains(QLatin1String("1.0.0.1")),
                     qPrintable(journal));
        } else {
            QCOMPARE(journal, QString());
        }
        qunsetenv("XDG_RUNTIME_DIR");
    }

    // In kiosk mode the release that cannot be installed is told once a day,
    // however often the service manager starts the program, and again for
    // another release.
    void cannotInstallIsToldOnceADay()
    {
        QTemporaryDir runtime;
        const QString record = runtime.filePath(QStringLiteral("told"));
        const QDate day(2031, 5, 20);
        const QString text = KioskUpdate::cannotInstallText("2.0.0.0", "1.0.0.1", "/srv/AtualizaVarlo.exe");
        const QString other = KioskUpdate::cannotInstallText("2.0.0.1", "1.0.0.1", "/srv/AtualizaVarlo.exe");
        QStringList told;
        const QList<std::pair<QString, QDate>> starts{
            {text, day}, {text, day}, {text, day.addDays(1)}, {other, day.addDays(1)}, {other, day.addDays(1)}};
        for (const auto& [t, d] : starts)
            told << (KioskUpdate::tellOncePerDay(t, d, record) ? "told" : "-");
        QCOMPARE(told, (QStringList{"told", "-", "told", "told", "-"}));
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
        QVERIFY_THROWS_EXCEPTION(
            EDatabaseError,
            VerificaNovaVersao(dm, QStringLiteral("VERSAO_XYZ"), QStringLiteral("1.0.0.1"), kCaption, encerrar));
        QVERIFY(!encerrar);
        QVERIFY(fake.boxes.shown.isEmpty());
        QVERIFY(!terminationRequested());
    }
};

QTEST_GUILESS_MAIN(TstNovaVersao)
#include "tst_novaversao.moc"
