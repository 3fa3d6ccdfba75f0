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
  for (const auto& entry : fs::directory_iterator(employer / "is"))
    fs::copy_file(entry.path(), is / entry.path().filename());
  FillClassifiers();
  TRunParams s;
  s.FRegNum = "087-104-003215";
  s.FDirPD = is.string();
  s.FDirList = (employer / "lists").string();

  {
    TSearcher searcher(dir.path() / "Temp");
    std::vector<std::string> steps;
    searcher.managerProgress = [&](int, int, int, const std::string& text) { steps.push_back(text); };
    RequestRunCancel();
    EXPECT_THROW(searcher.Run(s), TRunCancelled);
    EXPECT_TRUE(searcher.fSets.empty());
    for (const std::string& step : steps) EXPECT_EQ(step.find("Поиск ИС:"), std::string::npos) << step;
  }
  // Without a stop (the batch mode never asks for one) the same search forms its set.
  ResetRunCancel();
  TSearcher searcher(dir.path() / "Temp");
  searcher.Run(s);
  ASSERT_EQ(searcher.fSets.size(), 1u);
  EXPECT_TRUE(searcher.fSets.front()->FList);
}

// A stop while the files are read, on one thread or two: what was taken over before it stays, and
// nothing after it.
TEST_F(RunCancelTest, StopWhileFilesAreReadKeepsWhatCameBefore) {
  test::TempDir dir;
  const fs::path example =
      fs::path(ZAZORU_SOURCE_DIR) / "examples" / "employer" / "is" / "087-104-003215_СЗВ-СТАЖ_2023.xml";
  const fs::path is = dir.path() / "is";
  for (const char* name : {"a.xml", "b.xml", "c.xml", "d.xml"}) test::WriteFile(is / name, test::ReadFile(example));
  FillClassifiers();
  TRunParams s;
  s.FRegNum = "087-104-003215";
  s.FDirPD = is.string();
  s.FDirList = (dir.path() / "lists").string();
  for (unsigned threads : {1u, 2u}) {
    SCOPED_TRACE(threads);
    ResetRunCancel();
    TSearcher searcher(dir.path() / "Temp");
    searcher.fReadingThreads = threads;
    std::vector<std::string> files;
    searcher.managerProgress = [&](int, int, int, const std::string& text) {
      if (!text.starts_with("Поиск ИС: ")) return;
      files.push_back(fs::path(text).filename().string());
      if (files.size() == 2) RequestRunCancel();
    };
    EXPECT_THROW(searcher.Run(s), TRunCancelled);
    // The last file is read first.
    EXPECT_EQ(files, (std::vector<std::string>{"d.xml", "c.xml"}));
    ASSERT_EQ(searcher.fSets.size(), 1u);
    EXPECT_EQ(searcher.fSets.front()->FInitPacks.size(), 2u);
  }
  ResetRunCancel();
}

}  // namespace
}  // namespace zz
