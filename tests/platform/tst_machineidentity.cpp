#include "support/FakePlatform.h"
#include <QtTest>

#include "data/MachineIdentity.h"

namespace {
platform::NetworkAdapter nic(const QString& name, const QByteArray& address, bool loopback = false)
{
    platform::NetworkAdapter a;
    a.name = name;
    a.loopback = loopback;
    a.up = true;
    a.hardwareAddress = address;
    return a;
}
const QByteArray kZero(6, '\0');
const QByteArray kFirst = QByteArray::fromHex("0a1b2c3d4e5f");
const QByteArray kSecond = QByteArray::fromHex("001122334455");

class ThrowingMachine : public platform::MachineInfo {
public:
    QString hostName() override { throw std::runtime_error("host"); }
    QString terminalClientName() override { throw std::runtime_error("client"); }
    QList<platform::NetworkAdapter> adapters() override { throw std::runtime_error("adapters"); }
};
} // namespace

Q_DECLARE_METATYPE(QList<platform::NetworkAdapter>)

class TstMachineIdentity : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void machineName_data()
    {
        QTest::addColumn<QString>("client");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("expected");
        QTest::newRow("console session") << ""
                                         << "PC01"
                                         << "PC01";
        QTest::newRow("CONSOLE") << "CONSOLE"
                                 << "PC01"
                                 << "PC01";
        QTest::newRow("console in any case") << "Console"
                                             << "PC01"
                                             << "PC01";
        QTest::newRow("remote client kept as stored") << "Term05"
                                                      << "PC01"
                                                      << "Term05";
        QTest::newRow("no network, no client") << ""
                                               << ""
                                               << "";
        QTest::newRow("remote client without network") << "TERM05"
                                                       << ""
                                                       << "TERM05";
    }
    void machineName()
    {
        QFETCH(QString, client);
        QFETCH(QString, host);
        QFETCH(QString, expected);
        FakeMachineInfo machine;
        machine.client = client;
        machine.host = host;
        QCOMPARE(RetornaNomeComputador(machine), expected);
    }

    void adapterAddress_data()
    {
        QTest::addColumn<QList<platform::NetworkAdapter>>("adapters");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << QList<platform::NetworkAdapter>() << "";
        QTest::newRow("loopback only") << QList<platform::NetworkAdapter>{nic("lo", kZero, true)} << "";
        QTest::newRow("one adapter") << QList<platform::NetworkAdapter>{nic("lo", kZero, true), nic("eth0", kFirst)}
                                     << "0A-1B-2C-3D-4E-5F";
        QTest::newRow("first non-zero wins")
            << QList<platform::NetworkAdapter>{nic("eth0", kFirst), nic("eth1", kSecond)} << "0A-1B-2C-3D-4E-5F";
        QTest::newRow("zero address skipped")
            << QList<platform::NetworkAdapter>{nic("tun0", kZero), nic("eth1", kSecond)} << "00-11-22-33-44-55";
        QTest::newRow("only zero addresses")
            << QList<platform::NetworkAdapter>{nic("tun0", kZero), nic("tun1", kZero)} << "00-00-00-00-00-00";
        QTest::newRow("no address") << QList<platform::NetworkAdapter>{nic("ppp0", QByteArray())} << "";
        QTest::newRow("loopback with an address")
            << QList<platform::NetworkAdapter>{nic("lo", kFirst, true), nic("eth0", kSecond)} << "00-11-22-33-44-55";
    }
    void adapterAddress()
    {
        QFETCH(QList<platform::NetworkAdapter>, adapters);
        QFETCH(QString, expected);
        FakeMachineInfo machine;
        machine.nics = adapters;
        QCOMPARE(RetornaEnderecoMAC(machine), expected);
    }

    void failuresGiveEmptyTexts()
    {
        ThrowingMachine machine;
        QCOMPARE(RetornaNomeComputador(machine), QString());
        QCOMPARE(RetornaEnderecoMAC(machine), QString());
    }
};

QTEST_GUILESS_MAIN(TstMachineIdentity)
#include "tst_machineidentity.moc"
