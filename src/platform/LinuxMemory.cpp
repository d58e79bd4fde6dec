#include "platform/LinuxMemory.h"

#include <malloc.h>

namespace platform {

void limitHeapArenas()
{
    mallopt(M_ARENA_MAX, 2);
}

void trimHeap()
{
    malloc_trim(0);
}

} // namespace platform
