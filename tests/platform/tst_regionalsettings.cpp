#include <QtTest>

#include "platform/LinuxServices.h"

#include <QProcess>
#include <QTemporaryDir>

// The user's locale is read once per process, so each environment is tried in
// a child run of this test program that reports what it sees into a file.
class TstRegionalSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formatsFollowTheEnvironment_data()
    {
        QTest::addColumn<QString>("lcAll");
        QTest::addColumn<QString>("lcTime");
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("timeFormat");
        QTest::addColumn<QString>("dateFormat");
        QTest::newRow("pt_BR time") << ""
                                    << "pt_BR.UTF-8"
                                    << "en_US.UTF-8"
                                    << "HH:mm:ss"
                                    << "dd/MM/yyyy";
        QTest::newRow("en_US time") << ""
                                    << "en_US.UTF-8"
                                    << "pt_BR.UTF-8"
                                    << "h:mm:ss AP"
                                    << "M/d/yy";
        QTest::newRow("LANG alone") << ""
                                    << ""
                                    << "pt_BR.UTF-8"
                                    << "HH:mm:ss"
                                    << "dd/MM/yyyy";
        QTest::newRow("LC_ALL first") << "pt_BR.UTF-8"
                                      << "en_US.UTF-8"
                                      << "en_US.UTF-8"
                                      << "HH:mm:ss"
                                      << "dd/MM/yyyy";
    }
    void formatsFollowTheEnvironment()
    {
        QFETCH(QString, lcAll);
        QFETCH(QString, lcTime);
        QFETCH(QString, lang);
        QFETCH(QString, timeFormat);
        QFETCH(QString, dateFormat);

        QTemporaryDir dir;
        const QString report = dir.filePath("formats");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"LC_ALL", "LC_TIME", "LC_NUMERIC", "LC_MONETARY", "LC_MESSAGES", "LANG", "LANGUAGE"})
            env.remove(name);
        if (!lcAll.isEmpty())
            env.insert("LC_ALL", lcAll);
        if (!lcTime.isEmpty())
            env.insert("LC_TIME", lcTime);
        env.insert("LANG", lang);
        env.insert("MONITOR_REGIONAL_REPORT", report);

        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {"reportFormats"});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitCode(), 0);

        QFile file(report);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), timeFormat);
        QCOMPARE(lines.value(1), dateFormat);
    }

    // Run in the child only: writes the formats of its environment.
    void reportFormats()
    {
        const QString report = qEnvironmentVariable("MONITOR_REGIONAL_REPORT");
        if (report.isEmpty())
            QSKIP("runs in the child process of formatsFollowTheEnvironment");
        platform::LinuxRegionalSettings regional;
        QFile file(report);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write((regional.longTimeFormat() + QLatin1Char('\n') + regional.shortDateFormat()).toUtf8());
    }
};

QTEST_GUILESS_MAIN(TstRegionalSettings)
#include "tst_regionalsettings.moc"
