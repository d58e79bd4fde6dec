#include "update/VersaoBanco.h"

#include "base/Clock.h"
#include "data/DMCadastro.h"
#include "data/FbClient.h"
#include "platform/Platform.h"
#include "support/SplashStatus.h"

namespace {

QString formatoData(const QDate& d)
{
    return d.toString(QStringLiteral("dd/MM/yyyy"));
}

const QString kFalhaAtualizacao = QStringLiteral("ATENÇÃO !  Não foi possível atualizar data atual.");

// Moves DATAATUAL of the row read forward to `novaData`, only while the row
// still holds the values read: a row changed meanwhile by another program is
// left as it is (the write counts as not applied).
void atualizaDataAtual(FbConnection& conexao, const FbQuery& lida, const QDate& novaData)
{
    splashExecutando(QStringLiteral("Ajustando Data e Hora último acesso..."));
    ++TransacaoGlobal.TransactionID;
    TransacaoGlobal.IsolationLevel = TTransactionDesc::ReadCommitted;
    // No row means there is no VERSAOBANCO to store the date with.
    if (lida.isEmpty())
        throw Exception(kFalhaAtualizacao);
    const QDate antiga = lida.fieldByName(QStringLiteral("DATAATUAL")).asDate();
    FbValues valores{{QStringLiteral("NOVA"), novaData},
                     {QStringLiteral("VB"), lida.fieldByName(QStringLiteral("VERSAOBANCO")).asString()}};
    // Never a date later than the server's own (a PC clock that is ahead and
    // was not measured against the server's), and never back: when the
    // server's date lies before the stored one, nothing is written.
    QString sql = QStringLiteral("UPDATE VERSAOBD SET DATAATUAL = MINVALUE(CAST(:NOVA AS DATE), CURRENT_DATE) "
                                 "WHERE VERSAOBANCO = :VB AND ");
    if (antiga.isValid()) {
        sql += QStringLiteral("DATAATUAL = :OLD AND DATAATUAL < MINVALUE(CAST(:NOVA AS DATE), CURRENT_DATE)");
        valores.insert(QStringLiteral("OLD"), antiga);
    } else {
        sql += QStringLiteral("DATAATUAL IS NULL");
    }
    if (!conexao.inTransaction())
        conexao.startTransaction();
    conexao.exec(sql, valores);
    conexao.commit();
}

void desfaz(FbConnection& conexao)
{
    if (!conexao.inTransaction())
        return;
    try {
        conexao.rollback();
    } catch (const std::exception&) {
        // The failure to report is the one that led here.
    }
}

} // namespace

bool MesmaVersaoExeBanco(FbConnection& conexao)
{
    FbConnection::Guard guard(conexao);
    splashServidor(QStringLiteral("Verificando atualizações..."));
    splashExecutando(QStringLiteral("Verificando versões..."));

    FbQuery versao(conexao);
    versao.open(QStringLiteral("SELECT VERSAOBANCO, DATAATUAL\nFROM VERSAOBD"));
    const QDate hoje = conexao.clock().today();
    DataDoDia.set(hoje);
    bool resultado = true;

    const QDate dataAtual = versao.fieldByName(QStringLiteral("DATAATUAL")).asDate();
    if (dataAtual.isValid() && dataAtual > hoje) {
        platform::services().boxes->show(
            QStringLiteral("Verifique a data do servidor.\rÚltima data de acesso ao sistema: ") + formatoData(dataAtual)
                + QStringLiteral("\r") + QStringLiteral("Data atual do servidor: ") + formatoData(hoje),
            QStringLiteral("VARLO"), platform::BoxWarning);
        resultado = false;
    } else if (!dataAtual.isValid() || dataAtual < hoje) {
        try {
            atualizaDataAtual(conexao, versao, hoje);
        } catch (const std::exception& e) {
            desfaz(conexao);
            // Another program's change of the row (held past the lock wait, or
            // committed meanwhile) is a write not applied: the date stays as
            // that program left it and the start goes on.
            const auto* banco = dynamic_cast<const EDatabaseError*>(&e);
            if (!banco || !isLockConflict(*banco))
                throw Exception(kFalhaAtualizacao);
        }
    }

    splashPicture(SplashStatus::Atualizacao, 7);
    versao.close();
    splashServidor(QStringLiteral("Iniciando login..."));
    splashPicture(SplashStatus::Login, 9);
    splashExecutando(QStringLiteral("Criando formulário de login..."));
    return resultado;
}

bool MesmaVersao_Exe_Banco(TFDMCadastro& cadastro)
{
    return MesmaVersaoExeBanco(*cadastro.SQLConnectionVARLO);
}
