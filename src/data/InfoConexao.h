#pragma once
// What the program learned while connecting: where the databases are, which
// machine and build it runs, how far the start-up connections got, and the
// office parameters. One instance per process, reached through InfoConexaoAtual.

#include "data/ConnectionParams.h"

#include <QString>
#include <memory>

struct TAplicacao {
    QString Sistema;
    QString Titulo;
    QString Modulo;
    QString Build;
};

// The suite's logged-in user; this program never logs anyone in.
struct TUsuario {
    QString Login;
    QString Nome;
    int CodUsuario = 0;
    int CodEscrevente = 0;
};

// The office parameters in force (the PARAMETRO row with the lowest code).
struct TParametro {
    QString MASCARA_NASC, MASCARA_OBITO, MASCARA_NATIMORTO, MASCARA_CASACIV, MASCARA_CASAREL, MASCARA_PROC,
        MASCARA_ESCRIT, MASCARA_LIVROE, MESMA_SEQ_PJ_PF;
    int NOMES_ETIQUETA = 0, FOLHASCOMPARECE = 0, FOLHASNASCIMENTO = 0, FOLHASOBITO = 0;
    QString RELIGIOSO_UNIAOESTAVEL, GERAR_MATRICULA_CNJ;
    int ALERTA_AUTENTICACAO = 0;
    double ISS = 0;
    QString TIPO_IMP_ETIQUETA, TIPO_IMP_CAIXA, COMPATIB_MOD_CENSEC, TIPO_SENHA;
    int TEMPOSENHA = 0; // milliseconds
    int NUMVIAPROTOCOLO = 0;
    bool INFORMAR_SENHA_AUT_REC = false;
    bool LIVRO_DIARIO = false;
    QString BUSCAFONETICA, RECIBO_CAIXA, ESCREVENTE_ETIQUETA, UF_PESQUISA, MUN_PESQUISA, DIST_PESQUISA, COD_CARTORIO,
        TIPOPESSOA_RECIBO;
};

class TInfoConexao {
public:
    QString BancoDados;
    QString Servidor;
    QString ServidorAplicacao;
    QString NomeComputador;
    QString EnderecoMAC;
    QString PastaSistema;
    bool AcessoRemoto = false;
    bool ConectadoCadastro = false;
    bool ConectadoUsuario = false;
    TUsuario Usuario;
    TAplicacao Aplicacao;
    TParametro Parametro;

    // Fills the instance from the office connection's parameter list, before
    // it connects. Raises the helper library's errors after the location,
    // machine and folder fields are filled.
    void CarregaInformacoes(const ConnectionParams& params);

    // The server prefix of a database location ("srv/3052:G:" for
    // "srv/3052:G:\DB\CARTORIO.FDB"; the machine name before the drive of a local path).
    static QString derivaServidor(const QString& bancoDados, const QString& nomeComputador);
    static bool derivaAcessoRemoto(const QString& bancoDados);
};

// Set while the office data module exists; empty before its first connect.
extern TInfoConexao* InfoConexaoAtual;

// The user database's location beside the office database: the file-name part
// of the office location (after the last "\" or "/" of its path, or after the
// last ":" when the path has neither) replaced by USUARIO.FDB. The server and
// port are kept (srv/3052:CARTORIO.FDB gives srv/3052:USUARIO.FDB).
QString userDatabaseLocation(const QString& officeLocation);
