#include "support/FinalizaProcesso.h"

#include "platform/Platform.h"

#include <QFileInfo>

void FinalizaProcesso(const QString& executable)
{
    const QString wanted = executable.trimmed();
    if (wanted.isEmpty())
        return;
    const bool byPath = QFileInfo(wanted).fileName() != wanted;
    auto& processes = *platform::services().processes;
    const qint64 self = processes.currentPid();
    for (const auto& process : processes.list()) {
        const QString candidate = byPath ? process.executable : QFileInfo(process.executable).fileName();
        if (candidate.compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        processes.terminate(process.pid);
        if (process.pid == self)
            return;
    }
}
