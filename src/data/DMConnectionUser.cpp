#include "data/DMConnectionUser.h"

#include "data/ConnectionDefinition.h"
#include "data/DMCadastro.h"
#include "data/FbClient.h"
#include "platform/Platform.h"
#include "support/ExitCode.h"
#include "support/SplashStatus.h"

#include <cstdio>

namespace {

// Runs a write in the shared transaction descriptor's pattern. It waits for
// locks no longer than every transaction does, and otherwise as long as the
// server takes: a start-up clean-up of a large table is not cut short. A
// failure rolls back the transaction started here, so no locks are left held.
template <typename Work>
void naTransacaoGlobal(FbConnection& conexao, Work work)
{
    FbConnection::Guard guard(conexao);
    ++TransacaoGlobal.TransactionID;
    TransacaoGlobal.IsolationLevel = TTransactionDesc::ReadCommitted;
    const bool iniciada = !conexao.inTransaction();
    if (iniciada)
        conexao.startTransaction();
    try {
        work();
        conexao.commit();
    } catch (...) {
        if (iniciada && conexao.inTransaction())
            conexao.rollback();
        throw;
    }
}

} // namespace

TFDMConnectionUser::TFDMConnectionUser(TFDMCadastro& cadastro, QObject* owner)
    : QObject(owner)
    , SQLConnectionUser(std::make_unique<FbConnection>(ConnectionParams(), cadastro.clock()))
    , m_cadastro(cadastro)
{}

TFDMConnectionUser::~TFDMConnectionUser()
{
    SQLConnectionUser->close();
}

void TFDMConnectionUser::DataModuleCreate()
{
    splashServidor(QStringLiteral("Conectando-se ao Banco de Usuários..."));
    splashExecutando(QStringLiteral("Inciando configurações Banco Usuários..."));
    AbreConexao();
    splashPicture(SplashStatus::Usuario, 5);
    if (InfoConexaoAtual)
        InfoConexaoAtual->ConectadoUsuario = true;
    if (ContaConexoesBanco() == 0) {
        splashExecutando(QStringLiteral("Excluindo login perdido..."));
        ExcluiLoginPerdido(0, QString());
        splashExecutando(QStringLiteral("Login perdido excluído..."));
    }
    AbreDadosEmpresa();
}

void TFDMConnectionUser::AbreConexao()
{
    FbConnection::Guard guard(*SQLConnectionUser);
    SQLConnectionUserBeforeConnect();
    SQLConnectionUser->open();
}

void TFDMConnectionUser::SQLConnectionUserBeforeConnect()
{
    if (ConexaoPreparada)
        return;
    splashExecutando(QStringLiteral("Carregando configurações Banco Usuário..."));
    SQLConnectionUser->close();
    SQLConnectionUser->setParams({});
    const QString pasta = InfoConexaoAtual ? InfoConexaoAtual->PastaSistema : QString();
    ConnectionParams params = ConnectionDefinition::parametrosConexao(pasta + QStringLiteral("dbxconnections.ini"));

    const QString escritorio = paramValue(params, QStringLiteral("Database"));
    params.erase(std::remove_if(params.begin(), params.end(),
                                [](const QPair<QString, QString>& p) {
                                    return p.first.compare(QLatin1String("Database"), Qt::CaseInsensitive) == 0;
                                }),
                 params.end());
    params.append({QStringLiteral("Database"), userDatabaseLocation(escritorio)});
    SQLConnectionUser->setParams(params);
    ConexaoPreparada = true;
    splashExecutando(QStringLiteral("Conexão ao Banco USUARIO concluída..."));
}

int TFDMConnectionUser::ContaConexoesBanco()
{
    const QString escritorio = m_cadastro.SQLConnectionVARLO->param(QStringLiteral("Database"));
    try {
        const int conexoes =
            countAttachments(escritorio, ConnectionDefinition::usuarioBanco(), ConnectionDefinition::senhaBanco());
        setProcessExitCode(conexoes > 1 ? 1 : 0);
        return conexoes - 2;
    } catch (const Exception& e) {
        const QByteArray line = (e.message() + QStringLiteral("\r\n")).toLocal8Bit();
        std::fputs(line.constData(), stderr);
        std::fflush(stderr);
        setProcessExitCode(2);
        return -1;
    }
}

void TFDMConnectionUser::ExcluiLoginPerdido(int codModulo, const QString& computador)
{
    QString sql = QStringLiteral("DELETE FROM LOGIN WHERE (DATAHORALOGOUT IS NULL)");
    FbValues valores;
    if (codModulo > 0 && !computador.isEmpty()) {
        sql = QStringLiteral("DELETE FROM LOGIN WHERE (CODMODULO = :CODMODULO) AND (COMPUTADOR = :COMPUTADOR)");
        valores.insert(QStringLiteral("CODMODULO"), codModulo);
        valores.insert(QStringLiteral("COMPUTADOR"), computador);
    }
    naTransacaoGlobal(*SQLConnectionUser, [&] { SQLConnectionUser->exec(sql, valores); });
}

int TFDMConnectionUser::GeraCodigoGenerator(const QString& gerador, int incremento)
{
    int novo = 0;
    SQLConnectionUser->bounded([&] {
        FbQuery query(*SQLConnectionUser);
        query.open(QStringLiteral("SELECT NOVO\nFROM GERACODIGO(:GERADORCODIGO, :INCREMENTO)"),
                   {{QStringLiteral("GERADORCODIGO"), gerador}, {QStringLiteral("INCREMENTO"), incremento}});
        novo = query.fieldByName(QStringLiteral("NOVO")).asInteger();
    });
    return novo;
}

bool TFDMConnectionUser::AutenticaConexao()
{
    const int usuario = InfoConexaoAtual ? InfoConexaoAtual->Usuario.CodUsuario : 0;
    const QString computador = InfoConexaoAtual ? InfoConexaoAtual->NomeComputador.toUpper() : QString();
    int total = 0;
    SQLConnectionUser->bounded([&] {
        FbQuery query(*SQLConnectionUser);
        query.open(QStringLiteral("SELECT COUNT(*) AS TOTAL FROM ACESSOREMOTO "
                                  "WHERE CODUSUARIO = :CODUSUARIO AND COMPUTADOR = :COMPUTADOR"),
                   {{QStringLiteral("CODUSUARIO"), usuario}, {QStringLiteral("COMPUTADOR"), computador}});
        total = query.fieldByName(QStringLiteral("TOTAL")).asInteger();
    });
    if (total > 0)
        return true;
    platform::services().boxes->show(QStringLiteral("Usuário/Computador não autorizado a realizar esta conexão."),
                                     QStringLiteral("VARLO"), platform::BoxError);
    return false;
}

void TFDMConnectionUser::AbreDadosEmpresa()
{
    // A start-up read: no limit beyond the connection's own.
    {
        FbConnection::Guard guard(*SQLConnectionUser);
        FbQuery query(*SQLConnectionUser);
        query.open(QStringLiteral("SELECT * FROM EMPRESA"));
        m_tempoLimiteLogout =
            query.isEmpty() ? QVariant() : query.fieldByName(QStringLiteral("TEMPOLIMITELOGOUT")).value();
    }
    // A company without a limit gets the suite's default of 30 minutes, in memory only.
    if (m_tempoLimiteLogout.isNull())
        m_tempoLimiteLogout = 30;
    m_empresaAberta = true;
}

QString TFDMConnectionUser::TempoLimiteLogout() const
{
    return m_empresaAberta ? m_tempoLimiteLogout.toString() : QString();
}
