#include "support/FakePlatform.h"
#include <QtTest>

#include "support/ManipulaExcecoes.h"

class TstManipulaExcecoes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void classifies_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QList<long>>("codes");
        QTest::addColumn<bool>("fatal");
        QTest::newRow("fragment at start")
            << "Unable to complete network request to host \"srv\"." << QList<long>{} << true;
        QTest::newRow("fragment in the middle") << "dbExpress: SQL Server Error: bad" << QList<long>{} << true;
        QTest::newRow("lower case words") << "sql server error happened" << QList<long>{} << false;
        QTest::newRow("ordinary") << "Invalid time" << QList<long>{} << false;
        QTest::newRow("read error code") << "Error reading data from the connection." << QList<long>{335544726L}
                                         << true;
        QTest::newRow("write error code") << "Error writing data to the connection." << QList<long>{335544727L} << true;
        QTest::newRow("network error code") << "x" << QList<long>{335544721L, 335544726L} << true;
        QTest::newRow("connection lost") << "x" << QList<long>{335544741L} << true;
        QTest::newRow("connection shutdown") << "x" << QList<long>{335544856L} << true;
        QTest::newRow("sql error code") << "Dynamic SQL Error" << QList<long>{335544569L} << false;
    }
    void classifies()
    {
        QFETCH(QString, message);
        QFETCH(QList<long>, codes);
        QFETCH(bool, fatal);
        QCOMPARE(isCommunicationFailure(message, codes), fatal);

        FakePlatform fake;
        ManipulaExcecoes(EDatabaseError(message, codes));
        QCOMPARE(fake.boxes.shown.size(), 1);
        QCOMPARE(fake.boxes.shown[0].text, message);
        QCOMPARE(fake.boxes.shown[0].title, QString("VARLO"));
        QCOMPARE(fake.boxes.shown[0].style, 16);
        QCOMPARE(fake.fatal.texts.size(), fatal ? 1 : 0);
        if (fatal)
            QCOMPARE(fake.fatal.texts[0],
                     QString("O sistema será finalizado por falha na comunicação com o Servidor de Banco de Dados."));
    }

    void plainStdExceptionIsShown()
    {
        FakePlatform fake;
        ManipulaExcecoes(std::runtime_error("boom"));
        QCOMPARE(fake.boxes.shown.size(), 1);
        QCOMPARE(fake.boxes.shown[0].text, QString("boom"));
        QVERIFY(fake.fatal.texts.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstManipulaExcecoes)
#include "tst_manipulaexcecoes.moc"
