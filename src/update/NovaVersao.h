#pragma once
#include <QString>

// The hand-over to the suite's updater when the office has released a newer
// version of this program than the running build.
namespace NovaVersao {

// "Novidades" + the executable's name with its extension replaced by ".INI"
// (appended when it has none), beside the executable.
QString newsFilePath(const QString& executablePath);

// The updater's command line: updater, local executable, the same file name
// under the server directory, the window class and the caption; unquoted.
QString updaterCommandLine(const QString& serverDir, const QString& executablePath, const QString& caption);

QString updaterPath(const QString& serverDir);

// Given the released version as read from the database: compares it with the
// build, and when it is newer hands over to the updater (or warns that the
// updater is missing) and asks the application to terminate.
void verifica(const QString& releasedRaw, const QString& build, const QString& caption,
              const QString& serverDir, bool& encerrarSistema);

} // namespace NovaVersao
