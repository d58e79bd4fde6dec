#pragma once
// The program's own memory once it is up. The running display uses a small
// part of what start-up allocated: the allocator's free memory is given back.
// Clean pages of files (libraries' code, fonts) are left to the kernel, which
// drops them by itself when memory runs short.

namespace platform {

// At most two allocator arenas: the program's few threads allocate rarely,
// and every arena keeps free memory of its own. Before any thread starts.
void limitHeapArenas();

// Returns to the system the free memory the allocator holds, at the top of
// the heap and in whole free pages inside it.
void trimHeap();

} // namespace platform
