// The program running on a test database under a real X display: a ticket
// that an attendant calls shows on the big panels within one pass of the
// walker (also in kiosk mode with a newer release recorded that no updater
// here can install), and closing the window ends the program at once even
// while the walker sleeps through a long per-call time.
#include "support/DbFixture.h"
#include "support/E2eProgram.h"
#include "support/TestMain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

namespace {

const QString MainWindowName = QStringLiteral("^Monitor Senha \\[ ");

// Parts of the window, as fractions of its size: the big ticket panel and
// the big desk panel, inside their borders and below their headings.
QRect part(const QRect& window, double left, double top, double right, double bottom)
{
    return QRect(qRound(window.x() + left * window.width()), qRound(window.y() + top * window.height()),
                 qRound((right - left) * window.width()), qRound((bottom - top) * window.height()));
}
QRect ticketPanel(const QRect& w)
{
    return part(w, 0.01, 0.20, 0.65, 0.51);
}
QRect deskPanel(const QRect& w)
{
    return part(w, 0.67, 0.20, 0.99, 0.51);
}

QString saveForDiagnosis(const QImage& screen, const QString& name)
{
    const QString path = QDir::temp().filePath(name);
    screen.save(path);
    return path;
}

} // namespace

class TstDisplayRun : public QObject {
    Q_OBJECT
private:
    // A demo database with `perCallSeconds` per call, staged in `program`.
    bool prepare(DbFixture& db, e2e::Program& program, int perCallSeconds)
    {
        const QString database = db.createOffice(true);
        db.createUser(true);
        DbFixture::exec(database, QStringLiteral("UPDATE PARAMETRO SET TEMPOSENHA = %1").arg(perCallSeconds));
        return program.stage(database);
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!e2e::requireDisplay({QStringLiteral("xdotool"), QStringLiteral("import"), QStringLiteral("tesseract"),
                                  QStringLiteral("setpriv")}))
            return;
        DbFixture::requireServer();
    }

    void calledTicketShowsWithinOnePass_data()
    {
        QTest::addColumn<bool>("newerReleaseInKiosk");
        QTest::newRow("plain") << false;
        // The suite's build records a later release of this program; the
        // updater in the server folder is a Windows program.
        QTest::newRow("kiosk, newer release, no updater that runs here") << true;
    }
    void calledTicketShowsWithinOnePass()
    {
        QFETCH(bool, newerReleaseInKiosk);
        DbFixture db;
        e2e::Program program;
        QVERIFY(prepare(db, program, 2));
        QTemporaryDir servidor, runtime;
        if (newerReleaseInKiosk) {
            DbFixture::exec(db.location(QStringLiteral("CARTORIO.FDB")),
                            QStringLiteral("UPDATE VERSAOBD SET VERSAO_MSN = '99.0.0.0'"));
            QFile updater(servidor.filePath(QStringLiteral("AtualizaVarlo.exe")));
            QVERIFY(updater.open(QIODevice::WriteOnly));
            updater.write(QByteArray("MZ\x90\0", 4) + QByteArray(252, '\0'));
            updater.close();
            QFile ini(QDir(program.dir()).filePath(QStringLiteral("dbxconnections.ini")));
            QVERIFY(ini.open(QIODevice::Append));
            ini.write("Servidor Aplica\xE7\xE3o=" + servidor.path().toLocal8Bit() + "\r\n");
            ini.close();
            program.setArguments({QStringLiteral("--quiosque")});
            program.setEnvironment(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        }
        program.start();
        const QString window = e2e::waitForWindow(MainWindowName, program.pid(), 30000);
        QVERIFY2(!window.isEmpty(), qPrintable(QStringLiteral("no display window: ") + program.errorOutput()));

        const e2e::Result issued = program.senha({QStringLiteral("emitir"), QStringLiteral("F")});
        QVERIFY2(issued.exitCode == 0, qPrintable(issued.err));
        const QString issuedTicket = issued.out.trimmed();
        QVERIFY2(issuedTicket.startsWith(QLatin1String("F-")), qPrintable(issued.out));
        const e2e::Result called = program.senha({QStringLiteral("chamar"), issuedTicket, QStringLiteral("1")});
        QVERIFY2(called.exitCode == 0, qPrintable(called.err));

        // One pass: 1 s of blank panels, the query, then the demo's calls and
        // the new one at 2 s each. Screens are read until the new ticket and
        // its desk are seen together.
        QElapsedTimer clock;
        clock.start();
        QImage screen;
        QString ticket, desk;
        QRect geometry;
        while (clock.elapsed() < 20000) {
            screen = e2e::grabScreen();
            QVERIFY2(!screen.isNull(), "the screen could not be captured");
            geometry = e2e::windowGeometry(window);
            ticket = e2e::readText(e2e::glyphsOnWhite(screen.copy(ticketPanel(geometry))));
            if (ticket == issuedTicket) {
                desk = e2e::readText(e2e::glyphsOnWhite(screen.copy(deskPanel(geometry))));
                if (desk == QLatin1String("1"))
                    break;
            }
            QVERIFY(program.running());
        }
        if (ticket != issuedTicket || desk != QLatin1String("1")) {
            const QString saved = saveForDiagnosis(screen, QStringLiteral("e2e-called-ticket.png"));
            QFAIL(qPrintable(QStringLiteral("waited for %1 at desk 1, read ticket '%2', desk '%3' in window %4x%5; "
                                            "last screen in %6")
                                 .arg(issuedTicket, ticket, desk)
                                 .arg(geometry.width())
                                 .arg(geometry.height())
                                 .arg(saved)));
        }
        if (newerReleaseInKiosk) {
            // Still the first copy, which told the journal once (read as the
            // event loop takes it from the pipe).
            QVERIFY(program.running());
            const auto told = [&program] {
                return program.errorOutput().split(QLatin1Char('\n')).filter(QStringLiteral("99.0.0.0")).size();
            };
            QTRY_VERIFY2_WITH_TIMEOUT(told() >= 1, qPrintable(program.errorOutput()), 5000);
            QCOMPARE(told(), 1);
        }
    }

    // Closing the window, or a termination signal from the session or a
    // service manager, ends the program in an orderly way.
    void closingEndsTheProgramWhileTheWalkerSleeps_data()
    {
        QTest::addColumn<bool>("bySignal");
        QTest::newRow("window closed") << false;
        QTest::newRow("termination signal") << true;
    }

    void closingEndsTheProgramWhileTheWalkerSleeps()
    {
        QFETCH(bool, bySignal);
        DbFixture db;
        e2e::Program program;
        QVERIFY(prepare(db, program, 30));
        program.start();
        const QString window = e2e::waitForWindow(MainWindowName, program.pid(), 30000);
        QVERIFY2(!window.isEmpty(), qPrintable(QStringLiteral("no display window: ") + program.errorOutput()));

        // The first pass shows its first call (the priority ticket P-1) after
        // about a second, then sleeps 30 s: the close comes inside that sleep.
        QTest::qWait(2000);
        QElapsedTimer clock;
        clock.start();
        QImage screen;
        QString ticket;
        QRect geometry;
        while (ticket != QLatin1String("P-1") && clock.elapsed() < 8000) {
            screen = e2e::grabScreen();
            geometry = e2e::windowGeometry(window);
            ticket = e2e::readText(e2e::glyphsOnWhite(screen.copy(ticketPanel(geometry))));
        }
        if (ticket != QLatin1String("P-1")) {
            const QString saved = saveForDiagnosis(screen, QStringLiteral("e2e-before-close.png"));
            QFAIL(qPrintable(QStringLiteral("read '%1' in window %2x%3 instead of the first call; screen in %4")
                                 .arg(ticket)
                                 .arg(geometry.width())
                                 .arg(geometry.height())
                                 .arg(saved)));
        }
        QVERIFY(program.running());
        if (bySignal)
            program.process().terminate();
        else
            QVERIFY(e2e::requestClose(window));
        QVERIFY2(program.waitForExit(3000), "the program went on after it was asked to end");
        const QString errors = program.errorOutput();
        QVERIFY2(program.process().exitStatus() == QProcess::NormalExit, qPrintable(errors));
        // A close ends with the attachment count's code; a stop asked for by
        // a signal is no failure.
        QCOMPARE(program.process().exitCode(), bySignal ? 0 : 1);
        QVERIFY2(!errors.contains(QLatin1String("QThread: Destroyed")), qPrintable(errors));
    }
};

MONITOR_TEST_MAIN(TstDisplayRun)
#include "tst_display_run.moc"
