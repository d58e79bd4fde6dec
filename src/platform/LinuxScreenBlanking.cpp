#include "platform/LinuxServices.h"

#include <QByteArray>
#include <QFile>

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>

#include <cctype>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// One record per X display in the user's runtime folder; empty without one.
std::string recordPath(const char* displayName)
{
    const QByteArray runtime = QFile::encodeName(runtimeFolder());
    if (runtime.isEmpty())
        return {};
    std::string name = displayName ? displayName : "";
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return runtime.toStdString() + "/monitor-senha-tela" + name;
}

// Opens the record and takes its lock. -1 when it cannot be had: no runtime
// folder, no record and `create` false, or another copy holds it.
int lockRecord(const std::string& path, bool create)
{
    if (path.empty())
        return -1;
    const int flags = O_RDWR | O_NOFOLLOW | O_CLOEXEC | (create ? O_CREAT : 0);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(path.c_str(), flags, 0600);
        if (fd < 0)
            return -1;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return -1;
        }
        // The copy that held it may have removed it between the open and the
        // lock: only the file still at the path counts.
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev
            && opened.st_ino == named.st_ino)
            return fd;
        ::close(fd);
    }
    return -1;
}

// 1 or 0: DPMS was on or off before the first copy turned it off; -1 when
// nothing was recorded.
int readRecord(int fd)
{
    char state = 0;
    if (::pread(fd, &state, 1, 0) != 1)
        return -1;
    return state == '1' ? 1 : state == '0' ? 0 : -1;
}

void writeRecord(int fd, bool dpmsEnabled)
{
    if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, dpmsEnabled ? "1\n" : "0\n", 2, 0) == 2)
        ::fsync(fd);
}

void dropRecord(const std::string& path, int fd)
{
    ::unlink(path.c_str());
    ::close(fd);
}

bool hasDpms(Display* display)
{
    int event = 0;
    int error = 0;
    return DPMSQueryExtension(display, &event, &error) && DPMSCapable(display);
}

} // namespace

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
    m_recordPath = recordPath(DisplayString(display));
    m_record = lockRecord(m_recordPath, true);
    int event = 0;
    int error = 0;
    // The suspension lasts while this connection is open, so a process that
    // dies gives it back too.
    if (XScreenSaverQueryExtension(display, &event, &error))
        XScreenSaverSuspend(display, True);
    if (hasDpms(display)) {
        CARD16 level = 0;
        BOOL enabled = False;
        DPMSInfo(display, &level, &enabled);
        if (m_record >= 0) {
            // A record is left by a copy that ended without giving DPMS back.
            const int recorded = readRecord(m_record);
            if (recorded < 0)
                writeRecord(m_record, enabled);
            m_dpmsWasEnabled = recorded >= 0 ? recorded == 1 : enabled;
        } else {
            // A record held by another copy: that copy gives DPMS back.
            m_dpmsWasEnabled = m_recordPath.empty() && enabled;
        }
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
    if (m_record >= 0)
        dropRecord(m_recordPath, m_record);
    m_display = nullptr;
    m_record = -1;
    m_dpmsWasEnabled = false;
}

void LinuxScreenBlanking::restoreLeftOver()
{
    if (m_display)
        return;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return;
    const std::string path = recordPath(DisplayString(display));
    const int record = lockRecord(path, false);
    if (record >= 0) {
        if (readRecord(record) == 1 && hasDpms(display))
            DPMSEnable(display);
        dropRecord(path, record);
    }
    XCloseDisplay(display);
}

} // namespace platform
