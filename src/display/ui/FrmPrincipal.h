#pragma once
// The big display window of the waiting room: the office name, the ticket
// being called, the desk, a clock with the blinking priority marker and the
// three previous calls. The layout is designed for 800 x 600 and scaled to the
// window's size. The window holds layout, captions and scaling; its session
// (DisplaySession) runs the program behind it.

#include "display/DisplaySession.h"
#include "display/DisplayView.h"
#include "display/ui/Label.h"
#include "display/ui/Panel.h"
#include "support/Kiosk.h"

#include <QList>
#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QTimer;

class TFrmPrincipal : public QWidget, public DisplayView {
    Q_OBJECT
public:
    // WithoutDatabases builds the window alone, without the database start-up.
    enum class Start { WithDatabases, WithoutDatabases };
    explicit TFrmPrincipal(QWidget* parent = nullptr, Start start = Start::WithDatabases);
    ~TFrmPrincipal() override;

    // The session that runs the program behind the window.
    DisplaySession& session() const { return *m_session; }
    // Ends the session (its walkers, data modules and connections) and starts
    // a new one on this window, which runs its creation step at once.
    void replaceSession(DisplaySession::Databases databases);

    // Scaling state: the outer size at the previous resize, and whether a
    // resize scales the controls.
    int LarguraAnterior = 800;
    int AlturaAnterior = 600;
    bool RedimensionarAtivo = false;

    // Shows the configuration dialog modally and returns its result; start-up
    // sets it. Unset, the menu item only pauses and resumes the calls.
    std::function<int()> showConfiguration;

    // Kiosk mode, before the window shows: full screen without decorations,
    // no pointer; the session takes the kiosk rules.
    void setQuiosque(const KioskOptions& quiosque);

    // Components (panels and labels) by name, as TPanel or TLabel where the
    // caller needs one; null for an unknown name or another kind.
    template <class T = TControl>
    T* componente(const QString& componentName) const
    {
        return qobject_cast<T*>(findComponent(componentName));
    }
    QString captionOf(const QString& componentName) const;
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

    // DisplayView, on the window thread.
    void setPreferencialCaption(const QString& text) override;
    void setLocalCaption(const QString& text) override;
    void setScreenTexts(const ScreenTexts& texts) override;
    int outerWidth() const override;
    bool repetirSom() const override;
    VoiceSettings voice() const override;
    QString title() const override;
    void setTitle(const QString& text) override;
    void setOfficeName(const QString& text) override;
    void resetLayout() override;
    void maximize() override;
    void repaintNow() override;
    void setBusy(bool busy) override;
    void closeView() override;

Q_SIGNALS:
    // The "Configurações" item of the pop-up menu was chosen.
    void configuracaoSolicitada();

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    TControl* findComponent(const QString& componentName) const;
    void CriaComponentes();
    TPanel* novoPainel(QWidget* parent, const QString& name, TAlign align, const QRect& design);
    TLabel* novoRotulo(QWidget* parent, const QString& name, const QRect& design, const QFont& font,
                       const QColor& fontColor, const QString& caption, bool tamanhoFixo = false);
    void setOuterSize(int width, int height);
    void fullScreen();

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

    QList<TControl*> m_componentes;
    int m_tamanhoFonte = 8;
    std::unique_ptr<DisplaySession> m_session;
    KioskOptions m_kiosk;
    bool m_activatedFromOwnWindow = false; // the last deactivation went to another window of ours
};
