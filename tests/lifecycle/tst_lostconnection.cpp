// A lost database connection under a running program: the office database
// lives on a server of the test's own, which the test stops.
#include "support/DbFixture.h"
#include "support/FakePlatform.h"
#include "support/LifecycleProgram.h"
#include "support/TestMain.h"

#include "app/ui/MonitorApplication.h"
#include "data/DMCadastro.h"
#include "support/ManipulaExcecoes.h"

#include <QFile>

namespace {
const QString kFatal =
    QStringLiteral("O sistema será finalizado por falha na comunicação com o Servidor de Banco de Dados.");
}

class TstLostConnection : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { LifecycleProgram::resetGlobals(); }
    void cleanup() { LifecycleProgram::resetGlobals(); }

    // The housekeeping timer's clock query fails on the dead link; the
    // handler shows the client's message and asks for the fatal exit.
    void timerAfterServerStops()
    {
        if (!DbFixture::requireServer())
            return;
        DbFixture db;
        db.createOffice(true);
        PrivateFbServer server;
        QVERIFY2(server.start(), qPrintable(server.error()));
        const QString fdb = db.dir() + QStringLiteral("/CARTORIO.FDB");
        QVERIFY(QFile::copy(fdb, server.dataDir() + QStringLiteral("/CARTORIO.FDB")));

        FakePlatform fake;
        LifecycleProgram program;
        program.writeConnection(server.location(QStringLiteral("CARTORIO.FDB")));
        TFDMCadastro dm;
        QVERIFY2(InfoConexaoAtual && InfoConexaoAtual->ConectadoCadastro, qPrintable(fake.boxes.shown.value(0).text));
        QVERIFY(fake.boxes.shown.isEmpty());

        server.stop();
        // What the client reports for the dead link.
        QString message;
        QList<long> codes;
        try {
            dm.SincronizaDataHora();
            QFAIL("the clock query ran without a server");
        } catch (const EDatabaseError& e) {
            message = e.message();
            codes = e.codes();
        }
        QVERIFY(!message.isEmpty());
        QVERIFY2(isCommunicationFailure(message, codes), qPrintable(message));

        // Under the running loop: the timer's next event, on another day.
        DataDoDia.set(QDate(2000, 1, 1));
        fake.boxes.onShow = [&dm](const ShownBox&) { dm.TmrVarlo.stop(); };
        dm.TmrVarlo.start(20);
        QTRY_VERIFY_WITH_TIMEOUT(!fake.fatal.texts.isEmpty(), 5000);
        QCOMPARE(fake.boxes.shown.size(), 1);
        QCOMPARE(fake.boxes.shown[0].title, QStringLiteral("VARLO"));
        QCOMPARE(fake.boxes.shown[0].style, 16);
        // The client's own text for the dead link (reading or writing, as it found it).
        QVERIFY(!fake.boxes.shown[0].text.isEmpty());
        QVERIFY(fake.boxes.shown[0].text != kFatal);
        QCOMPARE(fake.fatal.texts, QStringList{kFatal});
        QCOMPARE(DataDoDia.get(), QDate(2000, 1, 1));
    }
};

MONITOR_TEST_MAIN(TstLostConnection)
#include "tst_lostconnection.moc"
