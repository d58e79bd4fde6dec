#pragma once
// Test doubles for every platform service. Install them with FakePlatform;
// the previous services come back when it goes out of scope.

#include "base/Clock.h"
#include "platform/LinuxServices.h"
#include "platform/Platform.h"

#include <QMap>
#include <QPoint>
#include <QStringList>
#include <atomic>
#include <functional>
#include <mutex>

struct ShownBox {
    QString text;
    QString title;
    int style = 0;
};

class FakeWindowRegistry : public platform::WindowRegistry {
public:
    void publish(const void* window, const QString& className, const QString& caption) override
    {
        windows[window] = {className, caption};
    }
    void withdraw(const void* window) override { windows.remove(window); }
    bool find(const QString& className, const QString& caption) override
    {
        for (const auto& w : windows)
            if (w.first == className && w.second == caption)
                return true;
        return external.contains(className + QLatin1Char('|') + caption);
    }
    QMap<const void*, QPair<QString, QString>> windows;
    QStringList external; // "class|caption" of windows of other processes
};

class FakeMessageBoxes : public platform::MessageBoxes {
public:
    void show(const QString& text, const QString& title, int style) override
    {
        shown.append({text, title, style});
        if (onShow)
            onShow(shown.last());
    }
    QList<ShownBox> shown;
    std::function<void(const ShownBox&)> onShow; // runs while the "box is open"
};

class FakeRegionalSettings : public platform::RegionalSettings {
public:
    QString longTimeFormat() override { return timeFormat; }
    QString shortDateFormat() override { return dateFormat; }
    void openRegionalSettings() override { ++opened; }
    QString timeFormat = QStringLiteral("HH:mm:ss");
    QString dateFormat = QStringLiteral("dd/MM/yyyy");
    int opened = 0;
};

class FakeSound : public platform::Sound {
public:
    void playAsync(const QString& path) override { played.append(path); }
    QStringList played;
};

// Records the announcements and plays each for `lastsMs` of pretended
// sound, one after the other, on `clock`'s monotonic time.
class FakeSpeech : public platform::Speech {
public:
    void announce(const QString& sound, const platform::SpokenCall& call) override;
    bool waitForEnd(int ms) override;

    struct Heard {
        QString sound;
        qint64 start = 0; // ms on now()
        qint64 end = 0;
    };
    qint64 now() const { return clock->monotonicMs(); }
    QList<Heard> heard() const;

    QList<platform::SpokenCall> spoken; // window thread
    std::atomic<int> lastsMs{0};
    Clock* clock = &programClock(); // set before the first announcement

private:
    mutable std::mutex m_mutex;
    QList<Heard> m_heard;
};

class FakeCursor : public platform::Cursor {
public:
    void setPos(int x, int y) override { moves.append(QPoint(x, y)); }
    QList<QPoint> moves;
};

class FakeSystemClock : public platform::SystemClock {
public:
    bool setLocalTime(const QDateTime& local) override
    {
        sets.append(local);
        return accept;
    }
    QList<QDateTime> sets;
    bool accept = true;
};

class FakeProcesses : public platform::Processes {
public:
    QList<platform::ProcessInfo> list() override { return running; }
    QList<platform::ProcessInfo> ownProcesses() override { return running; }
    qint64 currentPid() override { return self; }
    bool terminate(qint64 pid) override
    {
        terminated.append(pid);
        return true;
    }
    QList<platform::ProcessInfo> running;
    QList<qint64> terminated;
    qint64 self = 1;
};

class FakeLauncher : public platform::Launcher {
public:
    bool runDetached(const QString& program, const QStringList& arguments, int showState) override
    {
        launched.append({(QStringList{program} + arguments).join(QLatin1Char(' ')), showState});
        return true;
    }
    bool canRun(const QString& path) override { return runnable.contains(path); }
    QList<QPair<QString, int>> launched;
    QStringList runnable; // paths canRun accepts
};

class FakeFatalExit : public platform::FatalExit {
public:
    // Records instead of ending the test process.
    void fatalAppExit(const QString& text, const QString&) override { texts.append(text); }
    QStringList texts;
};

class FakeMachineInfo : public platform::MachineInfo {
public:
    QString hostName() override { return host; }
    QString terminalClientName() override { return client; }
    QList<platform::NetworkAdapter> adapters() override { return nics; }
    QString host = QStringLiteral("TESTPC");
    QString client;
    QList<platform::NetworkAdapter> nics;
};

class FakeScreenBlanking : public platform::ScreenBlanking {
public:
    void suspend() override { ++suspended; }
    void restore() override { ++restored; }
    void restoreLeftOver() override { ++restoredLeftOver; }
    int suspended = 0;
    int restored = 0;
    int restoredLeftOver = 0;
};

class FakeServiceManager : public platform::ServiceManager {
public:
    void notifyReady() override { notes.append(QStringLiteral("READY")); }
    void notifyAlive() override { notes.append(QStringLiteral("WATCHDOG")); }
    void notifyStopping() override { notes.append(QStringLiteral("STOPPING")); }
    int aliveIntervalMs() override { return interval; }
    QStringList notes;
    int interval = 0;
};

// Installs the doubles; the helper library is loaded for real, and threads
// lower their own priority for real (that touches only the calling thread).
class FakePlatform {
public:
    FakePlatform();
    ~FakePlatform();
    FakeWindowRegistry windows;
    FakeMessageBoxes boxes;
    FakeRegionalSettings regional;
    FakeSound sound;
    FakeSpeech speech;
    FakeCursor cursor;
    FakeSystemClock clock;
    FakeProcesses processes;
    FakeLauncher launcher;
    FakeFatalExit fatal;
    FakeMachineInfo machine;
    FakeScreenBlanking screen;
    FakeServiceManager service;
    platform::LinuxLibraryLoader libraries;
    platform::LinuxThreadPriority threads;

private:
    platform::Services m_saved;
};
