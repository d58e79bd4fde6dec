#include "data/ConnectionDefinition.h"
#include "data/DMCadastro.h"
#include "data/DMConnectionUser.h"
#include "data/DmTestDb.h"
#include "data/FakeSplash.h"
#include "data/FbClient.h"
#include "data/Parametros.h"
#include "platform/ui/LinuxUiServices.h"
#include "support/FakePlatform.h"
#include "support/ManualClock.h"
#include "support/Termination.h"
#include "support/TestMain.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace {

const QString kConexaoFalhou =
    QStringLiteral("Não foi possível estabelecer conexão com o Servidor de Banco de Dados.\rErro: ");

} // namespace

class TstDmCadastro : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        resetTerminationForTesting();
        useRealClock();
        DataDoDia.set(QDate());
    }
    void cleanup() { useRealClock(); }

    void definitionFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("expected"); // name=value in order

        QTest::newRow("crlf") << QByteArray("[CART\xD3RIO]\r\nDatabase=srv/3052:D:\\A\\CARTORIO.FDB\r\n"
                                            "Servidor Aplica\xE7\xE3o = \\\\srv\\app \r\n")
                              << QStringList{"Database=srv/3052:D:\\A\\CARTORIO.FDB",
                                             "Servidor Aplicação=\\\\srv\\app"};
        QTest::newRow("lf, other sections around") << QByteArray("[OUTRO]\nDatabase=x\n[cart\xF3rio]\nDatabase=y\n"
                                                                 "; note\n\nUser_Name=SYSDBA\n[FIM]\nA=b\n")
                                                   << QStringList{"Database=y", "User_Name=SYSDBA"};
        QTest::newRow("first section of the name wins")
            << QByteArray("[CART\xD3RIO]\nDatabase=first\n[CART\xD3RIO]\nDatabase=second\n")
            << QStringList{"Database=first"};
        QTest::newRow("repeated names kept in order")
            << QByteArray("[CART\xD3RIO]\nDATABASE=a\ndatabase=b\nno equals sign\n=nameless\n")
            << QStringList{"DATABASE=a", "database=b"};
        QTest::newRow("UTF-8") << QByteArray("[CART\xC3\x93RIO]\nDatabase=S\xC3\xA3o\n") << QStringList{"Database=São"};
        QTest::newRow("UTF-8 after a byte-order mark")
            << QByteArray("\xEF\xBB\xBF[CART\xC3\x93RIO]\r\nDatabase=y\r\n") << QStringList{"Database=y"};
    }
    void definitionFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, expected);
        ProgramFolder folder(false);
        folder.writeIni(content);
        QStringList got;
        for (const auto& p :
             ConnectionDefinition::leSecao(ConnectionDefinition::caminhoPadrao(), ConnectionDefinition::secao()))
            got << p.first + QLatin1Char('=') + p.second;
        QCOMPARE(got, expected);

        const ConnectionParams full = ConnectionDefinition::parametrosConexao(folder.iniPath());
        QCOMPARE(full.size(), expected.size() + 2);
        QCOMPARE(full.at(full.size() - 2), qMakePair(QStringLiteral("User_Name"), QStringLiteral("VARLO")));
        QCOMPARE(full.last(), qMakePair(QStringLiteral("Password"), QStringLiteral("tarvumel")));
    }

    // The box names the entry that is missing and the file, instead of the
    // client's complaint about the location it was never given.
    void definitionFileWithoutTheEntry_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected"); // %1 the file
        const QString semSecao = QStringLiteral("A seção [CARTÓRIO] não foi encontrada no arquivo %1.");
        QTest::newRow("empty file") << QByteArray() << semSecao;
        QTest::newRow("section without accent") << QByteArray("[CARTORIO]\nDatabase=plain O\n") << semSecao;
        QTest::newRow("no Database entry")
            << QByteArray("[CART\xD3RIO]\r\nUser_Name=VARLO\r\n")
            << QStringLiteral("A entrada Database da seção [CARTÓRIO] não foi encontrada no arquivo %1.");
        QTest::newRow("empty Database entry")
            << QByteArray("[CART\xD3RIO]\r\nDatabase=  \r\n")
            << QStringLiteral("A entrada Database da seção [CARTÓRIO] do arquivo %1 está vazia.");
    }
    void definitionFileWithoutTheEntry()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        FakePlatform fake;
        ProgramFolder folder(false);
        folder.writeIni(content);
        TFDMCadastro dm;
        QVERIFY(terminationRequested());
        QCOMPARE(fake.boxes.shown.size(), 1);
        QCOMPARE(fake.boxes.shown[0].text,
                 kConexaoFalhou + expected.arg(folder.iniPath()) + QStringLiteral("\rClasse: EDatabaseError"));
    }

    void dateFormatCheck_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<bool>("refused");
        QTest::newRow("d/M/yyyy, one-digit day and month") << "d/M/yyyy" << QDate(2024, 3, 5) << true;
        QTest::newRow("d/M/yyyy, two-digit day and month") << "d/M/yyyy" << QDate(2024, 12, 15) << false;
        QTest::newRow("yyyy-MM-dd") << "yyyy-MM-dd" << QDate(2024, 12, 15) << true;
        QTest::newRow("dd.MM.yyyy") << "dd.MM.yyyy" << QDate(2024, 3, 5) << false;
        QTest::newRow("dd/MM/yy") << "dd/MM/yy" << QDate(2024, 3, 5) << true;
    }
    void dateFormatCheck()
    {
        QFETCH(QString, format);
        QFETCH(QDate, today);
        QFETCH(bool, refused);
        FakePlatform fake;
        fake.regional.dateFormat = format;
        fixToday(today);
        ProgramFolder folder; // no dbxconnections.ini: an accepted format fails at the connection

        TFDMCadastro dm;
        QVERIFY(terminationRequested());
        QCOMPARE(fake.boxes.shown.size(), 1);
        const ShownBox box = fake.boxes.shown.first();
        QCOMPARE(box.title, QStringLiteral("VARLO"));
        QCOMPARE(InfoConexaoAtual, nullptr);
        if (refused) {
            QCOMPARE(box.style, 0);
            QVERIFY(
                box.text.startsWith(QStringLiteral("Formato de data inválido.\rA janela de configuração será aberta")));
            QVERIFY(box.text.endsWith(QStringLiteral("configure a data conforme\ras instruções acima.")));
            QCOMPARE(fake.regional.opened, 1);
        } else {
            QCOMPARE(box.style, 48);
            QVERIFY(box.text.startsWith(kConexaoFalhou));
            QCOMPARE(fake.regional.opened, 0);
        }
    }

    void missingDefinitionFile()
    {
        FakePlatform fake;
        ProgramFolder folder;
        FakeSplash splash;
        TFDMCadastro dm;
        QVERIFY(terminationRequested());
        QCOMPARE(fake.boxes.shown.size(), 1);
        QCOMPARE(fake.boxes.shown[0].text,
                 kConexaoFalhou + QStringLiteral("Driver/Connection Registry File '") + folder.iniPath()
                     + QStringLiteral("' not found\rClasse: EDatabaseError"));
        QCOMPARE(fake.boxes.shown[0].style, 48);
        QCOMPARE(InfoConexaoAtual, nullptr);
        QCOMPARE(splash.events,
                 (QStringList{"S:Iniciando sistema...", "E:Carregando configurações Banco de Dados..."}));
    }

    void missingHelperLibrary()
    {
        FakePlatform fake;
        ProgramFolder folder(false);
        folder.writeSection(QStringLiteral("127.0.0.1/1:/nowhere/CARTORIO.FDB"),
                            "Servidor Aplica\xE7\xE3o=\\\\srv\\app\r\n");
        TFDMCadastro dm;
        QVERIFY(terminationRequested());
        QCOMPARE(fake.boxes.shown.size(), 1);
        QCOMPARE(fake.boxes.shown[0].text,
                 kConexaoFalhou + QStringLiteral("VarloLib.Dll não disponível.\rClasse: Exception"));
        QVERIFY(InfoConexaoAtual);
        QCOMPARE(InfoConexaoAtual->BancoDados, QStringLiteral("127.0.0.1/1:/nowhere/CARTORIO.FDB"));
        QCOMPARE(InfoConexaoAtual->ServidorAplicacao, QStringLiteral("\\\\srv\\app"));
        QVERIFY(InfoConexaoAtual->Aplicacao.Build.isEmpty());
        QVERIFY(!InfoConexaoAtual->ConectadoCadastro);
        QVERIFY(!dm.SQLConnectionVARLO->isOpen());
    }

    void connectionRefused_data()
    {
        QTest::addColumn<bool>("unreachable");
        QTest::addColumn<QByteArray>("extra");
        QTest::newRow("wrong password") << false << QByteArray("Password=errada\r\n");
        QTest::newRow("unknown user in the section") << false << QByteArray("User_Name=NINGUEM\r\n");
        QTest::newRow("server unreachable") << true << QByteArray();
    }
    void connectionRefused()
    {
        QFETCH(bool, unreachable);
        QFETCH(QByteArray, extra);
        DM_REQUIRE_SERVER();
        FakePlatform fake;
        ProgramFolder folder;
        const QString location = unreachable ? QStringLiteral("127.0.0.1/1:/nowhere/CARTORIO.FDB")
                                             : DmTestDb::host() + QStringLiteral(":/nowhere/CARTORIO.FDB");
        folder.writeSection(location, extra);
        TFDMCadastro dm;
        QVERIFY(terminationRequested());
        QCOMPARE(fake.boxes.shown.size(), 1);
        const QString text = fake.boxes.shown[0].text;
        QVERIFY2(text.startsWith(kConexaoFalhou), qPrintable(text));
        QVERIFY(text.endsWith(QStringLiteral("\rClasse: EDatabaseError")));
        QVERIFY(text.size() > kConexaoFalhou.size() + 25); // the client's message stands between
        QVERIFY(InfoConexaoAtual);
        QCOMPARE(InfoConexaoAtual->BancoDados, location);
        QVERIFY(!InfoConexaoAtual->Aplicacao.Build.isEmpty());
        QVERIFY(!InfoConexaoAtual->ConectadoCadastro);
        QVERIFY(!InfoConexaoAtual->ConectadoUsuario);
    }

    void connects()
    {
        DM_REQUIRE_SERVER();
        DmTestDb db;
        FakePlatform fake;
        ProgramFolder folder;
        folder.writeSection(db.office());
        FakeSplash splash;
        {
            TFDMCadastro dm;
            QVERIFY(!terminationRequested());
            QVERIFY(fake.boxes.shown.isEmpty());
            QVERIFY(InfoConexaoAtual);
            QVERIFY(InfoConexaoAtual->ConectadoCadastro);
            QVERIFY(dm.SQLConnectionVARLO->isOpen());
            QCOMPARE(TransacaoGlobal.TransactionID, 1u);
            QVERIFY(UltimaAtividade.isValid());
            QCOMPARE(dm.TmrVarlo.interval(), 5000);
            QVERIFY(dm.TmrVarlo.isActive());
            // The clock was set once, from the server, without milliseconds.
            QCOMPARE(fake.clock.sets.size(), 1);
            QCOMPARE(fake.clock.sets[0].time().msec(), 0);
            QVERIFY(qAbs(fake.clock.sets[0].secsTo(QDateTime::currentDateTime())) < 60);
            QCOMPARE(splash.events,
                     (QStringList{
                         "S:Iniciando sistema...", "E:Carregando configurações Banco de Dados...",
                         "E:Carregando informações da conexão...", "S:Conectando-se ao servidor: " + db.office(),
                         "E:Conexão ao Banco VARLO concluída...", "P:0:1", "S:Carregando configurações...", "P:1:3"}));

            // A second connect uses the prepared parameters without redoing the preparation.
            TInfoConexao* info = InfoConexaoAtual;
            dm.SQLConnectionVARLO->close();
            splash.events.clear();
            dm.AbreConexao();
            QVERIFY(dm.SQLConnectionVARLO->isOpen());
            QVERIFY(splash.events.isEmpty());
            QCOMPARE(InfoConexaoAtual, info);
        }
        QCOMPARE(InfoConexaoAtual, nullptr);
    }

    void clockRefused_data()
    {
        QTest::addColumn<int>("pcAheadSecs"); // the PC's clock against the server's
        QTest::newRow("PC right") << 0;
        QTest::newRow("PC a day ahead") << 86400;
        QTest::newRow("PC a day behind") << -86400;
    }
    // The PC's clock cannot be set: no message, and the program reads the
    // server's time (the test server's clock is the real one). The jump of
    // the program's clock does not count as inactivity.
    void clockRefused()
    {
        QFETCH(int, pcAheadSecs);
        DM_REQUIRE_SERVER();
        DmTestDb db;
        FakePlatform fake;
        fake.clock.accept = false;
        ShiftedClock clock(pcAheadSecs);
        ProgramFolder folder;
        folder.writeSection(db.office());
        TFDMCadastro dm(nullptr, clock);
        QVERIFY(InfoConexaoAtual->ConectadoCadastro);
        QVERIFY(fake.boxes.shown.isEmpty());
        QVERIFY(!terminationRequested());
        QVERIFY2(qAbs(clock.serverOffsetSecs() + pcAheadSecs) <= 2,
                 qPrintable(QString::number(clock.serverOffsetSecs())));
        QVERIFY(qAbs(clock.now().secsTo(QDateTime::currentDateTime())) <= 2);
        QVERIFY(qAbs(UltimaAtividade.secsTo(clock.now())) <= 5);
    }

    void sectionUserTakesPrecedence()
    {
        DM_REQUIRE_SERVER();
        DmTestDb db;
        FakePlatform fake;
        ProgramFolder folder;
        const QByteArray sysdbaPassword = qEnvironmentVariable("SYSDBA_PASSWORD", "masterkey").toLatin1();
        folder.writeSection(db.office(), "User_Name=SYSDBA\r\nPassword=" + sysdbaPassword + "\r\n");
        TFDMCadastro dm;
        QVERIFY(InfoConexaoAtual->ConectadoCadastro);
        FbQuery q(*dm.SQLConnectionVARLO);
        q.open(QStringLiteral("SELECT CURRENT_USER FROM RDB$DATABASE"));
        QCOMPARE(q.field(0).asString().trimmed(), QStringLiteral("SYSDBA"));
    }

    void officeName_data()
    {
        QTest::addColumn<QByteArray>("charset");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no character set")
            << QByteArray() << QStringList{"Ofício de Notas São João", "Registro Civil"} << "Ofício de Notas São João";
        QTest::newRow("WIN1252") << QByteArray("ServerCharSet=WIN1252\r\n")
                                 << QStringList{"Tabelionato Ação", "Cartório Çedilha € Ãbc"}
                                 << "Cartório Çedilha € Ãbc";
        QTest::newRow("no office") << QByteArray() << QStringList{} << QString();
    }
    void officeName()
    {
        QFETCH(QByteArray, charset);
        QFETCH(QStringList, names);
        QFETCH(QString, expected);
        DM_REQUIRE_SERVER();
        DmTestDb db(false);
        {
            FbConnection c({{"Database", db.office()},
                            {"User_Name", "VARLO"},
                            {"Password", "tarvumel"},
                            {"ServerCharSet", "WIN1252"}});
            for (int i = 0; i < names.size(); ++i)
                c.exec(QStringLiteral("INSERT INTO CARTORIO (CODCARTORIO, NOME) VALUES (:C, :N)"),
                       {{"C", i + 1}, {"N", names[i]}});
        }
        FakePlatform fake;
        ProgramFolder folder;
        folder.writeSection(db.office(), charset);
        TFDMCadastro dm;
        QCOMPARE(dm.NomeCartorio(), expected);
    }

    void parametros_data()
    {
        QTest::addColumn<QString>("rows"); // VALUES lists of (CODPARAMETRO, TEMPOSENHA, FOLHASOBITO, LIVRO_DIARIO)
        QTest::addColumn<int>("tempoSenha");
        QTest::addColumn<int>("folhasObito");
        QTest::addColumn<bool>("livroDiario");
        QTest::newRow("5 seconds") << "(1, 5, 150, 'S')" << 5000 << 150 << true;
        QTest::newRow("nulls") << "(1, NULL, NULL, NULL)" << 0 << 300 << false;
        QTest::newRow("zeros, N") << "(1, 0, 0, 'N')" << 0 << 300 << false;
        QTest::newRow("negative, lower-case s") << "(1, -5, 10, 's')" << 0 << 10 << false;
        QTest::newRow("huge time capped") << "(1, 2147483647, 1, 'S')" << TempoSenhaMaximoMs << 1 << true;
        QTest::newRow("lowest code wins") << "(2, 9, 9, 'N')|(1, 3, 7, 'S')" << 3000 << 7 << true;
        QTest::newRow("no row") << QString() << 0 << 300 << false;
    }
    void parametros()
    {
        QFETCH(QString, rows);
        QFETCH(int, tempoSenha);
        QFETCH(int, folhasObito);
        QFETCH(bool, livroDiario);
        DM_REQUIRE_SERVER();
        DmTestDb db(false);
        for (const QString& values : rows.split(QLatin1Char('|'), Qt::SkipEmptyParts))
            DmTestDb::exec(db.office(),
                           QStringLiteral("INSERT INTO PARAMETRO (CODPARAMETRO, TEMPOSENHA, FOLHASOBITO, "
                                          "LIVRO_DIARIO) VALUES ")
                               + values);
        FbConnection c(DmTestDb::params(db.office()));
        TParametro p;
        p.MASCARA_NASC = QStringLiteral("stale");
        p.ISS = 7;
        CarregaParametros(p, c);
        QCOMPARE(p.TEMPOSENHA, tempoSenha);
        QCOMPARE(p.FOLHASOBITO, folhasObito);
        QCOMPARE(p.FOLHASCOMPARECE, 300);
        QCOMPARE(p.FOLHASNASCIMENTO, 300);
        QCOMPARE(p.LIVRO_DIARIO, livroDiario);
        QCOMPARE(p.MASCARA_NASC, QString());
        QCOMPARE(p.ISS, 0.0);
        QVERIFY(!p.INFORMAR_SENHA_AUT_REC);
    }

    void parametrosAllColumns()
    {
        DM_REQUIRE_SERVER();
        DmTestDb db(true);
        FakePlatform fake;
        ProgramFolder folder;
        folder.writeSection(db.office());
        TFDMCadastro dm;
        DmTestDb::exec(db.office(),
                       QStringLiteral("UPDATE PARAMETRO SET MASCARA_OBITO = 'C-999', "
                                      "INFORMAR_SENHA_AUT_REC = 'S', NOMES_ETIQUETA = 4"));
        dm.CarregaParametros();
        const TParametro& p = InfoConexaoAtual->Parametro;
        QCOMPARE(p.TEMPOSENHA, 5000);
        QCOMPARE(p.TIPO_SENHA, QStringLiteral("F,P,N"));
        QCOMPARE(p.ISS, 2.5);
        QCOMPARE(p.UF_PESQUISA, QStringLiteral("PR"));
        QCOMPARE(p.MASCARA_OBITO, QStringLiteral("C-999"));
        QCOMPARE(p.NOMES_ETIQUETA, 4);
        QCOMPARE(p.NUMVIAPROTOCOLO, 1);
        QVERIFY(p.INFORMAR_SENHA_AUT_REC);
        QVERIFY(!p.LIVRO_DIARIO);
    }

    void timerFollowsDateChange()
    {
        DM_REQUIRE_SERVER();
        DmTestDb db;
        FakePlatform fake;
        ProgramFolder folder;
        folder.writeSection(db.office());
        const QDate day(2031, 7, 14);
        fixToday(day);
        TFDMCadastro dm;
        QVERIFY(InfoConexaoAtual->ConectadoCadastro);
        DataDoDia.set(day.addDays(-1));
        fake.clock.sets.clear();

        dm.TmrVarloTimer();
        QCOMPARE(fake.clock.sets.size(), 1);
        QCOMPARE(DataDoDia.get(), day);
        QCOMPARE(dm.TmrVarlo.interval(), 60000);

        dm.TmrVarloTimer(); // same day: no clock query
        QCOMPARE(fake.clock.sets.size(), 1);

        fake.clock.accept = false; // a refusal moves the reference date to the server's
        fixToday(day.addDays(1));
        dm.TmrVarloTimer();
        QCOMPARE(fake.clock.sets.size(), 2);
        QCOMPARE(DataDoDia.get(), QDate::currentDate());
    }

    void timerErrorLeavesDateAndInterval()
    {
        DM_REQUIRE_SERVER();
        DmTestDb db;
        FakePlatform fake;
        ProgramFolder folder;
        folder.writeSection(db.office());
        TFDMCadastro dm;
        QVERIFY(InfoConexaoAtual->ConectadoCadastro);
        // The link to the server is gone: the clock query fails.
        dm.SQLConnectionVARLO->close();
        dm.SQLConnectionVARLO->setParams(DmTestDb::params(QStringLiteral("127.0.0.1/1:/nowhere/CARTORIO.FDB")));
        DataDoDia.set(QDate(2020, 1, 1));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, dm.TmrVarloTimer());
        QCOMPARE(DataDoDia.get(), QDate(2020, 1, 1));
        QCOMPARE(dm.TmrVarlo.interval(), 5000);
    }

    // A failing clock query shows one real box; the ticks go on inside its
    // loop (the inactivity check still ends the program) and do not stack
    // more boxes for the same failure.
    void timerTicksGoOnInsideItsOwnBox()
    {
        DM_REQUIRE_SERVER();
        DmTestDb db;
        FakePlatform fake;
        int shown = 0;
        struct CountingBoxes : platform::ui::LinuxMessageBoxes {
            int* count = nullptr;
            void show(const QString& text, const QString& title, int style) override
            {
                ++*count;
                LinuxMessageBoxes::show(text, title, style);
            }
        } real;
        real.count = &shown;
        platform::services().boxes = &real;
        ProgramFolder folder;
        folder.writeSection(db.office());
        TFDMCadastro dm;
        QVERIFY(InfoConexaoAtual->ConectadoCadastro);
        dm.SQLConnectionVARLO->close();
        dm.SQLConnectionVARLO->setParams(DmTestDb::params(QStringLiteral("127.0.0.1/1:/nowhere/CARTORIO.FDB")));
        DataDoDia.set(QDate(2020, 1, 1));
        TFDMConnectionUser user(dm);
        dm.FDMConnectionUser = &user;
        fake.processes.running = {{fake.processes.self, folder.path(QStringLiteral("MonitorSenha")), {}}};
        UltimaAtividade = programClock().now().addSecs(-7200);
        dm.TmrVarlo.setInterval(50);

        int endsInsideBox = -1, boxesInside = -1;
        QTimer::singleShot(1500, [&] {
            endsInsideBox = fake.processes.terminated.size();
            boxesInside = shown;
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->accept();
        });
        QTRY_VERIFY_WITH_TIMEOUT(endsInsideBox >= 0, 10000);
        dm.TmrVarlo.stop();
        QCOMPARE(boxesInside, 1);
        QVERIFY2(endsInsideBox >= 5, qPrintable(QString::number(endsInsideBox)));
        QCOMPARE(DataDoDia.get(), QDate(2020, 1, 1));
        QCOMPARE(dm.TmrVarlo.interval(), 50);
    }

    void timerBeforeAnyConnection()
    {
        FakePlatform fake;
        ProgramFolder folder; // no dbxconnections.ini: start-up failed
        fixToday(QDate(2031, 7, 14));
        TFDMCadastro dm;
        fake.boxes.shown.clear();
        dm.TmrVarloTimer();
        QVERIFY(fake.clock.sets.isEmpty());
        QVERIFY(!dm.SQLConnectionVARLO->isOpen());
        QCOMPARE(DataDoDia.get(), QDate(2031, 7, 14));
        QCOMPARE(dm.TmrVarlo.interval(), 60000);
    }

    // On the module's clock the timer fires 5 s after the creation, then
    // once a minute.
    void timerFirstAfterFiveSecondsThenEveryMinute()
    {
        FakePlatform fake;
        ProgramFolder folder; // no connection: the timer runs all the same
        fixToday(QDate(2031, 7, 14));
        TFDMCadastro dm;
        int fired = 0;
        connect(&dm.TmrVarlo, &ClockTimer::timeout, this, [&fired] { ++fired; });
        const auto firedAfter = [&](qint64 ms) {
            m_clock.advance(ms);
            QTest::qWait(20);
            return fired;
        };
        QCOMPARE(firedAfter(4999), 0);
        QCOMPARE(firedAfter(1), 1);
        QCOMPARE(DataDoDia.get(), QDate(2031, 7, 14));
        QCOMPARE(firedAfter(59999), 1);
        QCOMPARE(firedAfter(1), 2);
        QCOMPARE(firedAfter(60000), 3);
    }

    void inactivity_data()
    {
        QTest::addColumn<bool>("userModule");
        QTest::addColumn<int>("idleSeconds");
        QTest::addColumn<bool>("ends");
        QTest::newRow("exactly at the limit") << true << 3600 << false;
        QTest::newRow("one second beyond") << true << 3601 << true;
        QTest::newRow("well within") << true << 60 << false;
        QTest::newRow("no user module") << false << 100000 << false;
    }
    void inactivity()
    {
        QFETCH(bool, userModule);
        QFETCH(int, idleSeconds);
        QFETCH(bool, ends);
        FakePlatform fake;
        ProgramFolder folder;
        fake.processes.self = 7;
        fake.processes.running = {{3, QStringLiteral("/usr/bin/bash"), {}},
                                  {5, QStringLiteral("/opt/outra/MONITORSENHA"), {}},
                                  {7, folder.path(QStringLiteral("MonitorSenha")), {}},
                                  {9, QStringLiteral("/opt/later/MonitorSenha"), {}}};
        const QDateTime now(QDate(2030, 1, 2), QTime(3, 4, 5));
        ManualClock clock(now);
        TFDMCadastro dm(nullptr, clock);
        fake.boxes.shown.clear();
        // A user module whose company row is not open: the one-hour default applies.
        TFDMConnectionUser user(dm);
        if (userModule)
            dm.FDMConnectionUser = &user;
        UltimaAtividade = now.addSecs(-idleSeconds);
        dm.VerificaTempoInativo();
        QCOMPARE(fake.processes.terminated, ends ? (QList<qint64>{5, 7}) : QList<qint64>{});
        QVERIFY(fake.boxes.shown.isEmpty());
    }

private:
    // Puts the program's wall clock at 10:00 of `day`, without a difference
    // to the server; time then stands still.
    void fixToday(const QDate& day)
    {
        m_clock.setPcNow(QDateTime(day, QTime(10, 0)));
        m_clock.setServerOffsetSecs(0);
        setProgramClock(&m_clock);
    }

    ManualClock m_clock;
};

MONITOR_TEST_MAIN(TstDmCadastro)
#include "tst_dmcadastro.moc"
