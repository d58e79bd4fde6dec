#include "app/ui/MonitorApplication.h"

#include "base/Errors.h"
#include "platform/ui/LinuxUiServices.h"
#include "support/ApplicationEvents.h"

#include <QThread>

MonitorApplication::MonitorApplication(int& argc, char** argv) : QApplication(argc, argv)
{}

bool MonitorApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        // Qt's own threads (D-Bus, sound) deliver events here too; the hook
        // writes what only the window thread may touch.
        if (QThread::currentThread() == thread() && ApplicationEvents::hasMessageHook()
            && !platform::ui::systemBoxOpen())
            ApplicationEvents::runMessageHook();
        return QApplication::notify(receiver, event);
    } catch (const Exception& failure) {
        ApplicationEvents::handleException(failure);
    } catch (const std::exception& failure) {
        ApplicationEvents::handleException(Exception(QString::fromLocal8Bit(failure.what())));
    }
    return false;
}
