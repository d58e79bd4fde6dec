#include "support/ExitCode.h"

#include <atomic>

namespace {
std::atomic<int> exitCode{0};
}

void setProcessExitCode(int code)
{
    exitCode = code;
}

int processExitCode()
{
    return exitCode;
}
