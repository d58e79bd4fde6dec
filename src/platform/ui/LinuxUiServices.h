#pragma once
// Platform services that need the widget toolkit: message boxes, the mouse
// pointer, the call sound and the fatal exit.

#include "platform/Platform.h"

#include <QObject>
#include <QString>

class QSoundEffect;

namespace platform::ui {

// True while a message box of the platform is open in this process. Such a
// box runs its own loop, whose messages the application's hook must not see.
bool systemBoxOpen();

// The text as the box shows it: "\r\n" and a lone "\r" are line breaks.
QString boxText(const QString& text);

class LinuxMessageBoxes : public MessageBoxes {
public:
    // Application-modal, plain text, one OK button; style 16, 48, 64 or 0 (no icon).
    void show(const QString& text, const QString& title, int style) override;
};

class LinuxCursor : public Cursor {
public:
    void setPos(int x, int y) override;
};

class SoundReports;

// Plays on the window thread; a new sound replaces one still playing. A file
// that cannot play gives the default beep and one line on standard error.
class LinuxSound : public QObject, public Sound {
    Q_OBJECT
public:
    explicit LinuxSound(SoundReports& reports, QObject* parent = nullptr);
    void playAsync(const QString& path) override;

private:
    void ensureEffect();
    SoundReports& m_reports;
    QSoundEffect* m_effect = nullptr;
};

class LinuxFatalExit : public FatalExit {
public:
    enum { ExitCode = 3 };
    // Plain error box with the text, then the process ends at once with ExitCode.
    void fatalAppExit(const QString& text, const QString& title) override;
};

} // namespace platform::ui
