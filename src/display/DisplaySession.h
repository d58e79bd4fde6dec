#pragma once
// What runs the display program behind its window: both data modules, the
// ticket source, the call walkers and their hand-off, the message hook, the
// application's exception handler and the kiosk rules. The window's form
// events delegate here; the session changes the window only through
// DisplayView. It needs no widget: a test creates, runs and destroys it with
// a view of its own, and a window can drop its session and take a new one.

#include "config/MonitorSettings.h"
#include "support/Kiosk.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class DisplayGate;
class Exception;
class DisplayView;
class FbTicketSource;
class TFDMCadastro;
class TFDMConnectionUser;
class WalkerControl;
struct WalkerSetup;

class DisplaySession : public QObject {
    Q_OBJECT
public:
    // WithoutDatabases runs the window alone: it shows and scales like the
    // program's, with no data and no walker.
    enum class Databases { Connect, None };

    DisplaySession(DisplayView& view, Databases databases = Databases::Connect, QObject* parent = nullptr);
    // Stops handing work to the walker, then frees the user data module before
    // the office data module, which closes the connection.
    ~DisplaySession() override;

    // Kiosk mode, before the first show: a lost or frozen link to the server
    // ends the process, and a newer release is left to the updater's own time.
    void setKiosk(const KioskOptions& kiosk) { m_kiosk = kiosk; }
    const KioskOptions& kiosk() const { return m_kiosk; }

    // The window's events, in the program's order.
    void create(); // FormCreate: the database start-up
    void firstShow(); // FormShow
    void activate(); // FormActivate: the version check once, then a walker
    void closeQuery(bool& canClose); // FormCloseQuery
    // The configuration item of the pop-up menu: pauses the calls while
    // `showConfiguration` runs (unset: nothing shown, the calls resume) and
    // resumes them when it returns the cancel result.
    void pauseForConfiguration(const std::function<int()>& showConfiguration);
    // The message hook: every message of the application's loop renews the
    // last-activity time.
    static void ProcessaMsg();

    // Connected to the office database (always, without databases).
    bool connected() const;

    // Data modules, owned by the session.
    TFDMCadastro* FDMCadastro = nullptr;
    TFDMConnectionUser* FDMConnectionUser = nullptr;

    TConfigMonitor Configuracao;
    bool EncerrarSistema = false; // start-up failed or an update hand-off is under way
    bool PrimeiraExibicao = true;
    bool PrimeiraAtivacao = true;
    // Stop request for the call walker, shared with it.
    const std::shared_ptr<std::atomic<bool>> PararChamadas = std::make_shared<std::atomic<bool>>(false);

    // The walkers' control (after the first show) and the statement they run.
    WalkerControl* walkers() const { return m_walkers; }
    QString ticketSql() const;

private:
    void createModules();
    void showConnectionFailure(const Exception& failure) const;
    void prepareWalkers();
    void prepareKiosk(WalkerSetup& setup);
    void startWalker();
    void stopWalkers();

    DisplayView& m_view;
    Databases m_databases;
    KioskOptions m_kiosk;
    DisplayGate* m_gate = nullptr;
    WalkerControl* m_walkers = nullptr;
    std::shared_ptr<FbTicketSource> m_tickets;
    // The per-call time in ms, shared with the walker.
    const std::shared_ptr<std::atomic<int>> m_perCallMs = std::make_shared<std::atomic<int>>(0);
};
