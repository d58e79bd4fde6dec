// Stand-in until the helper library binding lands: only GetBuildInfo, and only
// the missing-library failure is real.
#include "helperlib/GLibDll.h"

#include "support/Errors.h"
#include "support/ProgramPaths.h"

#include <QFileInfo>

namespace GLibDll {

QString GetBuildInfo(const QString&, const QString&)
{
    if (!QFileInfo::exists(ProgramPaths::directory() + QStringLiteral("VarloLib.dll")))
        throw Exception(QStringLiteral("VarloLib.Dll não disponível."));
    return QStringLiteral("1.0.0.1");
}

bool ExisteAtualizacao(const QString&, const QString&) { return false; }
QString CriptoGrafa(const QString& text, quint16) { return text; }
QString DescriptoGrafa(const QString& text, quint16, quint16) { return text; }

} // namespace GLibDll
