#pragma once
// The display PC's own choices, in section MONITOR of CARTORIO.ini beside the
// executable. Every read and write opens the file anew.

#include <QString>

struct TConfigMonitor {
    QString TiposSenha; // TIPO_SENHA exactly as stored; empty: every ticket type
    bool RepetirSom = false; // REPETIR_SOM is exactly "S"
    bool Voz = false; // VOZ is exactly "S": calls are also spoken
    int VozVelocidade = 150; // VOZ_VELOCIDADE, words per minute (80 to 450)
    int VozVolume = 100; // VOZ_VOLUME, percent (0 to 100)
    bool ChamadaImediata = false; // CHAMADA_IMEDIATA is exactly "S"
};

class MonitorSettings {
public:
    static QString filePath(); // executable directory + "CARTORIO.ini"

    static QString RetornaTiposSenha(); // "" when absent
    static QString RetornaRepetirSom(); // "N" when absent
    static QString RetornaVoz(); // "N" when absent
    static QString RetornaChamadaImediata(); // "N" when absent
    // The stored number, kept within [minimo, maximo]; the default when the
    // key is absent or not a whole number.
    static int RetornaNumero(const QString& key, int padrao, int minimo, int maximo);

    // Throw EIniFileException when the file cannot be written.
    static void GravaTiposSenha(const QString& tipos);
    static void GravaRepetirSom(const QString& repetir);
    static void GravaVoz(const QString& voz);

    // Every value, as the display window takes them at its first show.
    static TConfigMonitor carrega();
};
