#include <QtTest>

#include "display/TicketQuery.h"

class TstFilter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void filter_data()
    {
        QTest::addColumn<QString>("tipos");
        QTest::addColumn<QString>("clause"); // appended to line 2, empty for none
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("commas only") << ",,,"
                                     << "";
        QTest::newRow("F,P") << "F,P"
                             << " AND SIGLA_SENHA IN ('F','P') ";
        QTest::newRow("FP") << "FP"
                            << " AND SIGLA_SENHA IN ('F','P') ";
        QTest::newRow("blank is a letter") << "F, P"
                                           << " AND SIGLA_SENHA IN ('F',' ','P') ";
        QTest::newRow("quote doubled") << "F,'"
                                       << " AND SIGLA_SENHA IN ('F','''') ";
        QTest::newRow("leading comma") << ",N"
                                       << " AND SIGLA_SENHA IN ('N') ";
    }
    void filter()
    {
        QFETCH(QString, tipos);
        QFETCH(QString, clause);
        const QString sql = ticketQuerySql(tipos);
        const QStringList lines = sql.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0],
                 QStringLiteral("SELECT A.SIGLA_SENHA, A.NUMERO_SENHA, A.PREFERENCIAL, T.NUMERO_MESA, T.LOCAL_ATEND"));
        QCOMPARE(
            lines[1],
            QStringLiteral("FROM ATEND_SENHA A LEFT JOIN ATEND_TERMINAL T ON (A.CODATEND_TERM = T.CODATEND_TERM)"));
        QCOMPARE(lines[2],
                 QStringLiteral("WHERE A.DATA_SENHA = :DATA AND A.STATUS = 'A' AND A.CODATEND_TERM IS NOT NULL")
                     + clause);
        QCOMPARE(lines[3], QStringLiteral("ORDER BY A.PREFERENCIAL"));
    }
};

QTEST_GUILESS_MAIN(TstFilter)
#include "tst_filter.moc"
