#include "Verificacao.h"

#include "data/ConnectionDefinition.h"
#include "data/FbClient.h"
#include "display/TicketQueryPlan.h"

Verificacao verificaConsulta(FbConnection& connection, const QString& tiposSenha)
{
    const TicketQueryPlan plan = ticketQueryPlan(connection, tiposSenha);
    Verificacao v;
    v.lines << QStringLiteral("Plano: %1").arg(plan.plan);
    if (plan.readsByIndex()) {
        v.lines << QStringLiteral("OK: a consulta do monitor lê ATEND_SENHA pelo índice %1.")
                       .arg(plan.senhas.indexes.join(QStringLiteral(", ")));
        return v;
    }
    v.exitCode = 1;
    v.lines << QStringLiteral("ATENÇÃO: a consulta do monitor lê a tabela ATEND_SENHA inteira a cada passagem.")
            << QStringLiteral("Cada monitor repete a consulta uma vez por segundo. Sem um índice em"
                              " (DATA_SENHA, STATUS) o servidor percorre todas as senhas já emitidas,")
            << QStringLiteral("e o custo cresce com a tabela: cerca de meio segundo de processador do"
                              " servidor por consulta com 1.000.000 de senhas, por monitor.");
    if (!plan.inactiveIndex.isEmpty()) {
        v.lines << QStringLiteral("O índice %1 existe, mas está inativo. Para corrigir, execute no banco do"
                                  " cartório (como SYSDBA ou o dono do banco):")
                       .arg(plan.inactiveIndex)
                << QStringLiteral("  ALTER INDEX %1 ACTIVE;").arg(plan.inactiveIndex);
    } else {
        v.lines << QStringLiteral("Para corrigir, execute no banco do cartório (como SYSDBA ou o dono do banco):")
                << QStringLiteral("  ") + ticketIndexStatement();
    }
    v.lines << QStringLiteral("Depois, rode \"senha verificar\" de novo.");
    return v;
}

Verificacao verificaConexoes(FbConnection& connection, const QString& database)
{
    connection.open();
    const QString usuario = ConnectionDefinition::usuarioBanco();
    // This tool's own attachment and the count's: both are listed when the
    // user may see the attachments of others.
    const int conexoes = countAttachments(database, usuario, ConnectionDefinition::senhaBanco());
    Verificacao v;
    if (conexoes >= 2) {
        v.lines << QStringLiteral("OK: o usuário %1 vê as conexões dos outros programas ao banco do cartório"
                                  " (%2 conexões).")
                       .arg(usuario)
                       .arg(conexoes);
        return v;
    }
    v.exitCode = 1;
    v.lines << QStringLiteral("ATENÇÃO: o usuário %1 vê só a própria conexão ao banco do cartório: não é o dono do"
                              " banco nem tem nele o papel %2.")
                   .arg(usuario, QLatin1String(AdministratorRole))
            << QStringLiteral("O monitor conta as conexões para saber se outro programa usa o banco: assim os"
                              " logins perdidos nunca são excluídos e o código de saída fica errado.")
            << QStringLiteral("Para corrigir, execute no banco do cartório (como SYSDBA ou o dono do banco):")
            << QStringLiteral("  GRANT %1 TO %2;").arg(QLatin1String(AdministratorRole), usuario)
            << QStringLiteral("Antes, decida se o cartório aceita o que isso dá: o papel %1 dá ao usuário %2 os"
                              " direitos de administrador do banco do cartório (ler, alterar e apagar qualquer"
                              " dado, mudar as tabelas, ver e encerrar as conexões dos outros programas).")
                   .arg(QLatin1String(AdministratorRole), usuario)
            << QStringLiteral("A senha do usuário %1 está em toda cópia do sistema: quem tiver uma cópia pode"
                              " entrar no banco como %1 com esse papel. Sem ele, o monitor só deixa de excluir"
                              " os logins perdidos, e o código de saída não diz se há outros programas no banco.")
                   .arg(usuario)
            << QStringLiteral("Depois, rode \"senha verificar\" de novo.");
    return v;
}
