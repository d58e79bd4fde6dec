#pragma once
// What the application object does around each event of the window thread:
// the message hook that runs before it, and the handler that takes the
// failures escaping it. Kept apart from the application object so that the
// windows can install them without depending on it.

#include <functional>

class Exception;

class ApplicationEvents {
public:
    using MessageHook = std::function<void()>;
    using ExceptionHandler = std::function<void(const Exception&)>;

    // An empty hook removes it.
    static void setMessageHook(MessageHook hook);
    // Runs the hook, if one is installed.
    static void runMessageHook();
    static bool hasMessageHook();

    // An empty handler restores the default one, which shows the message in an
    // error box titled with applicationTitle() and goes on.
    static void setExceptionHandler(ExceptionHandler handler);
    // Hands the failure to the installed handler.
    static void handleException(const Exception& failure);
};
