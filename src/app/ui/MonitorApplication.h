#pragma once
// The application object. Every event that the program's own loops deliver
// on the window thread passes the installed message hook first (not while a platform message box
// runs its own loop), and exceptions that escape an event handler go to the
// application-wide exception handler instead of ending the program.

#include <QApplication>
#include <functional>

class Exception;

class MonitorApplication : public QApplication {
    Q_OBJECT
public:
    using MessageHook = std::function<void()>;
    using ExceptionHandler = std::function<void(const Exception&)>;

    MonitorApplication(int& argc, char** argv);

    // An empty hook removes it.
    static void setMessageHook(MessageHook hook);
    // An empty handler restores the default one, which shows the message in an
    // error box titled with applicationTitle() and goes on.
    static void setExceptionHandler(ExceptionHandler handler);
    // Hands the failure to the installed handler.
    static void handleException(const Exception& failure);

    bool notify(QObject* receiver, QEvent* event) override;
};
