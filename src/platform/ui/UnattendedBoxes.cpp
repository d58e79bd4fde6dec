#include "platform/ui/UnattendedBoxes.h"

#include <QMessageBox>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace platform::ui {

namespace {
int closeAfter = 0;
BoxLog boxLog;
} // namespace

void setUnattendedBoxes(int closeAfterMs, BoxLog log)
{
    closeAfter = qMax(0, closeAfterMs);
    boxLog = std::move(log);
}

void prepareUnattended(QMessageBox& box, const QString& title, const QString& text)
{
    if (closeAfter <= 0)
        return;
    if (boxLog)
        boxLog(title, text);
    QTimer::singleShot(closeAfter, &box, [&box] { box.done(QMessageBox::Ok); });
}

void armFatalBackstop(int exitCode)
{
    if (closeAfter <= 0)
        return;
    const auto wait = std::chrono::milliseconds(closeAfter + 5000);
    std::thread([wait, exitCode] {
        std::this_thread::sleep_for(wait);
        std::_Exit(exitCode);
    }).detach();
}

} // namespace platform::ui
