#include "base/Clock.h"
#include "data/DMCadastro.h"
#include "data/DmTestDb.h"
#include "data/FakeSplash.h"
#include "data/FbClient.h"
#include "support/FakePlatform.h"
#include "support/ManualClock.h"
#include "update/VersaoBanco.h"
#include <QtTest>

#include <QElapsedTimer>
#include <thread>

namespace {
const QDate kHoje(2021, 5, 20);
const QStringList kFinal{"P:3:7", "S:Iniciando login...", "P:4:9", "E:Criando formulário de login..."};
const QString kFalha = QStringLiteral("ATENÇÃO !  Não foi possível atualizar data atual.");
} // namespace

class TstVersaoBanco : public QObject {
    Q_OBJECT

    static QVariant storedDate(const DmTestDb& db)
    {
        return DmTestDb::value(db.office(), QStringLiteral("SELECT DATAATUAL FROM VERSAOBD"));
    }
    static void setStored(const DmTestDb& db, const QDate& d)
    {
        DmTestDb::exec(db.office(), QStringLiteral("UPDATE VERSAOBD SET DATAATUAL = :D"),
                       {{QStringLiteral("D"), d.isValid() ? QVariant(d) : QVariant()}});
    }

private Q_SLOTS:
    void init()
    {
        m_clock.setPcNow(QDateTime(kHoje, QTime(8, 30)));
        setProgramClock(&m_clock);
        DataDoDia.set(QDate());
    }
    void cleanup() { useRealClock(); }

    void dates_data()
    {
        QTest::addColumn<QDate>("stored");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QDate>("after");
        QTest::addColumn<bool>("writes"); // the step tries to store a date
        QTest::addColumn<QDate>("pcDay"); // the date on the PC's clock
        QTest::newRow("today") << kHoje << true << kHoje << false << kHoje;
        QTest::newRow("null") << QDate() << true << kHoje << true << kHoje;
        QTest::newRow("yesterday") << kHoje.addDays(-1) << true << kHoje << true << kHoje;
        QTest::newRow("last year") << kHoje.addYears(-1) << true << kHoje << true << kHoje;
        QTest::newRow("tomorrow") << kHoje.addDays(1) << false << kHoje.addDays(1) << false << kHoje;
        // The test server's clock is the real one.
        const QDate servidor = QDate::currentDate();
        QTest::newRow("PC ahead of the server: the server's date is stored")
            << servidor.addDays(-1) << true << servidor << true << servidor.addDays(1);
        // The server's date before the stored one, the PC's after it (the
        // start gave the server's clock up): the date never moves back.
        QTest::newRow("server before the stored date, PC after it: not applied")
            << servidor.addDays(1) << true << servidor.addDays(1) << true << servidor.addDays(2);
        QTest::newRow("server on the stored date, PC after it: not applied")
            << servidor << true << servidor << true << servidor.addDays(1);
    }
    void dates()
    {
        QFETCH(QDate, stored);
        QFETCH(bool, result);
        QFETCH(QDate, after);
        QFETCH(bool, writes);
        QFETCH(QDate, pcDay);
        m_clock.setPcNow(QDateTime(pcDay, QTime(8, 30)));
        DM_REQUIRE_SERVER();
        DmTestDb db;
        setStored(db, stored);
        FakePlatform fake;
        FakeSplash splash;
        FbConnection c(DmTestDb::params(db.office()));
        const quint32 before = TransacaoGlobal.TransactionID;

        QCOMPARE(MesmaVersaoExeBanco(c), result);
        QCOMPARE(DataDoDia.get(), pcDay);
        QCOMPARE(storedDate(db).toDate(), after);
        QCOMPARE(TransacaoGlobal.TransactionID, before + (writes ? 1 : 0));
        QVERIFY(!c.inTransaction());

        QStringList expected{"S:Verificando atualizações...", "E:Verificando versões..."};
        if (writes)
            expected << "E:Ajustando Data e Hora último acesso...";
        QCOMPARE(splash.events, expected + kFinal);
        if (result) {
            QVERIFY(fake.boxes.shown.isEmpty());
        } else {
            QCOMPARE(fake.boxes.shown.size(), 1);
            QCOMPARE(fake.boxes.shown[0].text,
                     QStringLiteral("Verifique a data do servidor.\rÚltima data de acesso ao sistema: 21/05/2021\r"
                                    "Data atual do servidor: 20/05/2021"));
            QCOMPARE(fake.boxes.shown[0].title, QStringLiteral("VARLO"));
            QCOMPARE(fake.boxes.shown[0].style, 48);
        }
    }

    void noRow()
    {
        DM_REQUIRE_SERVER();
        DmTestDb db;
        DmTestDb::exec(db.office(), QStringLiteral("DELETE FROM VERSAOBD"));
        FakePlatform fake;
        FakeSplash splash;
        FbConnection c(DmTestDb::params(db.office()));
        try {
            MesmaVersaoExeBanco(c);
            QFAIL("no exception");
        } catch (const Exception& e) {
            QCOMPARE(e.message(), kFalha);
            QCOMPARE(e.className(), QStringLiteral("Exception"));
        }
        QVERIFY(!c.inTransaction());
        // The failing write shows neither the login texts nor the lit update picture.
        QCOMPARE(splash.events.last(), QStringLiteral("E:Ajustando Data e Hora último acesso..."));
        QCOMPARE(DmTestDb::value(db.office(), QStringLiteral("SELECT COUNT(*) FROM VERSAOBD")).toInt(), 0);
    }

    // Another program changes the row: between this step's read and its
    // write, or holds its change uncommitted through the write (then rolls it
    // back, or commits it while the write waits). Its change is left alone,
    // nothing is raised, and the write waits no longer than the lock wait.
    void concurrentChangeIsLeftAlone_data()
    {
        QTest::addColumn<QDate>("stored");
        QTest::addColumn<QString>("other"); // before, holds, commits
        QTest::newRow("changed before the write, from null") << QDate() << "before";
        QTest::newRow("changed before the write, from yesterday") << kHoje.addDays(-1) << "before";
        QTest::newRow("lock held through the wait") << kHoje.addDays(-1) << "holds";
        QTest::newRow("lock released by a commit") << kHoje.addDays(-1) << "commits";
    }
    void concurrentChangeIsLeftAlone()
    {
        QFETCH(QDate, stored);
        QFETCH(QString, other);
        DM_REQUIRE_SERVER();
        DmTestDb db;
        setStored(db, stored);
        FakePlatform fake;
        FakeSplash splash;
        const QDate theirs = kHoje.addDays(-3);
        FbConnection holder(DmTestDb::params(db.office()));
        std::thread committer;
        if (other == QLatin1String("before")) {
            splash.onExecutando = [&](const QString& text) {
                if (text.startsWith(QLatin1String("Ajustando")))
                    setStored(db, theirs);
            };
        } else {
            holder.startTransaction();
            holder.exec(QStringLiteral("UPDATE VERSAOBD SET DATAATUAL = :D"), {{QStringLiteral("D"), theirs}});
            if (other == QLatin1String("commits"))
                committer = std::thread([&holder] {
                    std::this_thread::sleep_for(std::chrono::milliseconds(500));
                    holder.commit();
                });
        }
        FbConnection c(DmTestDb::params(db.office()));
        QElapsedTimer clock;
        clock.start();
        const bool result = MesmaVersaoExeBanco(c);
        const qint64 took = clock.elapsed();
        if (committer.joinable())
            committer.join();
        if (holder.inTransaction())
            holder.rollback();
        QVERIFY(result);
        QVERIFY2(took < FbConnection::LockTimeoutSeconds * 1000 + 2000, qPrintable(QString::number(took)));
        QCOMPARE(storedDate(db).toDate(), other == QLatin1String("holds") ? stored : theirs);
        QVERIFY(!c.inTransaction());
        QCOMPARE(splash.events.mid(splash.events.size() - kFinal.size()), kFinal);
    }

    void readErrorGoesOutUnchanged()
    {
        DM_REQUIRE_SERVER();
        DmTestDb db;
        DmTestDb::exec(db.office(), QStringLiteral("DROP TABLE VERSAOBD"));
        FakePlatform fake;
        FbConnection c(DmTestDb::params(db.office()));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, MesmaVersaoExeBanco(c));
    }

    void throughTheDataModule()
    {
        DM_REQUIRE_SERVER();
        DmTestDb db;
        FakePlatform fake;
        ProgramFolder folder;
        folder.writeSection(db.office());
        TFDMCadastro dm;
        QVERIFY(InfoConexaoAtual->ConectadoCadastro);
        QVERIFY(MesmaVersao_Exe_Banco(dm));
        QCOMPARE(storedDate(db).toDate(), kHoje);
        QCOMPARE(dm.VersaoLiberada(QStringLiteral("VERSAO_MSN")), QStringLiteral("1.0.0.1"));
        DmTestDb::exec(db.office(), QStringLiteral("UPDATE VERSAOBD SET VERSAO_MSN = NULL"));
        QCOMPARE(dm.VersaoLiberada(QStringLiteral("VERSAO_MSN")), QString());
    }

private:
    ManualClock m_clock; // the PC's clock stands at 8:30
};

QTEST_GUILESS_MAIN(TstVersaoBanco)
#include "tst_versaobanco.moc"
