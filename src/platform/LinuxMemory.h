#pragma once
// The program's resident memory once it is up. The running display uses a
// small part of what start-up touched: the allocator's free memory and the
// pages of code and constant data read once (start-up, the splash, the
// dialogs) are given back.

namespace platform {

// At most two allocator arenas: the program's few threads allocate rarely,
// and every arena keeps free memory of its own. Before any thread starts.
void limitHeapArenas();

// Returns to the system the free memory the allocator holds, at the top of
// the heap and in whole free pages inside it.
void trimHeap();

// Unmaps the resident pages of the read-only file mappings (libraries' code
// and constants, fonts) that hold no page of their own: each such page is
// the file's, so the ones still in use come back from the page cache at
// their next touch. Mappings with pages the process wrote are left alone.
void releaseFilePages();

} // namespace platform
