#pragma once
// Loading the office parameters in force: the PARAMETRO row with the lowest
// CODPARAMETRO.

#include "data/InfoConexao.h"

class FbConnection;

// Longest pause of the call walker after each call, in milliseconds (one day).
constexpr int TempoSenhaMaximoMs = 24 * 60 * 60 * 1000;
// The walker's pause after each call when TEMPOSENHA cannot be read.
constexpr int TempoSenhaPadraoMs = 5000;
// TEMPOSENHA as CarregaParametros leaves it when the read fails before it.
constexpr int TempoSenhaNaoLido = -1;

// Overwrites every field of `parametro` from the row in force; a table without
// rows gives every field its null value. TEMPOSENHA is stored in milliseconds:
// null, 0 or negative give 0 (no pause), and it never exceeds TempoSenhaMaximoMs.
// The page counts are 300 when 0. Errors propagate; fields read before the
// failing one keep their new values, and TEMPOSENHA is TempoSenhaNaoLido
// unless it was read.
void CarregaParametros(TParametro& parametro, FbConnection& conexao);
