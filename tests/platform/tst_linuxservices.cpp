#include "support/Paths.h"
#include <QtTest>

#include "platform/LinuxServices.h"

#include <QDir>
#include <QNetworkInterface>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class TstLinuxServices : public QObject {
    Q_OBJECT

    static bool listed(platform::LinuxProcesses& processes, qint64 pid, const QString& executable)
    {
        const QList<platform::ProcessInfo> all = processes.list();
        for (const platform::ProcessInfo& p : all)
            if (p.pid == pid)
                return p.executable == executable;
        return false;
    }

private Q_SLOTS:
    void loaderLoadsByPathOnly()
    {
        platform::LinuxLibraryLoader loader;
        void* handle = loader.load(testpaths::stageDir() + "/VarloLib.dll");
        QVERIFY(handle);
        QVERIFY(loader.symbol(handle, "GetBuildInfo"));
        QVERIFY(!loader.symbol(handle, "NoSuchEntry"));
        loader.release(handle);

        QVERIFY(!loader.load(testpaths::stageDir() + "/NoSuchLibrary.dll"));
        QVERIFY(!loader.load(testpaths::sourceDir() + "/CMakeLists.txt"));
        // A bare name would be looked up on the library path.
        QVERIFY(!loader.load("libz.so.1"));
    }

    void processListingAndTermination()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString copy = dir.filePath("monitor-test-sleeper");
        QVERIFY(QFile::copy("/usr/bin/sleep", copy));
        QProcess child;
        child.start(copy, {"30"});
        QVERIFY(child.waitForStarted());

        platform::LinuxProcesses processes;
        const QString executable = QFileInfo(copy).canonicalFilePath();
        QVERIFY(listed(processes, child.processId(), executable));
        QVERIFY(listed(processes, processes.currentPid(),
                       QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath()));

        QVERIFY(processes.terminate(child.processId()));
        QVERIFY(child.waitForFinished(5000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QVERIFY(!processes.terminate(0));
    }

    // A program replaced on disk while running is still found under its path.
    void replacedExecutableKeepsItsPath()
    {
        QTemporaryDir dir;
        const QString copy = dir.filePath("monitor-test-sleeper");
        QVERIFY(QFile::copy("/usr/bin/sleep", copy));
        QProcess child;
        child.start(copy, {"30"});
        QVERIFY(child.waitForStarted());
        const QString executable = QFileInfo(copy).canonicalFilePath();
        QVERIFY(QFile::remove(copy));

        platform::LinuxProcesses processes;
        QVERIFY(listed(processes, child.processId(), executable));
        child.kill();
        child.waitForFinished(5000);
    }

    // Each argument reaches the program whole, blanks and all.
    void launcherPassesArgumentsWhole()
    {
        QTemporaryDir dir;
        const QString marker = dir.filePath("started here");
        platform::LinuxLauncher launcher;
        QVERIFY(launcher.runDetached("/usr/bin/touch", {marker}, platform::Launcher::ShowMinimized));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 5000);
        QVERIFY(!launcher.runDetached(QString(), {}, platform::Launcher::ShowNormal));
        QVERIFY(!launcher.runDetached(dir.filePath("no-such-program"), {}, platform::Launcher::ShowNormal));
    }

    // The runtime folder is taken only when it is this user's with mode
    // 0700; it is then reached through the handle opened when it was checked,
    // whatever its name stands for later.
    void runtimeFolderIsCheckedOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("taken");
        QTest::newRow("own, 0700") << "good" << true;
        QTest::newRow("own, 0755") << "open" << false;
        QTest::newRow("a link to an own folder of 0700") << "link" << false;
        QTest::newRow("missing") << "missing" << false;
        QTest::newRow("another user's, 0700") << "other" << false;
    }
    void runtimeFolderIsCheckedOnce()
    {
        QFETCH(QString, kind);
        QFETCH(bool, taken);
        if (kind == QLatin1String("other") && ::geteuid() != 0)
            QSKIP("needs root to give a folder to another user");
        QTemporaryDir dir;
        const QString real = dir.filePath("real");
        const QString named = dir.filePath("runtime");
        QVERIFY(QDir().mkdir(real));
        QCOMPARE(::chmod(QFile::encodeName(real).constData(), kind == QLatin1String("open") ? 0755 : 0700), 0);
        if (kind == QLatin1String("other"))
            QCOMPARE(::chown(QFile::encodeName(real).constData(), 65534, 65534), 0);
        if (kind == QLatin1String("link"))
            QVERIFY(QFile::link(real, named));
        else if (kind != QLatin1String("missing"))
            QVERIFY(QDir().rename(real, named));
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        const auto restore = qScopeGuard([&] { qputenv("XDG_RUNTIME_DIR", saved); });
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(named));
        const QString folder = platform::runtimeFolder();
        QCOMPARE(!folder.isEmpty(), taken);
        if (!taken)
            return;
        // The name now leads elsewhere; the handle still names the folder checked.
        QVERIFY(QDir().rename(named, real));
        QVERIFY(QDir().mkdir(dir.filePath("elsewhere")));
        QVERIFY(QFile::link(dir.filePath("elsewhere"), named));
        QVERIFY(platform::replaceFileContents(folder + "/record", "x"));
        QVERIFY(QFile::exists(real + "/record"));
        QVERIFY(!QFile::exists(dir.filePath("elsewhere/record")));
    }

    // A process of another user is no process of this program's user, even
    // when it runs the same file.
    void ownProcessesLeaveOtherUsersOut()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to start a process as another user");
        QProcess other;
        other.start("/usr/bin/setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", "/usr/bin/sleep", "30"});
        QVERIFY(other.waitForStarted());
        QProcess own;
        own.start("/usr/bin/sleep", {"30"});
        QVERIFY(own.waitForStarted());
        platform::LinuxProcesses processes;
        QTRY_VERIFY_WITH_TIMEOUT(listed(processes, other.processId(), "/usr/bin/sleep"), 5000);
        QStringList pids;
        for (const platform::ProcessInfo& p : processes.ownProcesses())
            pids << QString::number(p.pid);
        QVERIFY(pids.contains(QString::number(own.processId())));
        QVERIFY(!pids.contains(QString::number(other.processId())));
        other.kill();
        own.kill();
        other.waitForFinished(5000);
        own.waitForFinished(5000);
    }

    // What the updater hand-off can start here: a program of this machine or
    // a script, executable; not a program built for another system.
    void launcherCanRun_data()
    {
        QTest::addColumn<QByteArray>("contents"); // "ELF": a copy of this machine's true
        QTest::addColumn<int>("machineByte"); // replaces the ELF processor field's low byte; -1 keeps it
        QTest::addColumn<bool>("executable");
        QTest::addColumn<bool>("runs");
        QTest::newRow("program of this machine") << QByteArray("ELF") << -1 << true << true;
        QTest::newRow("script") << QByteArray("#!/bin/sh\nexit 0\n") << -1 << true << true;
        QTest::newRow("not executable") << QByteArray("ELF") << -1 << false << false;
        QTest::newRow("Windows program") << QByteArray("MZ\x90\0\3\0\0\0\4\0\0\0\xff\xff\0\0") << -1 << true << false;
        QTest::newRow("program of another processor") << QByteArray("ELF") << 0x14 << true << false;
        QTest::newRow("missing") << QByteArray() << -1 << true << false;
    }
    void launcherCanRun()
    {
        QFETCH(QByteArray, contents);
        QFETCH(int, machineByte);
        QFETCH(bool, executable);
        QFETCH(bool, runs);
        QTemporaryDir dir;
        const QString path = dir.filePath("AtualizaVarlo.exe");
        if (!contents.isEmpty()) {
            QByteArray bytes = contents;
            if (contents == "ELF") {
                QFile elf("/usr/bin/true");
                QVERIFY(elf.open(QIODevice::ReadOnly));
                bytes = elf.readAll();
                if (machineByte >= 0)
                    bytes[18] = char(machineByte);
            }
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
            file.close();
            if (executable)
                QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser));
        }
        platform::LinuxLauncher launcher;
        QCOMPARE(launcher.canRun(path), runs);
    }

    // A script runs under its interpreter: it is found among the arguments.
    void scriptIsAmongTheArguments()
    {
        QTemporaryDir dir;
        const QString script = dir.filePath("AtualizaVarlo.exe");
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nsleep 30\n");
        file.close();
        QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser));
        QProcess child;
        child.start(script, {"x y"});
        QVERIFY(child.waitForStarted());
        platform::LinuxProcesses processes;
        QStringList arguments;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                for (const platform::ProcessInfo& p : processes.ownProcesses())
                    if (p.pid == child.processId())
                        arguments = p.arguments;
                return arguments.contains(script);
            }(),
            5000);
        QCOMPARE(arguments.last(), QStringLiteral("x y"));
        child.kill();
        child.waitForFinished(5000);
    }

    void clockRefusesInvalidTime()
    {
        platform::LinuxSystemClock clock;
        QVERIFY(!clock.setLocalTime(QDateTime()));
    }

    void machineInfoFromTheSystem()
    {
        platform::LinuxMachineInfo machine;
        bool anyUp = false;
        const QList<platform::NetworkAdapter> adapters = machine.adapters();
        QCOMPARE(adapters.size(), QNetworkInterface::allInterfaces().size());
        for (const platform::NetworkAdapter& a : adapters) {
            QVERIFY(a.hardwareAddress.isEmpty() || a.hardwareAddress.size() == 6);
            anyUp = anyUp || (a.up && !a.loopback);
        }
        QCOMPARE(machine.hostName(), anyUp ? QSysInfo::machineHostName() : QString());

        qputenv("CLIENTNAME", "TERM05");
        QCOMPARE(machine.terminalClientName(), QStringLiteral("TERM05"));
        qunsetenv("CLIENTNAME");
        QCOMPARE(machine.terminalClientName(), QString());
    }

    // The record of the screen's settings belongs to the copy that holds the
    // screen; a copy killed while holding it leaves it for the next copy or
    // the service's stop step. (Xvfb has no DPMS: what is checked is who owns
    // the record, not the power setting in it.)
    void screenRecordOutlivesAKilledCopy()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) {
            if (qEnvironmentVariableIsSet("MONITOR_REQUIRE_DISPLAY"))
                QFAIL("DISPLAY is not set");
            QSKIP("no X display");
        }
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        const auto records = [&] {
            return QDir(runtime.path()).entryList({"monitor-senha-tela*"}, QDir::Files).size();
        };

        {
            platform::LinuxScreenBlanking holder;
            holder.suspend();
            QCOMPARE(records(), 1);
            platform::LinuxScreenBlanking second;
            second.suspend();
            second.restore();
            platform::LinuxScreenBlanking().restoreLeftOver();
            QCOMPARE(records(), 1);
            holder.restore();
            QCOMPARE(records(), 0);
        }

        const pid_t child = fork();
        if (child == 0) {
            platform::LinuxScreenBlanking killed;
            killed.suspend();
            raise(SIGKILL);
            _exit(0);
        }
        QVERIFY(child > 0);
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(records(), 1);
        platform::LinuxScreenBlanking().restoreLeftOver();
        QCOMPARE(records(), 0);
        qputenv("XDG_RUNTIME_DIR", savedRuntime);
    }

    void timeZoneRemoved_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("after") << "HH:mm:ss t"
                               << "HH:mm:ss";
        QTest::newRow("long name") << "h:mm:ss AP tttt"
                                   << "h:mm:ss AP";
        QTest::newRow("before") << "t HH:mm:ss"
                                << "HH:mm:ss";
        QTest::newRow("in the middle") << "HH:mm:ss t AP"
                                       << "HH:mm:ss AP";
        QTest::newRow("quoted t stays") << "H'h'mm'min't"
                                        << "H'h'mm'min'";
        QTest::newRow("none") << "HH:mm:ss"
                              << "HH:mm:ss";
    }
    void timeZoneRemoved()
    {
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QCOMPARE(platform::LinuxRegionalSettings::withoutTimeZone(format), expected);
    }
};

QTEST_GUILESS_MAIN(TstLinuxServices)
#include "tst_linuxservices.moc"
