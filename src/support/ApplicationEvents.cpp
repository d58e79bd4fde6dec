#include "support/ApplicationEvents.h"

#include "base/Errors.h"
#include "platform/Platform.h"
#include "support/ExitCode.h"

namespace {

ApplicationEvents::MessageHook& messageHook()
{
    static ApplicationEvents::MessageHook hook;
    return hook;
}

ApplicationEvents::ExceptionHandler& exceptionHandler()
{
    static ApplicationEvents::ExceptionHandler handler;
    return handler;
}

void showFailure(const Exception& failure)
{
    if (auto* boxes = platform::services().boxes)
        boxes->show(failure.message(), applicationTitle(), platform::BoxError);
}

} // namespace

void ApplicationEvents::setMessageHook(MessageHook hook)
{
    messageHook() = std::move(hook);
}

void ApplicationEvents::runMessageHook()
{
    if (messageHook())
        messageHook()();
}

bool ApplicationEvents::hasMessageHook()
{
    return bool(messageHook());
}

void ApplicationEvents::setExceptionHandler(ExceptionHandler handler)
{
    exceptionHandler() = std::move(handler);
}

void ApplicationEvents::handleException(const Exception& failure)
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
