#include "platform/ui/LinuxUiServices.h"

#include "platform/ui/SoundOutput.h"
#include "platform/ui/UnattendedBoxes.h"

#include <QApplication>
#include <QAudioDevice>
#include <QCursor>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMessageBox>
#include <QSoundEffect>
#include <QUrl>

#include <atomic>
#include <cstdlib>

namespace platform::ui {

namespace {

// Read from any thread that delivers events.
std::atomic<int> openBoxes{0};

QMessageBox::Icon iconOf(int style)
{
    switch (style & 0xF0) {
    case BoxError:
        return QMessageBox::Critical;
    case BoxWarning:
        return QMessageBox::Warning;
    case BoxInformation:
        return QMessageBox::Information;
    case 32:
        return QMessageBox::Question;
    default:
        return QMessageBox::NoIcon;
    }
}

void runBox(const QString& text, const QString& title, QMessageBox::Icon icon)
{
    QMessageBox box(icon, title, boxText(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    // A box is never the program's last window: closing it must not end the loop.
    box.setAttribute(Qt::WA_QuitOnClose, false);
    prepareUnattended(box, title, text);
    ++openBoxes;
    box.exec();
    --openBoxes;
}

} // namespace

bool systemBoxOpen()
{
    return openBoxes > 0;
}

QString boxText(const QString& text)
{
    QString result = text;
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

void LinuxMessageBoxes::show(const QString& text, const QString& title, int style)
{
    runBox(text, title, iconOf(style));
}

void LinuxCursor::setPos(int x, int y)
{
    QCursor::setPos(x, y);
}

LinuxSound::LinuxSound(SoundReports& reports, QObject* parent) : QObject(parent), m_reports(reports)
{}

void LinuxSound::ensureEffect()
{
    if (m_effect)
        return;
    m_effect = new QSoundEffect(this);
    connect(m_effect, &QSoundEffect::statusChanged, this, [this] {
        if (m_effect->status() != QSoundEffect::Error)
            return;
        m_reports.unreadableFile(m_effect->source().toLocalFile(), QStringLiteral("formato não reconhecido"));
        QApplication::beep();
    });
}

void LinuxSound::playAsync(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        m_reports.missingFile(path);
        QApplication::beep();
        return;
    }
    if (QMediaDevices::defaultAudioOutput().isNull())
        m_reports.noOutput();
    ensureEffect();
    m_effect->stop();
    const QUrl source = QUrl::fromLocalFile(path);
    if (m_effect->source() != source) {
        m_effect->setSource(source);
    } else if (m_effect->status() == QSoundEffect::Error) {
        m_reports.unreadableFile(path, QStringLiteral("formato não reconhecido"));
        QApplication::beep();
    }
    m_effect->play();
}

void LinuxFatalExit::fatalAppExit(const QString& text, const QString& title)
{
    armFatalBackstop(ExitCode);
    runBox(text, title.isEmpty() ? QCoreApplication::applicationName() : title, QMessageBox::Critical);
    std::_Exit(ExitCode);
}

} // namespace platform::ui
