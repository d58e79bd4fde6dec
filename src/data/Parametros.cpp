#include "data/Parametros.h"

#include "data/FbClient.h"

void CarregaParametros(TParametro& p, FbConnection& conexao)
{
    p.TEMPOSENHA = TempoSenhaNaoLido;
    FbConnection::Guard guard(conexao);
    FbQuery query(conexao);
    query.open(QStringLiteral(
        "SELECT FIRST 1 MASCARA_NASC, MASCARA_OBITO, MASCARA_NATIMORTO, MASCARA_CASACIV, ISS, LIVRO_DIARIO, \n"
        "MASCARA_CASAREL, MASCARA_PROC, MASCARA_ESCRIT, MASCARA_LIVROE, MESMA_SEQ_PJ_PF, BUSCAFONETICA, RECIBO_CAIXA, "
        "\n"
        "FOLHASCOMPARECE, NOMES_ETIQUETA, RELIGIOSO_UNIAOESTAVEL, GERAR_MATRICULA_CNJ, ALERTA_AUTENTICACAO, "
        "ESCREVENTE_ETIQUETA, UF_PESQUISA, MUN_PESQUISA, DIST_PESQUISA, COD_CARTORIO, \n"
        "FOLHASNASCIMENTO, FOLHASOBITO, TIPO_IMP_ETIQUETA, COMPATIB_MOD_CENSEC, TIPO_SENHA, TEMPOSENHA, "
        "TIPO_IMP_CAIXA, NUMVIAPROTOCOLO, INFORMAR_SENHA_AUT_REC, TIPOPESSOA_RECIBO \n"
        "FROM PARAMETRO\n"
        "ORDER BY CODPARAMETRO"));
    auto texto = [&](const char* nome) { return query.fieldByName(QLatin1String(nome)).asString(); };
    auto inteiro = [&](const char* nome) { return query.fieldByName(QLatin1String(nome)).asInteger(); };

    p.MASCARA_NASC = texto("MASCARA_NASC");
    p.MASCARA_OBITO = texto("MASCARA_OBITO");
    p.MASCARA_NATIMORTO = texto("MASCARA_NATIMORTO");
    p.MASCARA_CASACIV = texto("MASCARA_CASACIV");
    p.MASCARA_CASAREL = texto("MASCARA_CASAREL");
    p.MASCARA_PROC = texto("MASCARA_PROC");
    p.MASCARA_ESCRIT = texto("MASCARA_ESCRIT");
    p.MASCARA_LIVROE = texto("MASCARA_LIVROE");
    p.MESMA_SEQ_PJ_PF = texto("MESMA_SEQ_PJ_PF");

    p.NOMES_ETIQUETA = inteiro("NOMES_ETIQUETA");
    p.FOLHASCOMPARECE = inteiro("FOLHASCOMPARECE");
    p.RELIGIOSO_UNIAOESTAVEL = texto("RELIGIOSO_UNIAOESTAVEL");
    p.GERAR_MATRICULA_CNJ = texto("GERAR_MATRICULA_CNJ");
    p.ALERTA_AUTENTICACAO = inteiro("ALERTA_AUTENTICACAO");
    p.FOLHASNASCIMENTO = inteiro("FOLHASNASCIMENTO");
    p.FOLHASOBITO = inteiro("FOLHASOBITO");

    p.ISS = query.fieldByName(QStringLiteral("ISS")).asFloat();
    p.TIPO_IMP_ETIQUETA = texto("TIPO_IMP_ETIQUETA");
    p.TIPO_IMP_CAIXA = texto("TIPO_IMP_CAIXA");
    p.COMPATIB_MOD_CENSEC = texto("COMPATIB_MOD_CENSEC");
    p.TIPO_SENHA = texto("TIPO_SENHA");

    // Whole seconds to milliseconds; the walker's pause must stay bounded.
    const qint64 segundos = query.fieldByName(QStringLiteral("TEMPOSENHA")).asInt64();
    p.TEMPOSENHA = segundos <= 0 ? 0 : int(qMin<qint64>(segundos * 1000, TempoSenhaMaximoMs));

    p.NUMVIAPROTOCOLO = inteiro("NUMVIAPROTOCOLO");
    p.BUSCAFONETICA = texto("BUSCAFONETICA");
    p.RECIBO_CAIXA = texto("RECIBO_CAIXA");
    p.ESCREVENTE_ETIQUETA = texto("ESCREVENTE_ETIQUETA");
    p.UF_PESQUISA = texto("UF_PESQUISA");
    p.MUN_PESQUISA = texto("MUN_PESQUISA");
    p.DIST_PESQUISA = texto("DIST_PESQUISA");
    p.COD_CARTORIO = texto("COD_CARTORIO");
    p.TIPOPESSOA_RECIBO = texto("TIPOPESSOA_RECIBO");

    p.INFORMAR_SENHA_AUT_REC = texto("INFORMAR_SENHA_AUT_REC") == QLatin1String("S");

    for (int* folhas : {&p.FOLHASCOMPARECE, &p.FOLHASNASCIMENTO, &p.FOLHASOBITO})
        if (*folhas == 0)
            *folhas = 300;

    p.LIVRO_DIARIO = texto("LIVRO_DIARIO") == QLatin1String("S");
}
