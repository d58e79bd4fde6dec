#pragma once
// End-to-end runs of the staged program under a real X display: a program
// folder of its own per run (the executable, the helper library and the
// attendant tool, with a connection definition pointing at a test database),
// the X tools that find, close and photograph its windows, and a Firebird
// server of its own for a test that stops the server under the program.

#include <QImage>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace e2e {

// Skips (or, with MONITOR_REQUIRE_DISPLAY=1, fails) the test without a
// display or without one of `tools`. Call first: `if (!e2e::requireDisplay(...)) return;`
bool requireDisplay(const QStringList& tools);

// Skips (or, with MONITOR_REQUIRE_SERVER=1, fails) the test without the
// Firebird server binaries, for tests that start private servers of their own.
bool requireFirebirdBinaries();

// Runs a command to its end, at most `timeoutMs`; killed past that.
struct Result {
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;
};
Result run(const QString& program, const QStringList& args, int timeoutMs = 10000,
           const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

// xdotool's output lines (window ids for `search`).
QStringList xdotool(const QStringList& args);
// Visible windows whose name matches the regular expression `nameRegex`,
// optionally only those of process `pid`.
QStringList windowsNamed(const QString& nameRegex, qint64 pid = 0);
// Polls windowsNamed until one shows; empty after `timeoutMs`.
QString waitForWindow(const QString& nameRegex, qint64 pid, int timeoutMs);
QRect windowGeometry(const QString& window);
// Gives the window the focus and presses and releases Return on the keyboard.
void pressReturn(const QString& window);
// Asks the window to close as its close box does (WM_DELETE_WINDOW).
bool requestClose(const QString& window);
// The whole screen as an image (null on failure).
QImage grabScreen();

// Text that the OCR engine reads in `image`: one line of ticket characters
// (capitals, digits, "-"), or free text of several lines.
enum class TextKind { Ticket, Prose };
QString readText(const QImage& image, TextKind kind = TextKind::Ticket);
// `image` with pixels near its commonest colour white and all others black:
// big glyphs on a flat panel become black text on white, which OCR reads best.
QImage glyphsOnWhite(const QImage& image);

class Program {
public:
    Program();
    ~Program(); // ends the program if it still runs

    bool isValid() const { return m_dir.isValid(); }
    QString dir() const { return m_dir.path(); }
    QString executable() const;

    // Copies the staged files and writes dbxconnections.ini with `database`
    // under section "CARTÓRIO" (Windows-1252, so Ó is byte D3).
    bool stage(const QString& database);
    void writeSettings(const QString& tiposSenha, bool repetirSom);

    // The attendant tool of this folder against the staged database.
    Result senha(const QStringList& args);

    // Command-line arguments and environment entries of the next starts.
    void setArguments(const QStringList& arguments) { m_arguments = arguments; }
    void setEnvironment(const QString& name, const QString& value);

    void start();
    QProcess& process() { return m_process; }
    qint64 pid() const { return m_process.processId(); }
    bool running() const { return m_process.state() == QProcess::Running; }
    bool waitForExit(int timeoutMs);
    // Ends a run that is still going.
    void stop();
    QString errorOutput();

    // Environment of a run: the pt_BR time format the date check expects, xcb.
    static QProcessEnvironment environment();

private:
    QTemporaryDir m_dir;
    QString m_database;
    QProcess m_process;
    QByteArray m_stderr;
    QStringList m_arguments;
};

// A Firebird server of the test's own on a free port, for a test that stops
// it under the program; stopped and removed with the object.
class PrivateServer {
public:
    PrivateServer() = default;
    ~PrivateServer();
    bool start(QString* error);
    void stop();
    // Stops the server process in its tracks (SIGSTOP), as a server that no
    // longer answers; thaw() lets it go on. stop() thaws it first.
    bool freeze();
    void thaw();
    // Starts it again on the same port, with the same databases.
    bool restart(QString* error);
    QString host() const { return m_host; } // 127.0.0.1/<port>
    // Creates CARTORIO.FDB and USUARIO.FDB (demo content); the "Database" text.
    QString createDemoDatabases(QString* error);

private:
    QTemporaryDir m_root{QStringLiteral("/tmp/e2e-fb-XXXXXX")};
    qint64 serverPid() const;

    QString m_host;
    bool m_started = false;
    bool m_frozen = false;
};

} // namespace e2e
