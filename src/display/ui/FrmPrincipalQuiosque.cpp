// The display window in kiosk mode: it fills the screen without decorations
// and hides the pointer; a walker that loses the server, or a walker query
// that the server leaves unanswered, ends the process so that the service
// manager starts a fresh copy that connects again.

#include "display/ui/FrmPrincipal.h"

#include "display/ChamaSenha.h"
#include "display/FbTicketSource.h"
#include "support/QueryWatch.h"

#include <QScreen>
#include <QTimer>

void TFrmPrincipal::setQuiosque(const KioskOptions& quiosque)
{
    m_quiosque = quiosque;
    if (!quiosque.ativo)
        return;
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setCursor(Qt::BlankCursor);
}

// Where no window manager applies the full-screen state, the window takes the
// whole screen itself.
void TFrmPrincipal::telaCheia()
{
    setWindowState(windowState() | Qt::WindowFullScreen);
    QTimer::singleShot(500, this, [this] {
        const QRect tela = screen()->geometry();
        if (frameGeometry() != tela)
            setGeometry(tela);
    });
}

void TFrmPrincipal::preparaQuiosque(WalkerSetup& setup)
{
    if (!m_quiosque.ativo || !m_senhas)
        return;
    setup.conexaoPerdida = [](const QString& mensagem) { kiosk::endForLostConnection(mensagem); };
    new FrozenQueryWatch([senhas = m_senhas] { return senhas->queryClock().runningForMs(); }, kiosk::FrozenQueryMs,
                         [] {
                             kiosk::endForLostConnection(QStringLiteral(
                                 "O Servidor de Banco de Dados não respondeu à consulta das senhas em 60 segundos."));
                         },
                         this);
}
