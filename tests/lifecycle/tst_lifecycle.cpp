// The display window's life in the test process, on fresh databases: the
// database start-up at creation, the first show, the first activation, the
// call walker on a real connection, the pop-up menu's pause and the close.
#include "support/DbFixture.h"
#include "support/FakePlatform.h"
#include "support/LifecycleProgram.h"

#include "app/ui/MonitorApplication.h"
#include "base/Clock.h"
#include "base/Errors.h"
#include "data/DMCadastro.h"
#include "data/InfoConexao.h"
#include "data/Parametros.h"
#include "display/TicketQuery.h"
#include "display/WalkerControl.h"
#include "display/ui/FrmPrincipal.h"
#include "platform/ui/LinuxUiServices.h"
#include "support/ManualClock.h"
#include "support/Termination.h"

#include <QAction>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {

using Fim = ThChamaSenha::Fim;

// Every walker the window starts, for counting those whose body still runs.
class WalkerWatch : public QObject {
public:
    void attach(TFrmPrincipal& w)
    {
        QVERIFY(w.session().walkers());
        connect(w.session().walkers(), &WalkerControl::walkerCreated, this, [this](ThChamaSenha* walker) {
            // A new walker may start only when no other one is still inside its body.
            if (running() > 0)
                ++overlaps;
            auto fim = std::make_shared<std::atomic<int>>(-1);
            connect(
                walker, &QThread::finished, walker, [walker, fim] { fim->store(int(walker->fim())); },
                Qt::DirectConnection);
            walkers.append(walker);
            ends.append(fim);
        });
    }
    // Walkers started whose body has not returned.
    int running() const
    {
        int n = 0;
        for (const auto& walker : walkers)
            if (walker && walker->isRunning() && walker->fim() == Fim::Rodando)
                ++n;
        return n;
    }
    bool allEnded() const
    {
        for (const auto& fim : ends)
            if (fim->load() < 0)
                return false;
        return true;
    }

    QList<QPointer<ThChamaSenha>> walkers;
    QList<std::shared_ptr<std::atomic<int>>> ends; // Fim as recorded when each body returned
    int overlaps = 0;
};

// Shows the window and brings its first activation about; offscreen the
// window system may not activate it, then the handler is called directly.
void mostra(TFrmPrincipal& w, WalkerWatch* watch = nullptr)
{
    w.show();
    if (watch && w.session().walkers())
        watch->attach(w);
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    if (!QTest::qWaitFor([&w] { return !w.session().PrimeiraAtivacao; }, 2000))
        w.FormActivate();
}

const QString kNomeCartorio = QStringLiteral("Cartório Çedilha € Ãbc");

} // namespace

class TstLifecycle : public QObject {
    Q_OBJECT

    // A program folder on fresh demo databases; TEMPOSENHA in seconds.
    struct Installation {
        DbFixture db;
        FakePlatform fake;
        LifecycleProgram program;
        QString office;

        void create(int tempoSenha)
        {
            office = db.createOffice(true);
            db.createUser(true);
            DbFixture::exec(office, QStringLiteral("UPDATE PARAMETRO SET TEMPOSENHA = :T"),
                            {{QStringLiteral("T"), tempoSenha}});
            program.writeConnection(office);
        }
    };

private Q_SLOTS:
    void init() { LifecycleProgram::resetGlobals(); }
    void cleanup() { LifecycleProgram::resetGlobals(); }

    void unreachableDatabase()
    {
        FakePlatform fake;
        LifecycleProgram program;
        program.writeConnection(QStringLiteral("127.0.0.1/1:/nowhere/CARTORIO.FDB"));
        TFrmPrincipal w;
        QCOMPARE(fake.boxes.shown.size(), 1);
        QCOMPARE(fake.boxes.shown[0].style, 48);
        QVERIFY(fake.boxes.shown[0].text.startsWith(
            QStringLiteral("Não foi possível estabelecer conexão com o Servidor de Banco de Dados.\rErro: ")));
        QVERIFY(terminationRequested());
        QVERIFY(!w.session().EncerrarSistema);
        QVERIFY(w.session().FDMCadastro);
        QVERIFY(!w.session().FDMConnectionUser);
        QVERIFY(w.windowTitle().isEmpty());

        // The program is ending: neither show nor activation does anything.
        w.FormShow();
        w.FormActivate();
        QVERIFY(!w.session().walkers());
        QCOMPARE(w.componente(QStringLiteral("PnlNomeCartorio"))->caption(), QStringLiteral("Nome do Cartório"));
        QVERIFY(w.session().ticketSql().isEmpty());
        QVERIFY(!w.RedimensionarAtivo);
        QCOMPARE(fake.boxes.shown.size(), 1);
        QVERIFY(fake.launcher.launched.isEmpty());
    }

    void goodDatabase()
    {
        if (!DbFixture::requireServer())
            return;
        Installation inst;
        inst.create(5);
        TFrmPrincipal w;
        QVERIFY2(inst.fake.boxes.shown.isEmpty(), qPrintable(inst.fake.boxes.shown.value(0).text));
        QVERIFY(!terminationRequested());
        QVERIFY(!w.session().EncerrarSistema);
        QCOMPARE(w.windowTitle(), QStringLiteral("Monitor Senha [ 1.0.0.1 ]"));
        QVERIFY(w.session().FDMCadastro);
        QVERIFY(w.session().FDMConnectionUser);
        QVERIFY(InfoConexaoAtual && InfoConexaoAtual->ConectadoCadastro && InfoConexaoAtual->ConectadoUsuario);
        QCOMPARE(InfoConexaoAtual->Aplicacao.Titulo, QStringLiteral("Monitor Senha [ 1.0.0.1 ]"));
        QCOMPARE(InfoConexaoAtual->Aplicacao.Sistema, QStringLiteral("CARTÓRIO"));
        QCOMPARE(InfoConexaoAtual->Aplicacao.Modulo, QStringLiteral("MONITOR SENHA"));
        QCOMPARE(DataDoDia.get(), programClock().today());
        QCOMPARE(w.frameGeometry().size(), QSize(800, 600));

        // The message hook is installed: any message renews the last activity.
        const QDateTime marca = QDateTime::currentDateTime().addSecs(7);
        ManualClock clock(marca);
        UseClock use(clock);
        QCoreApplication::postEvent(&w, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        QCOMPARE(UltimaAtividade, marca);
    }

    void pcClockOffAndNotSettable_data()
    {
        QTest::addColumn<int>("pcDays"); // the PC's date against the server's
        QTest::addColumn<bool>("rowLocked"); // another program holds a change of the VERSAOBD row
        QTest::newRow("PC a day ahead") << 1 << false;
        QTest::newRow("PC a day behind") << -1 << false;
        QTest::newRow("another program's lock on VERSAOBD") << 0 << true;
    }
    // The packaged service cannot set the PC's clock. The start goes on, the
    // date stored is the server's and today's calls show (the test server's
    // clock is the real one). Where another program holds the row, the start
    // waits for it no longer than the lock wait and stores no date.
    void pcClockOffAndNotSettable()
    {
        QFETCH(int, pcDays);
        QFETCH(bool, rowLocked);
        if (!DbFixture::requireServer())
            return;
        Installation inst;
        inst.create(1);
        const QDate servidor = QDate::currentDate();
        DbFixture::exec(inst.office, QStringLiteral("UPDATE VERSAOBD SET DATAATUAL = :D"),
                        {{QStringLiteral("D"), servidor.addDays(-1)}});
        inst.fake.clock.accept = false;
        m_shifted.setPcAheadSecs(qint64(pcDays) * 86400);
        m_shifted.setServerOffsetSecs(0);
        UseClock use(m_shifted);
        FbConnection outroPrograma(DbFixture::params(inst.office));
        if (rowLocked) {
            outroPrograma.startTransaction();
            outroPrograma.exec(QStringLiteral("UPDATE VERSAOBD SET VERSAO_MSN = VERSAO_MSN"));
        }

        QElapsedTimer inicio;
        inicio.start();
        auto w = std::make_unique<TFrmPrincipal>();
        const qint64 levou = inicio.elapsed();
        if (rowLocked)
            outroPrograma.rollback();
        QVERIFY2(inst.fake.boxes.shown.isEmpty(), qPrintable(inst.fake.boxes.shown.value(0).text));
        QVERIFY(!terminationRequested());
        QVERIFY(!w->session().EncerrarSistema);
        QVERIFY2(levou < FbConnection::LockTimeoutSeconds * 1000 + 8000, qPrintable(QString::number(levou)));
        QCOMPARE(DataDoDia.get(), servidor);
        {
            const auto conexao = DbFixture::connect(inst.office);
            FbQuery guardada(*conexao);
            guardada.open(QStringLiteral("SELECT DATAATUAL FROM VERSAOBD"));
            QCOMPARE(guardada.field(0).asDate(), rowLocked ? servidor.addDays(-1) : servidor);
        }

        WalkerWatch watch;
        mostra(*w, &watch);
        QTRY_COMPARE_WITH_TIMEOUT(w->componente(QStringLiteral("PnlNumeroSenha"))->caption(), QStringLiteral("P-1"),
                                  5000);
        w.reset();
        QTRY_VERIFY(watch.allEnded());
    }

    void startupCheckFailure()
    {
        if (!DbFixture::requireServer())
            return;
        Installation inst;
        inst.create(5);
        DbFixture::exec(inst.office, QStringLiteral("DELETE FROM VERSAOBD"));
        auto w = std::make_unique<TFrmPrincipal>();
        QCOMPARE(inst.fake.boxes.shown.size(), 1);
        const ShownBox box = inst.fake.boxes.shown[0];
        QCOMPARE(box.text,
                 QStringLiteral("Erro ao se conectar em:\r") + inst.office
                     + QStringLiteral("\rVerifique se o caminho é válido e o Servidor está ativo.\r\r"
                                      "Erro: ATENÇÃO !  Não foi possível atualizar data atual.\r"
                                      "Classe: Exception"));
        QCOMPARE(box.title, QStringLiteral("VARLO"));
        QCOMPARE(box.style, 16);
        QVERIFY(w->session().EncerrarSistema);
        QVERIFY(terminationRequested());

        // No hook: a message leaves the last activity alone.
        const QDateTime marca = QDateTime::currentDateTime().addSecs(7);
        ManualClock clock(marca);
        UseClock use(clock);
        QCoreApplication::postEvent(w.get(), new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        QVERIFY(UltimaAtividade != marca);

        // The first activation closes the window instead of checking and maximising.
        WalkerWatch watch;
        w->show();
        watch.attach(*w);
        if (!QTest::qWaitFor([&w] { return !w->session().PrimeiraAtivacao; }, 2000))
            w->FormActivate();
        QTRY_VERIFY(!w->isVisible());
        QVERIFY(!(w->windowState() & Qt::WindowMaximized));
        QVERIFY(inst.fake.launcher.launched.isEmpty());
        QCOMPARE(watch.walkers.size(), 0);
        w.reset();
    }

    void firstShow_data()
    {
        QTest::addColumn<QByteArray>("cartorioIni"); // empty: no file
        QTest::addColumn<QString>("list"); // the IN list, empty when not narrowed
        QTest::addColumn<bool>("repetir");
        QTest::addColumn<QString>("lastPrevious"); // the previous-call row once passes run
        QTest::addColumn<bool>("soundOnce");

        QTest::newRow("no file") << QByteArray() << QString() << false << "P-1" << false;
        QTest::newRow("F only") << QByteArray("[MONITOR]\r\nTIPO_SENHA=F\r\nREPETIR_SOM=N\r\n") << "'F'" << false
                                << "F-1" << true;
        QTest::newRow("hand-edited, lower case")
            << QByteArray("[monitor]\r\ntipo_senha=P\r\n") << "'P'" << false << "P-1" << true;
        QTest::newRow("repeat the sound")
            << QByteArray("[monitor]\r\ntipo_senha=F\r\nrepetir_som=S\r\n") << "'F'" << true << "F-1" << false;
        QTest::newRow("a quote cannot inject")
            << QByteArray("[MONITOR]\r\nTIPO_SENHA=',F\r\n") << "'''','F'" << false << "F-1" << true;
        QTest::newRow("commas only") << QByteArray("[MONITOR]\r\nTIPO_SENHA=,,\r\n") << QString() << false << "P-1"
                                     << false;
    }
    // The office name, the settings and the narrowed query, and a walker
    // whose statement runs: with TEMPOSENHA 0 each pass shows the calls at once.
    void firstShow()
    {
        QFETCH(QByteArray, cartorioIni);
        QFETCH(QString, list);
        QFETCH(bool, repetir);
        QFETCH(QString, lastPrevious);
        QFETCH(bool, soundOnce);
        if (!DbFixture::requireServer())
            return;
        Installation inst;
        inst.create(0);
        {
            auto c = DbFixture::connect(inst.office, QStringLiteral("WIN1252"));
            c->exec(QStringLiteral("UPDATE CARTORIO SET NOME = :N"), {{QStringLiteral("N"), kNomeCartorio}});
        }
        if (!cartorioIni.isEmpty())
            inst.program.writeFile(QStringLiteral("CARTORIO.ini"), cartorioIni);

        auto w = std::make_unique<TFrmPrincipal>();
        WalkerWatch watch;
        mostra(*w, &watch);
        QCOMPARE(w->componente(QStringLiteral("PnlNomeCartorio"))->caption(), kNomeCartorio);
        QCOMPARE(w->session().Configuracao.RepetirSom, repetir);
        QCOMPARE(InfoConexaoAtual->Parametro.TEMPOSENHA, 0);
        if (list.isEmpty())
            QCOMPARE(w->session().ticketSql(), ticketQuerySql(QString()));
        else
            QVERIFY2(w->session().ticketSql().contains(QStringLiteral(" AND SIGLA_SENHA IN (") + list
                                                       + QStringLiteral(") ")),
                     qPrintable(w->session().ticketSql()));

        QTRY_COMPARE_WITH_TIMEOUT(w->componente(QStringLiteral("LblUltSenha1"))->caption(), lastPrevious, 10000);
        if (soundOnce)
            QCOMPARE(inst.fake.sound.played.size(), 1);
        else
            QVERIFY(inst.fake.sound.played.size() >= 2);
        QVERIFY2(inst.fake.boxes.shown.isEmpty(), qPrintable(inst.fake.boxes.shown.value(0).text));
        w.reset();
        QTRY_VERIFY(watch.allEnded());
    }

    void firstShowReadFails_data()
    {
        QTest::addColumn<QString>("ddl");
        QTest::addColumn<int>("tempoSenha");
        QTest::newRow("office name") << QStringLiteral("DROP TABLE CARTORIO") << 5000;
        QTest::newRow("office parameters") << QStringLiteral("DROP TABLE PARAMETRO") << TempoSenhaNaoLido;
    }
    // A failed read at the first show is reported, and the screen still
    // gets its calls (each held 5 s when the parameters could not be read)
    // and its settings.
    void firstShowReadFails()
    {
        QFETCH(QString, ddl);
        QFETCH(int, tempoSenha);
        if (!DbFixture::requireServer())
            return;
        Installation inst;
        inst.create(5);
        inst.program.writeFile(QStringLiteral("CARTORIO.ini"), "[MONITOR]\r\nTIPO_SENHA=P\r\n");
        DbFixture::exec(inst.office, ddl);
        auto w = std::make_unique<TFrmPrincipal>();
        WalkerWatch watch;
        mostra(*w, &watch);
        QCOMPARE(inst.fake.boxes.shown.size(), 1);
        QCOMPARE(inst.fake.boxes.shown[0].style, 16);
        QCOMPARE(InfoConexaoAtual->Parametro.TEMPOSENHA, tempoSenha);
        QVERIFY(w->session().ticketSql().contains(QStringLiteral(" AND SIGLA_SENHA IN ('P') ")));
        // A call reached the screen and stays there (5 s) long enough to be read.
        QTRY_VERIFY_WITH_TIMEOUT(!inst.fake.sound.played.isEmpty(), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(w->componente(QStringLiteral("PnlNumeroSenha"))->caption(), QStringLiteral("P-1"),
                                  20000);
        QTest::qWait(2000);
        QCOMPARE(w->componente(QStringLiteral("PnlNumeroSenha"))->caption(), QStringLiteral("P-1"));
        QCOMPARE(watch.walkers.size(), 1);
        w.reset();
        QTRY_VERIFY(watch.allEnded());
    }

    // A failed new-version check leaves the first activation pending, the
    // window as it was and no walker, and the pointer as it was.
    void newVersionCheckFails()
    {
        if (!DbFixture::requireServer())
            return;
        Installation inst;
        inst.create(5);
        DbFixture::exec(inst.office, QStringLiteral("ALTER TABLE VERSAOBD DROP VERSAO_MSN"));
        auto w = std::make_unique<TFrmPrincipal>();
        QVERIFY(inst.fake.boxes.shown.isEmpty());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, w->FormActivate());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(w->session().PrimeiraAtivacao);
        QVERIFY(!(w->windowState() & Qt::WindowMaximized));
        QVERIFY(!w->session().walkers()->current());
        w.reset();
    }

    void walkerShowsCalls()
    {
        if (!DbFixture::requireServer())
            return;
        Installation inst;
        inst.create(1);
        auto w = std::make_unique<TFrmPrincipal>();
        WalkerWatch watch;
        mostra(*w, &watch);
        QTRY_COMPARE_WITH_TIMEOUT(w->componente(QStringLiteral("PnlNumeroSenha"))->caption(), QStringLiteral("P-1"),
                                  5000);
        QCOMPARE(w->componente(QStringLiteral("PnlNumeroMesa"))->caption(), QStringLiteral("2"));
        QCOMPARE(w->componente(QStringLiteral("LblLocal"))->caption(), QStringLiteral(" MESA"));
        QCOMPARE(w->componente(QStringLiteral("PnlPreferencial"))->caption(), QStringLiteral("PREFERENCIAL"));

        // A ticket called now appears at a later pass.
        DbFixture::exec(
            inst.office,
            QStringLiteral("INSERT INTO ATEND_SENHA (CODATEND_SENHA, DATA_SENHA, SIGLA_SENHA, NUMERO_SENHA, "
                           "PREFERENCIAL, STATUS, CODATEND_TERM) VALUES (100, :D, 'N', 9, 1, 'A', 1)"),
            {{QStringLiteral("D"), DataDoDia.get()}});
        QTRY_COMPARE_WITH_TIMEOUT(w->componente(QStringLiteral("PnlNumeroSenha"))->caption(), QStringLiteral("N-9"),
                                  10000);
        QCOMPARE(w->componente(QStringLiteral("PnlPreferencial"))->caption(), QString());
        QCOMPARE(w->componente(QStringLiteral("PnlNumeroMesa"))->caption(), QStringLiteral("1"));
        QCOMPARE(watch.walkers.size(), 1);
        QVERIFY(inst.fake.boxes.shown.isEmpty());
        w.reset();
        QTRY_VERIFY(watch.allEnded());
    }

    void oneWalkerThroughTheMenu_data()
    {
        QTest::addColumn<int>("minWait"); // ms the dialog stays open; -1: returns at once
        QTest::addColumn<int>("maxWait");
        QTest::addColumn<int>("rounds");
        QTest::addColumn<bool>("restarts"); // some walker saw the stop and a new one took over
        QTest::newRow("returns at once") << -1 << -1 << 40 << false;
        QTest::newRow("short waits") << 0 << 40 << 30 << false;
        QTest::newRow("waits the walker notices") << 150 << 700 << 15 << true;
    }
    void oneWalkerThroughTheMenu()
    {
        QFETCH(int, minWait);
        QFETCH(int, maxWait);
        QFETCH(int, rounds);
        QFETCH(bool, restarts);
        if (!DbFixture::requireServer())
            return;
        Installation inst;
        inst.create(0);
        auto w = std::make_unique<TFrmPrincipal>();
        WalkerWatch watch;
        mostra(*w, &watch);
        QTRY_COMPARE(watch.running(), 1);

        QRandomGenerator random(4711);
        int opened = 0;
        w->showConfiguration = [&] {
            ++opened;
            if (!*w->session().PararChamadas)
                return int(QDialog::Accepted); // would leave the walker stopped: never expected
            if (minWait >= 0)
                QTest::qWait(random.bounded(minWait, maxWait + 1));
            return int(QDialog::Rejected);
        };
        for (int i = 0; i < rounds; ++i) {
            w->findChild<QAction*>(QStringLiteral("ipodeSenhasChamadas1"))->trigger();
            QVERIFY(!*w->session().PararChamadas);
            QVERIFY2(watch.running() <= 1, qPrintable(QString::number(i)));
            QTest::qWait(random.bounded(0, 80));
            QVERIFY2(watch.running() <= 1, qPrintable(QString::number(i)));
        }
        QCOMPARE(opened, rounds);
        QCOMPARE(watch.overlaps, 0);
        if (restarts)
            QVERIFY(watch.walkers.size() > 1);
        // In the end exactly one walker runs, and it is the one in control.
        QTRY_COMPARE_WITH_TIMEOUT(watch.running(), 1, 5000);
        QTest::qWait(1500);
        QCOMPARE(watch.running(), 1);
        QCOMPARE(watch.overlaps, 0);
        ThChamaSenha* atual = w->session().walkers()->current();
        QVERIFY(atual && atual->isRunning() && atual->fim() == Fim::Rodando);
        // It works: every pass announces the two calls again.
        const int sounds = inst.fake.sound.played.size();
        QTRY_VERIFY_WITH_TIMEOUT(inst.fake.sound.played.size() >= sounds + 2, 5000);
        QVERIFY(inst.fake.boxes.shown.isEmpty());
        w.reset();
        QTRY_VERIFY(watch.allEnded());
    }

    void closeWhileWalkerSleeps()
    {
        if (!DbFixture::requireServer())
            return;
        Installation inst;
        inst.create(60);
        auto w = std::make_unique<TFrmPrincipal>();
        WalkerWatch watch;
        mostra(*w, &watch);
        QTRY_COMPARE_WITH_TIMEOUT(w->componente(QStringLiteral("PnlNumeroSenha"))->caption(), QStringLiteral("P-1"),
                                  5000);
        QCOMPARE(watch.walkers.size(), 1);

        QElapsedTimer elapsed;
        elapsed.start();
        w->close();
        QVERIFY(*w->session().PararChamadas);
        w.reset();
        QVERIFY2(elapsed.elapsed() < 3000, qPrintable(QString::number(elapsed.elapsed())));
        // The walker wakes from its 60 s sleep and ends without the window.
        QTRY_VERIFY_WITH_TIMEOUT(watch.allEnded(), 5000);
        QCOMPARE(watch.ends[0]->load(), int(Fim::JanelaFechada));
        QVERIFY(inst.fake.boxes.shown.isEmpty());
    }

    void destroyWhileWalkerBusy_data()
    {
        QTest::addColumn<int>("delay");
        for (int ms : {0, 30, 400, 990, 1010, 1100, 1600})
            QTest::addRow("%d ms", ms) << ms;
    }
    // Windows destroyed at points of the walker's pass (blank, pause, query,
    // rows): the walker ends on its own and touches nothing of the window.
    void destroyWhileWalkerBusy()
    {
        QFETCH(int, delay);
        if (!DbFixture::requireServer())
            return;
        Installation inst;
        inst.create(0);
        auto w = std::make_unique<TFrmPrincipal>();
        WalkerWatch watch;
        mostra(*w, &watch);
        QTRY_VERIFY(!watch.walkers.isEmpty());
        QTest::qWait(delay);
        w.reset();
        QTRY_VERIFY_WITH_TIMEOUT(watch.allEnded(), 5000);
        for (const auto& fim : watch.ends)
            QVERIFY(fim->load() == int(Fim::JanelaFechada) || fim->load() == int(Fim::Parada));
        QVERIFY(inst.fake.boxes.shown.isEmpty());
    }

    // The hook renews the last activity for every message of the program's
    // own loop, the clock's timer included, but not inside a platform box.
    void activityHook()
    {
        if (!DbFixture::requireServer())
            return;
        Installation inst;
        inst.create(5);
        auto w = std::make_unique<TFrmPrincipal>();
        QVERIFY(inst.fake.boxes.shown.isEmpty());
        const QDateTime base = QDateTime::currentDateTime();
        ManualClock clock(base.addSecs(1));
        UseClock use(clock);
        QTRY_COMPARE_WITH_TIMEOUT(UltimaAtividade, base.addSecs(1), 2500); // the clock's timer alone

        // Inside the box the clock moves on and the clock's timer fires; the
        // last activity stays.
        QDateTime duranteCaixa;
        bool caixaAberta = false;
        QTimer::singleShot(100, [&] { clock.setPcNow(base.addSecs(2)); });
        QTimer::singleShot(1400, [&] {
            caixaAberta = platform::ui::systemBoxOpen();
            duranteCaixa = UltimaAtividade;
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->accept();
        });
        platform::ui::LinuxMessageBoxes real;
        real.show(QStringLiteral("Erro"), QStringLiteral("VARLO"), platform::BoxError);
        QVERIFY(caixaAberta);
        QCOMPARE(duranteCaixa, base.addSecs(1));
        QTRY_COMPARE(UltimaAtividade, base.addSecs(2));
        w.reset();
    }

    // The first activation hands over to the updater when a newer release is
    // recorded: the window is not maximised and the program ends.
    void firstActivationHandsOver()
    {
        if (!DbFixture::requireServer())
            return;
        Installation inst;
        inst.create(5);
        QTemporaryDir servidor;
        QFile updater(servidor.path() + QStringLiteral("/AtualizaVarlo.exe"));
        QVERIFY(updater.open(QIODevice::WriteOnly));
        updater.close();
        inst.program.writeConnection(inst.office, "Servidor Aplica\xE7\xE3o=" + servidor.path().toLocal8Bit() + "\r\n");
        DbFixture::exec(inst.office, QStringLiteral("UPDATE VERSAOBD SET VERSAO_MSN = ' 2.0.0.0 '"));
        auto w = std::make_unique<TFrmPrincipal>();
        WalkerWatch watch;
        mostra(*w, &watch);
        QVERIFY(w->session().EncerrarSistema);
        QVERIFY(terminationRequested());
        QVERIFY(!w->session().PrimeiraAtivacao);
        QVERIFY(!(w->windowState() & Qt::WindowMaximized));
        QCOMPARE(inst.fake.launcher.launched.size(), 1);
        QCOMPARE(inst.fake.launcher.launched[0].first,
                 servidor.path() + QStringLiteral("/AtualizaVarlo.exe ") + inst.program.executable() + QLatin1Char(' ')
                     + servidor.path() + QStringLiteral("/MonitorSenha TFrmPrincipal Monitor Senha [ 1.0.0.1 ]"));
        QCOMPARE(inst.fake.launcher.launched[0].second, 6);
        QVERIFY(inst.fake.boxes.shown.isEmpty());
        w.reset();
        QTRY_VERIFY(watch.allEnded());
    }

private:
    // Lives as long as the test: a walker of a window on it is deleted only
    // when events run again, which may be in the next test.
    ShiftedClock m_shifted;
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    MonitorApplication app(argc, argv);
    TstLifecycle tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_lifecycle.moc"
