#include "platform/LinuxServices.h"

#include <QNetworkInterface>
#include <QSysInfo>

namespace platform {

namespace {
// "AA:BB:CC:DD:EE:FF" into six bytes; other forms (none, or longer link-layer
// addresses) give an empty address.
QByteArray sixBytes(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 6)
        return {};
    QByteArray bytes;
    for (const QString& part : parts) {
        bool ok = false;
        const uint value = part.toUInt(&ok, 16);
        if (!ok || part.size() != 2)
            return {};
        bytes.append(char(value));
    }
    return bytes;
}
} // namespace

QString LinuxMachineInfo::hostName()
{
    const QList<NetworkAdapter> all = adapters();
    for (const NetworkAdapter& adapter : all)
        if (adapter.up && !adapter.loopback)
            return QSysInfo::machineHostName();
    return {};
}

QString LinuxMachineInfo::terminalClientName()
{
    return qEnvironmentVariable("CLIENTNAME");
}

QList<NetworkAdapter> LinuxMachineInfo::adapters()
{
    QList<NetworkAdapter> result;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& nic : interfaces) {
        NetworkAdapter adapter;
        adapter.name = nic.name();
        adapter.loopback = nic.flags().testFlag(QNetworkInterface::IsLoopBack);
        adapter.up = nic.flags().testFlag(QNetworkInterface::IsUp);
        adapter.hardwareAddress = sixBytes(nic.hardwareAddress());
        result.append(adapter);
    }
    return result;
}

} // namespace platform
