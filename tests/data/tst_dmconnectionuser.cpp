#include "base/Clock.h"
#include "data/DMCadastro.h"
#include "data/DMConnectionUser.h"
#include "data/DmTestDb.h"
#include "data/FakeSplash.h"
#include "data/FbClient.h"
#include "support/ExitCode.h"
#include "support/FakePlatform.h"
#include "support/ManualClock.h"
#include "support/Termination.h"
#include <QtTest>

#include <QElapsedTimer>

// The office module connected to fresh databases, ready for the user module.
struct Started {
    explicit Started(bool demo = true) : db(demo)
    {
        folder.writeSection(db.office());
        cadastro = std::make_unique<TFDMCadastro>();
    }
    int count(const QString& sql) { return DmTestDb::value(db.user(), sql).toInt(); }

    DmTestDb db;
    FakePlatform fake;
    ProgramFolder folder;
    std::unique_ptr<TFDMCadastro> cadastro;
};

class TstDmConnectionUser : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        resetTerminationForTesting();
        setProcessExitCode(0);
        useRealClock();
    }
    void cleanup() { useRealClock(); }

    void connectsBesideTheOfficeDatabase()
    {
        DM_REQUIRE_SERVER();
        Started s;
        QVERIFY(InfoConexaoAtual->ConectadoCadastro);
        FakeSplash splash;
        TFDMConnectionUser user(*s.cadastro);
        user.DataModuleCreate();
        QVERIFY(InfoConexaoAtual->ConectadoUsuario);
        QCOMPARE(user.SQLConnectionUser->param(QStringLiteral("Database")), s.db.user());
        QCOMPARE(user.SQLConnectionUser->param(QStringLiteral("User_Name")), QStringLiteral("VARLO"));
        QCOMPARE(user.TempoLimiteLogout(), QStringLiteral("60")); // demo company row
        QCOMPARE(splash.events,
                 (QStringList{"S:Conectando-se ao Banco de Usuários...", "E:Inciando configurações Banco Usuários...",
                              "E:Carregando configurações Banco Usuário...", "E:Conexão ao Banco USUARIO concluída...",
                              "P:2:5", "E:Excluindo login perdido...", "E:Login perdido excluído..."}));
    }

    void lostLogins_data()
    {
        QTest::addColumn<bool>("thirdAttachment");
        QTest::newRow("this program alone") << false;
        QTest::newRow("another program attached") << true;
    }
    void lostLogins()
    {
        QFETCH(bool, thirdAttachment);
        DM_REQUIRE_SERVER();
        Started s;
        DmTestDb::exec(
            s.db.user(),
            QStringLiteral("INSERT INTO LOGIN (CODLOGIN, CODMODULO, COMPUTADOR, DATAHORALOGIN, DATAHORALOGOUT) "
                           "SELECT 1, 1, 'A', CURRENT_TIMESTAMP, NULL FROM RDB$DATABASE UNION ALL "
                           "SELECT 2, 1, 'B', CURRENT_TIMESTAMP, CURRENT_TIMESTAMP FROM RDB$DATABASE UNION ALL "
                           "SELECT 3, 2, 'C', CURRENT_TIMESTAMP, NULL FROM RDB$DATABASE"));
        std::unique_ptr<FbConnection> other;
        if (thirdAttachment) {
            other = std::make_unique<FbConnection>(DmTestDb::params(s.db.office()));
            other->open();
        }
        TFDMConnectionUser user(*s.cadastro);
        user.DataModuleCreate();
        QCOMPARE(processExitCode(), 1);
        QCOMPARE(s.count(QStringLiteral("SELECT COUNT(*) FROM LOGIN")), thirdAttachment ? 3 : 1);
        QCOMPARE(user.ContaConexoesBanco(), thirdAttachment ? 1 : 0);
    }

    void attachmentCountFailure()
    {
        DM_REQUIRE_SERVER();
        Started s;
        TFDMConnectionUser user(*s.cadastro);
        user.DataModuleCreate();
        s.cadastro->SQLConnectionVARLO->setParams(
            DmTestDb::params(DmTestDb::host() + QStringLiteral(":/nowhere/X.FDB")));
        QVERIFY(user.ContaConexoesBanco() != 0);
        QCOMPARE(processExitCode(), 2);
        QVERIFY(s.fake.boxes.shown.isEmpty());
    }

    void deleteByModuleAndComputer()
    {
        DM_REQUIRE_SERVER();
        Started s;
        DmTestDb::exec(s.db.user(),
                       QStringLiteral("INSERT INTO LOGIN (CODLOGIN, CODMODULO, COMPUTADOR) "
                                      "SELECT 1, 4, 'PC''1) OR (1=1' FROM RDB$DATABASE UNION ALL "
                                      "SELECT 2, 4, 'PC2' FROM RDB$DATABASE UNION ALL "
                                      "SELECT 3, 5, 'PC''1) OR (1=1' FROM RDB$DATABASE"));
        TFDMConnectionUser user(*s.cadastro);
        user.AbreConexao();
        const quint32 before = TransacaoGlobal.TransactionID;
        user.ExcluiLoginPerdido(4, QStringLiteral("PC'1) OR (1=1"));
        QCOMPARE(TransacaoGlobal.TransactionID, before + 1);
        QVERIFY(!user.SQLConnectionUser->inTransaction());
        QCOMPARE(s.count(QStringLiteral("SELECT COUNT(*) FROM LOGIN")), 2);
        QCOMPARE(s.count(QStringLiteral("SELECT COUNT(*) FROM LOGIN WHERE CODLOGIN = 1")), 0);
    }

    // Another program holds an uncommitted change of an open login: the
    // clean-up gives up after the lock wait with the lock's error, undoes its
    // own work and keeps the connection for the next statement.
    void lostLoginLockedByAnotherProgram()
    {
        DM_REQUIRE_SERVER();
        Started s;
        DmTestDb::exec(s.db.user(),
                       QStringLiteral("INSERT INTO LOGIN (CODLOGIN, CODMODULO, COMPUTADOR) "
                                      "VALUES (1, 4, 'PC1')"));
        FbConnection other(DmTestDb::params(s.db.user()));
        other.startTransaction();
        other.exec(QStringLiteral("UPDATE LOGIN SET COMPUTADOR = 'PC2'"));
        TFDMConnectionUser user(*s.cadastro);
        user.AbreConexao();
        QElapsedTimer clock;
        clock.start();
        try {
            user.ExcluiLoginPerdido(0, QString());
            QFAIL("the locked row was deleted");
        } catch (const EDatabaseError& e) {
            QVERIFY2(isLockConflict(e), qPrintable(e.message()));
        }
        QVERIFY2(clock.elapsed() < FbConnection::AnswerWait.count(), qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!user.SQLConnectionUser->inTransaction());
        QVERIFY(user.SQLConnectionUser->isOpen());
        other.rollback();
        user.ExcluiLoginPerdido(0, QString());
        QCOMPARE(s.count(QStringLiteral("SELECT COUNT(*) FROM LOGIN")), 0);
    }

    void companyLimit_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("null reads as 30") << "NULL"
                                          << "30";
        QTest::newRow("45") << "45"
                            << "45";
    }
    void companyLimit()
    {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        DM_REQUIRE_SERVER();
        ManualClock clock(QDateTime::currentDateTime());
        UseClock use(clock);
        Started s;
        DmTestDb::exec(s.db.user(), QStringLiteral("UPDATE EMPRESA SET TEMPOLIMITELOGOUT = ") + stored);
        TFDMConnectionUser user(*s.cadastro);
        user.DataModuleCreate();
        QCOMPARE(user.TempoLimiteLogout(), expected);
        // Never written back.
        QCOMPARE(DmTestDb::value(s.db.user(), QStringLiteral("SELECT TEMPOLIMITELOGOUT FROM EMPRESA")).isNull(),
                 stored == QLatin1String("NULL"));

        // The inactivity check takes its limit from the row.
        s.cadastro->FDMConnectionUser = &user;
        s.fake.processes.running = {{4, s.folder.path(QStringLiteral("MonitorSenha")), {}}};
        const QDateTime now = clock.now();
        const int limit = expected.toInt() * 60;
        UltimaAtividade = now.addSecs(-limit);
        s.cadastro->VerificaTempoInativo();
        QVERIFY(s.fake.processes.terminated.isEmpty());
        UltimaAtividade = now.addSecs(-limit - 1);
        s.cadastro->VerificaTempoInativo();
        QCOMPARE(s.fake.processes.terminated, QList<qint64>{4});
    }

    void missingDefinitionFilePropagates()
    {
        DM_REQUIRE_SERVER();
        Started s;
        QFile::remove(s.folder.iniPath());
        TFDMConnectionUser user(*s.cadastro);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, user.DataModuleCreate());
        QVERIFY(!InfoConexaoAtual->ConectadoUsuario);
        QVERIFY(!user.DadosEmpresaAberto());
        QCOMPARE(user.TempoLimiteLogout(), QString());
    }

    void codesAndAuthorisation()
    {
        DM_REQUIRE_SERVER();
        Started s;
        TFDMConnectionUser user(*s.cadastro);
        user.AbreConexao();
        QCOMPARE(user.GeraCodigoGenerator(QStringLiteral("gen_teste"), 1), 1);
        QCOMPARE(user.GeraCodigoGenerator(QStringLiteral("GEN_TESTE"), 5), 6);

        InfoConexaoAtual->Usuario.CodUsuario = 1;
        InfoConexaoAtual->NomeComputador = QStringLiteral("posto'7");
        QVERIFY(!user.AutenticaConexao());
        QCOMPARE(s.fake.boxes.shown.size(), 1);
        QCOMPARE(s.fake.boxes.shown[0].text,
                 QStringLiteral("Usuário/Computador não autorizado a realizar esta conexão."));
        QCOMPARE(s.fake.boxes.shown[0].style, 16);
        DmTestDb::exec(s.db.user(),
                       QStringLiteral("INSERT INTO ACESSOREMOTO (CODUSUARIO, COMPUTADOR) VALUES (1, 'POSTO''7')"));
        QVERIFY(user.AutenticaConexao());
        QCOMPARE(s.fake.boxes.shown.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TstDmConnectionUser)
#include "tst_dmconnectionuser.moc"
