#pragma once
// How a batch run's process keeps the memory it frees.

namespace zz {

// A batch run reads file after file, each into a tree of tens of MiB that is freed before the next:
// kept in the process, that memory is reused instead of being returned to the system and faulted in
// again page by page. The window's process, which lives on between runs, does not call this.
void KeepFreedMemoryForReuse();

// Gives the system back the memory freed so far. Memory a reading thread freed stays with that
// thread's own pool of the allocator, where the rest of the run cannot reuse it; called once the
// reading threads are done.
void ReturnFreedMemory();

}  // namespace zz
