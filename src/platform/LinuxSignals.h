#pragma once
#include <functional>

namespace platform {

// Turns SIGTERM and SIGINT (a shutdown of the session, a service manager) into
// an orderly end with exit code 0, since being asked to stop is no failure:
// `onSignal` runs later on the calling thread, from its event loop. Installed
// before the database client sets up handlers of its own, which would
// otherwise swallow the signal and leave the program running. Where no loop
// takes the request (start-up waits on the server, a start-up box is open,
// the window thread is blocked), the process ends by itself with exit code 0
// `graceMs` after the signal.
void watchTerminationSignals(std::function<void()> onSignal, int graceMs = 3000);

// True once a termination signal has arrived. The database client then runs
// its own shutdown on a thread of its own, which races the library's exit
// handlers: such a process ends without them.
bool terminationSignalReceived();

} // namespace platform
