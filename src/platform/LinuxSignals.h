#pragma once
#include <functional>

namespace platform {

// Turns SIGTERM and SIGINT (a shutdown of the session, a service manager) into
// an orderly end: `onSignal` runs later on the calling thread, from its event
// loop. Installed before the database client sets up handlers of its own,
// which would otherwise swallow the signal and leave the program running.
void watchTerminationSignals(std::function<void()> onSignal);

} // namespace platform
