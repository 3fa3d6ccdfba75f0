#pragma once
// Resets the process-wide objects so that each test starts from a fresh program state.
#include <gtest/gtest.h>

#include "base/exit_code.h"
#include "base/run_cancel.h"
#include "base/singleton.h"
#include "settings/classifiers.h"

namespace zz::test {

inline void ResetProcessState() {
  TSingleton::DestroyAll();
  Classifiers().clear();
  SetRunExitCode(0);
  ResetRunCancel();
}

// Resets in the constructor, so that members of derived fixtures may already hold the fresh singletons.
class FreshProcessTest : public ::testing::Test {
 protected:
  FreshProcessTest() { ResetProcessState(); }
  ~FreshProcessTest() override { ResetProcessState(); }
};

}  // namespace zz::test
