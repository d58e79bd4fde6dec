#include "support/Termination.h"

#include "support/ExitCode.h"

#include <QCoreApplication>
#include <atomic>

namespace {
std::atomic<bool> requested{false};
}

void requestTermination()
{
    requested = true;
    // Ignored by Qt while no loop runs; start-up checks the flag before its loop.
    QCoreApplication::quit();
}

bool terminationRequested()
{
    return requested;
}

void resetTerminationForTesting()
{
    requested = false;
    processExitCode() = 0;
}
