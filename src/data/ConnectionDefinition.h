#pragma once
// The connection-definition file dbxconnections.ini beside the executable:
// both database connections take their parameters from its section
// "CARTÓRIO". The program only reads it.

#include "data/ConnectionParams.h"

#include <QString>

namespace ConnectionDefinition {

// The section both connections read.
QString secao();

// The executable's directory followed by "dbxconnections.ini".
QString caminhoPadrao();

// The database user and password of the suite's programs.
QString usuarioBanco();
QString senhaBanco();
// Appends User_Name and Password: entries already there are found first and win.
void acrescentaUsuario(ConnectionParams& params);

// The name=value entries of `section` in file order, names and values trimmed.
// The file is Windows-1252 (UTF-8, with or without a byte-order mark, reads
// the same), with CRLF or LF line ends; section names match without regard to
// case and only the first section of that name is read; a missing section
// gives an empty list. A missing file raises EDatabaseError
// "Driver/Connection Registry File '<path>' not found".
ConnectionParams leSecao(const QString& path, const QString& section);
// The same over the file's text; `found` tells whether the section is there.
ConnectionParams leTexto(const QString& text, const QString& section, bool* found);

// The section "CARTÓRIO" of the file followed by the user and password;
// entries of the section come first and so take precedence. A file without
// that section, or a section without a Database entry or with an empty one,
// raises EDatabaseError naming the entry and the file.
ConnectionParams parametrosConexao(const QString& path);

} // namespace ConnectionDefinition
