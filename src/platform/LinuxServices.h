#pragma once
// Stand-in until the core Linux services land: inert implementations.
#include "platform/Platform.h"

namespace platform {

class LinuxLibraryLoader : public LibraryLoader {
public:
    void* load(const QString&) override { return nullptr; }
    void* symbol(void*, const char*) override { return nullptr; }
    void release(void*) override {}
};
class LinuxRegionalSettings : public RegionalSettings {
public:
    QString longTimeFormat() override { return QStringLiteral("HH:mm:ss"); }
    QString shortDateFormat() override { return QStringLiteral("dd/MM/yyyy"); }
    void openRegionalSettings() override {}
};
class LinuxSystemClock : public SystemClock {
public:
    bool setLocalTime(const QDateTime&) override { return false; }
};
class LinuxProcesses : public Processes {
public:
    QList<ProcessInfo> list() override { return {}; }
    qint64 currentPid() override { return 0; }
    bool terminate(qint64) override { return false; }
};
class LinuxLauncher : public Launcher {
public:
    bool runDetached(const QString&, int) override { return false; }
};
class LinuxMachineInfo : public MachineInfo {
public:
    QString hostName() override { return {}; }
    QString terminalClientName() override { return {}; }
    QList<NetworkAdapter> adapters() override { return {}; }
};

} // namespace platform
