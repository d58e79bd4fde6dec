#include "data/MachineIdentity.h"

namespace {
QString formatAddress(const QByteArray& address)
{
    return QString::fromLatin1(address.toHex('-').toUpper());
}
} // namespace

QString RetornaNomeComputador(platform::MachineInfo& machine)
{
    try {
        QString client = machine.terminalClientName();
        if (client.compare(QLatin1String("CONSOLE"), Qt::CaseInsensitive) == 0)
            client.clear();
        return client.isEmpty() ? machine.hostName() : client;
    } catch (...) {
        return {};
    }
}

QString RetornaEnderecoMAC(platform::MachineInfo& machine)
{
    QString result;
    try {
        const QList<platform::NetworkAdapter> adapters = machine.adapters();
        for (const platform::NetworkAdapter& adapter : adapters) {
            if (adapter.loopback || adapter.hardwareAddress.size() != 6)
                continue;
            if (adapter.hardwareAddress.count('\0') != 6)
                return formatAddress(adapter.hardwareAddress);
            result = formatAddress(adapter.hardwareAddress);
        }
    } catch (...) {}
    return result;
}
