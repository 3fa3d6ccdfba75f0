#pragma once
// The process-wide state a run leaves behind: the settings and log instances, the classifiers and
// the stop request. A forked intake run and every test begin without it.

namespace zz {

void ResetProcessWideState();

}  // namespace zz
