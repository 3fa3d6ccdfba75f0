#pragma once
// A verification with a hand-made named list: workers and merged periods are built directly in the
// set's arena, as the driver leaves them after splitting and merging.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "list/the_list.h"
#include "results/result_tables.h"
#include "settings/settings.h"
#include "support/process_state.h"
#include "verify/verification.h"

namespace zz::test {

class NameListTest : public FreshProcessTest {
 protected:
  NameListTest() {
    Classifiers()[ctAddPdData] = {"АДМИНИСТР", "НЕОПЛ", "ВРНЕТРУД", "ДЕТИ", "ДЕКРЕТ", "ДЛОТПУСК"};
    Classifiers()[ctAddStag] = {"", "СЕЗОН"};
  }

  TWorker* Person(const std::string& sn, const std::string& surname) {
    TWorker* w = arena.Make<TWorker>();
    w->SN = sn;
    w->Surname = surname;
    w->Name = "ИВАН";
    w->Patronymic = "ИВАНОВИЧ";
    return w;
  }
  TWorker* IS(const std::string& sn, const std::string& surname = "ИВАНОВ", const std::string& packNum = "1") {
    TWorker* w = Person(sn, surname);
    w->PackNum = packNum;
    w->NumInPack = std::to_string(is.size() + 1);
    is.push_back(w);
    return w;
  }
  TWorker* Listed(const std::string& sn, const std::string& surname = "ИВАНОВ", const std::string& subNum = "7") {
    TWorker* w = Person(sn, surname);
    w->SubNum = subNum;
    list.fWorkers.push_back(w);
    return w;
  }
  // A merged period; dates "dd.mm" of 2023.
  TWorkPeriod* Period(TWorker* w, const std::string& from, const std::string& to, std::vector<const char*> bases,
                      double rate = 1.0, const std::string& code = "") {
    TWorkPeriod* p = arena.Make<TWorkPeriod>();
    p->Start = ParseDate(from + ".2023");
    p->Finish = ParseDate(to + ".2023");
    for (const char* b : bases) p->Bases.Add(b);
    p->Rate = rate;
    p->ProfessionCode = code;
    if (!bases.empty()) w->HasLgotBasis = true;
    w->MergedWorkPeriods.push_back(p);
    return p;
  }

  // Class names of the tables of a result list, in order.
  static std::vector<std::string> Names(const std::vector<std::unique_ptr<TResult>>& results) {
    std::vector<std::string> names;
    for (const auto& r : results) names.push_back(dynamic_cast<const TTableResult&>(*r).ClassName());
    return names;
  }
  std::vector<std::string> Errors() const { return Names(ver.FErrorResults); }
  std::vector<std::string> Warnings() const { return Names(ver.fWarningResults); }

  const TTableResult* Find(const std::string& className) const {
    for (const auto* results : {&ver.FErrorResults, &ver.fWarningResults})
      for (const auto& r : *results)
        if (auto* t = dynamic_cast<const TTableResult*>(r.get()); t->ClassName() == className) return t;
    return nullptr;
  }
  size_t Rows(const std::string& className) const { return Find(className) ? Find(className)->Count() : 0; }
  std::vector<std::string> Row(const std::string& className, size_t index = 0) const {
    return Rows(className) > index ? Find(className)->Record(index)->Cells() : std::vector<std::string>{};
  }

  TDataArena arena;
  // What the run is asked for; the tests set its options.
  TRunParams params;
  TTheList list{arena};
  TVerification ver{arena, params};
  std::vector<TWorker*> is;
};

}  // namespace zz::test
