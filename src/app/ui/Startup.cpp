#include "app/ui/Startup.h"

#include "app/ui/FrmSplash.h"
#include "base/Clock.h"
#include "base/Errors.h"
#include "config/ui/FrmConfigMonitor.h"
#include "data/DMCadastro.h"
#include "display/ExampleCall.h"
#include "display/WalkerControl.h"
#include "display/ui/FrmPrincipal.h"
#include "helperlib/GLibDll.h"
#include "platform/Platform.h"
#include "platform/ui/WindowIdentity.h"
#include "support/ExitCode.h"
#include "support/Kiosk.h"
#include "support/ServiceHeartbeat.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWindow>

namespace startup {

const QString SplashCaption = QStringLiteral("VARLO CARTÓRIO - Monitor Senha");
const QString ApplicationTitle = QStringLiteral("Monitor de Senhas");

QString mainWindowCaption(const QString& build)
{
    return QStringLiteral("Monitor Senha [ ") + build + QStringLiteral(" ]");
}

namespace {

// The display window shows the configuration dialog modally, on the office
// connection of its data module.
void connectFrmConfigMonitor(QWidget* mainWindow, QDialog* configDialog)
{
    auto* window = qobject_cast<TFrmPrincipal*>(mainWindow);
    QPointer<TFrmConfigMonitor> dialog = qobject_cast<TFrmConfigMonitor*>(configDialog);
    if (!window || !dialog)
        return;
    window->showConfiguration = [window, dialog]() -> int {
        if (!dialog)
            return QDialog::Rejected;
        if (TFDMCadastro* cadastro = window->session().FDMCadastro)
            dialog->setConexao(cadastro->SQLConnectionVARLO);
        return dialog->exec();
    };
}

// The window system shows nothing of a window before it is exposed, and no
// message loop runs yet to take that notice; waits for it, a second at most.
void waitUntilExposed(QWidget* window, Clock& clock)
{
    const qint64 until = clock.monotonicMs() + 1000;
    while (window->windowHandle() && !window->windowHandle()->isExposed() && clock.monotonicMs() < until) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        clock.sleepFor(5);
    }
}

} // namespace

Parts programParts()
{
    return programParts(KioskOptions());
}

Parts programParts(const KioskOptions& kiosk)
{
    Parts parts;
    parts.buildText = [] { return GLibDll::GetBuildInfo(QStringLiteral("BUILD"), QStringLiteral("SELF")); };
    parts.createMainWindow = [kiosk] {
        auto* window = new TFrmPrincipal;
        window->setQuiosque(kiosk);
        return window;
    };
    parts.createConfigDialog = [] {
        auto* dialog = new TFrmConfigMonitor;
        dialog->setExamplePlayer([](const QString& sigla, bool voice) {
            playExampleCall(sigla, voice, platform::services().speech, *platform::services().sound);
        });
        return dialog;
    };
    parts.connectWindows = connectFrmConfigMonitor;
    return parts;
}

Startup::Startup(Parts parts) : m_parts(std::move(parts))
{}

bool Startup::anotherCopyRunning() const
{
    auto* windows = platform::services().windows;
    return windows->find(QStringLiteral("TFrmSplash"), SplashCaption)
        || windows->find(QStringLiteral("TFrmPrincipal"), mainWindowCaption(m_build));
}

bool Startup::start()
{
    try {
        m_build = m_parts.buildText();
    } catch (const Exception& failure) {
        platform::services().boxes->show(failure.message(), QStringLiteral("VARLO"), platform::BoxError);
        m_exitCode = 1;
        return false;
    }

    if (anotherCopyRunning()) {
        platform::services().boxes->show(QStringLiteral("Aplicação já está sendo executada."), SplashCaption,
                                         platform::BoxInformation);
        m_exitCode = processExitCode();
        return false;
    }

    auto* splash = new TFrmSplash;
    FrmSplash = splash;
    splash->setWindowTitle(SplashCaption);
    platform::ui::registerTopLevelWindow(splash, QStringLiteral("TFrmSplash"));
    splash->show();
    waitUntilExposed(splash, programClock());
    splash->repaint();

    applicationTitle() = ApplicationTitle;

    m_mainWindow = m_parts.createMainWindow();
    if (m_mainWindow)
        platform::ui::registerTopLevelWindow(m_mainWindow, QStringLiteral("TFrmPrincipal"));
    m_configDialog = m_parts.createConfigDialog();
    if (m_configDialog)
        m_configDialog->setAttribute(Qt::WA_QuitOnClose, false);
    if (m_parts.connectWindows)
        m_parts.connectWindows(m_mainWindow, m_configDialog);

    splash->deleteLater();
    FrmSplash = nullptr;
    return true;
}

int runStartup(QApplication& app, Parts parts)
{
    Startup startup(std::move(parts));
    if (!startup.start())
        return startup.exitCode();

    app.setQuitOnLastWindowClosed(true);
    if (QWidget* main = startup.mainWindow()) {
        main->show();
        // The main window takes the focus even where no window manager gives it,
        // so that its first activation runs.
        main->raise();
        main->activateWindow();
    }
    // A termination asked for while the windows were created ends the loop
    // once it has handled what is already queued.
    if (terminationRequested())
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    ServiceHeartbeat heartbeat(*platform::services().service);
    if (startup.mainWindow() && !terminationRequested())
        QTimer::singleShot(0, &heartbeat, &ServiceHeartbeat::start);
    app.exec();
    // The display window goes first: it stops handing work to the walker, and
    // its data modules close their connections.
    delete startup.mainWindow();
    // A walker still inside the database client after that is not waited for:
    // the process ends without the library's exit handlers.
    if (!WalkerControl::waitForAllWalkers(1000))
        platform::endProcessNow(processExitCode());
    return processExitCode();
}

} // namespace startup
