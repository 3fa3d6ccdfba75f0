// The allocator's settings of a batch run's process.
#include "base/batch_memory.h"

#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace zz {

void KeepFreedMemoryForReuse() {
  // Blocks below 32 MiB (the largest threshold the allocator takes) come from the heap, and freed
  // heap memory up to 1 GiB stays with the process until it ends.
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
}

void ReturnFreedMemory() { malloc_trim(0); }

void RestartWithLargePages(const std::vector<std::string>& args) {
  constexpr const char* kTunable = "glibc.malloc.hugetlb=1";
  const char* off = std::getenv("ZAZORU_LARGE_PAGES");
  if (off && std::strcmp(off, "0") == 0) return;
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  std::string value = tunables ? tunables : "";
  // Any setting of it, ours or the caller's, is left as it is; this also ends the restart.
  if (value.find("glibc.malloc.hugetlb") != std::string::npos) return;
  const std::string callers = value;
  value = value.empty() ? kTunable : value + ":" + kTunable;
  if (setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0) return;

  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  execv("/proc/self/exe", argv.data());
  // Still here (the longer value may pass the limit of one environment string): the run goes on
  // with small pages and the caller's own environment, which its children must be able to start with.
  if (tunables)
    setenv("GLIBC_TUNABLES", callers.c_str(), 1);
  else
    unsetenv("GLIBC_TUNABLES");
}

}  // namespace zz
