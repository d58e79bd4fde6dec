#include "data/DMCadastro.h"

#include "update/NovaVersao.h"

// Hands over to the updater when the office released a newer version of this
// program than the running build.
void TFDMCadastro::VerificaNovaVersao(const QString& coluna, const QString& build, const QString& caption,
                                      bool& encerrarSistema)
{
    const QString servidor = InfoConexaoAtual ? InfoConexaoAtual->ServidorAplicacao : QString();
    NovaVersao::verifica(VersaoLiberada(coluna), build, caption, servidor, encerrarSistema);
}
