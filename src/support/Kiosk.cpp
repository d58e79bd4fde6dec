#include "support/Kiosk.h"

#include "base/Clock.h"
#include "platform/Platform.h"
#include "support/ExitCode.h"
#include "support/ManipulaExcecoes.h"

#include <cstdio>

KioskOptions KioskOptions::fromArguments(const QStringList& arguments)
{
    KioskOptions options;
    options.enabled = arguments.mid(1).contains(QStringLiteral("--quiosque"));
    if (!options.enabled)
        return options;
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("MONITOR_BOX_TIMEOUT_MS", &ok);
    options.boxTimeoutMs = ok && ms > 0 ? ms : kiosk::BoxTimeoutMs;
    return options;
}

ScreenKeptOn::ScreenKeptOn(platform::ScreenBlanking* screen) : m_screen(screen)
{
    if (m_screen)
        m_screen->suspend();
}

ScreenKeptOn::~ScreenKeptOn()
{
    if (m_screen)
        m_screen->restore();
}

namespace kiosk {

QString logLine(const QDateTime& when, const QString& title, const QString& text)
{
    QString flat = text;
    flat.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    flat.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    flat = flat.split(QLatin1Char('\n')).join(QLatin1String(" | "));
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QLatin1Char(' ') + title + QLatin1String(": ") + flat;
}

void log(const QString& title, const QString& text)
{
    const QByteArray line = logLine(programClock().now(), title, text).toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
}

void endForLostConnection(const QString& reason)
{
    log(applicationTitle(), reason);
    platform::services().fatal->fatalAppExit(mensagemFalhaDeComunicacao(), applicationTitle());
}

} // namespace kiosk
