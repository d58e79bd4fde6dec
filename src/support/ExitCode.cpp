#include "support/ExitCode.h"

int& processExitCode()
{
    static int code = 0;
    return code;
}

QString& applicationTitle()
{
    static QString title;
    return title;
}
