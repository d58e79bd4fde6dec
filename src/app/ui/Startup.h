#pragma once
// The program's start-up: the build text, the single-instance probe, the
// splash, the two windows, and the message loop.

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class QApplication;
class TFrmSplash;
struct KioskOptions;

namespace startup {

extern const QString SplashCaption; // "VARLO CARTÓRIO - Monitor Senha"
extern const QString ApplicationTitle; // "Monitor de Senhas"
QString mainWindowCaption(const QString& build); // "Monitor Senha [ " + build + " ]"

struct Parts {
    std::function<QString()> buildText; // may throw Exception
    std::function<QWidget*()> createMainWindow; // the display window
    std::function<QDialog*()> createConfigDialog; // the configuration dialog
    // Called once both exist (either may be null): lets the display window
    // show the configuration dialog.
    std::function<void(QWidget* mainWindow, QDialog* configDialog)> connectWindows;
};
// The program's own parts: GLibDll::GetBuildInfo("BUILD", "SELF"),
// TFrmPrincipal (in kiosk mode when asked) and the configuration dialog,
// which the window's pop-up menu shows on the office connection.
Parts programParts();
Parts programParts(const KioskOptions& kiosk);

class Startup {
public:
    explicit Startup(Parts parts);

    // Everything before the message loop. False when the program ends without
    // it: exitCode() then says how.
    bool start();
    int exitCode() const { return m_exitCode; }

    QWidget* mainWindow() const { return m_mainWindow; }
    QDialog* configDialog() const { return m_configDialog; }
    QString build() const { return m_build; }

private:
    bool anotherCopyRunning() const;

    Parts m_parts;
    QString m_build;
    int m_exitCode = 0;
    QPointer<QWidget> m_mainWindow;
    QPointer<QDialog> m_configDialog;
};

// Start-up and message loop; the process exit code.
int runStartup(QApplication& app, Parts parts = programParts());

} // namespace startup
