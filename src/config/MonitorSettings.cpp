#include "config/MonitorSettings.h"

#include "config/ProfileFile.h"
#include "support/ProgramPaths.h"

namespace {
const QString kSection = QStringLiteral("MONITOR");
const QString kTipoSenha = QStringLiteral("TIPO_SENHA");
const QString kRepetirSom = QStringLiteral("REPETIR_SOM");
const QString kVoz = QStringLiteral("VOZ");
const QString kChamadaImediata = QStringLiteral("CHAMADA_IMEDIATA");
const QString kVozVelocidade = QStringLiteral("VOZ_VELOCIDADE");
const QString kVozVolume = QStringLiteral("VOZ_VOLUME");
} // namespace

QString MonitorSettings::filePath()
{
    return ProgramPaths::directory() + QStringLiteral("CARTORIO.ini");
}

QString MonitorSettings::RetornaTiposSenha()
{
    return ProfileFile(filePath()).readString(kSection, kTipoSenha, QStringLiteral(""));
}

QString MonitorSettings::RetornaRepetirSom()
{
    return ProfileFile(filePath()).readString(kSection, kRepetirSom, QStringLiteral("N"));
}

QString MonitorSettings::RetornaVoz()
{
    return ProfileFile(filePath()).readString(kSection, kVoz, QStringLiteral("N"));
}

QString MonitorSettings::RetornaChamadaImediata()
{
    return ProfileFile(filePath()).readString(kSection, kChamadaImediata, QStringLiteral("N"));
}

int MonitorSettings::RetornaNumero(const QString& key, int padrao, int minimo, int maximo)
{
    bool ok = false;
    const int value = ProfileFile(filePath()).readString(kSection, key, QString()).trimmed().toInt(&ok);
    return ok ? qBound(minimo, value, maximo) : padrao;
}

void MonitorSettings::GravaVoz(const QString& voz)
{
    ProfileFile(filePath()).writeString(kSection, kVoz, voz);
}

void MonitorSettings::GravaTiposSenha(const QString& tipos)
{
    ProfileFile(filePath()).writeString(kSection, kTipoSenha, tipos);
}

void MonitorSettings::GravaRepetirSom(const QString& repetir)
{
    ProfileFile(filePath()).writeString(kSection, kRepetirSom, repetir);
}

TConfigMonitor MonitorSettings::carrega()
{
    TConfigMonitor config;
    config.TiposSenha = RetornaTiposSenha();
    config.RepetirSom = RetornaRepetirSom() == QLatin1String("S");
    config.Voz = RetornaVoz() == QLatin1String("S");
    config.VozVelocidade = RetornaNumero(kVozVelocidade, config.VozVelocidade, 80, 450);
    config.VozVolume = RetornaNumero(kVozVolume, config.VozVolume, 0, 100);
    config.ChamadaImediata = RetornaChamadaImediata() == QLatin1String("S");
    return config;
}
