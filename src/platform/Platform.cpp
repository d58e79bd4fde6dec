#include "platform/Platform.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

Services& services()
{
    static Services current;
    return current;
}

} // namespace platform

void platform::endProcessNow(int code)
{
    std::fflush(nullptr);
    std::_Exit(code);
}
