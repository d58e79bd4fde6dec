#include "data/InfoConexao.h"

#include "data/MachineIdentity.h"
#include "helperlib/GLibDll.h"
#include "platform/Platform.h"
#include "support/ProgramPaths.h"

TInfoConexao* InfoConexaoAtual = nullptr;

void TInfoConexao::CarregaInformacoes(const ConnectionParams& params)
{
    BancoDados = paramValue(params, QStringLiteral("Database"));
    ServidorAplicacao = paramValue(params, QStringLiteral("Servidor Aplicação"));
    NomeComputador = RetornaNomeComputador(*platform::services().machine);
    EnderecoMAC = RetornaEnderecoMAC(*platform::services().machine);
    PastaSistema = ProgramPaths::directory().trimmed();
    AcessoRemoto = false;
    ConectadoCadastro = false;
    ConectadoUsuario = false;
    Aplicacao.Build = GLibDll::GetBuildInfo(QStringLiteral("BUILD"), QStringLiteral("SELF"));
    AcessoRemoto = derivaAcessoRemoto(BancoDados);
    Servidor = derivaServidor(BancoDados, NomeComputador);
}

bool TInfoConexao::derivaAcessoRemoto(const QString& bancoDados)
{
    const QString upper = bancoDados.toUpper();
    for (const char* prefix : {"189.", "200.", "201."})
        if (upper.startsWith(QLatin1String(prefix)))
            return true;
    return false;
}

QString TInfoConexao::derivaServidor(const QString& bancoDados, const QString& nomeComputador)
{
    const int p = bancoDados.indexOf(QLatin1Char(':')) + 1; // 1-based, 0 when absent
    QString servidor = bancoDados.left(p);
    if (bancoDados.mid(p, 10).contains(QLatin1Char(':')))
        servidor += bancoDados.mid(p, 2);
    if (servidor.length() == 2)
        servidor = nomeComputador + QLatin1Char(':') + servidor;
    return servidor;
}

QString userDatabaseLocation(const QString& officeLocation)
{
    const QString d = officeLocation.trimmed();
    // The server part (host, "/" and port, ":") is kept whole: a "/" in it
    // separates the port, not a folder. A colon right after one letter is a
    // drive of a local path.
    const int colon = d.indexOf(QLatin1Char(':'));
    const int pathStart = colon > 1 ? colon + 1 : 0;
    int cut = qMax(d.lastIndexOf(QLatin1Char('\\')), d.lastIndexOf(QLatin1Char('/')));
    if (cut < pathStart)
        cut = d.lastIndexOf(QLatin1Char(':'));
    return d.left(cut + 1) + QStringLiteral("USUARIO.FDB");
}
