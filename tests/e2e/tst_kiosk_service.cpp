// The program as a service sees it: the notifications on a datagram socket
// of the test's own named in NOTIFY_SOCKET (READY once the window shows, the
// watchdog's keep-alive while the window thread runs, none while it is
// stopped), and, under a restart loop, a missing or broken connection file:
// the box closes by itself, the program ends, and the loop's next start
// comes 10 s later, with nothing written to the disk. While a kiosk copy
// runs, the screen saver and DPMS are held off; they come back after it.
#include "support/DbFixture.h"
#include "support/E2eProgram.h"
#include "support/RestartLoop.h"
#include "support/TestMain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>
#include <csignal>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QString MainWindowName = QStringLiteral("^Monitor Senha \\[ ");

// A datagram socket bound to a path, read without blocking.
class NotifySocket {
public:
    explicit NotifySocket(const QString& path) : m_path(path)
    {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof(address.sun_path));
        if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~NotifySocket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isValid() const { return m_fd >= 0; }
    // Every notification that has arrived, one entry per line of each.
    QStringList take()
    {
        QStringList notes;
        char buffer[4096];
        for (;;) {
            const ssize_t got = ::recv(m_fd, buffer, sizeof(buffer), 0);
            if (got <= 0)
                return notes;
            notes += QString::fromUtf8(buffer, static_cast<int>(got)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        }
    }

private:
    QString m_path;
    int m_fd = -1;
};

// Whether the X screen saver comes on with a one-second timeout, as another
// client sees it; the server's own settings come back afterwards. And DPMS,
// on a server that has it (Xvfb has not).
struct ScreenState {
    bool blanks = false;
    bool hasDpms = false;
    bool dpmsEnabled = false;
};
ScreenState screenState()
{
    ScreenState state;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return state;
    int timeout = 0, interval = 0, blanking = 0, exposures = 0;
    XGetScreenSaver(display, &timeout, &interval, &blanking, &exposures);
    XSetScreenSaver(display, 1, 0, DontPreferBlanking, AllowExposures);
    XSync(display, False);
    QTest::qWait(2500);
    if (XScreenSaverInfo* info = XScreenSaverAllocInfo()) {
        if (XScreenSaverQueryInfo(display, DefaultRootWindow(display), info))
            state.blanks = info->state == ScreenSaverOn;
        XFree(info);
    }
    XSetScreenSaver(display, timeout, interval, blanking, exposures);
    XResetScreenSaver(display);
    int event = 0, error = 0;
    state.hasDpms = DPMSQueryExtension(display, &event, &error);
    CARD16 level = 0;
    BOOL enabled = False;
    if (state.hasDpms && DPMSInfo(display, &level, &enabled))
        state.dpmsEnabled = enabled;
    XSync(display, False);
    XCloseDisplay(display);
    return state;
}

void enableDpms()
{
    if (Display* display = XOpenDisplay(nullptr)) {
        int event = 0, error = 0;
        if (DPMSQueryExtension(display, &event, &error))
            DPMSEnable(display);
        XSync(display, False);
        XCloseDisplay(display);
    }
}

} // namespace

class TstKioskService : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (!e2e::requireDisplay({QStringLiteral("xdotool"), QStringLiteral("setpriv")}))
            return;
        DbFixture::requireServer();
    }

    void notificationsFollowTheWindowThread()
    {
        DbFixture db;
        const QString database = db.createOffice(true);
        db.createUser(true);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("notify"));
        NotifySocket socket(path);
        QVERIFY(socket.isValid());

        e2e::Program program;
        QVERIFY(program.stage(database));
        program.setArguments({QStringLiteral("--quiosque")});
        program.setEnvironment(QStringLiteral("NOTIFY_SOCKET"), path);
        // A 1.5 s watchdog: a keep-alive every half second.
        program.setEnvironment(QStringLiteral("WATCHDOG_USEC"), QStringLiteral("1500000"));
        program.start();

        QStringList notes;
        QElapsedTimer clock;
        clock.start();
        while (!notes.contains(QStringLiteral("READY=1")) && clock.elapsed() < 30000) {
            QTest::qWait(100);
            notes += socket.take();
        }
        QVERIFY2(notes.contains(QStringLiteral("READY=1")), qPrintable(program.errorOutput()));
        QVERIFY2(!e2e::waitForWindow(MainWindowName, program.pid(), 2000).isEmpty(),
                 "READY came without the display window");

        QTest::qWait(3000);
        QVERIFY2(socket.take().count(QStringLiteral("WATCHDOG=1")) >= 3, "too few keep-alives while running");

        ::kill(static_cast<pid_t>(program.pid()), SIGSTOP);
        QTest::qWait(500);
        socket.take();
        QTest::qWait(3000);
        const QStringList whileStopped = socket.take();
        ::kill(static_cast<pid_t>(program.pid()), SIGCONT);
        QCOMPARE(whileStopped, QStringList());

        notes.clear();
        clock.restart();
        while (!notes.contains(QStringLiteral("WATCHDOG=1")) && clock.elapsed() < 5000) {
            QTest::qWait(100);
            notes += socket.take();
        }
        QVERIFY2(notes.contains(QStringLiteral("WATCHDOG=1")), "no keep-alive after the thread went on");
        QVERIFY(program.running());
    }

    void badConnectionFileUnderTheLoop_data()
    {
        QTest::addColumn<QByteArray>("contents"); // empty: no file at all
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("no database entry") << QByteArray("[CART\xD3RIO]\r\nServidor=x\r\n");
    }
    void badConnectionFileUnderTheLoop()
    {
        QFETCH(QByteArray, contents);
        e2e::Program program;
        QVERIFY(program.stage(QStringLiteral("127.0.0.1/1:/nada.fdb")));
        const QString ini = QDir(program.dir()).filePath(QStringLiteral("dbxconnections.ini"));
        QFile::remove(ini);
        if (!contents.isEmpty()) {
            QFile file(ini);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(contents);
        }
        program.setArguments({QStringLiteral("--quiosque")});
        program.setEnvironment(QStringLiteral("MONITOR_BOX_TIMEOUT_MS"), QStringLiteral("5000"));
        const QStringList filesBefore = QDir(program.dir()).entryList(QDir::Files);
        enableDpms();

        e2e::RestartLoop loop(program);
        loop.start();
        // While its box shows, the screen is held on.
        QVERIFY2(!e2e::waitForWindow(QStringLiteral("^VARLO$"), program.pid(), 15000).isEmpty(),
                 qPrintable(loop.errors()));
        const ScreenState held = screenState();
        loop.wait(24000);
        QVERIFY(!held.blanks);
        QVERIFY(!held.dpmsEnabled);

        // Starts at about 0 and 16 s: one box of 5 s and a 10 s pause each.
        QVERIFY2(loop.starts() >= 2 && loop.starts() <= 3, qPrintable(QString::number(loop.starts())));
        QVERIFY2(loop.longestBoxMs() <= 5000 + 3000, qPrintable(QString::number(loop.longestBoxMs())));
        const QString errors = loop.errors();
        QVERIFY2(errors.count(QLatin1String(" VARLO: ")) >= loop.ends(), qPrintable(errors));
        QVERIFY2(errors.size() < 1000 * loop.starts(), qPrintable(errors));
        QCOMPARE(QDir(program.dir()).entryList(QDir::Files), filesBefore);

        // Given back at the end of a run.
        QElapsedTimer clock;
        clock.start();
        while (loop.pid() && clock.elapsed() < 15000)
            QTest::qWait(100);
        QVERIFY(!loop.pid());
        const ScreenState after = screenState();
        QVERIFY(after.blanks);
        QCOMPARE(after.dpmsEnabled, after.hasDpms);
    }
};

MONITOR_TEST_MAIN(TstKioskService)
#include "tst_kiosk_service.moc"
