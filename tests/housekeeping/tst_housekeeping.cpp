#include "support/FakePlatform.h"
#include <QtTest>

#include "support/FinalizaProcesso.h"
#include "support/LimiteInatividade.h"

class TstHousekeeping : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void limit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("minutes");
        QTest::newRow("empty means one hour") << "" << 60;
        QTest::newRow("30, the null default") << "30" << 30;
        QTest::newRow("60") << "60" << 60;
        QTest::newRow("90") << "90" << 90;
        QTest::newRow("300") << "300" << 300;
        QTest::newRow("45") << "45" << 45;
        QTest::newRow("5") << "5" << 5;
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("75, outside the old table") << "75" << 75;
        QTest::newRow("negative") << "-5" << 60;
        QTest::newRow("not a number") << "abc" << 60;
        QTest::newRow("blanks around") << " 20 " << 20;
    }
    void limit()
    {
        QFETCH(QString, text);
        QFETCH(int, minutes);
        QCOMPARE(limiteInatividadeMinutos(text), minutes);
    }

    void finalizaProcesso_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QList<qint64>>("ended");
        // Processes, in list order: 10 other program, 11 same name elsewhere,
        // 1 this program, 12 same name after this program.
        QTest::newRow("by name, case ignored, walk ends at self") << "monitorsenha" << QList<qint64>{11, 1};
        QTest::newRow("by full path, later ones survive") << "/opt/app/MonitorSenha" << QList<qint64>{1};
        QTest::newRow("other program") << "editor" << QList<qint64>{10};
        QTest::newRow("empty") << "  " << QList<qint64>{};
        QTest::newRow("no match") << "nothing" << QList<qint64>{};
    }
    void finalizaProcesso()
    {
        QFETCH(QString, argument);
        FakePlatform fake;
        fake.processes.self = 1;
        fake.processes.running = {{10, "/usr/bin/editor", {}},
                                  {11, "/home/x/MonitorSenha", {}},
                                  {1, "/opt/app/MonitorSenha", {}},
                                  {12, "/opt/app/MonitorSenha", {}}};
        FinalizaProcesso(argument);
        QFETCH(QList<qint64>, ended);
        QCOMPARE(fake.processes.terminated, ended);
    }
};

QTEST_GUILESS_MAIN(TstHousekeeping)
#include "tst_housekeeping.moc"
