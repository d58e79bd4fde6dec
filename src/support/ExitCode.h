#pragma once
#include "support/Termination.h"

#include <QString>

// Exit code of an orderly end; 0 unless something set it during the run.
int& processExitCode();
inline void setProcessExitCode(int code)
{
    processExitCode() = code;
}

// The application title ("Monitor de Senhas" once start-up sets it): the
// title of the plain messages that have none of their own. Kept apart from the
// toolkit's display name, which the window system would append to every caption.
QString& applicationTitle();
