// The allocator's settings of a batch run's process.
#include "base/batch_memory.h"

#include <malloc.h>

namespace zz {

void KeepFreedMemoryForReuse() {
  // Blocks below 32 MiB (the largest threshold the allocator takes) come from the heap, and freed
  // heap memory up to 1 GiB stays with the process until it ends.
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
}

void ReturnFreedMemory() { malloc_trim(0); }

}  // namespace zz
