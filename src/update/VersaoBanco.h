#pragma once
// The start-up date check: refuse to start when the server's date lies before
// the last recorded access (VERSAOBD.DATAATUAL), move that date forward to
// today, and set the day's reference date DataDoDia.

class FbConnection;
class TFDMCadastro;

// True when the start may go on. False after the warning box when the stored
// date is later than today. Raises Exception "ATENÇÃO !  Não foi possível
// atualizar data atual." when the new date cannot be stored; a database error
// while reading goes out unchanged. A row changed by another program between
// the read and the write is left alone, and the result is true.
bool MesmaVersaoExeBanco(FbConnection& conexao);

// The check on the office data module's connection.
bool MesmaVersao_Exe_Banco(TFDMCadastro& cadastro);
