// The IS pass of the search and the sets it forms, on real files: which files are taken, how packs
// are grouped and split by year, which files stay Perechen candidates, and what the sets then say
// (the united IS workers, the verdict, the two-stage release).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/exit_code.h"
#include "base/strings.h"
#include "results/result_records.h"
#include "results/result_tables.h"
#include "search/searcher.h"
#include "settings/classifiers.h"
#include "settings/settings.h"
#include "support/process_state.h"
#include "support/test_support.h"

namespace zz {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

const std::filesystem::path kExample = std::filesystem::path(ZAZORU_SOURCE_DIR) / "examples" / "employer";
const std::string kRegNum = "087-104-003215";

class SearcherTest : public test::FreshProcessTest {
 protected:
  test::TempDir dir;
  std::filesystem::path is = dir / "is";
  std::filesystem::path lists = dir / "lists";
  TRunParams s;
  std::unique_ptr<TSearcher> searcher;

  SearcherTest() {
    std::filesystem::create_directories(is);
    std::filesystem::create_directories(lists);
    FillClassifiers();
    s.FRegNum = kRegNum;
    s.FDirPD = is.string();
    s.FDirList = lists.string();
    s.SetUseUL(false);
    s.FMode = mWindow;
    s.FCheckPerFormat = false;
    s.FCompareWithList = true;
  }

  static std::string Example() { return test::ReadFile(kExample / "is" / "087-104-003215_СЗВ-СТАЖ_2023.xml"); }
  // The example's СЗВ-СТАЖ with only the persons of the given numbers in the pack (1..5).
  static std::string ExampleWith(const std::vector<int>& keep) {
    std::string file = Example();
    std::string out = file.substr(0, file.find("<ЗЛ>"));
    for (int n = 1; n <= 5; ++n) {
      size_t from = file.find("<НомерПП>" + std::to_string(n) + "</НомерПП>");
      from = file.rfind("<ЗЛ>", from);
      size_t to = file.find("</ЗЛ>", from) + std::string("</ЗЛ>").size();
      if (std::find(keep.begin(), keep.end(), n) != keep.end()) out += file.substr(from, to - from);
    }
    return out + file.substr(file.find("</СЗВ-СТАЖ>"));
  }
  // A СЗВ-КОРР of 2024 correcting 2023 for the example employer; its first person is `snils`.
  static std::string Correction2023(const std::string& snils) {
    std::string file = test::ReadFile(test::TestDataPath("is/szv_korr_2018_is5.xml"));
    file = ReplaceAll(file, "087-001-000001", kRegNum);
    file = ReplaceAll(file, "<Год>2017</Год>", "<Год>2023</Год>");
    file = ReplaceAll(file, "<Год>2018</Год>", "<Год>2024</Год>");
    size_t at = file.find("<СНИЛС>") + std::string("<СНИЛС>").size();
    return file.replace(at, file.find("</СНИЛС>", at) - at, snils);
  }

  void Search(int year, int period) {
    s.FYear = year;
    s.FPeriod = period;
    searcher = std::make_unique<TSearcher>(dir / "temp");
    searcher->Run(s);
  }
  TSet* FindSet(int year, int period) {
    for (auto& set : searcher->fSets)
      if (set->FYear == year && set->FPeriod == period) return set.get();
    return nullptr;
  }
  std::vector<std::string> SetNames() {
    std::vector<std::string> names;
    for (auto& set : searcher->fSets)
      names.push_back(std::to_string(set->FYear) + "/" + std::to_string(set->FPeriod) + " " +
                      std::to_string(set->FInitPacks.size()) + "+" + std::to_string(set->FCorrPacks.size()));
    return names;
  }
  std::vector<std::string> ListCandidates() {
    std::vector<std::string> names;
    for (const std::string& path : searcher->fAllXMLFiles[xftList])
      names.push_back(std::filesystem::path(path).filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::vector<std::string> SNs(const std::vector<TWorker*>& workers) {
    std::vector<std::string> sns;
    for (const TWorker* w : workers) sns.push_back(w->SN);
    return sns;
  }
  std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (auto& m : searcher->fSearchErrors) texts.push_back(m->FMessage);
    return texts;
  }
};

TEST_F(SearcherTest, YearAndPeriodFiltersChooseTheFiles) {
  // Initial 2023 q4, a correction of 2023 q4 sent in 2024, and an ЕФС-1 pack of q4 of its own years.
  test::WriteFile(is / "a_stag.xml", Example());
  test::WriteFile(is / "b_korr.xml", Correction2023("999-999-999 99"));
  std::filesystem::copy_file(test::TestDataPath("is/efs1_2023.xml"), is / "c_efs1.xml");
  test::WriteFile(is / "c_efs1.xml", ReplaceAll(test::ReadFile(is / "c_efs1.xml"), "087-001-000001", kRegNum));

  Search(0, 0);  // any year, any quarter: everything
  EXPECT_THAT(SetNames(), UnorderedElementsAre("2023/4 2+1", "2021/4 0+1"));
  EXPECT_EQ(searcher->fExitCode, 0);

  // The correction by its corrected year; the ЕФС-1 file passes, its parts of other years are not read.
  Search(2023, 4);
  EXPECT_THAT(SetNames(), ElementsAre("2023/4 2+1"));
  Search(2021, 0);
  EXPECT_THAT(SetNames(), ElementsAre("2021/4 0+1"));
  // The year the correction was sent in is not its year.
  std::filesystem::remove(is / "c_efs1.xml");
  Search(2024, 0);
  EXPECT_TRUE(searcher->fSets.empty());
  EXPECT_EQ(searcher->fExitCode, ecNoISFiles);

  Search(2023, 3);  // the quarter holds for all kinds, ЕФС-1 too
  EXPECT_TRUE(searcher->fSets.empty());
  EXPECT_FALSE(searcher->fFoundIS);
  EXPECT_EQ(searcher->fExitCode, ecNoISFiles);
  EXPECT_THAT(Messages(), ElementsAre("Необходимые Xml-файлы не найдены"));
}

TEST_F(SearcherTest, EFS1PackIsSplitIntoItsYearsWithItsRecords) {
  std::string efs1 = ReplaceAll(test::ReadFile(test::TestDataPath("is/efs1_2023.xml")), "087-001-000001", kRegNum);
  test::WriteFile(is / "efs1.xml", efs1);
  Search(0, 0);
  TSet* current = FindSet(2023, 4);
  TSet* earlier = FindSet(2021, 4);
  ASSERT_TRUE(current && earlier);
  // (2023, 2023) is an initial sub-pack; (2023, 2021) a correcting one in the set of 2021.
  ASSERT_EQ(current->FInitPacks.size(), 1u);
  ASSERT_EQ(earlier->FCorrPacks.size(), 1u);
  EXPECT_TRUE(current->FCorrPacks.empty() && earlier->FInitPacks.empty());
  const TPack& initial = *current->FInitPacks[0];
  const TPack& correcting = *earlier->FCorrPacks[0];
  EXPECT_EQ(initial.BaseData.Year(), 2023);
  EXPECT_FALSE(initial.BaseData.Correction());
  EXPECT_EQ(correcting.BaseData.CorrYear(), 2021);
  EXPECT_TRUE(correcting.BaseData.Correction());
  // Each person goes with the periods of the sub-pack's years; the first person is in both.
  ASSERT_EQ(initial.Workers.size(), 1u);
  ASSERT_EQ(correcting.Workers.size(), 2u);
  EXPECT_EQ(initial.Workers[0]->SN, correcting.Workers[0]->SN);
  EXPECT_EQ(initial.Workers[0]->WorkPeriods.size(), 1u);
  EXPECT_EQ(initial.Workers[0]->WorkPeriods[0]->WC, "В3.2");
  EXPECT_EQ(correcting.Workers[0]->WorkPeriods[0]->WC, "О4");
  EXPECT_EQ(initial.LgotWorkerCount() + correcting.LgotWorkerCount(), 3);
  EXPECT_TRUE(current->FHasLgot && earlier->FHasLgot);
  // The reader's record about a period follows the period into its sub-pack.
  EXPECT_EQ(initial.AddPdDataWarnings->Count(), 1u);
  EXPECT_EQ(correcting.AddPdDataWarnings->Count(), 0u);
}

TEST_F(SearcherTest, RecognisedAndFZJNamedFilesAreNoPerechenCandidates) {
  s.FDirList = is.string();  // one directory for both
  test::WriteFile(is / "a_taken.xml", Example());
  test::WriteFile(is / "FZJ-other_year.xml", ReplaceAll(Example(), "<Год>2023</Год>", "<Год>2022</Год>"));
  test::WriteFile(is / "ФЗЖ_other_year.xml", ReplaceAll(Example(), "<Год>2023</Год>", "<Год>2021</Год>"));
  test::WriteFile(is / "other_year.xml", ReplaceAll(Example(), "<Год>2023</Год>", "<Год>2020</Год>"));
  test::WriteFile(is / "letter.xml", "<Письмо>не сведения</Письмо>");
  std::filesystem::copy_file(kExample / "lists" / "perechen_087-104-003215_2023_q4.xml", is / "perechen.xml");
  Search(2023, 0);
  EXPECT_THAT(ListCandidates(), ElementsAre("letter.xml", "other_year.xml", "perechen.xml"));
  // The Perechen among them is found for the set.
  ASSERT_EQ(searcher->fSets.size(), 1u);
  EXPECT_TRUE(searcher->fSets[0]->FList);
}

TEST_F(SearcherTest, ALocalPerechenWithAnUnreadableFieldIsNamedAndNotTaken) {
  test::WriteFile(is / "a_taken.xml", Example());
  const std::string perechen = test::ReadFile(kExample / "lists" / "perechen_087-104-003215_2023_q4.xml");
  test::WriteFile(lists / "perechen.xml", ReplaceAll(perechen, "<Позиция ДатаНач=\"01.01.2019\">", "<Позиция>"));
  Search(2023, 0);
  ASSERT_EQ(searcher->fSets.size(), 1u);
  EXPECT_FALSE(searcher->fSets[0]->FList);
  std::vector<std::string> red;
  for (const auto& m : searcher->fSearchErrors)
    if (m->IsError) red.push_back(m->FMessage);
  ASSERT_EQ(red.size(), 1u);
  EXPECT_NE(red[0].find((lists / "perechen.xml").string()), std::string::npos) << red[0];
  EXPECT_NE(red[0].find("нет атрибута ДатаНач у элемента"), std::string::npos) << red[0];
  EXPECT_EQ(searcher->fDamagedInputs, 1);
}

TEST_F(SearcherTest, UnionOfISWorkersKeepsTheFirstAndLetsCorrectionsReplace) {
  // Two initial packs with the same persons 1 and 2; the later file is read first.
  test::WriteFile(is / "a.xml", ExampleWith({1, 2}));
  test::WriteFile(is / "b.xml", ExampleWith({2, 4}));
  test::WriteFile(is / "c_korr.xml", Correction2023("204-517-830 61"));  // person 2
  Search(2023, 4);
  ASSERT_EQ(searcher->fSets.size(), 1u);
  TSet& set = *searcher->fSets[0];
  ASSERT_EQ(set.FInitPacks.size(), 2u) << ::testing::PrintToString(SetNames());
  ASSERT_EQ(set.FCorrPacks.size(), 1u) << ::testing::PrintToString(SetNames());
  const TWorker* firstMet = set.FInitPacks[0]->Workers[0];  // person 2 of b.xml
  ASSERT_EQ(firstMet->SN, "204-517-830 61");

  // Records about the corrected person go; others stay; one-message results are not touched.
  std::vector<std::unique_ptr<TResult>> errors, warnings;
  auto table = std::make_unique<TPdInsNumErrors>();
  for (auto& pack : set.FInitPacks)
    for (TWorker* w : pack->Workers) table->AddRecord(std::make_unique<TSNError_IS>(TISSide{w, w->WorkPeriods[0]}));
  const TResult* tablePtr = table.get();
  errors.push_back(std::move(table));
  errors.push_back(std::make_unique<TProtocolMessage>("204-517-830 61", true));
  auto warningTable = std::make_unique<TPdInsNumErrors>();
  warningTable->AddRecord(std::make_unique<TSNError_IS>(
      TISSide{set.FInitPacks[1]->Workers[0], set.FInitPacks[1]->Workers[0]->WorkPeriods[0]}));
  warnings.push_back(std::move(warningTable));

  std::vector<TWorker*> united = set.UnionISWorkers(errors, warnings);
  EXPECT_THAT(SNs(united),
              UnorderedElementsAre("204-517-830 61", "415-226-337 48", "112-233-445 95", "131-141-151 61"));
  EXPECT_FALSE(set.FHasSPV1);
  for (const TWorker* w : united) {
    if (w->SN != "204-517-830 61") continue;
    // The correction's own person, without the periods of the initial packs.
    EXPECT_NE(w, firstMet);
    EXPECT_EQ(w->WorkPeriods.size(), set.FCorrPacks[0]->Workers[0]->WorkPeriods.size());
  }
  EXPECT_EQ(static_cast<const TTableResult*>(tablePtr)->Count(), 2u);  // 4 records less the corrected person's 2
  EXPECT_EQ(errors.size(), 2u);
  EXPECT_EQ(static_cast<const TTableResult*>(warnings[0].get())->Count(), 1u);  // person 4 stays

  // Without the correction the first person met carries clones of the other pack's periods.
  std::filesystem::remove(is / "c_korr.xml");
  Search(2023, 4);
  TSet& plain = *searcher->fSets[0];
  const TWorker* first = plain.FInitPacks[0]->Workers[0];
  const size_t own = first->WorkPeriods.size();
  std::vector<std::unique_ptr<TResult>> none1, none2;
  united = plain.UnionISWorkers(none1, none2);
  ASSERT_EQ(united.size(), 3u);
  auto it = std::find(united.begin(), united.end(), first);
  ASSERT_NE(it, united.end());
  ASSERT_EQ(first->WorkPeriods.size(), 2 * own);
  EXPECT_NE(first->WorkPeriods[own], plain.FInitPacks[1]->Workers[1]->WorkPeriods[0]);  // a clone
  EXPECT_EQ(first->WorkPeriods[own]->Start, plain.FInitPacks[1]->Workers[1]->WorkPeriods[0]->Start);
}

TEST_F(SearcherTest, VerdictOfEachSet) {
  std::filesystem::copy_file(kExample / "lists" / "perechen_087-104-003215_2023_q4.xml", lists / "perechen.xml");
  // The set's verdict, with the initial packs marked as the work manager marks them unless told not to.
  auto verdict = [&](bool hasAtLeastOneInitPack = true, bool markInitPacks = true) {
    Search(2023, 4);
    EXPECT_EQ(searcher->fSets.size(), 1u);
    if (searcher->fSets.empty()) return -1;
    TSet& set = *searcher->fSets[0];
    if (markInitPacks) set.FHasInitPacks = !set.FInitPacks.empty();
    return set.IsVerificationPossible(hasAtLeastOneInitPack);
  };

  // Workers with benefits and the Perechen: the comparison can go on.
  test::WriteFile(is / "is.xml", Example());
  EXPECT_EQ(verdict(), 0);
  // Without the Perechen: 23.
  std::filesystem::rename(lists / "perechen.xml", dir / "perechen.xml");
  EXPECT_EQ(verdict(), 23);
  std::filesystem::rename(dir / "perechen.xml", lists / "perechen.xml");

  // No worker with a benefit, the Perechen with its named list, and no initial packs said to be there: 25.
  test::WriteFile(is / "is.xml", ExampleWith({5}));
  EXPECT_EQ(verdict(true, false), 25);
  searcher->fSets[0]->FHasInitPacks = true;
  EXPECT_EQ(searcher->fSets[0]->IsVerificationPossible(true), 0);
  // No benefit and no Perechen: 11, or 12 when the organisation has supplied lists before.
  std::filesystem::remove(lists / "perechen.xml");
  EXPECT_EQ(verdict(), 11);
  searcher->fSets[0]->FOrganizationHasLists = true;
  EXPECT_EQ(searcher->fSets[0]->IsVerificationPossible(true), 12);

  // Only a correction, with benefits, while no set of the run has initial packs: 22.
  std::filesystem::copy_file(kExample / "lists" / "perechen_087-104-003215_2023_q4.xml", lists / "perechen.xml");
  std::filesystem::remove(is / "is.xml");
  test::WriteFile(is / "korr.xml", Correction2023("204-517-830 61"));
  EXPECT_EQ(verdict(false), 22);
  EXPECT_EQ(searcher->fSets[0]->IsVerificationPossible(true), 0);
}

}  // namespace
}  // namespace zz
