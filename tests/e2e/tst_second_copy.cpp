// A second copy of the staged program, started while the first one runs on
// the same X display, shows "Aplicação já está sendo executada." and ends
// with exit code 0. Needs an X display (Xvfb serves) and xdotool.
#include "support/Paths.h"
#include "support/TestMain.h"

#include "app/ui/Startup.h"
#include "helperlib/GLibDll.h"
#include "platform/LinuxServices.h"
#include "platform/LinuxWindowRegistry.h"
#include "support/Errors.h"
#include "support/ProgramPaths.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>

namespace {

QString program()
{
    return testpaths::stageDir() + QStringLiteral("/MonitorSenha");
}

QProcessEnvironment programEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return env;
}

QStringList xdotool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Ends a program copy that the test started and that is still running.
void stop(QProcess& p)
{
    if (p.state() == QProcess::NotRunning)
        return;
    p.terminate();
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(5000);
    }
}

} // namespace

class TstSecondCopy : public QObject {
    Q_OBJECT
private:
    QProcess m_first;
    QProcess m_second;

    // True once the first copy shows a window the probe looks for, and keeps
    // showing it for a second (its splash goes when the display window comes).
    bool firstCopyPublished(const QString& build)
    {
        platform::LinuxWindowRegistry registry;
        QElapsedTimer clock, steady;
        clock.start();
        while (clock.elapsed() < 30000 && m_first.state() == QProcess::Running) {
            if (registry.find(QStringLiteral("TFrmPrincipal"), startup::mainWindowCaption(build)))
                return true;
            if (registry.find(QStringLiteral("TFrmSplash"), startup::SplashCaption)) {
                if (!steady.isValid())
                    steady.start();
                else if (steady.elapsed() > 1000)
                    return true;
            } else {
                steady.invalidate();
            }
            QTest::qWait(100);
        }
        return false;
    }

private Q_SLOTS:
    void initTestCase()
    {
        const bool required = qEnvironmentVariable("MONITOR_REQUIRE_DISPLAY") == QLatin1String("1");
        if (qEnvironmentVariableIsEmpty("DISPLAY")) {
            if (required)
                QFAIL("MONITOR_REQUIRE_DISPLAY=1 but DISPLAY is empty");
            QSKIP("no X display");
        }
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
            if (required)
                QFAIL("xdotool is missing");
            QSKIP("xdotool is missing");
        }
    }

    void cleanup()
    {
        stop(m_second);
        stop(m_first);
    }

    void secondCopyIsRefused()
    {
        ProgramPaths::setExecutablePathForTesting(program());
        platform::LinuxLibraryLoader loader;
        platform::services().libraries = &loader;
        QString build;
        try {
            build = GLibDll::GetBuildInfo(QStringLiteral("BUILD"), program());
        } catch (const Exception& e) {
            QFAIL(qPrintable(e.message()));
        }

        m_first.setProcessEnvironment(programEnvironment());
        m_first.start(program(), {});
        QVERIFY(m_first.waitForStarted(5000));
        QVERIFY2(firstCopyPublished(build), "the first copy never showed its window");

        m_second.setProcessEnvironment(programEnvironment());
        m_second.start(program(), {});
        QVERIFY(m_second.waitForStarted(5000));
        const QString pid = QString::number(m_second.processId());

        // The second copy shows only the notice box, under the splash caption.
        QStringList windows;
        QElapsedTimer clock;
        clock.start();
        while (windows.isEmpty() && clock.elapsed() < 15000 && m_second.state() == QProcess::Running) {
            QTest::qWait(200);
            windows = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), pid});
        }
        QCOMPARE(windows.size(), 1);
        QCOMPARE(xdotool({QStringLiteral("getwindowname"), windows[0]}), QStringList{startup::SplashCaption});

        xdotool({QStringLiteral("windowfocus"), windows[0]});
        xdotool({QStringLiteral("key"), QStringLiteral("--window"), windows[0], QStringLiteral("Return")});
        QVERIFY2(m_second.waitForFinished(10000), "the notice box did not close");
        QCOMPARE(m_second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_second.exitCode(), 0);
        QCOMPARE(m_first.state(), QProcess::Running);
    }
};

MONITOR_TEST_MAIN(TstSecondCopy)
#include "tst_second_copy.moc"
