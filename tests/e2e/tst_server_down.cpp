// The database server stops under a running display: the walker's next query
// fails, the walker shows the client's message in a plain box titled with the
// application title and ends, and the program itself goes on (its clock ticks).
// The test starts and stops a server of its own; the shared one is never touched.
#include "support/E2eProgram.h"
#include "support/TestMain.h"

#include "app/ui/Startup.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>

namespace {

const QString MainWindowName = QStringLiteral("^Monitor Senha \\[ ");

// The clock panel at the bottom of the desk column, as fractions of the window.
QRect clockPanel(const QRect& w)
{
    return QRect(qRound(w.x() + 0.67 * w.width()), qRound(w.y() + 0.57 * w.height()), qRound(0.32 * w.width()),
                 qRound(0.07 * w.height()));
}

} // namespace

class TstServerDown : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (!e2e::requireDisplay({QStringLiteral("xdotool"), QStringLiteral("import"), QStringLiteral("tesseract"),
                                  QStringLiteral("setpriv")}))
            return;
        // This test needs only the Firebird binaries, not the shared server.
        e2e::requireFirebirdBinaries();
    }

    void walkerReportsTheLostServerAndTheProgramGoesOn()
    {
        e2e::PrivateServer server;
        QString error;
        QVERIFY2(server.start(&error), qPrintable(error));
        const QString database = server.createDemoDatabases(&error);
        QVERIFY2(!database.isEmpty(), qPrintable(error));

        e2e::Program program;
        QVERIFY(program.stage(database));
        program.start();
        const QString window = e2e::waitForWindow(MainWindowName, program.pid(), 30000);
        QVERIFY2(!window.isEmpty(), qPrintable(QStringLiteral("no display window: ") + program.errorOutput()));
        QCOMPARE(e2e::windowsNamed(QStringLiteral("^Monitor de Senhas$"), program.pid()).size(), 0);

        // Demo parameters: 5 s per call, two calls; the walker's next query
        // comes at most about 11 s after the server goes.
        QTest::qWait(2000);
        server.stop();

        const QString box = e2e::waitForWindow(QStringLiteral("^Monitor de Senhas$"), program.pid(), 30000);
        QVERIFY2(!box.isEmpty(), qPrintable(QStringLiteral("no failure box: ") + program.errorOutput()));
        QVERIFY(program.running());
        // The box carries the database client's own message about the lost server.
        QTest::qWait(500);
        const QImage boxImage = e2e::grabScreen().copy(e2e::windowGeometry(box));
        const QString boxText = e2e::readText(boxImage, e2e::TextKind::Prose);
        qInfo("failure box reads: %s", qPrintable(boxText));
        if (!boxText.contains(QLatin1String("connection"), Qt::CaseInsensitive)
            && !boxText.contains(QLatin1String("network"), Qt::CaseInsensitive)) {
            const QString saved = QDir::temp().filePath(QStringLiteral("e2e-failure-box.png"));
            boxImage.save(saved);
            QFAIL(qPrintable(QStringLiteral("the box reads '%1' (image in %2)").arg(boxText, saved)));
        }

        e2e::pressReturn(box);
        QElapsedTimer clock;
        clock.start();
        while (!e2e::windowsNamed(QStringLiteral("^Monitor de Senhas$"), program.pid()).isEmpty()
               && clock.elapsed() < 10000)
            QTest::qWait(200);
        QVERIFY2(e2e::windowsNamed(QStringLiteral("^Monitor de Senhas$"), program.pid()).isEmpty(),
                 "the failure box did not close");

        // The walker has ended; the window and its clock go on.
        QTest::qWait(1500);
        QVERIFY(program.running());
        QVERIFY(!e2e::windowsNamed(MainWindowName, program.pid()).isEmpty());
        const QRect panel = clockPanel(e2e::windowGeometry(window));
        const QImage before = e2e::grabScreen().copy(panel);
        QTest::qWait(2200);
        const QImage after = e2e::grabScreen().copy(panel);
        QVERIFY(!before.isNull() && !after.isNull());
        if (before == after) {
            before.save(QDir::temp().filePath(QStringLiteral("e2e-clock-before.png")));
            after.save(QDir::temp().filePath(QStringLiteral("e2e-clock-after.png")));
            QFAIL("the clock did not move after the walker ended (images in the temporary folder)");
        }
        QVERIFY(program.running());
        QCOMPARE(e2e::windowsNamed(QStringLiteral("^Monitor de Senhas$"), program.pid()).size(), 0);
    }

    // A server that stops answering (stopped in its tracks) while the walker
    // waits inside its query: closing the window, or a termination signal,
    // still ends the program at once.
    void endingWithTheServerFrozen_data()
    {
        QTest::addColumn<bool>("bySignal");
        QTest::newRow("window closed") << false;
        QTest::newRow("termination signal") << true;
    }

    void endingWithTheServerFrozen()
    {
        QFETCH(bool, bySignal);
        e2e::PrivateServer server;
        QString error;
        QVERIFY2(server.start(&error), qPrintable(error));
        const QString database = server.createDemoDatabases(&error);
        QVERIFY2(!database.isEmpty(), qPrintable(error));

        e2e::Program program;
        QVERIFY(program.stage(database));
        program.start();
        const QString window = e2e::waitForWindow(MainWindowName, program.pid(), 30000);
        QVERIFY2(!window.isEmpty(), qPrintable(QStringLiteral("no display window: ") + program.errorOutput()));
        QTest::qWait(1500);
        QVERIFY(server.freeze());
        // Two calls of 5 s and the blank second: by then the walker's next
        // query waits on the frozen server.
        QTest::qWait(12000);
        QVERIFY(program.running());

        QElapsedTimer clock;
        clock.start();
        if (bySignal)
            program.process().terminate();
        else
            QVERIFY(e2e::requestClose(window));
        const bool ended = program.waitForExit(5000);
        const qint64 took = clock.elapsed();
        server.thaw();
        qInfo("ended %lld ms after the request, exit code %d", took, program.process().exitCode());
        QVERIFY2(ended, "the program went on with the server frozen");
        QVERIFY2(took < 2500, qPrintable(QString::number(took)));
        QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
    }

    // A termination signal ends the program during start-up too: while the
    // splash waits on a server that takes the link and never answers, and
    // while the box that reports the failed connection is open.
    void terminationDuringStartUp_data()
    {
        QTest::addColumn<bool>("boxOpen");
        QTest::newRow("splash waiting on the server") << false;
        QTest::newRow("failure box open") << true;
    }

    void terminationDuringStartUp()
    {
        QFETCH(bool, boxOpen);
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        e2e::Program program;
        QVERIFY(program.stage(QStringLiteral("127.0.0.1/%1:/nada/CARTORIO.FDB").arg(silent.serverPort())));
        program.start();
        QElapsedTimer started;
        started.start();
        QVERIFY2(!e2e::waitForWindow(QStringLiteral("^VARLO CART"), program.pid(), 30000).isEmpty(),
                 qPrintable(QStringLiteral("no splash: ") + program.errorOutput()));
        if (boxOpen) {
            // The connection gives up at its connect timeout with the client's message.
            QVERIFY2(!e2e::waitForWindow(QStringLiteral("^VARLO$"), program.pid(), 40000).isEmpty(),
                     "no failure box after the connect timeout");
            qInfo("the failure box came %lld ms after the start", started.elapsed());
            QVERIFY(started.elapsed() < 30000);
        } else {
            QTest::qWait(1000);
        }
        QVERIFY(program.running());
        QElapsedTimer clock;
        clock.start();
        program.process().terminate();
        QVERIFY2(program.waitForExit(6000), "the signal did not end the program");
        qInfo("ended %lld ms after the signal", clock.elapsed());
        QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.process().exitCode(), 0);
    }
};

MONITOR_TEST_MAIN(TstServerDown)
#include "tst_server_down.moc"
