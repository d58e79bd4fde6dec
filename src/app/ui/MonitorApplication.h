#pragma once
// The application object. Every event that the program's own loops deliver
// on the window thread passes the installed message hook first (not while a
// platform message box runs its own loop), and exceptions that escape an event
// handler go to the application-wide exception handler instead of ending the
// program (both installed through ApplicationEvents).

#include <QApplication>

class MonitorApplication : public QApplication {
    Q_OBJECT
public:
    MonitorApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
