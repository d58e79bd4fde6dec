#pragma once
// senha verificar: whether the office database serves the display's query
// through an index, and the statement that fixes it when it does not.

#include <QString>
#include <QStringList>

class FbConnection;

struct Verificacao {
    int exitCode = 0;   // 0 indexed, 1 the table is scanned
    QStringList lines;  // the report, one entry a line
};

// Checks the ticket query narrowed to `tiposSenha` as the display runs it.
Verificacao verificaConsulta(FbConnection& connection, const QString& tiposSenha);
