#include "app/ui/MonitorApplication.h"

#include "platform/Platform.h"
#include "platform/ui/LinuxUiServices.h"
#include "support/Errors.h"
#include "support/ExitCode.h"

#include <QThread>

namespace {

MonitorApplication::MessageHook& messageHook()
{
    static MonitorApplication::MessageHook hook;
    return hook;
}

MonitorApplication::ExceptionHandler& exceptionHandler()
{
    static MonitorApplication::ExceptionHandler handler;
    return handler;
}

void showFailure(const Exception& failure)
{
    if (auto* boxes = platform::services().boxes)
        boxes->show(failure.message(), applicationTitle(), platform::BoxError);
}

} // namespace

MonitorApplication::MonitorApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void MonitorApplication::setMessageHook(MessageHook hook)
{
    messageHook() = std::move(hook);
}

void MonitorApplication::setExceptionHandler(ExceptionHandler handler)
{
    exceptionHandler() = std::move(handler);
}

void MonitorApplication::handleException(const Exception& failure)
{
    // A copy: the handler may replace itself while it runs.
    const ExceptionHandler handler = exceptionHandler();
    try {
        if (handler)
            handler(failure);
        else
            showFailure(failure);
    } catch (const Exception& again) {
        showFailure(again);
    } catch (const std::exception& again) {
        showFailure(Exception(QString::fromLocal8Bit(again.what())));
    }
}

bool MonitorApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        // Qt's own threads (D-Bus, sound) deliver events here too; the hook
        // writes what only the window thread may touch.
        if (QThread::currentThread() == thread() && messageHook() && !platform::ui::systemBoxOpen())
            messageHook()();
        return QApplication::notify(receiver, event);
    } catch (const Exception& failure) {
        handleException(failure);
    } catch (const std::exception& failure) {
        handleException(Exception(QString::fromLocal8Bit(failure.what())));
    }
    return false;
}
