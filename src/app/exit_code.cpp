#include "app/exit_code.h"

#include <algorithm>

namespace zz {

namespace {
int gRunExitCode = ecOk;
}

int RunExitCode() { return gRunExitCode; }
void SetRunExitCode(int code) { gRunExitCode = code; }
void RaiseRunExitCode(int code) { gRunExitCode = std::max(gRunExitCode, code); }

}  // namespace zz
