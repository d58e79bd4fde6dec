// The display session without a window: the order in which it drives its
// view through creation, first show and activation, the calls its walker
// hands over, and a session torn down and created again on the same view.
#include "support/DbFixture.h"
#include "support/FakePlatform.h"
#include "support/LifecycleProgram.h"

#include "data/DMCadastro.h"
#include "data/InfoConexao.h"
#include "display/DisplaySession.h"
#include "display/DisplayView.h"
#include "display/WalkerControl.h"
#include "support/Termination.h"

#include <QtTest>
#include <memory>

namespace {

// Records what the session asks of the window, one line per call.
class RecordingView : public DisplayView {
public:
    void setPreferencialCaption(const QString&) override {}
    void setLocalCaption(const QString&) override {}
    void setScreenTexts(const ScreenTexts& texts) override
    {
        if (!texts.NumeroSenha.isEmpty())
            shown.append(texts.NumeroSenha + QLatin1Char(' ') + texts.NumeroMesa);
    }
    int outerWidth() const override { return 800; }
    bool repetirSom() const override { return false; }
    QString title() const override { return m_title; }
    void setTitle(const QString& text) override
    {
        m_title = text;
        steps.append(QStringLiteral("title ") + text);
    }
    void setOfficeName(const QString& text) override { steps.append(QStringLiteral("office ") + text); }
    void resetLayout() override { steps.append(QStringLiteral("reset layout")); }
    void maximize() override { steps.append(QStringLiteral("maximize")); }
    void repaintNow() override { steps.append(QStringLiteral("repaint")); }
    void setBusy(bool busy) override { steps.append(busy ? QStringLiteral("busy") : QStringLiteral("idle")); }
    void closeView() override { steps.append(QStringLiteral("close")); }

    QStringList steps;
    QStringList shown; // "ticket desk" of each call on the big panels

private:
    QString m_title;
};

} // namespace

class TstDisplaySession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { LifecycleProgram::resetGlobals(); }
    void cleanup() { LifecycleProgram::resetGlobals(); }

    // Without a reachable office database the view gets only its design
    // layout back; show and activation touch nothing and start no walker.
    void unreachableDatabase()
    {
        FakePlatform fake;
        LifecycleProgram program;
        program.writeConnection(QStringLiteral("127.0.0.1/1:/nowhere/CARTORIO.FDB"));
        RecordingView view;
        DisplaySession session(view);
        session.create();
        session.firstShow();
        session.activate();
        QCOMPARE(view.steps, QStringList{QStringLiteral("reset layout")});
        QVERIFY(terminationRequested());
        QVERIFY(!session.EncerrarSistema);
        QVERIFY(!session.walkers());
        QCOMPARE(fake.boxes.shown.size(), 1);
    }

    // The start-up steps reach the view in the program's order, the walker
    // shows the called ticket, and after the session is gone a new one on
    // the same view connects and calls again.
    void runsAndStartsAgain()
    {
        if (!DbFixture::requireServer())
            return;
        DbFixture db;
        FakePlatform fake;
        LifecycleProgram program;
        const QString office = db.createOffice(true);
        db.createUser(true);
        DbFixture::exec(office, QStringLiteral("UPDATE PARAMETRO SET TEMPOSENHA = 0"));
        DbFixture::exec(office, QStringLiteral("UPDATE CARTORIO SET NOME = 'Cartorio de Teste'"));
        program.writeConnection(office);
        RecordingView view;

        for (int round = 0; round < 2; ++round) {
            view.steps.clear();
            view.shown.clear();
            auto session = std::make_unique<DisplaySession>(view);
            session->create();
            QVERIFY2(fake.boxes.shown.isEmpty(), qPrintable(fake.boxes.shown.value(0).text));
            session->firstShow();
            session->activate();
            const QString title = QStringLiteral("Monitor Senha [ 1.0.0.1 ]");
            QCOMPARE(view.steps.mid(0, 3),
                     (QStringList{QStringLiteral("title ") + title, QStringLiteral("reset layout"),
                                  QStringLiteral("office Cartorio de Teste")}));
            QCOMPARE(view.steps.mid(3),
                     (QStringList{QStringLiteral("busy"), QStringLiteral("repaint"), QStringLiteral("idle"),
                                  QStringLiteral("maximize"), QStringLiteral("repaint")}));
            QVERIFY(!session->PrimeiraAtivacao);
            QVERIFY(session->walkers() && session->walkers()->current());
            QTRY_VERIFY_WITH_TIMEOUT(!view.shown.isEmpty(), 10000);
            QVERIFY2(view.shown.first().startsWith(QStringLiteral("P-1 ")), qPrintable(view.shown.first()));

            // Gone: its walker ends without touching the view again.
            session.reset();
            QVERIFY(WalkerControl::waitForAllWalkers(10000));
            const int shownAtEnd = view.shown.size();
            QCoreApplication::processEvents();
            QCOMPARE(view.shown.size(), shownAtEnd);
            QVERIFY(!InfoConexaoAtual);
        }
    }
};

QTEST_GUILESS_MAIN(TstDisplaySession)
#include "tst_displaysession.moc"
