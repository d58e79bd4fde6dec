#pragma once
// The display PC's own choices, in section MONITOR of CARTORIO.ini beside the
// executable. Every read and write opens the file anew.

#include <QString>

struct TConfigMonitor {
    QString TiposSenha;      // TIPO_SENHA exactly as stored; empty: every ticket type
    bool RepetirSom = false; // REPETIR_SOM is exactly "S"
};

class MonitorSettings {
public:
    static QString filePath(); // executable directory + "CARTORIO.ini"

    static QString RetornaTiposSenha(); // "" when absent
    static QString RetornaRepetirSom(); // "N" when absent

    // Throw EIniFileException when the file cannot be written.
    static void GravaTiposSenha(const QString& tipos);
    static void GravaRepetirSom(const QString& repetir);

    // Both values, as the display window takes them at its first show.
    static TConfigMonitor carrega();
};
