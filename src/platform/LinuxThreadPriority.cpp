#include "platform/LinuxServices.h"

#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

namespace platform {

bool LinuxThreadPriority::lowerCurrentThread()
{
    const id_t thread = id_t(::gettid());
    errno = 0;
    const int now = ::getpriority(PRIO_PROCESS, thread);
    if (now == -1 && errno != 0)
        return false;
    const int wanted = now + Steps > 19 ? 19 : now + Steps;
    return ::setpriority(PRIO_PROCESS, thread, wanted) == 0;
}

} // namespace platform
