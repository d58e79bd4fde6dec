// The display window's lifecycle: the database start-up at creation, the
// first-show set-up, the first activation, the call walker, the pop-up menu
// and the end of the program.

#include "display/ui/FrmPrincipal.h"

#include "data/DMCadastro.h"
#include "data/DMConnectionUser.h"
#include "data/FbClient.h"
#include "data/Parametros.h"
#include "display/DisplayGate.h"
#include "display/FbTicketSource.h"
#include "display/WalkerControl.h"
#include "platform/Platform.h"
#include "support/ApplicationEvents.h"
#include "support/LocalClock.h"
#include "support/ManipulaExcecoes.h"
#include "support/Termination.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace {

void mostraFalhaDeConexao(const Exception& falha)
{
    const QString banco = InfoConexaoAtual ? InfoConexaoAtual->BancoDados : QString();
    platform::services().boxes->show(
        QStringLiteral("Erro ao se conectar em:\r") + banco + QStringLiteral("\r")
            + QStringLiteral("Verifique se o caminho é válido e o Servidor está ativo.") + QStringLiteral("\r\r")
            + QStringLiteral("Erro: ") + falha.message() + QStringLiteral("\r") + QStringLiteral("Classe: ")
            + falha.className(),
        QStringLiteral("VARLO"), platform::BoxError);
}

// The hourglass for as long as it lives, however the scope is left.
class CursorDeEspera {
public:
    CursorDeEspera() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CursorDeEspera() { QApplication::restoreOverrideCursor(); }
    CursorDeEspera(const CursorDeEspera&) = delete;
    CursorDeEspera& operator=(const CursorDeEspera&) = delete;
};

} // namespace

TFrmPrincipal::~TFrmPrincipal()
{
    encerraChamadas();
    // The user data module goes before the office data module, which closes the
    // connection and frees the connection information.
    delete FDMConnectionUser;
    delete FDMCadastro;
}

// A window built without the database start-up counts as connected: it shows
// and scales like the program's, with no data and no walker.
bool TFrmPrincipal::conectado() const
{
    return m_inicio == SemBancos || (InfoConexaoAtual && InfoConexaoAtual->ConectadoCadastro);
}

void TFrmPrincipal::FormCreate()
{
    Configuracao = TConfigMonitor();
    PrimeiraExibicao = true;
    EncerrarSistema = false;
    PrimeiraAtivacao = true;
    *PararChamadas = false;
    bool prossegue = true;

    if (m_inicio == ComBancos) {
        try {
            ApplicationEvents::setExceptionHandler([](const Exception& e) { ManipulaExcecoes(e); });
            criaModulos();
            if (conectado()) {
                TAplicacao& aplicacao = InfoConexaoAtual->Aplicacao;
                aplicacao.Sistema = QStringLiteral("CARTÓRIO");
                aplicacao.Titulo = QStringLiteral("Monitor Senha [ ") + aplicacao.Build + QStringLiteral(" ]");
                aplicacao.Modulo = QStringLiteral("MONITOR SENHA");
                setWindowTitle(aplicacao.Titulo);
                FDMConnectionUser = new TFDMConnectionUser(*FDMCadastro, this);
                FDMCadastro->FDMConnectionUser = FDMConnectionUser;
                try {
                    FDMConnectionUser->DataModuleCreate();
                } catch (const Exception& e) {
                    ManipulaExcecoes(e);
                }
                if (InfoConexaoAtual->ConectadoUsuario) {
                    prossegue = FDMCadastro->MesmaVersao_Exe_Banco();
                    ApplicationEvents::setMessageHook(&TFrmPrincipal::ProcessaMsg);
                }
            }
        } catch (const Exception& e) {
            mostraFalhaDeConexao(e);
            prossegue = false;
        }
    }

    if (!prossegue) {
        requestTermination();
        EncerrarSistema = true;
        return;
    }
    UltimaAtividade = LocalClock::now();
    LarguraAnterior = 800;
    AlturaAnterior = 600;
    LimpaTodosLabelSenha();
    RedimensionarAtivo = false;
    setTamanhoExterno(800, 600);
}

void TFrmPrincipal::criaModulos()
{
    FDMCadastro = new TFDMCadastro(this);
    if (!conectado())
        return;
    m_senhas = std::make_shared<FbTicketSource>(FDMCadastro->SQLConnectionVARLO);
}

void TFrmPrincipal::FormShow()
{
    if (m_inicio == SemBancos || !conectado())
        return;
    if (!PrimeiraExibicao) {
        EncerrarSistema = true;
        requestTermination();
        return;
    }
    PrimeiraExibicao = false;
    // The walker's wiring does not depend on the database reads below: a
    // failed read must not leave the screen without calls. The first failure
    // goes to the handler once the rest is done; the per-call time keeps its
    // default. The settings come first, since the wiring takes some of them.
    Configuracao = MonitorSettings::carrega();
    preparaChamadas();
    std::exception_ptr falha;
    try {
        PnlNomeCartorio->setCaption(FDMCadastro->NomeCartorio());
    } catch (const std::exception&) {
        falha = std::current_exception();
    }
    try {
        FDMCadastro->CarregaParametros();
        m_tempoSenha->store(InfoConexaoAtual->Parametro.TEMPOSENHA);
    } catch (const std::exception& e) {
        // Without a per-call time each call would be on the panel for an
        // instant: the waiting room would see none. A TEMPOSENHA that was
        // read before the failure is kept.
        const int lido = InfoConexaoAtual ? InfoConexaoAtual->Parametro.TEMPOSENHA : TempoSenhaNaoLido;
        m_tempoSenha->store(lido == TempoSenhaNaoLido ? TempoSenhaPadraoMs : lido);
        const QByteArray motivo = QString::fromUtf8(e.what()).simplified().toLocal8Bit();
        std::fprintf(stderr, "parâmetros do cartório não lidos (%s); cada chamada fica %d s na tela\n",
                     motivo.constData(), int(m_tempoSenha->load() / 1000));
        std::fflush(stderr);
        if (!falha)
            falha = std::current_exception();
    }
    if (!Configuracao.TiposSenha.isEmpty())
        m_senhas->setSql(ticketQuerySql(Configuracao.TiposSenha));
    if (falha)
        std::rethrow_exception(falha);
}

void TFrmPrincipal::FormActivate()
{
    if (!conectado())
        return;
    if (PrimeiraAtivacao) {
        {
            // A failed check leaves by an exception: the pointer comes back all the same.
            const CursorDeEspera espera;
            repaint();
            if (EncerrarSistema)
                close();
            else if (FDMCadastro)
                FDMCadastro->VerificaNovaVersao(QStringLiteral("VERSAO_MSN"), InfoConexaoAtual->Aplicacao.Build,
                                                windowTitle(), EncerrarSistema, m_quiosque.ativo);
            PrimeiraAtivacao = false;
        }
        if (!EncerrarSistema) {
            RedimensionarAtivo = true;
            maximiza();
        }
    }
    repaint();
    QCoreApplication::processEvents();
    iniciaChamadas();
}

// Maximises the window; where no window manager does it, the window takes the
// screen's available area itself.
void TFrmPrincipal::maximiza()
{
    if (m_quiosque.ativo)
        return telaCheia();
    setWindowState(windowState() | Qt::WindowMaximized);
    QTimer::singleShot(500, this, [this] {
        const QRect area = screen()->availableGeometry();
        if (isMaximized() && frameGeometry().size() != area.size())
            setGeometry(area.adjusted(0, 0, size().width() - frameGeometry().width(),
                                      size().height() - frameGeometry().height()));
    });
}

void TFrmPrincipal::FormCloseQuery(bool& canClose)
{
    *PararChamadas = true;
    canClose = true;
}

void TFrmPrincipal::ipodeSenhasChamadas1Click()
{
    Q_EMIT configuracaoSolicitada();
    *PararChamadas = true;
    const int resultado = mostraConfiguracao ? mostraConfiguracao() : int(QDialog::Rejected);
    if (resultado == QDialog::Rejected) {
        *PararChamadas = false;
        // The window becomes active again; a walker runs from here on.
        iniciaChamadas();
    }
}

// Every message the application's own loop takes renews the last-activity time.
void TFrmPrincipal::ProcessaMsg()
{
    UltimaAtividade = LocalClock::nowCoarse();
}

QString TFrmPrincipal::consultaSenhas() const
{
    return m_senhas ? m_senhas->sql() : QString();
}

// The walker's wiring; the statement and the per-call time may still change
// until the first walker starts.
void TFrmPrincipal::preparaChamadas()
{
    m_tempoSenha->store(InfoConexaoAtual->Parametro.TEMPOSENHA);
    m_gate = new DisplayGate(*this, this);
    WalkerSetup setup;
    setup.source = m_senhas;
    setup.display = m_gate->link();
    setup.pararChamadas = PararChamadas;
    setup.tempoSenha = m_tempoSenha;
    setup.dataDoDia = [] { return DataDoDia.get(); };
    setup.chamadaImediata = Configuracao.ChamadaImediata;
    setup.voz = Configuracao.Voz;
    preparaQuiosque(setup);
    m_walkers = new WalkerControl(setup, this);
}

void TFrmPrincipal::iniciaChamadas()
{
    if (m_walkers && !*PararChamadas)
        m_walkers->startWalker();
}

// After this no walker touches the window or the connection again.
void TFrmPrincipal::encerraChamadas()
{
    *PararChamadas = true;
    if (m_gate)
        m_gate->close();
    if (m_senhas)
        m_senhas->retire();
}

void TFrmPrincipal::setPreferencialCaption(const QString& text)
{
    PnlPreferencial->setCaption(text);
}

void TFrmPrincipal::setLocalCaption(const QString& text)
{
    LblLocal->setCaption(text);
}

void TFrmPrincipal::setScreenTexts(const ScreenTexts& texts)
{
    // The benchmark of new calls (bench/chamadas) times each call from this line.
    static const bool rastro = qEnvironmentVariableIsSet("MONITOR_RASTRO_TELA");
    if (rastro && !texts.NumeroSenha.isEmpty())
        std::fprintf(stderr, "tela %lld %s\n", QDateTime::currentMSecsSinceEpoch(),
                     texts.NumeroSenha.toUtf8().constData());
    PnlNumeroSenha->setCaption(texts.NumeroSenha);
    PnlNumeroMesa->setCaption(texts.NumeroMesa);
    TLabel* const senhas[] = {LblUltSenha1, LblUltSenha2, LblUltSenha3};
    TLabel* const mesas[] = {LblUltMesa1, LblUltMesa2, LblUltMesa3};
    TLabel* const preferenciais[] = {lblpPreferencial1, lblpPreferencial2, lblpPreferencial3};
    for (int i = 0; i < 3; ++i) {
        senhas[i]->setCaption(texts.Linhas[i].Senha);
        mesas[i]->setCaption(texts.Linhas[i].Mesa);
        preferenciais[i]->setCaption(texts.Linhas[i].Preferencial);
    }
}

int TFrmPrincipal::outerWidth() const
{
    return frameGeometry().width();
}

bool TFrmPrincipal::repetirSom() const
{
    return Configuracao.RepetirSom;
}

VozChamada TFrmPrincipal::voz() const
{
    return {Configuracao.Voz, Configuracao.VozVelocidade, Configuracao.VozVolume};
}
