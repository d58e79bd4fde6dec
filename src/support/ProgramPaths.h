#pragma once
#include <QString>

// Where the running executable lives. Files of the installation sit beside it
// (dbxconnections.ini, CARTORIO.ini, VarloLib.dll), whatever the current directory.
namespace ProgramPaths {
QString executablePath(); // full path of the running executable
QString directory(); // its directory, ending in "/"
QString executableName(); // file name without directory
// Tests run from another folder and point the program at a staged one.
void setExecutablePathForTesting(const QString& path);
} // namespace ProgramPaths
