#pragma once
// The C library allocator's share of the program's memory. The running
// display allocates little once it is up; what start-up left free is given
// back.

namespace platform {

// At most two allocator arenas: the program's few threads allocate rarely,
// and every arena keeps free memory of its own. Before any thread starts.
void limitHeapArenas();

// Returns to the system the free memory the allocator holds, at the top of
// the heap and in whole free pages inside it.
void trimHeap();

} // namespace platform
