#include "platform/LinuxServices.h"

#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace platform {

QString LinuxRegionalSettings::withoutTimeZone(const QString& format)
{
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t'))
            result += c;
    }
    return result.simplified();
}

// Read once: a process's locale comes from its environment, which does not
// change while it runs, and the clock asks every second.
QString LinuxRegionalSettings::longTimeFormat()
{
    if (m_longTimeFormat.isNull())
        m_longTimeFormat = withoutTimeZone(QLocale::system().timeFormat(QLocale::LongFormat));
    return m_longTimeFormat;
}

QString LinuxRegionalSettings::shortDateFormat()
{
    return QLocale::system().dateFormat(QLocale::ShortFormat);
}

void LinuxRegionalSettings::openRegionalSettings()
{
    // The regional page of the common desktops' settings tools.
    static const QList<QStringList> tools = {
        {QStringLiteral("gnome-control-center"), QStringLiteral("region")},
        {QStringLiteral("systemsettings"), QStringLiteral("kcm_regionandlang")},
        {QStringLiteral("systemsettings5"), QStringLiteral("formats")},
        {QStringLiteral("xfce4-settings-manager")},
        {QStringLiteral("lxqt-config-locale")},
        {QStringLiteral("mate-time-admin")},
    };
    for (const QStringList& tool : tools) {
        const QString program = QStandardPaths::findExecutable(tool.first());
        if (!program.isEmpty()) {
            QProcess::startDetached(program, tool.mid(1));
            return;
        }
    }
}

} // namespace platform
