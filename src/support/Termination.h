#pragma once
// Asking the application to terminate: the request is remembered and takes
// effect when the message loop runs (also when it is made before the loop starts).

void requestTermination();
bool terminationRequested();
void resetTerminationForTesting();
