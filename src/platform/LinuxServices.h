#pragma once
// Linux implementations of the platform services that need no widgets.
// The program installs one instance of each into platform::services().

#include "platform/Platform.h"

#include <string>

namespace platform {

// Installs one instance of each class below into services(); the windowed
// program adds the services that need widgets.
void installLinuxCoreServices();

// dlopen by full path; symbols stay local to the library.
class LinuxLibraryLoader : public LibraryLoader {
public:
    void* load(const QString& path) override;
    void* symbol(void* handle, const char* name) override;
    void release(void* handle) override;
};

// Formats of the user's locale as QLocale::system() reports it (LC_ALL, LC_TIME, LANG).
class LinuxRegionalSettings : public RegionalSettings {
public:
    QString longTimeFormat() override;
    QString shortDateFormat() override;
    void openRegionalSettings() override;
    // The time format without its time-zone fields ("t" outside quotes) and the
    // blanks they leave behind.
    static QString withoutTimeZone(const QString& format);

private:
    QString m_longTimeFormat;
};

// Sets CLOCK_REALTIME; refused without the privilege to do so.
class LinuxSystemClock : public SystemClock {
public:
    bool setLocalTime(const QDateTime& local) override;
};

// Processes from /proc; those whose executable cannot be read are left out.
// A script's executable is its interpreter; the script is among its arguments.
class LinuxProcesses : public Processes {
public:
    QList<ProcessInfo> list() override;
    QList<ProcessInfo> ownProcesses() override; // by the real and effective ids of /proc/<pid>/status
    qint64 currentPid() override;
    bool terminate(qint64 pid) override; // SIGKILL
};

// Starts a program detached; the show state has no meaning for a Linux process.
class LinuxLauncher : public Launcher {
public:
    bool runDetached(const QString& program, const QStringList& arguments, int showState) override;
    bool canRun(const QString& path) override; // ELF or "#!", with execute permission
};

class LinuxMachineInfo : public MachineInfo {
public:
    // Empty when no network interface other than loopback is up.
    QString hostName() override;
    // CLIENTNAME of the environment, set by remote-session tools.
    QString terminalClientName() override;
    QList<NetworkAdapter> adapters() override;
};

// A nice value for one thread: setpriority on the thread's id changes that
// thread only, and an unprivileged thread may always make itself nicer.
class LinuxThreadPriority : public ThreadPriority {
public:
    enum { Steps = 10 }; // nice levels below the process; 19 is the floor
    bool lowerCurrentThread() override;
};

// The X screen saver suspended and DPMS turned off through a connection of
// its own to the display; nothing without a display. The screen saver comes
// back with the connection's end, DPMS (a setting of the whole X server) does
// not: whether it was on before the first copy turned it off is kept in a
// file of $XDG_RUNTIME_DIR, locked while a copy holds the screen, so that the
// next copy or restoreLeftOver() gives back that state, not "already off".
class LinuxScreenBlanking : public ScreenBlanking {
public:
    ~LinuxScreenBlanking() override;
    void suspend() override;
    void restore() override;
    void restoreLeftOver() override;

private:
    void* m_display = nullptr;
    int m_record = -1; // the locked file, or -1
    std::string m_recordPath;
    bool m_dpmsWasEnabled = false;
};

// sd_notify to the socket named in NOTIFY_SOCKET.
class LinuxServiceManager : public ServiceManager {
public:
    void notifyReady() override;
    void notifyAlive() override;
    void notifyStopping() override;
    // A third of WATCHDOG_USEC, at most 5 s; 5 s without it; 0 without NOTIFY_SOCKET.
    int aliveIntervalMs() override;
};

} // namespace platform
