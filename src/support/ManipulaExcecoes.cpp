#include "support/ManipulaExcecoes.h"

#include "platform/Platform.h"
#include "support/ExitCode.h"

namespace {

// Client error codes that mean the link to the server or the attachment is gone.
const long lostConnectionCodes[] = {
    335544721L, // network error
    335544726L, // error reading data from the connection
    335544727L, // error writing data to the connection
    335544648L, // connection lost to pipe server
    335544741L, // connection lost to database
    335544528L, // database shutdown
    335544856L, // connection shutdown
};

void handle(const QString& message, const QList<long>& codes)
{
    platform::services().boxes->show(message, QStringLiteral("VARLO"), platform::BoxError);
    if (isCommunicationFailure(message, codes))
        platform::services().fatal->fatalAppExit(mensagemFalhaDeComunicacao(), applicationTitle());
}

} // namespace

bool isCommunicationFailure(const QString& message, const QList<long>& codes)
{
    if (message.contains(QLatin1String("Unable to complete network"))
        || message.contains(QLatin1String("SQL Server Error")))
        return true;
    for (long code : lostConnectionCodes)
        if (codes.contains(code))
            return true;
    return false;
}

bool isCommunicationFailure(const std::exception& failure)
{
    if (const auto* db = dynamic_cast<const EDatabaseError*>(&failure))
        return isCommunicationFailure(db->message(), db->codes());
    if (const auto* ours = dynamic_cast<const Exception*>(&failure))
        return isCommunicationFailure(ours->message(), {});
    return isCommunicationFailure(QString::fromLocal8Bit(failure.what()), {});
}

QString mensagemFalhaDeComunicacao()
{
    return QStringLiteral("O sistema será finalizado por falha na comunicação com o Servidor de Banco de Dados.");
}

void ManipulaExcecoes(const Exception& e)
{
    const auto* db = dynamic_cast<const EDatabaseError*>(&e);
    handle(e.message(), db ? db->codes() : QList<long>());
}

void ManipulaExcecoes(const std::exception& e)
{
    if (const auto* ours = dynamic_cast<const Exception*>(&e))
        return ManipulaExcecoes(*ours);
    handle(QString::fromLocal8Bit(e.what()), {});
}
