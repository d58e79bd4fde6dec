#pragma once
// The connection-definition file dbxconnections.ini beside the executable:
// both database connections take their parameters from its section
// "CARTÓRIO". The program only reads it.

#include "data/InfoConexao.h"

#include <QString>

namespace ConnectionDefinition {

// The section both connections read.
QString secao();

// The executable's directory followed by "dbxconnections.ini".
QString caminhoPadrao();

// The name=value entries of `section` in file order, names and values trimmed.
// The file is Windows-1252, with CRLF or LF line ends; section names match
// without regard to case and only the first section of that name is read; a
// missing section gives an empty list. A missing file raises EDatabaseError
// "Driver/Connection Registry File '<path>' not found".
ConnectionParams leSecao(const QString& path, const QString& section);

// The section "CARTÓRIO" of the file followed by "User_Name=VARLO" and
// "Password=tarvumel"; entries of the section come first and so take precedence.
ConnectionParams parametrosConexao(const QString& path);

} // namespace ConnectionDefinition
