#include "support/Termination.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>

namespace {
std::atomic<bool> requested{false};
}

void requestTermination()
{
    requested = true;
    if (auto* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, &QCoreApplication::quit, Qt::QueuedConnection);
}

bool terminationRequested()
{
    return requested;
}

void resetTerminationForTesting()
{
    requested = false;
}
