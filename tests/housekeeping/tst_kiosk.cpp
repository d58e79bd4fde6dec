// Kiosk mode's pieces that need no display: the command line, the journal
// line of a box, and the watch on a walker query that never comes back.
#include <QtTest>

#include "support/Kiosk.h"
#include "support/ManualClock.h"
#include "support/QueryWatch.h"

class TstKiosk : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("timeoutVariable");
        QTest::addColumn<bool>("ativo");
        QTest::addColumn<int>("fechaEmMs");
        QTest::newRow("no arguments") << QStringList{"MonitorSenha"} << QString() << false << 0;
        QTest::newRow("other argument") << QStringList{"MonitorSenha", "--kiosk"} << QString() << false << 0;
        QTest::newRow("program named like the flag") << QStringList{"--quiosque"} << QString() << false << 0;
        QTest::newRow("kiosk") << QStringList{"MonitorSenha", "--quiosque"} << QString() << true << 30000;
        QTest::newRow("kiosk, shorter boxes") << QStringList{"MonitorSenha", "--quiosque"} << "1500" << true << 1500;
        QTest::newRow("kiosk, bad timeout") << QStringList{"MonitorSenha", "--quiosque"} << "abc" << true << 30000;
        QTest::newRow("kiosk, zero timeout") << QStringList{"MonitorSenha", "--quiosque"} << "0" << true << 30000;
        QTest::newRow("timeout without kiosk") << QStringList{"MonitorSenha"} << "1500" << false << 0;
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, timeoutVariable);
        QFETCH(bool, ativo);
        QFETCH(int, fechaEmMs);
        if (timeoutVariable.isNull())
            qunsetenv("MONITOR_BOX_TIMEOUT_MS");
        else
            qputenv("MONITOR_BOX_TIMEOUT_MS", timeoutVariable.toUtf8());
        const KioskOptions options = KioskOptions::fromArguments(arguments);
        qunsetenv("MONITOR_BOX_TIMEOUT_MS");
        QCOMPARE(options.enabled, ativo);
        QCOMPARE(options.boxTimeoutMs, fechaEmMs);
    }

    // The journal keeps one line per box, whatever line breaks its text has.
    void journalLine()
    {
        const QDateTime when(QDate(2026, 3, 7), QTime(8, 5, 9));
        QCOMPARE(
            kiosk::logLine(when, QStringLiteral("VARLO"),
                           QStringLiteral("Erro ao se conectar em:\rhost/3050:x.fdb\r\rErro: refused\r\nClasse: E")),
            QStringLiteral("2026-03-07 08:05:09 VARLO: Erro ao se conectar em: | host/3050:x.fdb |  | "
                           "Erro: refused | Classe: E"));
    }

    // A query that runs past the limit fires the watch once; one that ends
    // in time, or none at all, never does.
    void frozenQuery_data()
    {
        QTest::addColumn<int>("queryMs"); // how long the query runs; -1 for none
        QTest::addColumn<int>("fires");
        QTest::newRow("no query") << -1 << 0;
        QTest::newRow("query within the limit") << 100 << 0;
        QTest::newRow("query past the limit") << 2000 << 1;
    }
    void frozenQuery()
    {
        QFETCH(int, queryMs);
        QFETCH(int, fires);
        ManualClock time;
        QueryClock clock(time);
        int fired = 0;
        FrozenQueryWatch watch([&clock] { return clock.runningForMs(); }, 600, [&fired] { ++fired; }, nullptr, 50,
                               time);
        // Time moves on in steps, and the watch gets to look after each.
        const auto pass = [&time](int ms) {
            for (int step = 0; step < ms; step += 100) {
                time.advance(100);
                QTest::qWait(5);
            }
        };
        if (queryMs >= 0) {
            QueryClock::Running running(clock);
            pass(queryMs);
        }
        pass(1200);
        QCOMPARE(fired, fires);
        QCOMPARE(clock.runningForMs(), -1);
    }
};

QTEST_GUILESS_MAIN(TstKiosk)
#include "tst_kiosk.moc"
