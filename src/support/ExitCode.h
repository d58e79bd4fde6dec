#pragma once
#include <QString>

// How the process ends: the exit code that main returns, and the request to
// end the program, which may come before the message loop runs.

// Exit code of an orderly end; 0 unless something set it during the run.
int& processExitCode();

// Asks the application to terminate. Made before the message loop runs, the
// request ends the loop as soon as it has handled the events already queued.
void requestTermination();
bool terminationRequested();
// Tests run several start-ups in one process.
void resetTerminationForTesting();

// The application title ("Monitor de Senhas" once start-up sets it): the
// title of the plain messages that have none of their own. Kept apart from the
// toolkit's display name, which the window system would append to every caption.
QString& applicationTitle();
