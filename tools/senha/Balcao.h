#pragma once
// What an attendant's program does to the ticket queue of the office
// database: issue a ticket, call it to a desk, and read the called tickets
// of a day as the display lists them.

#include "data/FbClient.h"

#include <QDate>
#include <QList>
#include <QString>

// The connection parameters of section "CARTÓRIO" of a connection-definition
// file (Windows-1252; section names without regard to case, the first such
// section wins), every name=value line in file order, followed by the
// suite's user and password. Throws Exception when the file cannot be read
// or the section gives no "Database".
ConnectionParams paramsFromDefinitionFile(const QString& path);
// A "Database" text given directly, with the suite's user and password.
ConnectionParams paramsForDatabase(const QString& database);

// A ticket or ticket type written wrongly on the command line.
class EntradaInvalida : public Exception {
public:
    using Exception::Exception;
};

// A ticket as written on the display: letter, "-", number (F-7).
struct SenhaId {
    QString sigla;
    int numero = 0;
    QString texto() const { return sigla + QLatin1Char('-') + QString::number(numero); }
};

// "F-7", "f-7" or the two words "F" "7". Throws EntradaInvalida otherwise.
SenhaId parseSenha(const QString& first, const QString& second = QString());

// One called ticket, texts composed as the display composes them.
struct SenhaChamada {
    QString senha; // F-7
    QString mesa; // place name, blank, desk number
    bool preferencial = false;
};

class Balcao {
public:
    Balcao(FbConnection& connection, QDate dia) : m_conn(connection), m_dia(dia) {}

    // Issues the day's next number of the ticket type, waiting for a call.
    // The type must be a letter (else EntradaInvalida) of ATEND_TIPO.
    SenhaId emitir(const QString& sigla, bool preferencial);

    // Calls a ticket of the day to the desk whose NUMERO_MESA is `mesa`;
    // returns the desk's text (MESA 2). The desk must exist.
    QString chamarMesa(const SenhaId& senha, int mesa);
    // Calls a ticket of the day to a terminal code of ATEND_TERMINAL; an
    // unknown code is refused.
    void chamarTerminal(const SenhaId& senha, int codTerminal);

    // The day's called tickets in the display's order.
    QList<SenhaChamada> listar(const QString& tiposSenha = QString());

private:
    void chamar(const SenhaId& senha, int codTerminal);

    FbConnection& m_conn;
    QDate m_dia;
};
