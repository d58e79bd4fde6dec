#pragma once
// The big display window of the waiting room: the office name, the ticket
// being called, the desk, a clock with the blinking priority marker and the
// three previous calls. The layout is designed for 800 x 600 and scaled to the
// window's size.

#include "config/MonitorSettings.h"
#include "display/DisplayView.h"
#include "display/ui/Label.h"
#include "display/ui/Panel.h"
#include "support/Kiosk.h"

#include <QDateTime>
#include <QList>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QTimer;
class DisplayGate;
class FbTicketSource;
class TFDMCadastro;
class TFDMConnectionUser;
class WalkerControl;
struct WalkerSetup;

class TFrmPrincipal : public QWidget, public DisplayView {
    Q_OBJECT
public:
    // SemBancos builds the window alone, without the database start-up.
    enum Inicio { ComBancos, SemBancos };
    explicit TFrmPrincipal(QWidget* parent = nullptr, Inicio inicio = ComBancos);
    ~TFrmPrincipal() override;

    // Panels and labels, in creation order.
    TPanel* PnlSenhaChamadas = nullptr;
    TPanel* Panel4 = nullptr;
    TLabel* LblUltSenha3 = nullptr;
    TLabel* lblpPreferencial3 = nullptr;
    TLabel* LblUltMesa3 = nullptr;
    TPanel* Panel5 = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* LblUltSenha1 = nullptr;
    TLabel* lblpPreferencial1 = nullptr;
    TLabel* LblUltMesa1 = nullptr;
    TPanel* Panel6 = nullptr;
    TLabel* LblUltSenha2 = nullptr;
    TLabel* lblpPreferencial2 = nullptr;
    TLabel* LblUltMesa2 = nullptr;
    TPanel* PnlNomeCartorio = nullptr;
    TLabel* Label2 = nullptr;
    TPanel* Panel7 = nullptr;
    TPanel* PnlSenha = nullptr;
    TPanel* Panel8 = nullptr;
    TLabel* Label1 = nullptr;
    TPanel* PnlNumeroSenha = nullptr;
    TPanel* PnlPreferencial = nullptr;
    TPanel* PnlMesa = nullptr;
    TPanel* Panel3 = nullptr;
    TLabel* LblLocal = nullptr;
    TPanel* PnlNumeroMesa = nullptr;
    TPanel* PnlHorario = nullptr;

    QTimer* Timer1 = nullptr;
    QMenu* PopupMenuConfig = nullptr;
    QAction* ipodeSenhasChamadas1 = nullptr;

    // Scaling state: the outer size at the previous resize, and whether a
    // resize scales the controls.
    int LarguraAnterior = 800;
    int AlturaAnterior = 600;
    bool RedimensionarAtivo = false;

    // Data modules, owned by the window; the user module goes first.
    TFDMCadastro* FDMCadastro = nullptr;
    TFDMConnectionUser* FDMConnectionUser = nullptr;

    TConfigMonitor Configuracao;
    bool EncerrarSistema = false;   // start-up failed or an update hand-off is under way
    bool PrimeiraExibicao = true;
    bool PrimeiraAtivacao = true;
    // Stop request for the call walker, shared with it.
    const std::shared_ptr<std::atomic<bool>> PararChamadas = std::make_shared<std::atomic<bool>>(false);

    // Shows the configuration dialog modally and returns its result; start-up
    // sets it. Unset, the menu item only pauses and resumes the calls.
    std::function<int()> mostraConfiguracao;

    // Kiosk mode, before the window shows: full screen without decorations,
    // no pointer, and a lost or frozen link to the server ends the process.
    void setQuiosque(const KioskOptions& quiosque);
    const KioskOptions& quiosque() const { return m_quiosque; }

    // Captions by component name; unknown names read as empty and are ignored.
    TControl* componente(const QString& componentName) const;
    QString captionOf(const QString& componentName) const;
    void setCaptionOf(const QString& componentName, const QString& text);
    const QList<TControl*>& componentes() const { return m_componentes; }

    // The window font's size in points (the design font is 8 points).
    int tamanhoFonte() const { return m_tamanhoFonte; }
    void setTamanhoFonte(int points);

    void LimpaTodosLabelSenha();
    void RedimensionaComponentes();

    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormResize();
    void FormCloseQuery(bool& canClose);
    void Timer1Timer();
    virtual void ipodeSenhasChamadas1Click();
    static void ProcessaMsg();

    // The walker's control and the statement it runs (after the first show).
    WalkerControl* controleChamadas() const { return m_walkers; }
    QString consultaSenhas() const;

    // What the call walker changes, on the window thread.
    void setPreferencialCaption(const QString& text) override;
    void setLocalCaption(const QString& text) override;
    void setScreenTexts(const ScreenTexts& texts) override;
    int outerWidth() const override;
    bool repetirSom() const override;
    VozChamada voz() const override;

Q_SIGNALS:
    // The "Configurações" item of the pop-up menu was chosen.
    void configuracaoSolicitada();

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CriaComponentes();
    TPanel* novoPainel(QWidget* parent, const QString& name, TAlign align, const QRect& design);
    TLabel* novoRotulo(QWidget* parent, const QString& name, const QRect& design, const QFont& font,
                       const QColor& fontColor, const QString& caption, bool tamanhoFixo = false);
    void setTamanhoExterno(int width, int height);
    void criaModulos();
    void maximiza();
    void telaCheia();
    void preparaQuiosque(WalkerSetup& setup);
    void preparaChamadas();
    void iniciaChamadas();
    void encerraChamadas();
    bool conectado() const;

    QList<TControl*> m_componentes;
    int m_tamanhoFonte = 8;
    Inicio m_inicio = ComBancos;
    DisplayGate* m_gate = nullptr;
    WalkerControl* m_walkers = nullptr;
    std::shared_ptr<FbTicketSource> m_senhas;
    // The per-call time in ms, shared with the walker.
    const std::shared_ptr<std::atomic<int>> m_tempoSenha = std::make_shared<std::atomic<int>>(0);
    bool m_ativacaoInterna = false; // the last deactivation went to another window of ours
    KioskOptions m_quiosque;
};
