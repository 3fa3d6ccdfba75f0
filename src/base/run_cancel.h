#pragma once
// A run may be stopped from outside it (the window's "Остановить"). The request is only a flag:
// the run looks at it between files and between sets, where stopping leaves nothing half-done.
#include <stdexcept>

namespace zz {

// Thrown at the first boundary after a stop was requested.
class TRunCancelled : public std::runtime_error {
 public:
  TRunCancelled() : std::runtime_error("сверка остановлена") {}
};

void RequestRunCancel();
// Cleared before every run.
void ResetRunCancel();
bool RunCancelRequested();
// Throws TRunCancelled when a stop was requested.
void CheckRunCancel();

}  // namespace zz
