#include "support/FakePlatform.h"
#include "support/TestMain.h"

#include "app/ui/FrmSplash.h"
#include "app/ui/Startup.h"
#include "base/Errors.h"
#include "display/ui/FrmPrincipal.h"
#include "platform/ui/WindowIdentity.h"
#include "support/ExitCode.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

using startup::Parts;
using startup::Startup;

namespace {

const QString Build = QStringLiteral("2.1.0.7");
const QString AlreadyRunning = QStringLiteral("Aplicação já está sendo executada.");

struct Recorder {
    int mainWindows = 0;
    int configDialogs = 0;
    QList<int> unlitAtCreation; // step pictures when the display window is created
    bool splashVisible = false;
};

Parts testParts(Recorder& rec, std::function<void(QWidget*)> duringCreation = {})
{
    Parts parts;
    parts.buildText = [] { return Build; };
    parts.createMainWindow = [&rec, duringCreation] {
        ++rec.mainWindows;
        if (auto* splash = dynamic_cast<TFrmSplash*>(FrmSplash)) {
            rec.splashVisible = splash->isVisible();
            for (int s = 0; s < TFrmSplash::StepCount; ++s)
                rec.unlitAtCreation.append(splash->stepImageIndex(SplashStatus::Step(s)));
        }
        auto* w = new QWidget;
        w->setWindowTitle(startup::mainWindowCaption(Build));
        if (duringCreation)
            duringCreation(w);
        return w;
    };
    parts.createConfigDialog = [&rec] {
        ++rec.configDialogs;
        return new QDialog;
    };
    return parts;
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TstStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { resetTerminationForTesting(); }

    void cleanup()
    {
        flushDeletes();
        for (QWidget* w : QApplication::topLevelWidgets())
            delete w;
    }

    void probe_data()
    {
        QTest::addColumn<QStringList>("running");
        QTest::addColumn<bool>("refused");
        QTest::newRow("nothing running") << QStringList() << false;
        QTest::newRow("a copy in its splash")
            << QStringList{QStringLiteral("TFrmSplash|VARLO CARTÓRIO - Monitor Senha")} << true;
        QTest::newRow("a copy of the same build")
            << QStringList{QStringLiteral("TFrmPrincipal|Monitor Senha [ 2.1.0.7 ]")} << true;
        QTest::newRow("a copy of another build")
            << QStringList{QStringLiteral("TFrmPrincipal|Monitor Senha [ 2.1.0.6 ]")} << false;
        QTest::newRow("splash caption under another class")
            << QStringList{QStringLiteral("TFrmPrincipal|VARLO CARTÓRIO - Monitor Senha")} << false;
        QTest::newRow("display caption without build")
            << QStringList{QStringLiteral("TFrmPrincipal|Monitor Senha")} << false;
    }

    void probe()
    {
        QFETCH(QStringList, running);
        QFETCH(bool, refused);
        FakePlatform fake;
        fake.windows.external = running;
        Recorder rec;
        Startup s(testParts(rec));

        QCOMPARE(s.start(), !refused);
        if (refused) {
            QCOMPARE(s.exitCode(), 0);
            QCOMPARE(fake.boxes.shown.size(), 1);
            QCOMPARE(fake.boxes.shown[0].text, AlreadyRunning);
            QCOMPARE(fake.boxes.shown[0].title, QStringLiteral("VARLO CARTÓRIO - Monitor Senha"));
            QCOMPARE(fake.boxes.shown[0].style, 64);
            QCOMPARE(rec.mainWindows, 0);
            QVERIFY(QApplication::topLevelWidgets().isEmpty());
        } else {
            QVERIFY(fake.boxes.shown.isEmpty());
            QCOMPARE(rec.mainWindows, 1);
            QVERIFY(s.configDialog() && !s.configDialog()->isVisible());
            QVERIFY(fake.windows.find(QStringLiteral("TFrmPrincipal"), startup::mainWindowCaption(Build)));
        }
    }

    // The program's own parts: the window's menu item shows the dialog, and
    // once the dialog is gone it only pauses and resumes the calls.
    void menuShowsTheProgramsDialog()
    {
        FakePlatform fake;
        const Parts parts = startup::programParts();
        TFrmPrincipal window(nullptr, TFrmPrincipal::Start::WithoutDatabases);
        QPointer<QDialog> dialog = parts.createConfigDialog();
        parts.connectWindows(&window, dialog);
        bool shown = false;
        QTimer::singleShot(0, dialog, [&] {
            shown = dialog->isVisible();
            dialog->reject();
        });
        window.ipodeSenhasChamadas1Click();
        QVERIFY(shown);
        QVERIFY(!*window.session().PararChamadas);
        delete dialog;
        window.ipodeSenhasChamadas1Click();
        QVERIFY(!*window.session().PararChamadas);
    }

    void missingHelperLibrary()
    {
        FakePlatform fake;
        Recorder rec;
        Parts parts = testParts(rec);
        parts.buildText = []() -> QString { throw Exception(QStringLiteral("VarloLib.Dll não disponível.")); };

        QCOMPARE(startup::runStartup(*qApp, parts), 1);
        QCOMPARE(fake.boxes.shown.size(), 1);
        QCOMPARE(fake.boxes.shown[0].text, QStringLiteral("VarloLib.Dll não disponível."));
        QCOMPARE(fake.boxes.shown[0].style, 16);
        QCOMPARE(rec.mainWindows, 0);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
        QVERIFY(fake.windows.windows.isEmpty());
    }

    void splashDuringDisplayCreation()
    {
        FakePlatform fake;
        Recorder rec;
        QList<int> lit;
        QStringList published;
        Startup s(testParts(rec, [&](QWidget*) {
            for (const auto& w : fake.windows.windows)
                published << w.first + QLatin1Char('|') + w.second;
            // The start-up steps light their pictures one after another.
            for (int step = 0; step < TFrmSplash::StepCount; ++step)
                FrmSplash->setStepPicture(SplashStatus::Step(step), 2 * step + 1);
            auto* splash = dynamic_cast<TFrmSplash*>(FrmSplash);
            for (int step = 0; step < TFrmSplash::StepCount; ++step)
                lit << splash->stepImageIndex(SplashStatus::Step(step));
        }));

        QVERIFY(s.start());
        QVERIFY(rec.splashVisible);
        QCOMPARE(rec.unlitAtCreation, (QList<int>{0, 2, 4, 6, 8}));
        QCOMPARE(lit, (QList<int>{1, 3, 5, 7, 9}));
        QCOMPARE(published, QStringList{QStringLiteral("TFrmSplash|VARLO CARTÓRIO - Monitor Senha")});
        QCOMPARE(applicationTitle(), QStringLiteral("Monitor de Senhas"));

        // Released: gone from the program and from the window look-up.
        QVERIFY(FrmSplash == nullptr);
        flushDeletes();
        QVERIFY(!fake.windows.find(QStringLiteral("TFrmSplash"), startup::SplashCaption));
        QVERIFY(fake.windows.find(QStringLiteral("TFrmPrincipal"), startup::mainWindowCaption(Build)));
    }

    void splashPictures()
    {
        TFrmSplash splash;
        QCOMPARE(splash.size(), QSize(460, 340));
        QCOMPARE(splash.imageCount(), 10);
        QVERIFY(!splash.findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().isNull());
        splash.setStepPicture(SplashStatus::Usuario, 5);
        splash.setStepPicture(SplashStatus::Usuario, 10); // no such picture: left as it was
        QCOMPARE(splash.stepImageIndex(SplashStatus::Usuario), 5);
        auto* picture = splash.findChild<QLabel*>(QStringLiteral("ImgUsuario"));
        QCOMPARE(picture->pixmap().size(), QSize(66, 66));
        QCOMPARE(picture->geometry(), QRect(156, 214, 70, 68));
        splash.setServidor(QStringLiteral("Conectando-se ao Servidor: 127.0.0.1"));
        QCOMPARE(splash.servidorText(), QStringLiteral("Conectando-se ao Servidor: 127.0.0.1"));
    }

    void loopEndsWithMainWindowAndReturnsExitCode()
    {
        FakePlatform fake;
        Recorder rec;
        const int code = startup::runStartup(*qApp, testParts(rec, [](QWidget* w) {
            processExitCode() = 2;
            QTimer::singleShot(50, w, &QWidget::close);
        }));
        QCOMPARE(code, 2);
    }

    void terminationDuringCreationEndsLoop()
    {
        FakePlatform fake;
        Recorder rec;
        QElapsedTimer clock;
        clock.start();
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, qApp, &QCoreApplication::quit);
        guard.start(5000);
        QCOMPARE(startup::runStartup(*qApp, testParts(rec, [](QWidget*) { requestTermination(); })), 0);
        QVERIFY2(clock.elapsed() < 4000, "the loop did not end on the early termination request");
        QCOMPARE(rec.configDialogs, 1);
    }

    void windowIdentityFollowsCaption()
    {
        FakePlatform fake;
        auto* w = new QWidget;
        w->setWindowTitle(QStringLiteral("Splash"));
        platform::ui::registerTopLevelWindow(w, QStringLiteral("TFrmSplash"));
        QVERIFY(fake.windows.find(QStringLiteral("TFrmSplash"), QStringLiteral("Splash")));
        w->setWindowTitle(QStringLiteral("VARLO CARTÓRIO - Monitor Senha"));
        QVERIFY(!fake.windows.find(QStringLiteral("TFrmSplash"), QStringLiteral("Splash")));
        QVERIFY(fake.windows.find(QStringLiteral("TFrmSplash"), QStringLiteral("VARLO CARTÓRIO - Monitor Senha")));
        delete w;
        QVERIFY(fake.windows.windows.isEmpty());
    }
};

MONITOR_TEST_MAIN(TstStartup)
#include "tst_startup.moc"
