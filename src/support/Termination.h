#pragma once
// Asking the application to terminate. A request made before the message loop
// runs is remembered: start-up ends the loop as soon as it has handled the
// events already queued.

void requestTermination();
bool terminationRequested();
// Tests run several start-ups in one process; also clears the exit code.
void resetTerminationForTesting();
