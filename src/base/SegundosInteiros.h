#pragma once
// Timers of whole seconds fire together, on the second of the monotonic
// clock: the display's clock, the frozen-query watch and the service
// keep-alive then wake the program once a second between them, not each
// at a moment of its own.

#include <QTimer>

// A QTimer, or a ClockTimer.
template <typename Timer>
inline void alinhaAoSegundo(Timer& timer, int intervalMs)
{
    if (intervalMs >= 1000 && intervalMs % 1000 == 0)
        timer.setTimerType(Qt::VeryCoarseTimer);
}
