#pragma once

struct KioskOptions;

namespace platform::ui {

// Fills platform::services() with the Linux implementations of every service.
// Call once, after the application object exists. In kiosk mode the boxes
// close by themselves.
void installLinuxPlatform(const KioskOptions& kiosk);

} // namespace platform::ui
