// The flag through which a run is asked to stop, and the exception that ends it.
#include "base/run_cancel.h"

#include <atomic>

namespace zz {

namespace {
// Set by the window's thread, read by the run's.
std::atomic<bool> gCancelRequested{false};
}  // namespace

void RequestRunCancel() { gCancelRequested.store(true); }
void ResetRunCancel() { gCancelRequested.store(false); }
bool RunCancelRequested() { return gCancelRequested.load(); }

void CheckRunCancel() {
  if (RunCancelRequested()) throw TRunCancelled();
}

}  // namespace zz
