#pragma once
// Kiosk mode (--quiosque): the program runs unattended under a service
// manager that starts it again whenever it ends. Its boxes close by
// themselves and leave their text on standard error, a lost or frozen
// database link ends the process, the display fills the screen and the
// screen never blanks. Without the flag the program behaves as always.

#include <QDateTime>
#include <QString>
#include <QStringList>

struct KioskOptions {
    bool enabled = false;
    // Boxes close by themselves after this many ms; 0 waits for a person.
    int boxTimeoutMs = 0;

    // "--quiosque" among the arguments turns kiosk mode on, with boxes closing
    // after 30 s (MONITOR_BOX_TIMEOUT_MS, when set to a positive number,
    // replaces the 30 s: the tests' shorter waits).
    static KioskOptions fromArguments(const QStringList& arguments);
};

namespace platform {
class ScreenBlanking;
}

// Holds the screen's blanking off for its lifetime; nothing when given null.
class ScreenKeptOn {
public:
    explicit ScreenKeptOn(platform::ScreenBlanking* screen);
    ~ScreenKeptOn();
    ScreenKeptOn(const ScreenKeptOn&) = delete;
    ScreenKeptOn& operator=(const ScreenKeptOn&) = delete;

private:
    platform::ScreenBlanking* m_screen;
};

namespace kiosk {

constexpr int BoxTimeoutMs = 30000;
// The service's stop step: the only argument, it gives back the screen power
// settings a copy that ended without restoring them had turned off, and exits.
constexpr const char* RestoreScreenOption = "--restaurar-tela";
// A walker query without an answer from the server for this long ends the process.
constexpr int FrozenQueryMs = 60000;

// One line for the journal: "2026-12-09 12:03:04 VARLO: first line | second line".
QString logLine(const QDateTime& when, const QString& title, const QString& text);
// logLine of now, written to standard error at once.
void log(const QString& title, const QString& text);

// Ends the process as a lost database connection does on the window thread:
// the reason goes to standard error, then the fatal exit with its fixed text.
// Window thread only.
void endForLostConnection(const QString& reason);

} // namespace kiosk
