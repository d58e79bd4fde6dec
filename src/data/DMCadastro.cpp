#include "data/DMCadastro.h"

#include "base/Clock.h"
#include "data/ConnectionDefinition.h"
#include "data/DMConnectionUser.h"
#include "data/FbClient.h"
#include "data/Parametros.h"
#include "platform/Platform.h"
#include "support/FinalizaProcesso.h"
#include "support/Kiosk.h"
#include "support/LimiteInatividade.h"
#include "support/ManipulaExcecoes.h"
#include "support/ProgramPaths.h"
#include "support/SplashStatus.h"
#include "support/Termination.h"

ReferenceDate DataDoDia;
QDateTime UltimaAtividade;
TTransactionDesc TransacaoGlobal;

namespace {

const char* const kFormatoDataInvalido =
    "Formato de data inválido.\r"
    "A janela de configuração será aberta, você deve seguir as instruções abaixo?\r"
    "1. Clique no botão Personalizar.\r"
    "2. Na nova janela, clique na aba Data e ajuste o formato para dd/MM/aaaa.\r"
    "\r"
    "Caso a janela de configuração não apareça na sua tela, acesse o Painel de Controle\r"
    "do Windows e clique em Opções Regionais e de idioma e configure a data conforme\r"
    "as instruções acima.";

// At start a slow answer to the clock query is given up without losing the
// connection: a server that takes the cancel within this time keeps it.
constexpr FbConnection::Milliseconds kStartClockCancelGrace{10000};

// After a failed clock query at start, the housekeeping tick asks again at
// most this often.
constexpr qint64 kClockRetrySecs = 10 * 60;

// A difference to the server's clock above this is worth a line in the journal.
constexpr qint64 kDifferenceToReportSecs = 5;

// Dates must come out as dd/mm/yyyy: ten characters, no dashes.
bool formatoDataValido(const Clock& clock)
{
    const QString hoje = clock.today().toString(platform::services().regional->shortDateFormat());
    return hoje.length() == 10 && !hoje.contains(QLatin1Char('-'));
}

} // namespace

TFDMCadastro::TFDMCadastro(QObject* owner, Clock& clock)
    : QObject(owner)
    , SQLConnectionVARLO(std::make_shared<FbConnection>(ConnectionParams(), clock))
    , TmrVarlo(clock)
    , m_clock(clock)
{
    TmrVarlo.setInterval(5000);
    connect(&TmrVarlo, &ClockTimer::timeout, this, &TFDMCadastro::aoDispararTmrVarlo);
    TmrVarlo.start();
    DataModuleCreate();
}

TFDMCadastro::~TFDMCadastro()
{
    DataModuleDestroy();
}

void TFDMCadastro::DataModuleCreate()
{
    if (!formatoDataValido(m_clock)) {
        auto& s = platform::services();
        s.boxes->show(QString::fromUtf8(kFormatoDataInvalido), QStringLiteral("VARLO"), platform::BoxPlain);
        s.regional->openRegionalSettings();
        requestTermination();
        return;
    }

    bool conectou = false;
    try {
        splashServidor(QStringLiteral("Iniciando sistema..."));
        TransacaoGlobal.TransactionID = 1;
        UltimaAtividade = m_clock.now();
        AbreConexao();
        conectou = true;
        splashExecutando(QStringLiteral("Conexão ao Banco VARLO concluída..."));
        splashPicture(SplashStatus::Conectando, 1);
        splashServidor(QStringLiteral("Carregando configurações..."));
        InfoConexaoAtual->ConectadoCadastro = true;
        m_relogioTentado = m_clock.pcNow();
        SincronizaDataHora(kStartClockCancelGrace);
        splashPicture(SplashStatus::Configuracao, 3);
    } catch (const std::exception& e) {
        // Once connected, a later failure (clock, splash) does not stop the
        // start, even when it cost the link: the next use connects anew.
        if (conectou)
            return;
        const auto* ours = dynamic_cast<const Exception*>(&e);
        const QString message = ours ? ours->message() : QString::fromLocal8Bit(e.what());
        const QString className = ours ? ours->className() : QStringLiteral("Exception");
        platform::services().boxes->show(
            QStringLiteral("Não foi possível estabelecer conexão com o Servidor de Banco de Dados.\rErro: ") + message
                + QStringLiteral("\r") + QStringLiteral("Classe: ") + className,
            QStringLiteral("VARLO"), platform::BoxWarning);
        requestTermination();
    }
}

void TFDMCadastro::DataModuleDestroy()
{
    TmrVarlo.stop();
    SQLConnectionVARLO->close();
    if (InfoConexaoAtual == m_infoConexao.get())
        InfoConexaoAtual = nullptr;
    m_infoConexao.reset();
}

void TFDMCadastro::AbreConexao()
{
    FbConnection::Guard guard(*SQLConnectionVARLO);
    SQLConnectionVARLOBeforeConnect();
    SQLConnectionVARLO->open();
}

void TFDMCadastro::SQLConnectionVARLOBeforeConnect()
{
    if (ConexaoPreparada)
        return;
    splashExecutando(QStringLiteral("Carregando configurações Banco de Dados..."));
    SQLConnectionVARLO->close();
    SQLConnectionVARLO->setParams({});
    const ConnectionParams params = ConnectionDefinition::parametrosConexao(ConnectionDefinition::caminhoPadrao());
    SQLConnectionVARLO->setParams(params);
    splashExecutando(QStringLiteral("Carregando informações da conexão..."));
    m_infoConexao = std::make_unique<TInfoConexao>();
    InfoConexaoAtual = m_infoConexao.get();
    InfoConexaoAtual->CarregaInformacoes(params);
    splashServidor(QStringLiteral("Conectando-se ao servidor: ") + InfoConexaoAtual->BancoDados);
    ConexaoPreparada = true;
}

// The window thread's reads never wait long for the connection: a walker
// query that holds it, or a server that stopped answering, ends them with
// EServerNotAnswering.
QString TFDMCadastro::NomeCartorio()
{
    QString nome;
    SQLConnectionVARLO->bounded([&] {
        FbQuery query(*SQLConnectionVARLO);
        query.open(QStringLiteral("SELECT CT.*, CD.CIDADE, CD.ESTADO, CD.CODIBGE\n"
                                  "FROM CARTORIO CT LEFT JOIN CIDADE CD\n"
                                  "   ON (CT.CODCIDADE = CD.CODCIDADE)\n"
                                  "ORDER BY NOME"));
        if (!query.isEmpty())
            nome = query.fieldByName(QStringLiteral("NOME")).asString();
    });
    return nome;
}

QString TFDMCadastro::VersaoLiberada(const QString& coluna)
{
    QString versao;
    SQLConnectionVARLO->bounded([&] {
        FbQuery query(*SQLConnectionVARLO);
        query.open(QStringLiteral("SELECT ") + coluna + QStringLiteral(" FROM VERSAOBD"));
        if (!query.isEmpty())
            versao = query.field(0).asString();
    });
    return versao;
}

void TFDMCadastro::CarregaParametros()
{
    if (!InfoConexaoAtual)
        return;
    SQLConnectionVARLO->bounded([this] { ::CarregaParametros(InfoConexaoAtual->Parametro, *SQLConnectionVARLO); });
}

void TFDMCadastro::aoDispararTmrVarlo()
{
    try {
        TmrVarloTimer();
    } catch (const std::exception& e) {
        mostraFalhaDoTimer(e);
    }
}

// Qt runs no timer event while the timer's own slot is still running, so a
// box shown inside the slot would stop the ticks until it is closed. The box
// comes from a queued call instead, after the slot has returned, and its loop
// runs the ticks; a failure whose box is still open is not shown again.
void TFDMCadastro::mostraFalhaDoTimer(const std::exception& e)
{
    const auto* ours = dynamic_cast<const Exception*>(&e);
    const QString texto = ours ? ours->message() : QString::fromLocal8Bit(e.what());
    if (m_falhasAbertas.contains(texto))
        return;
    m_falhasAbertas.insert(texto);
    const std::exception_ptr falha = std::current_exception();
    QMetaObject::invokeMethod(
        this,
        [this, falha, texto] {
            try {
                std::rethrow_exception(falha);
            } catch (const std::exception& again) {
                ManipulaExcecoes(again);
            }
            m_falhasAbertas.remove(texto);
        },
        Qt::QueuedConnection);
}

void TFDMCadastro::TmrVarloTimer()
{
    // The inactivity limit holds even when the date step fails; the failure
    // then leaves the interval as it was.
    std::exception_ptr falha;
    // Before a connection was made (start-up failed and its message box is
    // still open) there is no server to ask, and no error to pile up.
    const bool conectado = InfoConexaoAtual && InfoConexaoAtual->ConectadoCadastro;
    if (m_clock.today() != DataDoDia.get()) {
        try {
            if (conectado)
                SincronizaDataHora();
            DataDoDia.set(m_clock.today());
        } catch (const std::exception&) {
            falha = std::current_exception();
        }
    } else if (conectado && !m_relogioMedido
               && (!m_relogioTentado.isValid() || qAbs(m_relogioTentado.secsTo(m_clock.pcNow())) >= kClockRetrySecs)) {
        // The start gave the clock query up: the server's date is still
        // unknown. Asked again quietly until it answers, but seldom, as each
        // try may hold the window for seconds.
        try {
            SincronizaDataHora();
            DataDoDia.set(m_clock.today());
        } catch (const std::exception&) {
            m_relogioTentado = m_clock.pcNow();
        }
    }
    VerificaTempoInativo();
    if (falha)
        std::rethrow_exception(falha);
    TmrVarlo.setInterval(60000);
}

void TFDMCadastro::SincronizaDataHora(FbConnection::Milliseconds cancelGrace)
{
    QDateTime servidor;
    QDateTime pc;
    SQLConnectionVARLO->bounded(
        [&] {
            FbQuery query(*SQLConnectionVARLO);
            query.open(QStringLiteral("SELECT CURRENT_TIMESTAMP AS DATA_HORA FROM RDB$DATABASE"));
            pc = m_clock.pcNow();
            servidor = query.fieldByName(QStringLiteral("DATA_HORA")).asDateTime();
        },
        FbConnection::LockWait, FbConnection::AnswerWait, cancelGrace);
    const QTime hora = servidor.time();
    const QDateTime local(servidor.date(), QTime(hora.hour(), hora.minute(), hora.second()), Qt::LocalTime);

    const QDateTime antes = m_clock.now();
    if (platform::services().clock->setLocalTime(local)) {
        m_clock.setServerOffsetSecs(0);
    } else {
        // The PC's clock stays as it is (the packaged service may not set
        // it); the program reads the server's time through the difference.
        const QDateTime servidorLocal(servidor.date(), hora, Qt::LocalTime);
        const qint64 diferenca = qRound64(double(pc.msecsTo(servidorLocal)) / 1000.0);
        m_clock.setServerOffsetSecs(diferenca);
        informaDiferenca(diferenca);
    }
    m_relogioMedido = true;
    // A jump of the program's clock is no time of inactivity.
    const qint64 salto = antes.secsTo(m_clock.now());
    if (UltimaAtividade.isValid() && qAbs(salto) > 1)
        UltimaAtividade = UltimaAtividade.addSecs(salto);
}

// One line in the journal while the difference is large, again only when it
// has changed by more than a few seconds since the last line.
void TFDMCadastro::informaDiferenca(qint64 diferenca)
{
    if (qAbs(diferenca) <= kDifferenceToReportSecs) {
        m_diferencaInformada.reset();
        return;
    }
    if (m_diferencaInformada && qAbs(*m_diferencaInformada - diferenca) <= kDifferenceToReportSecs)
        return;
    m_diferencaInformada = diferenca;
    kiosk::log(QStringLiteral("VARLO"),
               QStringLiteral("O relógio deste computador não pôde ser acertado pelo servidor e está %1 s %2 "
                              "dele; o programa usa a data e a hora do servidor.")
                   .arg(qAbs(diferenca))
                   .arg(diferenca > 0 ? QStringLiteral("atrás") : QStringLiteral("à frente")));
}

void TFDMCadastro::VerificaTempoInativo()
{
    if (!FDMConnectionUser || !UltimaAtividade.isValid())
        return;
    const int minutos = limiteInatividadeMinutos(FDMConnectionUser->TempoLimiteLogout());
    if (UltimaAtividade.addSecs(qint64(minutos) * 60) < m_clock.now())
        FinalizaProcesso(ProgramPaths::executableName());
}
