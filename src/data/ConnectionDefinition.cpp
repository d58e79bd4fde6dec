#include "data/ConnectionDefinition.h"

#include "base/Errors.h"
#include "data/FbClient.h"
#include "platform/Platform.h"
#include "support/ProgramPaths.h"

#include <QStringDecoder>

#include <algorithm>

namespace ConnectionDefinition {

namespace {

// Windows-1252 as written by the suite; a file saved as UTF-8 (with or
// without a byte-order mark) reads the same. Text of a Windows-1252 file is
// almost never valid UTF-8 once it holds a byte above 127.
QString decodeDefinition(const QByteArray& bytes)
{
    const QByteArray bom("\xEF\xBB\xBF");
    if (bytes.startsWith(bom))
        return QString::fromUtf8(bytes.mid(bom.size()));
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
    if (!ascii) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8(bytes);
        if (!utf8.hasError())
            return text;
    }
    return decodeWindows1252(bytes);
}

// A file that cannot be read safely (see platform::readSmallFile) is as good
// as missing.
QByteArray leArquivo(const QString& path)
{
    const std::optional<QByteArray> bytes = platform::readSmallFile(path);
    if (!bytes)
        throw EDatabaseError(QStringLiteral("Driver/Connection Registry File '%1' not found").arg(path));
    return *bytes;
}

} // namespace

QString usuarioBanco()
{
    return QStringLiteral("VARLO");
}

QString senhaBanco()
{
    return QStringLiteral("tarvumel");
}

void acrescentaUsuario(ConnectionParams& params)
{
    params.append({QStringLiteral("User_Name"), usuarioBanco()});
    params.append({QStringLiteral("Password"), senhaBanco()});
}

QString secao()
{
    return QStringLiteral("CARTÓRIO");
}

QString caminhoPadrao()
{
    return ProgramPaths::directory() + QStringLiteral("dbxconnections.ini");
}

ConnectionParams leSecao(const QString& path, const QString& section)
{
    return leTexto(decodeDefinition(leArquivo(path)), section, nullptr);
}

ConnectionParams leTexto(const QString& text, const QString& section, bool* found)
{
    ConnectionParams params;
    bool inSection = false;
    bool sectionSeen = false;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            const int close = line.indexOf(QLatin1Char(']'));
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            if (inSection)
                break; // a later section of the same name is not read
            inSection = !sectionSeen && name.compare(section, Qt::CaseInsensitive) == 0;
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection || line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString name = line.left(eq).trimmed();
        if (!name.isEmpty())
            params.append({name, line.mid(eq + 1).trimmed()});
    }
    if (found)
        *found = sectionSeen;
    return params;
}

ConnectionParams parametrosConexao(const QString& path)
{
    bool found = false;
    ConnectionParams params = leTexto(decodeDefinition(leArquivo(path)), secao(), &found);
    if (!found)
        throw EDatabaseError(QStringLiteral("A seção [%1] não foi encontrada no arquivo %2.").arg(secao(), path));
    bool hasDatabase = false;
    const QString database = paramValue(params, QStringLiteral("Database"), &hasDatabase);
    if (!hasDatabase)
        throw EDatabaseError(
            QStringLiteral("A entrada Database da seção [%1] não foi encontrada no arquivo %2.").arg(secao(), path));
    if (database.isEmpty())
        throw EDatabaseError(
            QStringLiteral("A entrada Database da seção [%1] do arquivo %2 está vazia.").arg(secao(), path));
    acrescentaUsuario(params);
    return params;
}

} // namespace ConnectionDefinition
