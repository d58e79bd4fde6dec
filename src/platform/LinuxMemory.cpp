#include "platform/LinuxMemory.h"

#include <malloc.h>

namespace platform {

void limitHeapArenas()
{
    mallopt(M_ARENA_MAX, 2);
}

void keepLargeBlocksMapped()
{
    // A fixed value also stops the allocator from moving the limit.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
}

void trimHeap()
{
    malloc_trim(0);
}

} // namespace platform
