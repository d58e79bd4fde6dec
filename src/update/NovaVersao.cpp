#include "update/NovaVersao.h"

#include "base/Clock.h"
#include "config/ProfileFile.h"
#include "data/DMCadastro.h"
#include "helperlib/GLibDll.h"
#include "platform/Platform.h"
#include "support/ExitCode.h"
#include "support/Kiosk.h"
#include "support/ProgramPaths.h"
#include "support/Termination.h"
#include "update/KioskUpdate.h"

#include <QFileInfo>

namespace NovaVersao {

namespace {

// Trims blanks and control characters at both ends.
QString trimControl(const QString& text)
{
    int begin = 0;
    int end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QString newsFilePath(const QString& executablePath)
{
    const QFileInfo exe(executablePath);
    QString name = exe.fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        name.truncate(dot);
    return exe.absolutePath() + QStringLiteral("/Novidades") + name + QStringLiteral(".INI");
}

QString updaterPath(const QString& serverDir)
{
    return serverDir + QStringLiteral("/AtualizaVarlo.exe");
}

QStringList updaterArguments(const QString& serverDir, const QString& executablePath, const QString& caption)
{
    // The paths go whole; the caption goes word by word, as the updater has
    // always received it.
    return QStringList{executablePath, serverDir + QLatin1Char('/') + QFileInfo(executablePath).fileName(),
                       QStringLiteral("TFrmPrincipal")}
    + caption.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

void verifica(const QString& releasedRaw, const QString& build, const QString& caption, const QString& serverDir,
              bool& encerrarSistema, bool quiosque)
{
    const QString released = trimControl(releasedRaw);
    if (released.isEmpty())
        return;
    if (!GLibDll::ExisteAtualizacao(released, build))
        return;

    const QString updater = updaterPath(serverDir);
    // The updater an earlier copy started is still at work, with the news
    // file that copy wrote: both are left to it, and the display goes on.
    if (quiosque && KioskUpdate::updaterRunning(updater)) {
        kiosk::log(QStringLiteral("VARLO"),
                   QStringLiteral("Versão %1 sendo instalada por %2: a tela continua com a versão %3.")
                       .arg(released, updater, build));
        return;
    }
    const QString newsFile = newsFilePath(ProgramPaths::executablePath());
    platform::removeFile(newsFile);
    // Nobody could read the box, and ending would only have the service
    // manager start the same release again: the display goes on.
    if (quiosque && !platform::services().launcher->canRun(updater)) {
        KioskUpdate::tellOncePerDay(KioskUpdate::cannotInstallText(released, build, updater), programClock().today(),
                                    KioskUpdate::noticeRecordPath());
        return;
    }
    if (!QFileInfo::exists(updater)) {
        platform::services().boxes->show(
            QStringLiteral("A versão atual do sistema está desatualizada.\r"
                           "Porém, o programa de atualização (ATUALIZAVARLO.Exe) não foi localizado no SERVIDOR.\r"
                           "Não será possível atualizar/executar o sistema agora.\r"
                           "Contate o suporte técnico para resolver o problema."),
            QStringLiteral("VARLO"), platform::BoxWarning);
        requestTermination();
        return;
    }
    encerrarSistema = true;
    // The file checked above is the one started.
    platform::services().launcher->runDetached(updater,
                                               updaterArguments(serverDir, ProgramPaths::executablePath(), caption),
                                               platform::Launcher::ShowMinimized);
    platform::removeFile(newsFile);
    ProfileFile(newsFile).writeString(QStringLiteral("Novidades"), QStringLiteral("Versao"), released);
    // An orderly end: the service manager must not take it for a failure.
    if (quiosque)
        setProcessExitCode(0);
    requestTermination();
}

} // namespace NovaVersao

// Hands over to the updater when the office released a newer version of this
// program than the running build.
void VerificaNovaVersao(TFDMCadastro& cadastro, const QString& coluna, const QString& build, const QString& caption,
                        bool& encerrarSistema, bool quiosque)
{
    const QString servidor = InfoConexaoAtual ? InfoConexaoAtual->ServidorAplicacao : QString();
    NovaVersao::verifica(cadastro.VersaoLiberada(coluna), build, caption, servidor, encerrarSistema, quiosque);
}
