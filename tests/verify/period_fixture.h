#pragma once
// Hand-made workers and periods for the tests of period splitting and merging, the territorial-code
// check and the verification driver. Classifier lists are our own small ones.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "base/dates.h"
#include "base/strings.h"
#include "isdata/data_arena.h"
#include "isdata/work_period.h"
#include "isdata/worker.h"
#include "settings/classifiers.h"
#include "settings/settings.h"
#include "support/process_state.h"

namespace zz::test {

class PeriodFixture : public FreshProcessTest {
 protected:
  PeriodFixture() {
    auto& c = Classifiers();
    c[ctAddPdData] = {"АДМИНИСТР", "НЕОПЛ", "ВРНЕТРУД", "ДЕТИ", "ДЕКРЕТ", "ДОГОВОР", "ЗГД", "ЗМС", "СЕЗОНН"};
    // A period flagged "СЕЗОНН" is seniority-bearing.
    c[ctAddStag] = {"СЕЗОН"};
    c[ctAddPdDataRsv] = {};
    c[ctReplaceFrom] = {};
    c[ctReplaceTo] = {};
  }

  TWorker* Worker(const std::string& sn = "111-222-333 44") {
    TWorker* w = arena.Make<TWorker>();
    w->SN = sn;
    w->Surname = "ПЕТРОВ";
    w->Name = "ПЕТР";
    w->Patronymic = "ПЕТРОВИЧ";
    w->PackNum = "5";
    w->NumInPack = "1";
    return w;
  }

  // A period of the worker ("dd.mm.yyyy"), codes "27-1" and position code "ПК1" unless told.
  TWorkPeriod* Add(TWorker* w, const char* start, const char* finish, double rate = 1.0,
                   std::initializer_list<const char*> addData = {},
                   std::initializer_list<const char*> bases = {"27-1"}) {
    TWorkPeriod* p = arena.Make<TWorkPeriod>();
    p->Start = ParseDate(start);
    p->Finish = ParseDate(finish);
    for (const char* b : bases) p->Bases.Add(b);
    p->Rate = rate;
    p->ProfessionCode = "ПК1";
    for (const char* a : addData) EXPECT_TRUE(p->AddPdData._Set(a)) << a;
    p->PackNum = w->PackNum;
    p->NumInPack = w->NumInPack;
    w->AddWorkperiod(p);
    return p;
  }

  // "dd.mm.yyyy-dd.mm.yyyy:rate" for every period, in list order.
  static std::vector<std::string> Pieces(const std::vector<TWorkPeriod*>& periods) {
    std::vector<std::string> out;
    for (const TWorkPeriod* p : periods)
      out.push_back(FormatDate(p->Start) + "-" + FormatDate(p->Finish) + ":" + FormatNumber(p->Rate));
    return out;
  }

  TDataArena arena;
  // What the run is asked for; the tests set its options.
  TRunParams params;
};

}  // namespace zz::test
