// A second copy of the program, started while the first one shows its display
// window on the same X display, shows "Aplicação já está sendo executada."
// under the splash caption and ends with exit code 0; the first copy goes on.
#include "support/DbFixture.h"
#include "support/E2eProgram.h"
#include "support/TestMain.h"

#include "app/ui/Startup.h"

class TstSecondCopy : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (!e2e::requireDisplay({QStringLiteral("xdotool"), QStringLiteral("setpriv")}))
            return;
        DbFixture::requireServer();
    }

    void secondCopyIsRefused()
    {
        DbFixture db;
        const QString database = db.createOffice(true);
        db.createUser(true);

        e2e::Program first;
        QVERIFY(first.stage(database));
        first.start();
        QVERIFY2(first.running(), "the first copy did not start");
        const QString mainWindow = e2e::waitForWindow(QStringLiteral("^Monitor Senha \\[ "), first.pid(), 30000);
        QVERIFY2(!mainWindow.isEmpty(),
                 qPrintable(QStringLiteral("the first copy never showed its window: ") + first.errorOutput()));

        // A copy from another folder: the probe looks for the window, not the path.
        e2e::Program second;
        QVERIFY(second.stage(database));
        second.start();
        QVERIFY2(second.running(), "the second copy did not start");

        const QString box = e2e::waitForWindow(QStringLiteral("."), second.pid(), 15000);
        QVERIFY2(!box.isEmpty(), "the second copy showed no window");
        QCOMPARE(e2e::windowsNamed(QStringLiteral("."), second.pid()).size(), 1);
        QCOMPARE(e2e::xdotool({QStringLiteral("getwindowname"), box}), QStringList{startup::SplashCaption});

        e2e::pressReturn(box);
        QVERIFY2(second.waitForExit(10000), "the notice box did not close");
        QCOMPARE(second.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process().exitCode(), 0);
        QVERIFY(first.running());
        QVERIFY(!e2e::windowsNamed(QStringLiteral("^Monitor Senha \\[ "), first.pid()).isEmpty());
    }
};

MONITOR_TEST_MAIN(TstSecondCopy)
#include "tst_second_copy.moc"
