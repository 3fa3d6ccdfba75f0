#include "settings/process_state.h"

#include "base/run_cancel.h"
#include "base/singleton.h"
#include "settings/classifiers.h"

namespace zz {

void ResetProcessWideState() {
  TSingleton::DestroyAll();
  Classifiers().clear();
  ResetRunCancel();
}

}  // namespace zz
