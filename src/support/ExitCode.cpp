#include "support/ExitCode.h"

#include <QCoreApplication>
#include <atomic>

namespace {
std::atomic<bool> terminating{false};
}

int& processExitCode()
{
    static int code = 0;
    return code;
}

void requestTermination()
{
    terminating = true;
    // Ignored by Qt while no loop runs; start-up checks the flag before its loop.
    QCoreApplication::quit();
}

bool terminationRequested()
{
    return terminating;
}

void resetTerminationForTesting()
{
    terminating = false;
    processExitCode() = 0;
}

QString& applicationTitle()
{
    static QString title;
    return title;
}
