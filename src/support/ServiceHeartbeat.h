#pragma once
// Tells the service manager that the display is up, then keeps telling it
// from the window thread that the thread still runs: a window thread that
// stops taking events stops the keep-alive, and the watchdog ends the program.

#include <QObject>
#include <QTimer>

namespace platform {
class ServiceManager;
}

class ServiceHeartbeat : public QObject {
    Q_OBJECT
public:
    explicit ServiceHeartbeat(platform::ServiceManager& service, QObject* parent = nullptr);
    ~ServiceHeartbeat() override; // the program is stopping

    // Once the display window is up; window thread.
    void start();

private:
    platform::ServiceManager& m_service;
    QTimer m_timer;
    bool m_started = false;
};
