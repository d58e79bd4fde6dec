#pragma once

#include "platform/ui/UnattendedBoxes.h"

namespace platform::ui {

// Settles what the windowing system loads, before the application object
// exists: the display takes no typed text, so no input method (and no compose
// table) is loaded unless the environment asks for one; Qt's own event loop
// runs instead of GLib's; the allocator keeps few arenas.
void prepareLinuxPlatform();

// Fills platform::services() with the Linux implementations of every service.
// Call once, after the application object exists. With closeBoxesAfterMs
// above 0 (kiosk mode) the boxes close by themselves, each given to `log`.
// Once start-up is over, and every ten minutes from then on, the memory the
// running display does not use goes back to the system.
void installLinuxPlatform(int closeBoxesAfterMs, const BoxLog& log);

} // namespace platform::ui
