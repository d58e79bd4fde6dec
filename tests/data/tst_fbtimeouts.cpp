// The connection never keeps its caller waiting without limit: a server that
// accepts the link and never answers, a server that stops answering under an
// attached connection, a lock held by another thread; and parameters the
// client could not carry whole are refused rather than cut.

#include "data/DMCadastro.h"
#include "data/DmTestDb.h"
#include "data/FakeSplash.h"
#include "data/FbClient.h"
#include "support/E2eProgram.h"
#include "support/FakePlatform.h"
#include "support/Termination.h"
#include <QtTest>

#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QtTest>
#include <atomic>
#include <thread>

using namespace std::chrono_literals;

namespace {

ConnectionParams paramsFor(const QString& database)
{
    return {{QStringLiteral("Database"), database},
            {QStringLiteral("User_Name"), QStringLiteral("VARLO")},
            {QStringLiteral("Password"), QStringLiteral("tarvumel")}};
}

// Waits until a thread has been inside the connection for a while.
bool waitBusy(const FbConnection& connection)
{
    QElapsedTimer clock;
    clock.start();
    while (connection.busyFor() < 300ms && clock.elapsed() < 10000)
        std::this_thread::sleep_for(10ms);
    return connection.busyFor() >= 300ms;
}

} // namespace

class TstFbTimeouts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void silentServerEndsAtTheConnectTimeout();
    void overlongParametersAreRefused_data();
    void overlongParametersAreRefused();
    void boundedUseGivesUpOnAHeldLock();
    void frozenServer_data();
    void frozenServer();
    void slowClockQueryAtStart();
    void cleanupTestCase() { m_server.reset(); }

private:
    bool requireServer();
    std::unique_ptr<e2e::PrivateServer> m_server;
    QString m_database;
};

void TstFbTimeouts::silentServerEndsAtTheConnectTimeout()
{
    // The kernel completes the handshake; nothing ever answers the client.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    ConnectionParams params = paramsFor(QStringLiteral("127.0.0.1/%1:/nada.fdb").arg(silent.serverPort()));
    params.append({QStringLiteral("connect_timeout"), QStringLiteral("2")});
    FbConnection connection(params);
    QElapsedTimer clock;
    clock.start();
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, connection.open());
    QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!connection.isOpen());
}

void TstFbTimeouts::overlongParametersAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("length");
    // 65,536 more bytes would wrap a 16-bit length back onto the first ones.
    QTest::newRow("Database past 16 bits") << "Database" << 65536 + 24;
    QTest::newRow("Database past a signed length") << "Database" << 40000;
    QTest::newRow("User_Name") << "User_Name" << 256;
    QTest::newRow("Password") << "Password" << 300;
    QTest::newRow("RoleName") << "RoleName" << 1000;
}

void TstFbTimeouts::overlongParametersAreRefused()
{
    QFETCH(QString, name);
    QFETCH(int, length);
    ConnectionParams params{{name, QStringLiteral("127.0.0.1/1:/x.fdb").leftJustified(length, u'x')}};
    params += paramsFor(QStringLiteral("127.0.0.1/1:/x.fdb"));
    FbConnection connection(params);
    try {
        connection.open();
        QFAIL("an over-long parameter was accepted");
    } catch (const EDatabaseError& e) {
        QVERIFY2(e.message().contains(name) && e.message().contains(QString::number(length)), qPrintable(e.message()));
    }
}

void TstFbTimeouts::boundedUseGivesUpOnAHeldLock()
{
    FbConnection connection;
    std::atomic<bool> held{false};
    std::atomic<bool> release{false};
    std::thread holder([&] {
        FbConnection::Guard guard(connection);
        held = true;
        while (!release)
            std::this_thread::sleep_for(5ms);
    });
    while (!held)
        std::this_thread::sleep_for(1ms);
    QElapsedTimer clock;
    clock.start();
    bool ran = false;
    QVERIFY_THROWS_EXCEPTION(EServerNotAnswering, connection.bounded([&] { ran = true; }, 300ms, 1s));
    const qint64 waited = clock.elapsed();
    release = true;
    holder.join();
    QVERIFY(!ran);
    QVERIFY2(waited >= 250 && waited < 2000, qPrintable(QString::number(waited)));
}

bool TstFbTimeouts::requireServer()
{
    if (!QFile::exists(QStringLiteral("/usr/sbin/firebird"))) {
        if (qEnvironmentVariable("MONITOR_REQUIRE_SERVER") == QLatin1String("1"))
            qFatal("the Firebird server is not installed");
        return false;
    }
    if (m_server)
        return !m_database.isEmpty();
    m_server = std::make_unique<e2e::PrivateServer>();
    QString error;
    if (m_server->start(&error))
        m_database = m_server->createDemoDatabases(&error);
    if (m_database.isEmpty())
        qWarning("private server: %s", qPrintable(error));
    return !m_database.isEmpty();
}

void TstFbTimeouts::frozenServer_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("another thread's query is interrupted") << "interrupt";
    QTest::newRow("a bounded use gives up, then reconnects") << "bounded";
    QTest::newRow("close returns") << "close";
}

void TstFbTimeouts::frozenServer()
{
    QFETCH(QString, what);
    if (!requireServer())
        QSKIP("no private server");
    FbConnection connection(paramsFor(m_database));
    const QString sql = QStringLiteral("SELECT COUNT(*) FROM RDB$DATABASE");
    FbQuery(connection).open(sql);
    QVERIFY(m_server->freeze());
    QElapsedTimer clock;

    if (what == QLatin1String("interrupt")) {
        std::atomic<bool> failed{false};
        std::thread walker([&] {
            try {
                FbQuery(connection).open(sql);
            } catch (const EDatabaseError&) {
                failed = true;
            }
        });
        const bool busy = waitBusy(connection);
        clock.start();
        const bool freed = connection.interrupt();
        const qint64 took = clock.elapsed();
        walker.join();
        m_server->thaw();
        QVERIFY(busy);
        QVERIFY(freed);
        QVERIFY(failed);
        QVERIFY2(took < 1500, qPrintable(QString::number(took)));
    } else if (what == QLatin1String("bounded")) {
        clock.start();
        try {
            connection.bounded([&] { FbQuery(connection).open(sql); }, 1s, 1s);
            QFAIL("a query on a frozen server returned");
        } catch (const EServerNotAnswering&) {}
        const qint64 took = clock.elapsed();
        m_server->thaw();
        QVERIFY2(took < 3500, qPrintable(QString::number(took)));
        QVERIFY(!connection.isOpen());
        FbQuery again(connection);
        again.open(sql);
        QCOMPARE(again.field(0).asInteger(), 1);
    } else {
        clock.start();
        connection.close();
        const qint64 took = clock.elapsed();
        m_server->thaw();
        QVERIFY(!connection.isOpen());
        QVERIFY2(took < 1000, qPrintable(QString::number(took)));
    }
}

// A server that answers the start's clock query only after several seconds:
// the query is given up, the connection made for the start is kept (no
// second attachment) and works, and the start goes on without a message.
void TstFbTimeouts::slowClockQueryAtStart()
{
    if (!requireServer())
        QSKIP("no private server");
    resetTerminationForTesting();
    FakePlatform fake;
    ProgramFolder folder;
    folder.writeSection(m_database);
    FakeSplash splash;
    std::thread thaw;
    bool froze = false;
    splash.onExecutando = [&](const QString& text) {
        if (text != QStringLiteral("Conexão ao Banco VARLO concluída..."))
            return;
        froze = m_server->freeze();
        thaw = std::thread([this] {
            std::this_thread::sleep_for(5s);
            m_server->thaw();
        });
    };
    QElapsedTimer clock;
    clock.start();
    TFDMCadastro dm;
    const qint64 took = clock.elapsed();
    if (thaw.joinable())
        thaw.join();
    m_server->thaw();
    QVERIFY(froze);
    QVERIFY2(fake.boxes.shown.isEmpty(), qPrintable(fake.boxes.shown.value(0).text));
    QVERIFY(!terminationRequested());
    QVERIFY(InfoConexaoAtual && InfoConexaoAtual->ConectadoCadastro);
    QVERIFY(dm.SQLConnectionVARLO->isOpen());
    QCOMPARE(dm.SQLConnectionVARLO->attachment(), 1u);
    QVERIFY2(took >= 2900 && took < 9000, qPrintable(QString::number(took)));
    FbQuery again(*dm.SQLConnectionVARLO);
    again.open(QStringLiteral("SELECT COUNT(*) FROM RDB$DATABASE"));
    QCOMPARE(again.field(0).asInteger(), 1);
    QCOMPARE(dm.SQLConnectionVARLO->attachment(), 1u);
}

QTEST_GUILESS_MAIN(TstFbTimeouts)
#include "tst_fbtimeouts.moc"
