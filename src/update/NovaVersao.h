#pragma once
#include <QString>
#include <QStringList>

class TFDMCadastro;

// The hand-over to the suite's updater when the office has released a newer
// version of this program than the running build.
namespace NovaVersao {

// "Novidades" + the executable's name with its extension replaced by ".INI"
// (appended when it has none), beside the executable.
QString newsFilePath(const QString& executablePath);

// The updater's arguments: the local executable, the same file name under the
// server directory, the window class and the caption's words.
QStringList updaterArguments(const QString& serverDir, const QString& executablePath, const QString& caption);

QString updaterPath(const QString& serverDir);

// Given the released version as read from the database: compares it with the
// build, and when it is newer hands over to the updater (or warns that the
// updater is missing) and asks the application to terminate.
// In kiosk mode (`quiosque`) the display goes on instead when no updater can
// run here (reported once a day on standard error) or one is still running,
// and a hand-over ends the program with exit code 0.
void verifica(const QString& releasedRaw, const QString& build, const QString& caption, const QString& serverDir,
              bool& encerrarSistema, bool quiosque = false);

} // namespace NovaVersao

// Hands over to the updater when the office released, in column `coluna` of
// VERSAOBD, a newer version of this program than the running build.
void VerificaNovaVersao(TFDMCadastro& cadastro, const QString& coluna, const QString& build, const QString& caption,
                        bool& encerrarSistema, bool quiosque = false);
