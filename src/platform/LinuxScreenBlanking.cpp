#include "platform/LinuxServices.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>

namespace platform {

LinuxScreenBlanking::~LinuxScreenBlanking()
{
    restore();
}

void LinuxScreenBlanking::suspend()
{
    if (m_display)
        return;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return;
    m_display = display;
    int event = 0;
    int error = 0;
    // The suspension lasts while this connection is open, so a process that
    // dies gives it back too.
    if (XScreenSaverQueryExtension(display, &event, &error))
        XScreenSaverSuspend(display, True);
    if (DPMSQueryExtension(display, &event, &error) && DPMSCapable(display)) {
        CARD16 level = 0;
        BOOL enabled = False;
        DPMSInfo(display, &level, &enabled);
        m_dpmsWasEnabled = enabled;
        if (enabled)
            DPMSDisable(display);
    }
    XFlush(display);
}

void LinuxScreenBlanking::restore()
{
    auto* display = static_cast<Display*>(m_display);
    if (!display)
        return;
    int event = 0;
    int error = 0;
    if (m_dpmsWasEnabled)
        DPMSEnable(display);
    if (XScreenSaverQueryExtension(display, &event, &error))
        XScreenSaverSuspend(display, False);
    XCloseDisplay(display);
    m_display = nullptr;
    m_dpmsWasEnabled = false;
}

} // namespace platform
