#include "Verificacao.h"

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
                                  " cartório (como SYSDBA ou o dono do banco):").arg(plan.inactiveIndex)
                << QStringLiteral("  ALTER INDEX %1 ACTIVE;").arg(plan.inactiveIndex);
    } else {
        v.lines << QStringLiteral("Para corrigir, execute no banco do cartório (como SYSDBA ou o dono do banco):")
                << QStringLiteral("  ") + ticketIndexStatement();
    }
    v.lines << QStringLiteral("Depois, rode \"senha verificar\" de novo.");
    return v;
}
