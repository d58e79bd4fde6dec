#include "display/QuadroChamadas.h"

#include "display/ChamaSenha.h"
#include "display/FraseChamada.h"
#include "platform/Platform.h"

void QuadroChamadas::chama(const TChamadaSenha& chamada)
{
    Atual = chamada;
    Historico[3] = Historico[2];
    Historico[2] = Historico[1];
    Historico[1] = Historico[0];
    Historico[0] = Atual;
}

void QuadroChamadas::novoInicio()
{
    UltimaSenhaAnunciada.clear();
    ContadorAtualizacoes = 0;
}

void QuadroChamadas::AtualizaTela(DisplayView& view)
{
    // The pointer is moved aside regularly so that it never rests on the panels.
    if (++ContadorAtualizacoes >= 10) {
        platform::services().cursor->setPos(view.outerWidth(), 5);
        ContadorAtualizacoes = 0;
    }

    if (!Atual.Senha.isEmpty() && (view.repetirSom() || Atual.Senha != UltimaSenhaAnunciada)) {
        UltimaSenhaAnunciada = Atual.Senha;
        platform::services().sound->playAsync(somDaChamada());
        // The spoken call follows the chime; it never holds the display up.
        const VozChamada voz = view.voz();
        if (voz.ativa && platform::services().speech)
            platform::services().speech->speak(
                {fraseDaChamada(Atual), ssmlDaChamada(Atual), voz.velocidade, voz.volume});
    }

    ScreenTexts texts;
    texts.NumeroSenha = Atual.Senha;
    texts.NumeroMesa = numeroDaMesa(Atual.Mesa);
    // Rows 2 and 3 are left blank when they repeat the call shown in row 1.
    texts.Linhas[0] = Historico[1];
    if (Historico[2].Senha != Historico[1].Senha)
        texts.Linhas[1] = Historico[2];
    if (Historico[3].Senha != Historico[1].Senha)
        texts.Linhas[2] = Historico[3];
    view.setScreenTexts(texts);
}
