#include "support/ServiceHeartbeat.h"

#include "base/SegundosInteiros.h"
#include "platform/Platform.h"

ServiceHeartbeat::ServiceHeartbeat(platform::ServiceManager& service, QObject* parent)
    : QObject(parent), m_service(service)
{
    connect(&m_timer, &QTimer::timeout, this, [this] { m_service.notifyAlive(); });
}

ServiceHeartbeat::~ServiceHeartbeat()
{
    if (m_started)
        m_service.notifyStopping();
}

void ServiceHeartbeat::start()
{
    if (m_started)
        return;
    m_started = true;
    m_service.notifyReady();
    const int interval = m_service.aliveIntervalMs();
    if (interval <= 0)
        return;
    m_service.notifyAlive();
    alinhaAoSegundo(m_timer, interval);
    m_timer.start(interval);
}
