// A stop requested from outside ends the search at the next file, before it reads anything more.
#include <gtest/gtest.h>

#include "base/run_cancel.h"
#include "search/searcher.h"
#include "settings/classifiers.h"
#include "settings/settings.h"
#include "support/process_state.h"
#include "support/test_support.h"

namespace zz {
namespace {

namespace fs = std::filesystem;

class RunCancelTest : public test::FreshProcessTest {};

TEST_F(RunCancelTest, StopEndsTheSearchBeforeTheNextFileAndAPlainSearchIsUntouched) {
  test::TempDir dir;
  const fs::path employer = fs::path(ZAZORU_SOURCE_DIR) / "examples" / "employer";
  const fs::path is = dir.path() / "is";
  fs::create_directories(is);
  for (const auto& entry : fs::directory_iterator(employer / "is")) fs::copy_file(entry.path(), is / entry.path().filename());
  FillClassifiers();
  TSettings& s = TSettings::GetInstance();
  s.FRegNum = "087-104-003215";
  s.FDirPD = is.string();
  s.FDirList = (employer / "lists").string();

  {
    TSearcher searcher(dir.path() / "Temp");
    std::vector<std::string> steps;
    searcher.managerProgress = [&](int, int, int, const std::string& text) { steps.push_back(text); };
    RequestRunCancel();
    EXPECT_THROW(searcher.Run(), TRunCancelled);
    EXPECT_TRUE(searcher.fSets.empty());
    for (const std::string& step : steps) EXPECT_EQ(step.find("Поиск ИС:"), std::string::npos) << step;
  }
  // Without a stop (the batch mode never asks for one) the same search forms its set.
  ResetRunCancel();
  TSearcher searcher(dir.path() / "Temp");
  searcher.Run();
  ASSERT_EQ(searcher.fSets.size(), 1u);
  EXPECT_TRUE(searcher.fSets.front()->FList);
}

}  // namespace
}  // namespace zz
