#pragma once
// Resets the process-wide objects so that each test starts from a fresh program state.
#include <gtest/gtest.h>

// The fixtures that reset the state also set and read it.
#include "base/exit_code.h"
#include "base/run_cancel.h"
#include "base/singleton.h"
#include "settings/classifiers.h"

namespace zz::test {

// What a run leaves behind in its process: the settings and log instances, the classifiers and the
// stop request. A program runs once; the tests run many times in one process.
inline void ResetProcessState() {
  TSingleton::DestroyAll();
  Classifiers().clear();
  ResetRunCancel();
}

// Resets in the constructor, so that members of derived fixtures may already hold the fresh singletons.
class FreshProcessTest : public ::testing::Test {
 protected:
  FreshProcessTest() { ResetProcessState(); }
  ~FreshProcessTest() override { ResetProcessState(); }
};

}  // namespace zz::test
