// The database server stops under a running display: the walker's next query
// fails, the walker shows the client's message in a plain box titled with the
// application title and ends, and the program itself goes on (its clock ticks).
// The test starts and stops a server of its own; the shared one is never touched.
#include "support/E2eProgram.h"
#include "support/TestMain.h"

#include "app/ui/Startup.h"

#include <QDir>
#include <QFile>
#include <QElapsedTimer>

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
        // This test needs only the Firebird binaries, not the shared server;
        // MONITOR_REQUIRE_SERVER says whether their absence is a failure.
        if (!QFile::exists(QStringLiteral("/usr/sbin/firebird"))) {
            if (qEnvironmentVariable("MONITOR_REQUIRE_SERVER") == QLatin1String("1"))
                QFAIL("the Firebird server is not installed");
            QSKIP("the Firebird server is not installed");
        }
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

        e2e::xdotool({QStringLiteral("windowfocus"), box});
        e2e::xdotool({QStringLiteral("key"), QStringLiteral("--window"), box, QStringLiteral("Return")});
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
};

MONITOR_TEST_MAIN(TstServerDown)
#include "tst_server_down.moc"
