#include "display/QuadroChamadas.h"

#include "display/FraseChamada.h"
#include "platform/Platform.h"

QString somDaChamada()
{
    return QStringLiteral("/opt/varlo/cartorio/senha.wav");
}

QString numeroDaMesa(const QString& mesa)
{
    // The number is the last word: place names may hold blanks (SALA A 5)
    // and numbers may have more than two digits (MESA 123).
    return mesa.mid(mesa.lastIndexOf(QLatin1Char(' ')) + 1).trimmed();
}

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
        // A spoken call is the chime and then the phrase, queued behind the
        // announcement before it; the walker holds the call until it ends.
        // Without voice the chime alone plays at once, replacing one still playing.
        const VoiceSettings voice = view.voice();
        if (voice.enabled && platform::services().speech)
            platform::services().speech->announce(
                somDaChamada(), {fraseDaChamada(Atual), ssmlDaChamada(Atual), voice.wordsPerMinute, voice.volume});
        else
            platform::services().sound->playAsync(somDaChamada());
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
