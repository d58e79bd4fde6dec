// The window look-up across processes: a child process (this executable run
// with --publish) publishes a window; this process looks for it.
#include "support/TestMain.h"

#include "platform/LinuxWindowRegistry.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

using platform::LinuxWindowRegistry;

namespace {

const QString Caption = QStringLiteral("Monitor Senha [ 2.1.0.7 ]");

// Child: publish, say "ready", hold the window until stdin closes.
int publishUntilStdinCloses(const QString& dir, const QString& className, const QString& caption)
{
    LinuxWindowRegistry registry(dir);
    int window = 0;
    registry.publish(&window, className, caption);
    std::cout << "ready" << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {}
    return 0;
}

} // namespace

class TstWindowRegistry : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    bool startPublisher(QProcess& child, const QString& className, const QString& caption)
    {
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--publish"), m_dir.path(), className, caption});
        return child.waitForStarted(5000) && child.waitForReadyRead(10000) && child.readLine().trimmed() == "ready";
    }

private Q_SLOTS:
    void findsWindowOfAnotherProcess_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("found");
        QTest::newRow("same class and caption") << QStringLiteral("TFrmPrincipal") << Caption << true;
        QTest::newRow("other build") << QStringLiteral("TFrmPrincipal") << QStringLiteral("Monitor Senha [ 2.1.0.8 ]")
                                     << false;
        QTest::newRow("caption prefix") << QStringLiteral("TFrmPrincipal") << QStringLiteral("Monitor Senha") << false;
        QTest::newRow("other class") << QStringLiteral("TFrmSplash") << Caption << false;
    }

    void findsWindowOfAnotherProcess()
    {
        QFETCH(QString, className);
        QFETCH(QString, caption);
        QFETCH(bool, found);
        QProcess child;
        QVERIFY(startPublisher(child, QStringLiteral("TFrmPrincipal"), Caption));
        LinuxWindowRegistry registry(m_dir.path());
        QCOMPARE(registry.find(className, caption), found);

        // Withdrawn when the other process ends in order.
        child.closeWriteChannel();
        QVERIFY(child.waitForFinished(10000));
        QVERIFY(!registry.find(QStringLiteral("TFrmPrincipal"), Caption));
    }

    void killedProcessLeavesNoWindow()
    {
        QProcess child;
        QVERIFY(startPublisher(child, QStringLiteral("TFrmSplash"), QStringLiteral("VARLO CARTÓRIO - Monitor Senha")));
        LinuxWindowRegistry registry(m_dir.path());
        QVERIFY(registry.find(QStringLiteral("TFrmSplash"), QStringLiteral("VARLO CARTÓRIO - Monitor Senha")));
        child.kill(); // no chance to withdraw
        QVERIFY(child.waitForFinished(10000));
        QVERIFY(!registry.find(QStringLiteral("TFrmSplash"), QStringLiteral("VARLO CARTÓRIO - Monitor Senha")));
        // The stale entry was cleared away.
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden), QStringList());
    }

    void captionChangeInThisProcess()
    {
        LinuxWindowRegistry registry(m_dir.path());
        int window = 0;
        registry.publish(&window, QStringLiteral("TFrmPrincipal"), QStringLiteral("Splash"));
        registry.publish(&window, QStringLiteral("TFrmPrincipal"), Caption);
        QVERIFY(!registry.find(QStringLiteral("TFrmPrincipal"), QStringLiteral("Splash")));
        QVERIFY(registry.find(QStringLiteral("TFrmPrincipal"), Caption));
        registry.withdraw(&window);
        QVERIFY(!registry.find(QStringLiteral("TFrmPrincipal"), Caption));
    }

    void sessionsDoNotShareWindows()
    {
        const QByteArray saved = qgetenv("DISPLAY");
        qputenv("DISPLAY", ":71");
        const QString first = LinuxWindowRegistry::defaultDirectory();
        qputenv("DISPLAY", ":72");
        const QString second = LinuxWindowRegistry::defaultDirectory();
        qputenv("DISPLAY", saved);
        QVERIFY(first != second);
        QVERIFY(first.contains(QString::number(::getuid())));
    }
};

int main(int argc, char** argv)
{
    if (argc == 5 && QByteArray(argv[1]) == "--publish") {
        QCoreApplication app(argc, argv);
        return publishUntilStdinCloses(QString::fromLocal8Bit(argv[2]), QString::fromUtf8(argv[3]),
                                       QString::fromUtf8(argv[4]));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TstWindowRegistry tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_window_registry.moc"
