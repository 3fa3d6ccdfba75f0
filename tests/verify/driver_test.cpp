// The verification driver: the pack-level findings it collects and the order in which verify
// prepares the periods and runs the checks.
#include <gtest/gtest.h>

#include <algorithm>

#include "list/the_list.h"
#include "pack/pack.h"
#include "period_fixture.h"
#include "results/result_records.h"
#include "results/result_tables.h"
#include "verify/verification.h"

namespace zz {
namespace {

using Strings = std::vector<std::string>;

const char* const kEmptyNameList =
    "Выбран параметр \"Сверка ИС с поименным списком к Перечню\", но в поименном списке нет ни одного периода "
    "для сверки!";

class VerificationDriverTest : public test::PeriodFixture {
 protected:
  VerificationDriverTest() {
    list = std::make_unique<TTheList>(arena);
    list->fYear = 2023;
    list->fPeriod = 1;
    v = std::make_unique<TVerification>(arena, params);
  }
  ~VerificationDriverTest() override {
    v.reset();
    list.reset();
  }

  // Names of the blocks of a result list: table class names, message texts.
  static Strings Blocks(const std::vector<std::unique_ptr<TResult>>& results) {
    Strings out;
    for (const auto& r : results) {
      if (auto* t = dynamic_cast<const TTableResult*>(r.get()))
        out.push_back(t->ClassName());
      else if (auto* m = dynamic_cast<const TOneMessageResult*>(r.get()))
        out.push_back(m->FMessage);
    }
    return out;
  }
  static size_t Count(const Strings& blocks, const std::string& name) {
    return static_cast<size_t>(std::count(blocks.begin(), blocks.end(), name));
  }

  std::unique_ptr<TTheList> list;
  std::unique_ptr<TVerification> v;
};

TEST_F(VerificationDriverTest, PackTablesAreTakenOverInTheirOrderWhenNotEmpty) {
  TPack pack;
  TWorker* w = Worker();
  TWorkPeriod* p = Add(w, "01.01.2023", "31.03.2023", 1, {"ДЕТИ"});
  // Filled in another order than they are taken over.
  pack.AddPdDataWarnings->AddRecord(
      TAddPdDataWarning::TryCreateAddPdDataWarning(TISSide{w, p}, false, false, "", &p->AddPdData));
  pack.PartTimeWarnings->AddRecord(std::make_unique<TPartTimeResult>(TISSide{w, p}, "27-ГД", "12300000-20426"));
  pack.PartTimeErrors->AddRecord(std::make_unique<TPartTimeResult>(TISSide{w, p}, "27-ГД", "12300000-20426"));
  pack.FlightWarnings->AddRecord(std::make_unique<TFlightWarning>(TISSide{w, p}, "САМОЛЕТ"));
  pack.PDRKWarnings->AddRecord(std::make_unique<TPDRKWarning>(TISSide{w, p}, "27-ПД"));

  v->getParseErrorsAndWarnings(pack, nullptr);
  EXPECT_EQ(Blocks(v->fWarningResults),
            (Strings{"TPDRKWarnings", "TFlightWarnings", "TPartTimeWarnings", "TAddPdDataWarnings"}));
  EXPECT_EQ(Blocks(v->FErrorResults), (Strings{"TPartTimeErrors"}));
  // The pack keeps only empty tables; the filled ones now belong to the verification.
  for (TTableResultWithPeriod* table : pack.Tables()) {
    ASSERT_TRUE(table);
    EXPECT_EQ(table->Count(), 0u);
  }
  v->getParseErrorsAndWarnings(pack, nullptr);
  EXPECT_EQ(v->fWarningResults.size(), 4u);

  // A second pack appends behind the first one's blocks.
  TPack second;
  second.JumpWarnings->AddRecord(std::make_unique<TJumpWarning>(TISSide{w, p}, "РЕАКТИВН"));
  v->getParseErrorsAndWarnings(second, list.get());
  EXPECT_EQ(Blocks(v->fWarningResults).back(), "TJumpWarnings");
  EXPECT_EQ(v->FErrorResults.size(), 1u);
}

TEST_F(VerificationDriverTest, NotesOfTheNamedListGoWithTheAdditionalDataWarning) {
  TWorker* isWorker = Worker("111-222-333 44");
  TWorkPeriod* p = Add(isWorker, "01.01.2023", "31.03.2023", 1, {"ДЕКРЕТ"});
  TWorker* other = Worker("999-999-999 99");
  TWorkPeriod* q = Add(other, "01.01.2023", "31.03.2023", 1, {"ДЕКРЕТ"});

  TWorker* listWorker = Worker("111-222-333 44");
  Add(listWorker, "01.02.2023", "28.02.2023")->Note = "в отпуске";
  Add(listWorker, "01.01.2023", "31.01.2023");  // no note
  Add(listWorker, "01.03.2023", "31.03.2023")->Note = "совмещение \"А\"";
  list->fWorkers.push_back(listWorker);
  TWorker* twin = Worker("111-222-333 44");  // a later worker of the same number is not used
  Add(twin, "01.01.2023", "31.03.2023")->Note = "лишнее";
  list->fWorkers.push_back(twin);

  TPack pack;
  pack.AddPdDataWarnings->AddRecord(
      TAddPdDataWarning::TryCreateAddPdDataWarning(TISSide{isWorker, p}, false, false, "", &p->AddPdData));
  pack.AddPdDataWarnings->AddRecord(
      TAddPdDataWarning::TryCreateAddPdDataWarning(TISSide{other, q}, false, false, "", &q->AddPdData));
  v->getParseErrorsAndWarnings(pack, list.get());

  ASSERT_EQ(v->fWarningResults.size(), 1u);
  auto* table = dynamic_cast<const TAddPdDataWarnings*>(v->fWarningResults[0].get());
  ASSERT_TRUE(table);
  ASSERT_EQ(table->Count(), 2u);
  EXPECT_EQ(table->Record(0)->Cells().back(),
            "01.02.2023 - 28.02.2023: &quot;в отпуске&quot;<br>"
            "01.03.2023 - 31.03.2023: &quot;совмещение &quot;А&quot;&quot;<br>");
  EXPECT_EQ(table->Record(1)->Cells().back(), "");
}

TEST_F(VerificationDriverTest, ThePerechenMessagesAreTakenOverOnce) {
  list->fParseErrors_List.push_back(std::make_unique<TListError>("Первое", 2023, 1, nullptr, true));
  list->fParseErrors_List.push_back(std::make_unique<TWrongPeriod>("Второе", 2023, 1, nullptr, false));
  TPack first, second;
  v->getParseErrorsAndWarnings(first, list.get());
  v->getParseErrorsAndWarnings(second, list.get());
  ASSERT_EQ(v->fVerListErrors.size(), 2u);
  EXPECT_EQ(v->fVerListErrors[0]->FMessage, "Первое");
  EXPECT_TRUE(dynamic_cast<TWrongPeriod*>(v->fVerListErrors[1].get()));
  EXPECT_TRUE(list->fParseErrors_List.empty());
  // Nothing to take from an empty pack: no blocks.
  EXPECT_TRUE(v->fWarningResults.empty());
  EXPECT_TRUE(v->FErrorResults.empty());
}

TEST_F(VerificationDriverTest, WithoutAPerechenVerifyDoesNothing) {
  TWorker* w = Worker();
  Add(w, "01.01.2023", "31.03.2023", 0.5);
  Add(w, "01.02.2023", "30.06.2023", 0.5);
  v->fWithNameList = true;
  v->verify(nullptr, {w}, 2023, 1);
  EXPECT_EQ(w->WorkPeriods.size(), 2u);
  EXPECT_TRUE(w->MergedWorkPeriods.empty());
  EXPECT_TRUE(v->FErrorResults.empty());
  EXPECT_TRUE(v->fWarningResults.empty());
}

TEST_F(VerificationDriverTest, VerifyPreparesIsWorkersBeforeTheNamedList) {
  TWorker* crossing = Worker("111-111-111 11");
  Add(crossing, "01.01.2023", "31.03.2023", 0.5, {}, {});
  Add(crossing, "01.02.2023", "30.06.2023", 0.5, {}, {});
  TWorker* leave = Worker("222-222-222 22");
  Add(leave, "01.01.2023", "31.03.2023", 1, {"ДЕКРЕТ"}, {});
  TWorker* listWorker = Worker("222-222-222 22");
  Add(listWorker, "01.01.2023", "31.01.2023", 1, {}, {})->Days = "31";
  Add(listWorker, "01.02.2023", "28.02.2023", 1, {}, {});
  list->fWorkers.push_back(listWorker);

  // A later IS worker of the same number, without the leave: the first one is the named list's.
  TWorker* later = Worker("222-222-222 22");
  Add(later, "01.01.2023", "31.03.2023", 1, {}, {});

  v->verify(list.get(), {crossing, leave, nullptr, later}, 2023, 1);

  EXPECT_EQ(Pieces(crossing->MergedWorkPeriods),
            (Strings{"01.01.2023-31.01.2023:0.5", "01.02.2023-31.03.2023:1", "01.04.2023-30.06.2023:0.5"}));
  // The named-list periods join because the first IS worker's merged period is a no-benefit one.
  EXPECT_EQ(Pieces(listWorker->MergedWorkPeriods), (Strings{"01.01.2023-28.02.2023:1"}));
  EXPECT_EQ(Count(Blocks(v->FErrorResults), "TCrossingPDPeriodsErrors"), 1u);
  // Without the two options no position or named-list check ran.
  EXPECT_TRUE(v->fWarningResults.empty());
}

TEST_F(VerificationDriverTest, EmptyNamedListIsAWarningAfterTheMatching) {
  v->fWithNameList = true;
  TWorker* w = Worker();
  Add(w, "01.01.2023", "31.03.2023");
  w->HasLgotBasis = true;
  v->verify(list.get(), {w}, 2023, 1);
  ASSERT_FALSE(v->fWarningResults.empty());
  EXPECT_EQ(Blocks(v->fWarningResults).back(), kEmptyNameList);
  EXPECT_FALSE(v->fWarningResults.back()->IsError);
  // The worker with a benefit is missing from the list: the matching ran before the warning.
  EXPECT_FALSE(v->FErrorResults.empty());

  auto off = std::make_unique<TVerification>(arena, params);
  off->fWithNameList = false;
  off->verify(list.get(), {}, 2023, 1);
  EXPECT_EQ(Count(Blocks(off->fWarningResults), kEmptyNameList), 0u);
}

TEST_F(VerificationDriverTest, CorrectionOnlySetsSkipThePeriodComparison) {
  for (bool corrOnly : {false, true}) {
    auto ver = std::make_unique<TVerification>(arena, params);
    ver->fWithNameList = true;
    ver->fCorrPacksOnly = corrOnly;
    TTheList named(arena);
    TWorker* listWorker = Worker("555-555-555 55");
    Add(listWorker, "01.01.2023", "31.03.2023");
    named.fWorkers.push_back(listWorker);
    ver->verify(&named, {Worker("666-666-666 66")}, 2023, 1);
    // The named-list worker unknown in the IS is reported by the period comparison only.
    EXPECT_EQ(Count(Blocks(ver->FErrorResults), "TSNErrors_List"), corrOnly ? 0u : 1u) << corrOnly;
  }
}

}  // namespace
}  // namespace zz
