#include "Balcao.h"

#include "base/Errors.h"
#include "data/ConnectionDefinition.h"
#include "display/TicketQuery.h"

#include <QFile>
#include <QRegularExpression>

// The connection parameters as the program itself reads them.
ConnectionParams paramsFromDefinitionFile(const QString& path)
{
    if (!QFile::exists(path))
        throw Exception(QStringLiteral("Arquivo de conexões não encontrado: %1 (ou use --database)").arg(path));
    return ConnectionDefinition::parametrosConexao(path);
}

ConnectionParams paramsForDatabase(const QString& database)
{
    ConnectionParams params{{QStringLiteral("Database"), database}};
    ConnectionDefinition::acrescentaUsuario(params);
    return params;
}

SenhaId parseSenha(const QString& first, const QString& second)
{
    static const QRegularExpression joined(QStringLiteral("^([A-Za-z])-([0-9]{1,9})$"));
    static const QRegularExpression letter(QStringLiteral("^[A-Za-z]$"));
    static const QRegularExpression number(QStringLiteral("^[0-9]{1,9}$"));
    SenhaId id;
    if (second.isEmpty()) {
        const auto m = joined.match(first.trimmed());
        if (m.hasMatch()) {
            id.sigla = m.captured(1).toUpper();
            id.numero = m.captured(2).toInt();
            return id;
        }
    } else if (letter.match(first.trimmed()).hasMatch() && number.match(second.trimmed()).hasMatch()) {
        id.sigla = first.trimmed().toUpper();
        id.numero = second.trimmed().toInt();
        return id;
    }
    const QString given = second.isEmpty() ? first : first + QLatin1Char(' ') + second;
    throw EntradaInvalida(QStringLiteral("Senha inválida: \"%1\" (use LETRA-NUMERO, por exemplo F-7)").arg(given));
}

SenhaId Balcao::emitir(const QString& sigla, bool preferencial)
{
    static const QRegularExpression letter(QStringLiteral("^[A-Za-z]$"));
    if (!letter.match(sigla).hasMatch())
        throw EntradaInvalida(QStringLiteral("Tipo de senha inválido: \"%1\" (uma letra, por exemplo F)").arg(sigla));
    const QString upper = sigla.toUpper();

    FbQuery tipo(m_conn);
    tipo.open(
        QStringLiteral("SELECT FIRST 1 CODATEND_TIPO FROM ATEND_TIPO WHERE SIGLA = :SIGLA ORDER BY CODATEND_TIPO"),
        {{QStringLiteral("SIGLA"), upper}});
    if (tipo.isEmpty())
        throw Exception(QStringLiteral("Tipo de senha %1 não cadastrado em ATEND_TIPO").arg(upper));

    // One statement, so that the number is taken and used in the same step.
    FbQuery insert(m_conn);
    insert.open(
        QStringLiteral("INSERT INTO ATEND_SENHA (CODATEND_SENHA, DATA_SENHA, SIGLA_SENHA, NUMERO_SENHA, PREFERENCIAL,"
                       " STATUS, CODATEND_TIPO, HORA_EMISSAO)"
                       " VALUES (NEXT VALUE FOR GEN_ATEND_SENHA, :DATA, :SIGLA,"
                       " (SELECT COALESCE(MAX(NUMERO_SENHA), 0) + 1 FROM ATEND_SENHA"
                       "  WHERE DATA_SENHA = :DATA AND SIGLA_SENHA = :SIGLA),"
                       " :PREFERENCIAL, 'E', :TIPO, CURRENT_TIMESTAMP)"
                       " RETURNING NUMERO_SENHA"),
        {{QStringLiteral("DATA"), m_dia},
         {QStringLiteral("SIGLA"), upper},
         // 0 marks a priority ticket.
         {QStringLiteral("PREFERENCIAL"), preferencial ? 0 : 1},
         {QStringLiteral("TIPO"), tipo.fieldByName(QStringLiteral("CODATEND_TIPO")).asInteger()}});
    SenhaId id;
    id.sigla = upper;
    id.numero = insert.fieldByName(QStringLiteral("NUMERO_SENHA")).asInteger();
    return id;
}

QString Balcao::chamarMesa(const SenhaId& senha, int mesa)
{
    FbQuery desk(m_conn);
    // Active desks before inactive ones, should two share a number.
    desk.open(QStringLiteral("SELECT CODATEND_TERM, NUMERO_MESA, LOCAL_ATEND FROM ATEND_TERMINAL"
                             " WHERE NUMERO_MESA = :MESA"
                             " ORDER BY CASE WHEN ATIVO = 'N' THEN 1 ELSE 0 END, CODATEND_TERM"),
              {{QStringLiteral("MESA"), mesa}});
    if (desk.isEmpty())
        throw Exception(QStringLiteral("Mesa %1 não cadastrada em ATEND_TERMINAL").arg(mesa));
    chamar(senha, desk.fieldByName(QStringLiteral("CODATEND_TERM")).asInteger());
    return desk.fieldByName(QStringLiteral("LOCAL_ATEND")).asString().trimmed() + QLatin1Char(' ')
        + desk.fieldByName(QStringLiteral("NUMERO_MESA")).asString();
}

void Balcao::chamarTerminal(const SenhaId& senha, int codTerminal)
{
    FbQuery terminal(m_conn);
    terminal.open(QStringLiteral("SELECT CODATEND_TERM FROM ATEND_TERMINAL WHERE CODATEND_TERM = :TERM"),
                  {{QStringLiteral("TERM"), codTerminal}});
    if (terminal.isEmpty())
        throw Exception(QStringLiteral("Terminal %1 não cadastrado em ATEND_TERMINAL").arg(codTerminal));
    chamar(senha, codTerminal);
}

void Balcao::chamar(const SenhaId& senha, int codTerminal)
{
    const int changed = m_conn.exec(
        QStringLiteral("UPDATE ATEND_SENHA SET STATUS = 'A', CODATEND_TERM = :TERM, HORA_CHAMADA = CURRENT_TIMESTAMP"
                       " WHERE DATA_SENHA = :DATA AND SIGLA_SENHA = :SIGLA AND NUMERO_SENHA = :NUMERO"),
        {{QStringLiteral("TERM"), codTerminal},
         {QStringLiteral("DATA"), m_dia},
         {QStringLiteral("SIGLA"), senha.sigla},
         {QStringLiteral("NUMERO"), senha.numero}});
    if (changed == 0)
        throw Exception(QStringLiteral("Senha %1 não emitida em %2")
                            .arg(senha.texto(), m_dia.toString(QStringLiteral("dd/MM/yyyy"))));
}

QList<SenhaChamada> Balcao::listar(const QString& tiposSenha)
{
    FbQuery query(m_conn);
    query.open(ticketQuerySql(tiposSenha), {{QStringLiteral("DATA"), m_dia}});
    QList<SenhaChamada> result;
    for (query.first(); !query.eof(); query.next()) {
        SenhaChamada call;
        call.senha = query.fieldByName(QStringLiteral("SIGLA_SENHA")).asString() + QLatin1Char('-')
            + query.fieldByName(QStringLiteral("NUMERO_SENHA")).asString();
        call.mesa = query.fieldByName(QStringLiteral("LOCAL_ATEND")).asString().trimmed() + QLatin1Char(' ')
            + query.fieldByName(QStringLiteral("NUMERO_MESA")).asString().trimmed();
        call.preferencial = query.fieldByName(QStringLiteral("PREFERENCIAL")).asInteger() == 0;
        result.append(call);
    }
    return result;
}
