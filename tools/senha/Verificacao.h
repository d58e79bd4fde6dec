#pragma once
// senha verificar: whether the office database serves the display's query
// through an index, and whether the program's user sees the attachments of
// other programs there; for each, the statement that fixes it when it does not.

#include <QString>
#include <QStringList>

class FbConnection;

struct Verificacao {
    int exitCode = 0; // 0 all is well, 1 a fix is printed
    QStringList lines; // the report, one entry a line
};

// Checks the ticket query narrowed to `tiposSenha` as the display runs it.
Verificacao verificaConsulta(FbConnection& connection, const QString& tiposSenha);

// Counts the attachments of `database` as the program does, while
// `connection` (attached to it) stands for another program.
Verificacao verificaConexoes(FbConnection& connection, const QString& database);
