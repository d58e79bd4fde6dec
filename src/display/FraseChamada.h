#pragma once
// The spoken form of a ticket call, in Brazilian Portuguese: "Senha F 7.
// Mesa 2." for a normal call, "Senha preferencial P 3. Guichê 12." for a
// priority one. The place name is spoken as stored, in ordinary case; the
// desk and ticket numbers as numbers; the ticket letter as a letter.

#include "display/DisplayView.h"

#include <QString>

// The phrase as plain text; empty for the empty call.
QString fraseDaChamada(const TChamadaSenha& chamada);

// The same phrase in SSML for the synthesiser: letters are marked to be
// spelt, so that a ticket "A" or "E" is not read as a word.
QString ssmlDaChamada(const TChamadaSenha& chamada);
