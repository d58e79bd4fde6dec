#include "support/FakePlatform.h"
#include "support/Paths.h"
#include <QtTest>

#include "base/Errors.h"
#include "data/InfoConexao.h"
#include "support/ProgramPaths.h"

#include <QTemporaryDir>

class TstInfoConexao : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void servidor_data()
    {
        QTest::addColumn<QString>("banco");
        QTest::addColumn<QString>("computador");
        QTest::addColumn<QString>("servidor");
        QTest::addColumn<bool>("remoto");
        QTest::newRow("server, port, drive") << "srv/3052:G:\\DB\\CARTORIO.FDB"
                                             << "PC"
                                             << "srv/3052:G:" << false;
        QTest::newRow("local drive") << "C:\\DB\\CARTORIO.FDB"
                                     << "PC"
                                     << "PC:C:" << false;
        QTest::newRow("local drive, no network") << "C:\\DB\\CARTORIO.FDB"
                                                 << ""
                                                 << ":C:" << false;
        QTest::newRow("unix path on server") << "srv:/opt/db/CARTORIO.FDB"
                                             << "PC"
                                             << "srv:" << false;
        QTest::newRow("remote 200.") << "200.10.1.2/3052:D:\\DADOS\\CARTORIO.FDB"
                                     << "PC"
                                     << "200.10.1.2/3052:D:" << true;
        QTest::newRow("remote 189.") << "189.1.1.1:/db/x.fdb"
                                     << "PC"
                                     << "189.1.1.1:" << true;
        QTest::newRow("200. not at start") << "10.200.1.1:/db/x.fdb"
                                           << "PC"
                                           << "10.200.1.1:" << false;
        QTest::newRow("no colon") << "/var/db/CARTORIO.FDB"
                                  << "PC"
                                  << "" << false;
        QTest::newRow("empty") << ""
                               << "PC"
                               << "" << false;
    }
    void servidor()
    {
        QFETCH(QString, banco);
        QFETCH(QString, computador);
        QFETCH(QString, servidor);
        QFETCH(bool, remoto);
        QCOMPARE(TInfoConexao::derivaServidor(banco, computador), servidor);
        QCOMPARE(TInfoConexao::derivaAcessoRemoto(banco), remoto);
    }

    void userLocation_data()
    {
        QTest::addColumn<QString>("office");
        QTest::addColumn<QString>("user");
        QTest::newRow("usual") << "srv/3052:D:\\DADOS\\CARTORIO.FDB"
                               << "srv/3052:D:\\DADOS\\USUARIO.FDB";
        QTest::newRow("other file name") << "srv/3052:D:\\DADOS\\CART.FDB"
                                         << "srv/3052:D:\\DADOS\\USUARIO.FDB";
        QTest::newRow("unix path") << "127.0.0.1/3052:/srv/db/office.fdb"
                                   << "127.0.0.1/3052:/srv/db/USUARIO.FDB";
        QTest::newRow("blanks around") << "  srv:/db/CARTORIO.FDB  "
                                       << "srv:/db/USUARIO.FDB";
        QTest::newRow("file after colon only") << "srv:CARTORIO.FDB"
                                               << "srv:USUARIO.FDB";
        QTest::newRow("port, no folder") << "srv/3052:CARTORIO.FDB"
                                         << "srv/3052:USUARIO.FDB";
        QTest::newRow("bare name") << "CARTORIO.FDB"
                                   << "USUARIO.FDB";
    }
    void userLocation()
    {
        QFETCH(QString, office);
        QFETCH(QString, user);
        QCOMPARE(userDatabaseLocation(office), user);
    }

    void firstOccurrenceWinsWithoutCase()
    {
        const ConnectionParams params = {{"DATABASE", "a"}, {"database", "b"}, {"User_Name", "X"}};
        QCOMPARE(paramValue(params, "Database"), QString("a"));
        QCOMPARE(paramValue(params, "user_name"), QString("X"));
        QCOMPARE(paramValue(params, "Password"), QString());
    }

    void missingLibraryStillFillsLocationAndMachine()
    {
        FakePlatform fake;
        fake.machine.host = "CAIXA01";
        fake.machine.nics = {{"eth0", false, true, QByteArray::fromHex("0a1b2c3d4e5f")}};
        QTemporaryDir empty;
        ProgramPaths::setExecutablePathForTesting(empty.path() + "/MonitorSenha");
        TInfoConexao info;
        try {
            info.CarregaInformacoes({{"Database", "srv:/db/CARTORIO.FDB"}, {"Servidor Aplicação", "/srv/app"}});
            QFAIL("expected the helper library error");
        } catch (const Exception& e) {
            QCOMPARE(e.message(), QString("VarloLib.Dll não disponível."));
        }
        ProgramPaths::setExecutablePathForTesting(QString());
        QCOMPARE(info.BancoDados, QString("srv:/db/CARTORIO.FDB"));
        QCOMPARE(info.ServidorAplicacao, QString("/srv/app"));
        QCOMPARE(info.NomeComputador, QString("CAIXA01"));
        QCOMPARE(info.EnderecoMAC, QString("0A-1B-2C-3D-4E-5F"));
        QCOMPARE(info.PastaSistema, empty.path() + "/");
        QVERIFY(info.Aplicacao.Build.isEmpty());
        QVERIFY(info.Servidor.isEmpty());
        QVERIFY(!info.ConectadoCadastro && !info.ConectadoUsuario && !info.AcessoRemoto);
    }

    void buildFromStagedLibrary()
    {
        FakePlatform fake;
        ProgramPaths::setExecutablePathForTesting(testpaths::stageDir() + "/MonitorSenha");
        TInfoConexao info;
        info.CarregaInformacoes({{"Database", "200.1.1.1/3052:D:\\X\\CARTORIO.FDB"}});
        ProgramPaths::setExecutablePathForTesting(QString());
        QCOMPARE(info.Aplicacao.Build, QString("1.0.0.1"));
        QVERIFY(info.AcessoRemoto);
        QCOMPARE(info.Servidor, QString("200.1.1.1/3052:D:"));
        QVERIFY(info.ServidorAplicacao.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstInfoConexao)
#include "tst_infoconexao.moc"
