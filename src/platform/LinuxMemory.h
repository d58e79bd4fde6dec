#pragma once
// The program's own memory once it is up. The running display uses a small
// part of what start-up allocated: the allocator's free memory is given back.
// Clean pages of files (libraries' code, fonts) are left to the kernel, which
// drops them by itself when memory runs short.

namespace platform {

// At most two allocator arenas: the program's few threads allocate rarely,
// and every arena keeps free memory of its own. Before any thread starts.
void limitHeapArenas();

// Blocks of 128 KiB and more (the sound output's buffers, panels drawn off
// screen, the samples of an announcement) on pages of their own, given back
// when freed. Left to itself the allocator raises that limit to the largest
// block freed so far, after which such blocks come from the heap and leave it
// in pieces that no trim gives back, call after call. Before any thread starts.
void keepLargeBlocksMapped();

// Returns to the system the free memory the allocator holds, at the top of
// the heap and in whole free pages inside it.
void trimHeap();

} // namespace platform
