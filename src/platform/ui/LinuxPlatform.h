#pragma once

namespace platform::ui {

// Fills platform::services() with the Linux implementations of every service.
// Call once, after the application object exists.
void installLinuxPlatform();

} // namespace platform::ui
