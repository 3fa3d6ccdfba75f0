#pragma once
// How a batch run's process keeps the memory it frees.

#include <string>
#include <vector>

namespace zz {

// A batch run of a large employer touches a few hundred MiB once; with the system's small pages
// every 4 KiB of it is a page fault, with large pages every 2 MiB. The allocator takes large pages
// only when told so at the process's start (the "glibc.malloc.hugetlb" tunable), so a batch
// process started without it starts itself again, once, with the same arguments and it added, before
// it has done anything else. Returns when no restart happens: the tunable is already there, the
// environment sets ZAZORU_LARGE_PAGES=0, or the restart fails (the run then goes on as it is).
void RestartWithLargePages(const std::vector<std::string>& args);

// A batch run reads file after file, each into a tree of tens of MiB that is freed before the next:
// kept in the process, that memory is reused instead of being returned to the system and faulted in
// again page by page. The window's process, which lives on between runs, does not call this.
void KeepFreedMemoryForReuse();

// Gives the system back the memory freed so far. Memory a reading thread freed stays with that
// thread's own pool of the allocator, where the rest of the run cannot reuse it; called once the
// reading threads are done.
void ReturnFreedMemory();

}  // namespace zz
