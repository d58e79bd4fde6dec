#pragma once
// Which machine the program runs on, recorded with the connection information.
// Neither operation raises an error: a failure leaves its part empty.

#include "platform/Platform.h"

#include <QString>

// The remote-session client's name, unless it is absent or "CONSOLE" (any
// letter case); else the computer's own name.
QString RetornaNomeComputador(platform::MachineInfo& machine);

// The hardware address of the first adapter other than loopback with a
// non-zero address, as "AA-BB-CC-DD-EE-FF"; "00-00-00-00-00-00" when the
// adapters have only zero addresses; empty when there is none.
QString RetornaEnderecoMAC(platform::MachineInfo& machine);
