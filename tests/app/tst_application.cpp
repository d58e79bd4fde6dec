// The application object's message hook and exception handling, and the
// platform message box that the hook must not see into.
#include "support/FakePlatform.h"

#include "app/ui/MonitorApplication.h"
#include "base/Errors.h"
#include "platform/ui/LinuxUiServices.h"
#include "support/ApplicationEvents.h"
#include "support/ExitCode.h"

#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <stdexcept>

namespace {

class Thrower : public QObject {
public:
    std::function<void()> action;
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            action();
        return QObject::event(e);
    }
};

} // namespace

class TstApplication : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        ApplicationEvents::setMessageHook({});
        ApplicationEvents::setExceptionHandler({});
    }

    void boxText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("carriage return") << QStringLiteral("Erro:\rlinha") << QStringLiteral("Erro:\nlinha");
        QTest::newRow("CR LF is one break") << QStringLiteral("a\r\nb") << QStringLiteral("a\nb");
        QTest::newRow("two carriage returns") << QStringLiteral("a\r\rb") << QStringLiteral("a\n\nb");
        QTest::newRow("line feed kept") << QStringLiteral("a\nb") << QStringLiteral("a\nb");
    }

    void boxText()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(platform::ui::boxText(text), shown);
    }

    void hookSeesMessagesButNotThoseOfPlatformBox()
    {
        int seen = 0;
        ApplicationEvents::setMessageHook([&seen] { ++seen; });
        QObject target;
        QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        QVERIFY(seen > 0);

        // While the box runs its loop, timers fire but the hook stays silent.
        int atFirstTimer = -1, atSecondTimer = -1;
        bool openSeen = false;
        QTimer::singleShot(30, [&] {
            atFirstTimer = seen;
            openSeen = platform::ui::systemBoxOpen();
        });
        QTimer::singleShot(120, [&] {
            atSecondTimer = seen;
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->accept();
        });
        platform::ui::LinuxMessageBoxes boxes;
        boxes.show(QStringLiteral("Texto\rsegunda linha"), QStringLiteral("VARLO"), platform::BoxError);
        QVERIFY(openSeen);
        QVERIFY(atFirstTimer >= 0);
        QCOMPARE(atSecondTimer, atFirstTimer);
        QVERIFY(!platform::ui::systemBoxOpen());

        const int before = seen;
        QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        QVERIFY(seen > before);
    }

    // Events of other threads (Qt's D-Bus and sound threads have loops of
    // their own) pass the application too, but never reach the hook.
    void hookRunsOnTheWindowThreadOnly()
    {
        std::atomic<int> offThread{0};
        int onThread = 0;
        ApplicationEvents::setMessageHook([&] {
            if (QThread::currentThread() == qApp->thread())
                ++onThread;
            else
                ++offThread;
        });
        QThread worker;
        worker.start();
        QObject target;
        target.moveToThread(&worker);
        std::atomic<int> delivered{0};
        for (int i = 0; i < 20; ++i)
            QMetaObject::invokeMethod(
                &target, [&delivered] { ++delivered; }, Qt::QueuedConnection);
        QTRY_COMPARE(delivered.load(), 20);
        worker.quit();
        QVERIFY(worker.wait(5000));
        QCOMPARE(offThread.load(), 0);
        QObject here;
        QCoreApplication::postEvent(&here, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        QVERIFY(onThread > 0);
    }

    void escapedExceptionsReachHandler_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("program failure") << 0 << QStringLiteral("Data inválida");
        QTest::newRow("database failure") << 1 << QStringLiteral("Unable to complete network request");
        QTest::newRow("standard library failure") << 2 << QStringLiteral("out of range");
    }

    void escapedExceptionsReachHandler()
    {
        QFETCH(int, kind);
        QFETCH(QString, message);
        QStringList handled;
        ApplicationEvents::setExceptionHandler([&handled](const Exception& e) { handled << e.message(); });
        Thrower thrower;
        thrower.action = [kind, message] {
            if (kind == 0)
                throw EConvertError(message);
            if (kind == 1)
                throw EDatabaseError(message);
            throw std::out_of_range(message.toStdString());
        };
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        QCOMPARE(handled, QStringList{message});

        // The program goes on: the next event is delivered as usual.
        bool delivered = false;
        thrower.action = [&delivered] { delivered = true; };
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        QVERIFY(delivered);
    }

    void timerFailureWithDefaultHandlerShowsBox()
    {
        FakePlatform fake;
        applicationTitle() = QStringLiteral("Monitor de Senhas");
        QTimer timer;
        int fired = 0;
        connect(&timer, &QTimer::timeout, [&fired] {
            ++fired;
            throw EConvertError(QStringLiteral("'25:99' is not a valid time"));
        });
        timer.start(10);
        QTRY_VERIFY(fired >= 2); // the timer keeps running after the failure
        timer.stop();
        QVERIFY(fake.boxes.shown.size() >= 2);
        QCOMPARE(fake.boxes.shown[0].text, QStringLiteral("'25:99' is not a valid time"));
        QCOMPARE(fake.boxes.shown[0].title, QStringLiteral("Monitor de Senhas"));
        QCOMPARE(fake.boxes.shown[0].style, 16);
    }
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    MonitorApplication app(argc, argv);
    TstApplication tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_application.moc"
