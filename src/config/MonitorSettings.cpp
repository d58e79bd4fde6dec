#include "config/MonitorSettings.h"

#include "config/ProfileFile.h"
#include "support/ProgramPaths.h"

namespace {
const QString kSection = QStringLiteral("MONITOR");
const QString kTipoSenha = QStringLiteral("TIPO_SENHA");
const QString kRepetirSom = QStringLiteral("REPETIR_SOM");
}

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
    return config;
}
