#pragma once
// Services of the operating system that the program uses, each behind a small
// interface so that the rest of the code never calls the OS directly and tests
// can swap in doubles. The Linux implementations are installed in one place
// (installLinuxPlatform, monitor_gui); tests install doubles instead.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

namespace platform {

// Top-level window look-up by window-class name and exact caption, across the
// processes of one user and desktop session.
class WindowRegistry {
public:
    virtual ~WindowRegistry() = default;
    // Announces (or re-announces with a new caption) a window of this process.
    virtual void publish(const void* window, const QString& className, const QString& caption) = 0;
    virtual void withdraw(const void* window) = 0;
    // True when any process of the session has a window of that class and caption.
    virtual bool find(const QString& className, const QString& caption) = 0;
};

// Modal message boxes with one OK button. Carriage returns in the text are line breaks.
enum BoxStyle { BoxPlain = 0, BoxError = 16, BoxWarning = 48, BoxInformation = 64 };
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(const QString& text, const QString& title, int style) = 0;
};

// The user's regional formats (LC_TIME, LANG).
class RegionalSettings {
public:
    virtual ~RegionalSettings() = default;
    virtual QString longTimeFormat() = 0; // hours, minutes, seconds; no time zone
    virtual QString shortDateFormat() = 0; // as the locale writes it, e.g. dd/MM/yyyy
    virtual void openRegionalSettings() = 0; // any regional-settings tool; failure ignored
};

// Loading a shared library by full path.
class LibraryLoader {
public:
    virtual ~LibraryLoader() = default;
    virtual void* load(const QString& path) = 0; // null on failure
    virtual void* symbol(void* handle, const char* name) = 0; // null when absent
    virtual void release(void* handle) = 0;
};

class Sound {
public:
    virtual ~Sound() = default;
    // Plays the WAV file in the background, replacing one still playing; the
    // default beep when the file cannot be played.
    virtual void playAsync(const QString& path) = 0;
};

// One spoken call: the phrase as plain text (for reports) and as SSML (what
// is synthesised), with the speaking rate and the loudness.
struct SpokenCall {
    QString text;
    QString ssml;
    int wordsPerMinute = 150;
    int volume = 100; // percent of full loudness
};

// Spoken calls. An announcement is one call heard whole: the call sound,
// then the phrase. Announcements play one after the other in the order
// asked for; none cuts another.
class Speech {
public:
    virtual ~Speech() = default;
    // Queues an announcement and returns at once. The phrase is synthesised
    // off the calling thread. A part that cannot play (a missing or unreadable
    // sound file, no voice data, no audio output) is left out and reported
    // once per reason on standard error; the rest still plays.
    virtual void announce(const QString& sound, const SpokenCall& call) = 0;
    // Blocks the calling thread, at most `ms`, until every announcement
    // queued so far has ended; true when they have. An announcement counts as
    // ended at the latest its length plus a margin after it started, even
    // when the audio output is stuck. Never call it on the window thread,
    // which plays them.
    virtual bool waitForEnd(int ms) = 0;
};

class Cursor {
public:
    virtual ~Cursor() = default;
    virtual void setPos(int x, int y) = 0;
};

class SystemClock {
public:
    virtual ~SystemClock() = default;
    // Sets the local clock; false when refused. Callers ignore the result.
    virtual bool setLocalTime(const QDateTime& local) = 0;
};

struct ProcessInfo {
    qint64 pid = 0;
    QString executable; // full path of the executable
    QStringList arguments; // the command line, the program's name first (ownProcesses only)
};
class Processes {
public:
    virtual ~Processes() = default;
    // Every process whose executable can be read; no command lines.
    virtual QList<ProcessInfo> list() = 0;
    // The processes of this program's own user (real and effective user
    // both), with their command lines.
    virtual QList<ProcessInfo> ownProcesses() = 0;
    virtual qint64 currentPid() = 0;
    // Ends the process at once (exit code 0 where the platform allows).
    virtual bool terminate(qint64 pid) = 0;
};

class Launcher {
public:
    virtual ~Launcher() = default;
    enum { ShowNormal = 1, ShowMinimized = 6 };
    // Starts the program with these arguments, each passed whole, detached.
    virtual bool runDetached(const QString& program, const QStringList& arguments, int showState) = 0;
    // True when the file is a program this machine can start: executable for
    // the user and in the machine's own format (or a script naming its
    // interpreter); false for a missing file or one built for another system.
    virtual bool canRun(const QString& path) = 0;
};

class FatalExit {
public:
    virtual ~FatalExit() = default;
    // Shows the text in a box with the title (the application's name when
    // empty), then ends the process at once without clean-up.
    virtual void fatalAppExit(const QString& text, const QString& title) = 0;
};

struct NetworkAdapter {
    QString name;
    bool loopback = false;
    bool up = false;
    QByteArray hardwareAddress; // 6 bytes, or empty
};
class MachineInfo {
public:
    virtual ~MachineInfo() = default;
    virtual QString hostName() = 0;
    virtual QString terminalClientName() = 0; // CLIENTNAME of a remote session, or empty
    virtual QList<NetworkAdapter> adapters() = 0;
};

// Scheduling priority of the calling thread.
class ThreadPriority {
public:
    virtual ~ThreadPriority() = default;
    // Lowers the calling thread alone to the lowest priority short of idle,
    // relative to the process's own; false when refused.
    virtual bool lowerCurrentThread() = 0;
};

// Keeps the screen from blanking or powering down while suspended.
class ScreenBlanking {
public:
    virtual ~ScreenBlanking() = default;
    virtual void suspend() = 0; // screen saver and display power saving held off
    virtual void restore() = 0; // given back as they were
    // Gives back what a copy that ended without restore() (a crash, a kill)
    // had turned off; nothing while a running copy holds the screen.
    virtual void restoreLeftOver() = 0;
};

// Reports to the service manager that started the program, when one did;
// nothing otherwise.
class ServiceManager {
public:
    virtual ~ServiceManager() = default;
    virtual void notifyReady() = 0;
    virtual void notifyAlive() = 0; // the watchdog's keep-alive
    virtual void notifyStopping() = 0;
    // How often the keep-alive is due, ms; 0 when nobody listens.
    virtual int aliveIntervalMs() = 0;
};

struct Services {
    WindowRegistry* windows = nullptr;
    MessageBoxes* boxes = nullptr;
    RegionalSettings* regional = nullptr;
    LibraryLoader* libraries = nullptr;
    Sound* sound = nullptr;
    Speech* speech = nullptr;
    Cursor* cursor = nullptr;
    SystemClock* clock = nullptr;
    Processes* processes = nullptr;
    Launcher* launcher = nullptr;
    FatalExit* fatal = nullptr;
    MachineInfo* machine = nullptr;
    ThreadPriority* threads = nullptr;
    ScreenBlanking* screen = nullptr;
    ServiceManager* service = nullptr;
};

// The services in force. Every field is set before the program uses it.
Services& services();

// Replaces the file's contents whole or not at all. A path that is a link
// (or a chain of them) of the caller or of root is followed to the file it
// names, which is replaced in its own folder; the link stays. A link of
// another user is refused. The bytes go to a new file created there
// under a random name that nobody holds (never through a link or into an
// existing file), with the old file's permission bits and, where allowed,
// its owner and group; they are synced to the disk and only then renamed
// over the old file. A new file in a group's shared (setgid) folder is
// writable by the group. False on any failure, the old file untouched.
bool replaceFileContents(const QString& path, const QByteArray& bytes);

// Names for the temporary file, from the target's file name; each call gives
// another. A name that is taken is skipped.
using TemporaryNames = std::function<QString(const QString& fileName)>;
bool replaceFileContents(const QString& path, const QByteArray& bytes, const TemporaryNames& temporaryName);

// Removes the file the path names, following links as above: a link stays, naming
// nothing until the file is written again through it. True when the file is
// gone, also when there was none.
bool removeFile(const QString& path);

// The whole contents of a small regular file, read as the save above
// follows links: only links of the caller or of root, the final name opened
// without following a link and without waiting (a FIFO or a device is never
// opened), and only a regular file of at most SmallFileLimit bytes. A missing
// file gives nothing; any other refusal gives nothing too, with one line on
// standard error naming the file, as a folder a group shares may hold
// anything its members put there.
constexpr qint64 SmallFileLimit = 1024 * 1024;
std::optional<QByteArray> readSmallFile(const QString& path);

// The user's runtime folder ($XDG_RUNTIME_DIR), opened once per process
// without following a link and kept open: only a folder of the effective
// user with mode 0700 is taken. Its path is the handle's own
// (/proc/self/fd/N), so every later use names the folder that was checked,
// whatever becomes of the name in the environment. Empty without such a
// folder (one line on standard error when the variable names another), and
// the callers then do without one.
QString runtimeFolder();

// Flushes the standard streams and ends the process at once with `code`,
// running no exit handlers (a thread may still be inside a library).
[[noreturn]] void endProcessNow(int code);

} // namespace platform
