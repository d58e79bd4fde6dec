#pragma once
// What the call walker keeps of the screen: the call shown now and the last
// four calls (slot 1 is the newest), and when the call sound last played.
// The walker changes it between hand-offs; AtualizaTela runs on the window
// thread while the walker waits, so the two never touch it at once.

#include "display/DisplayView.h"

// The call sound of the installation.
QString somDaChamada();

// The desk number of the big desk panel: the text after the last blank of
// the desk text, trimmed; a text without blank, trimmed whole.
QString numeroDaMesa(const QString& mesa);

class QuadroChamadas {
public:
    // The blank screen between passes; the history stays.
    void limpaAtual() { Atual = TChamadaSenha(); }

    // A new call: shown now and pushed onto the history.
    void chama(const TChamadaSenha& chamada);

    const TChamadaSenha& atual() const { return Atual; }
    const TChamadaSenha& historico(int slot) const { return Historico[slot - 1]; } // slot 1 to 4

    // Forgets which ticket was announced last (a new walker announces again).
    void novoInicio();

    // Shows the current call and the rows of previous calls, plays the call
    // sound (and the spoken call) for a call not announced just before, and
    // moves the pointer aside every tenth update. Window thread only.
    void AtualizaTela(DisplayView& view);

private:
    TChamadaSenha Atual;
    TChamadaSenha Historico[4];
    QString UltimaSenhaAnunciada;
    int ContadorAtualizacoes = 0;
};
