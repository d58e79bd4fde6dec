#include "data/DMCadastro.h"

#include "data/ConnectionDefinition.h"
#include "data/DMConnectionUser.h"
#include "data/FbClient.h"
#include "data/Parametros.h"
#include "platform/Platform.h"
#include "support/FinalizaProcesso.h"
#include "support/LimiteInatividade.h"
#include "support/LocalClock.h"
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

// Dates must come out as dd/mm/yyyy: ten characters, no dashes.
bool formatoDataValido()
{
    const QString hoje = LocalClock::today().toString(platform::services().regional->shortDateFormat());
    return hoje.length() == 10 && !hoje.contains(QLatin1Char('-'));
}

} // namespace

TFDMCadastro::TFDMCadastro(QObject* owner)
    : QObject(owner), SQLConnectionVARLO(std::make_shared<FbConnection>())
{
    TmrVarlo.setInterval(5000);
    connect(&TmrVarlo, &QTimer::timeout, this, &TFDMCadastro::aoDispararTmrVarlo);
    TmrVarlo.start();
    DataModuleCreate();
}

TFDMCadastro::~TFDMCadastro()
{
    DataModuleDestroy();
}

void TFDMCadastro::DataModuleCreate()
{
    if (!formatoDataValido()) {
        auto& s = platform::services();
        s.boxes->show(QString::fromUtf8(kFormatoDataInvalido), QStringLiteral("VARLO"), platform::BoxPlain);
        s.regional->openRegionalSettings();
        requestTermination();
        return;
    }

    try {
        splashServidor(QStringLiteral("Iniciando sistema..."));
        TransacaoGlobal.TransactionID = 1;
        UltimaAtividade = LocalClock::now();
        AbreConexao();
        splashExecutando(QStringLiteral("Conexão ao Banco VARLO concluída..."));
        splashPicture(SplashStatus::Conectando, 1);
        splashServidor(QStringLiteral("Carregando configurações..."));
        InfoConexaoAtual->ConectadoCadastro = true;
        SincronizaDataHora();
        splashPicture(SplashStatus::Configuracao, 3);
    } catch (const std::exception& e) {
        // Once connected, a later failure (clock, splash) does not stop the start.
        if (SQLConnectionVARLO->isOpen())
            return;
        const auto* ours = dynamic_cast<const Exception*>(&e);
        const QString message = ours ? ours->message() : QString::fromLocal8Bit(e.what());
        const QString className = ours ? ours->className() : QStringLiteral("Exception");
        platform::services().boxes->show(
            QStringLiteral("Não foi possível estabelecer conexão com o Servidor de Banco de Dados.\rErro: ")
                + message + QStringLiteral("\r") + QStringLiteral("Classe: ") + className,
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
    const ConnectionParams params =
        ConnectionDefinition::parametrosConexao(ConnectionDefinition::caminhoPadrao());
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
    QMetaObject::invokeMethod(this, [this, falha, texto] {
        try {
            std::rethrow_exception(falha);
        } catch (const std::exception& again) {
            ManipulaExcecoes(again);
        }
        m_falhasAbertas.remove(texto);
    }, Qt::QueuedConnection);
}

void TFDMCadastro::TmrVarloTimer()
{
    // The inactivity limit holds even when the date step fails; the failure
    // then leaves the interval as it was.
    std::exception_ptr falha;
    if (LocalClock::today() != DataDoDia.get()) {
        try {
            // Before a connection was made (start-up failed and its message box
            // is still open) there is no server to ask, and no error to pile up.
            if (InfoConexaoAtual && InfoConexaoAtual->ConectadoCadastro)
                SincronizaDataHora();
            DataDoDia.set(LocalClock::today());
        } catch (const std::exception&) {
            falha = std::current_exception();
        }
    }
    VerificaTempoInativo();
    if (falha)
        std::rethrow_exception(falha);
    TmrVarlo.setInterval(60000);
}

void TFDMCadastro::SincronizaDataHora()
{
    QDateTime servidor;
    SQLConnectionVARLO->bounded([&] {
        FbQuery query(*SQLConnectionVARLO);
        query.open(QStringLiteral("SELECT CURRENT_TIMESTAMP AS DATA_HORA FROM RDB$DATABASE"));
        servidor = query.fieldByName(QStringLiteral("DATA_HORA")).asDateTime();
    });
    const QTime hora = servidor.time();
    const QDateTime local(servidor.date(), QTime(hora.hour(), hora.minute(), hora.second()), Qt::LocalTime);
    // A refusal (no privilege) changes nothing and is not reported.
    platform::services().clock->setLocalTime(local);
}

void TFDMCadastro::VerificaTempoInativo()
{
    if (!FDMConnectionUser || !UltimaAtividade.isValid())
        return;
    const int minutos = limiteInatividadeMinutos(FDMConnectionUser->TempoLimiteLogout());
    if (UltimaAtividade.addSecs(qint64(minutos) * 60) < LocalClock::now())
        FinalizaProcesso(ProgramPaths::executableName());
}
