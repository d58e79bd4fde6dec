// The program in kiosk mode under a restart loop that stands in for the
// service manager (10 s between an end and the next start): when the
// database server goes away for 30 s, or is not up yet when the program
// starts, the called ticket is back on the screen within 60 s of the server
// coming up, with no key pressed, and no box stays longer than its 30 s.
// The test runs a server of its own; the shared one is never touched.
#include "support/DbFixture.h"
#include "support/E2eProgram.h"
#include "support/RestartLoop.h"
#include "support/TestMain.h"

#include "app/ui/Startup.h"
#include "platform/ui/LinuxUiServices.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

namespace {

const QString MainWindowName = QStringLiteral("^Monitor Senha \\[ ");
constexpr int BoxMs = 30000;
constexpr int RecoveryLimitMs = 60000;

QRect ticketPanel(const QRect& w)
{
    return QRect(qRound(w.x() + 0.01 * w.width()), qRound(w.y() + 0.20 * w.height()), qRound(0.64 * w.width()),
                 qRound(0.31 * w.height()));
}

// The ticket on the big panel of the running copy's window, or empty.
QString ticketOnScreen(qint64 pid, QRect* geometry)
{
    if (!pid)
        return {};
    const QStringList windows = e2e::windowsNamed(MainWindowName, pid);
    if (windows.isEmpty())
        return {};
    *geometry = e2e::windowGeometry(windows.first());
    const QImage screen = e2e::grabScreen();
    if (screen.isNull())
        return {};
    return e2e::readText(e2e::glyphsOnWhite(screen.copy(ticketPanel(*geometry))));
}

// Polls the loop until `ticket` shows; the time it took, or -1 past `limitMs`.
qint64 waitForTicket(e2e::RestartLoop& loop, const QString& ticket, int limitMs, QRect* geometry)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < limitMs) {
        loop.poll();
        if (ticketOnScreen(loop.pid(), geometry) == ticket)
            return clock.elapsed();
        QTest::qWait(200);
    }
    return -1;
}

} // namespace

class TstKioskRecovery : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (!e2e::requireDisplay({QStringLiteral("xdotool"), QStringLiteral("import"), QStringLiteral("tesseract"),
                                  QStringLiteral("setpriv")}))
            return;
        e2e::requireFirebirdBinaries();
    }

    void calledTicketComesBack_data()
    {
        QTest::addColumn<bool>("programFirst");
        QTest::newRow("server restarted under the display") << false;
        QTest::newRow("program started before the server") << true;
    }
    void calledTicketComesBack()
    {
        QFETCH(bool, programFirst);
        e2e::PrivateServer server;
        QString error;
        QVERIFY2(server.start(&error), qPrintable(error));
        const QString database = server.createDemoDatabases(&error);
        QVERIFY2(!database.isEmpty(), qPrintable(error));
        // The test's ticket is the one call of the day, on the screen for 5 s of every pass.
        DbFixture::exec(database, QStringLiteral("DELETE FROM ATEND_SENHA"));
        DbFixture::exec(database, QStringLiteral("UPDATE PARAMETRO SET TEMPOSENHA = 5"));

        e2e::Program program;
        QVERIFY(program.stage(database));
        program.setArguments({QStringLiteral("--quiosque")});
        const e2e::Result issued = program.senha({QStringLiteral("emitir"), QStringLiteral("F")});
        const QString ticket = issued.out.trimmed();
        QVERIFY2(issued.exitCode == 0 && ticket.startsWith(QLatin1String("F-")), qPrintable(issued.err));
        const e2e::Result called = program.senha({QStringLiteral("chamar"), ticket, QStringLiteral("1")});
        QVERIFY2(called.exitCode == 0, qPrintable(called.err));

        e2e::RestartLoop loop(program);
        QRect geometry;
        if (programFirst) {
            server.stop();
            loop.start();
            loop.wait(20000);
            // The connection-failure box has left its line for the journal.
            QVERIFY2(loop.errors().contains(QRegularExpression(
                         QStringLiteral("\\d\\d:\\d\\d:\\d\\d VARLO: .*Unable to complete network"))),
                     qPrintable(loop.errors()));
        } else {
            loop.start();
            QVERIFY2(waitForTicket(loop, ticket, 60000, &geometry) >= 0,
                     qPrintable(QStringLiteral("the ticket never showed: ") + loop.errors()));
            // Full screen, without decorations.
            QCOMPARE(geometry.size(), e2e::grabScreen().size());
            secondCopyIsRefused(database);
            server.stop();
            loop.wait(30000);
        }

        QVERIFY2(server.restart(&error), qPrintable(error));
        const qint64 back = waitForTicket(loop, ticket, RecoveryLimitMs, &geometry);
        if (back < 0) {
            const QString saved = QDir::temp().filePath(QStringLiteral("e2e-kiosk-recovery.png"));
            e2e::grabScreen().save(saved);
            QFAIL(qPrintable(QStringLiteral("%1 not back within 60 s (screen in %2); starts %3; errors:\n%4")
                                 .arg(ticket, saved)
                                 .arg(loop.starts())
                                 .arg(loop.errors())));
        }
        if (!programFirst) {
            // The copy that lost its server ended through the fatal exit, whose
            // text the journal keeps.
            QVERIFY2(loop.exitCodes().value(0) == platform::ui::LinuxFatalExit::ExitCode, qPrintable(loop.errors()));
            QVERIFY2(loop.errors().contains(QRegularExpression(
                         QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d Monitor de Senhas: O sistema será "
                                        "finalizado por falha na comunicação"))),
                     qPrintable(loop.errors()));
        }
        QStringList codes;
        for (int code : loop.exitCodes())
            codes.append(QString::number(code));
        qInfo("server up to ticket on screen: %.1f s (%d starts, exit codes %s)", back / 1000.0, loop.starts(),
              qPrintable(codes.join(QLatin1Char(','))));
        QVERIFY2(
            loop.longestBoxMs() <= BoxMs + 3000,
            qPrintable(QStringLiteral("the box '%1' stayed %2 ms").arg(loop.longestBox()).arg(loop.longestBoxMs())));
    }

private:
    // A copy started by hand beside the kiosk's copy is refused as always.
    void secondCopyIsRefused(const QString& database)
    {
        e2e::Program second;
        QVERIFY(second.stage(database));
        second.start();
        const QString box = e2e::waitForWindow(QStringLiteral("."), second.pid(), 15000);
        QVERIFY2(!box.isEmpty(), "the second copy showed no window");
        QCOMPARE(e2e::xdotool({QStringLiteral("getwindowname"), box}), QStringList{startup::SplashCaption});
        e2e::pressReturn(box);
        QVERIFY2(second.waitForExit(10000), "the notice box did not close");
        QCOMPARE(second.process().exitCode(), 0);
    }
};

MONITOR_TEST_MAIN(TstKioskRecovery)
#include "tst_kiosk_recovery.moc"
