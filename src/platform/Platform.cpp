#include "platform/Platform.h"

namespace platform {

Services& services()
{
    static Services current;
    return current;
}

} // namespace platform
