#include "display/DisplaySession.h"

#include "base/Clock.h"
#include "base/Errors.h"
#include "data/DMCadastro.h"
#include "data/DMConnectionUser.h"
#include "data/FbClient.h"
#include "data/Parametros.h"
#include "display/DisplayGate.h"
#include "display/DisplayView.h"
#include "display/FbTicketSource.h"
#include "display/WalkerControl.h"
#include "platform/Platform.h"
#include "support/ApplicationEvents.h"
#include "support/ManipulaExcecoes.h"
#include "support/QueryWatch.h"
#include "support/Termination.h"
#include "update/NovaVersao.h"
#include "update/VersaoBanco.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

// The hourglass for as long as it lives, however the scope is left.
class BusyPointer {
public:
    explicit BusyPointer(DisplayView& view) : m_view(view) { m_view.setBusy(true); }
    ~BusyPointer() { m_view.setBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    DisplayView& m_view;
};

// The rejected result of a modal dialog.
constexpr int DialogRejected = 0;

} // namespace

DisplaySession::DisplaySession(DisplayView& view, Databases databases, QObject* parent)
    : QObject(parent), m_view(view), m_databases(databases)
{}

DisplaySession::~DisplaySession()
{
    stopWalkers();
    delete FDMConnectionUser;
    delete FDMCadastro;
}

bool DisplaySession::connected() const
{
    return m_databases == Databases::None || (InfoConexaoAtual && InfoConexaoAtual->ConectadoCadastro);
}

void DisplaySession::showConnectionFailure(const Exception& failure) const
{
    const QString banco = InfoConexaoAtual ? InfoConexaoAtual->BancoDados : QString();
    platform::services().boxes->show(QStringLiteral("Erro ao se conectar em:\r") + banco + QStringLiteral("\r")
                                         + QStringLiteral("Verifique se o caminho é válido e o Servidor está ativo.")
                                         + QStringLiteral("\r\r") + QStringLiteral("Erro: ") + failure.message()
                                         + QStringLiteral("\r") + QStringLiteral("Classe: ") + failure.className(),
                                     QStringLiteral("VARLO"), platform::BoxError);
}

void DisplaySession::create()
{
    Configuracao = TConfigMonitor();
    PrimeiraExibicao = true;
    EncerrarSistema = false;
    PrimeiraAtivacao = true;
    *PararChamadas = false;
    bool goOn = true;

    if (m_databases == Databases::Connect) {
        try {
            ApplicationEvents::setExceptionHandler([](const Exception& e) { ManipulaExcecoes(e); });
            createModules();
            if (connected()) {
                TAplicacao& aplicacao = InfoConexaoAtual->Aplicacao;
                aplicacao.Sistema = QStringLiteral("CARTÓRIO");
                aplicacao.Titulo = QStringLiteral("Monitor Senha [ ") + aplicacao.Build + QStringLiteral(" ]");
                aplicacao.Modulo = QStringLiteral("MONITOR SENHA");
                m_view.setTitle(aplicacao.Titulo);
                FDMConnectionUser = new TFDMConnectionUser(*FDMCadastro);
                FDMCadastro->FDMConnectionUser = FDMConnectionUser;
                try {
                    FDMConnectionUser->DataModuleCreate();
                } catch (const Exception& e) {
                    ManipulaExcecoes(e);
                }
                if (InfoConexaoAtual->ConectadoUsuario) {
                    goOn = MesmaVersao_Exe_Banco(*FDMCadastro);
                    ApplicationEvents::setMessageHook(&DisplaySession::ProcessaMsg);
                }
            }
        } catch (const Exception& e) {
            showConnectionFailure(e);
            goOn = false;
        }
    }

    if (!goOn) {
        requestTermination();
        EncerrarSistema = true;
        return;
    }
    UltimaAtividade = programClock().now();
    m_view.resetLayout();
}

void DisplaySession::createModules()
{
    FDMCadastro = new TFDMCadastro;
    if (!connected())
        return;
    m_tickets = std::make_shared<FbTicketSource>(FDMCadastro->SQLConnectionVARLO);
}

void DisplaySession::firstShow()
{
    if (m_databases == Databases::None || !connected())
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
    prepareWalkers();
    std::exception_ptr failure;
    try {
        m_view.setOfficeName(FDMCadastro->NomeCartorio());
    } catch (const std::exception&) {
        failure = std::current_exception();
    }
    try {
        FDMCadastro->CarregaParametros();
        m_perCallMs->store(InfoConexaoAtual->Parametro.TEMPOSENHA);
    } catch (const std::exception& e) {
        // Without a per-call time each call would be on the panel for an
        // instant: the waiting room would see none. A TEMPOSENHA that was
        // read before the failure is kept.
        const int read = InfoConexaoAtual ? InfoConexaoAtual->Parametro.TEMPOSENHA : TempoSenhaNaoLido;
        m_perCallMs->store(read == TempoSenhaNaoLido ? TempoSenhaPadraoMs : read);
        const QByteArray reason = QString::fromUtf8(e.what()).simplified().toLocal8Bit();
        std::fprintf(stderr, "parâmetros do cartório não lidos (%s); cada chamada fica %d s na tela\n",
                     reason.constData(), int(m_perCallMs->load() / 1000));
        std::fflush(stderr);
        if (!failure)
            failure = std::current_exception();
    }
    if (!Configuracao.TiposSenha.isEmpty())
        m_tickets->setSql(ticketQuerySql(Configuracao.TiposSenha));
    if (failure)
        std::rethrow_exception(failure);
}

void DisplaySession::activate()
{
    if (!connected())
        return;
    if (PrimeiraAtivacao) {
        {
            // A failed check leaves by an exception: the pointer comes back all the same.
            const BusyPointer busy(m_view);
            m_view.repaintNow();
            if (EncerrarSistema)
                m_view.closeView();
            else if (FDMCadastro)
                VerificaNovaVersao(*FDMCadastro, QStringLiteral("VERSAO_MSN"), InfoConexaoAtual->Aplicacao.Build,
                                   m_view.title(), EncerrarSistema, m_kiosk.enabled);
            PrimeiraAtivacao = false;
        }
        if (!EncerrarSistema)
            m_view.maximize();
    }
    m_view.repaintNow();
    QCoreApplication::processEvents();
    startWalker();
}

void DisplaySession::closeQuery(bool& canClose)
{
    *PararChamadas = true;
    canClose = true;
}

void DisplaySession::pauseForConfiguration(const std::function<int()>& showConfiguration)
{
    *PararChamadas = true;
    const int result = showConfiguration ? showConfiguration() : DialogRejected;
    if (result == DialogRejected) {
        *PararChamadas = false;
        // The window becomes active again; a walker runs from here on.
        startWalker();
    }
}

void DisplaySession::ProcessaMsg()
{
    UltimaAtividade = programClock().nowCoarse();
}

QString DisplaySession::ticketSql() const
{
    return m_tickets ? m_tickets->sql() : QString();
}

// The walker's wiring; the statement and the per-call time may still change
// until the first walker starts.
void DisplaySession::prepareWalkers()
{
    m_perCallMs->store(InfoConexaoAtual->Parametro.TEMPOSENHA);
    m_gate = new DisplayGate(m_view, this);
    WalkerSetup setup;
    setup.source = m_tickets;
    setup.display = m_gate->link();
    setup.stopRequested = PararChamadas;
    setup.perCallMs = m_perCallMs;
    setup.referenceDate = [] { return DataDoDia.get(); };
    setup.immediateCalls = Configuracao.ChamadaImediata;
    setup.spoken = Configuracao.Voz;
    prepareKiosk(setup);
    m_walkers = new WalkerControl(setup, this);
}

// In kiosk mode a walker that loses the server, or a walker query that the
// server leaves unanswered, ends the process so that the service manager
// starts a fresh copy that connects again.
void DisplaySession::prepareKiosk(WalkerSetup& setup)
{
    if (!m_kiosk.enabled || !m_tickets)
        return;
    setup.onLostConnection = [](const QString& message) { kiosk::endForLostConnection(message); };
    new FrozenQueryWatch([tickets = m_tickets] { return tickets->queryClock().runningForMs(); }, kiosk::FrozenQueryMs,
                         [] {
                             kiosk::endForLostConnection(QStringLiteral(
                                 "O Servidor de Banco de Dados não respondeu à consulta das senhas em 60 segundos."));
                         },
                         this);
}

void DisplaySession::startWalker()
{
    if (m_walkers && !*PararChamadas)
        m_walkers->startWalker();
}

// After this no walker touches the view or the connection again.
void DisplaySession::stopWalkers()
{
    *PararChamadas = true;
    if (m_gate)
        m_gate->close();
    if (m_tickets)
        m_tickets->retire();
}
