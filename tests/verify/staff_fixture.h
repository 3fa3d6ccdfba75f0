#pragma once
// A verification with hand-made IS workers and a hand-made Perechen, for the checks that compare
// them. Classifier lists are our own small ones and are emptied again after each test.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "list/the_list.h"
#include "results/result_records.h"
#include "results/result_tables.h"
#include "settings/classifiers.h"
#include "settings/settings.h"
#include "support/process_state.h"
#include "verify/verification.h"

namespace zz::test {

class CheckFixture : public FreshProcessTest {
 protected:
  CheckFixture() {
    auto& c = Classifiers();
    // Additional-data codes with their validity, side by side.
    c[ctAddPdData] = {"НЕОПЛ", "ВРНЕТРУД", "ДЕКРЕТ", "ДЕТИ", "ДОГОВОР", "НОВЫЙ", "СТАРЫЙ", "ПОЗДНИЙ"};
    c[ctAddPdDataStartDates] = {"", "", "", "", "", "01.07.2019", "", "01.01.2020"};
    c[ctAddPdDataEndDates] = {"", "", "", "", "", "", "30.06.2019", ""};
    c[ctAddTariff] = {"27-1", "27-2", ""};
    c[ctAddStag] = {"СЕЗОН"};
    list = std::make_unique<TTheList>(arena);
    list->fYear = 2019;
    list->fPeriod = 4;
    v = std::make_unique<TVerification>(arena, params);
  }
  ~CheckFixture() override {
    v.reset();
    list.reset();
  }

  TWorker* Worker(const std::string& sn, const std::string& surname) {
    TWorker* w = arena.Make<TWorker>();
    w->SN = sn;
    w->Surname = surname;
    w->Name = "ИВАН";
    return w;
  }
  // An IS worker of pack 7, appended to `is`.
  TWorker* IsWorker(const std::string& sn, const std::string& surname = "ИВАНОВ") {
    TWorker* w = Worker(sn, surname);
    w->PackNum = "7";
    w->NumInPack = std::to_string(is.size() + 1);
    is.push_back(w);
    return w;
  }
  // A named-list worker of subdivision 1.
  TWorker* ListWorker(const std::string& sn, const std::string& surname = "ИВАНОВ") {
    TWorker* w = Worker(sn, surname);
    w->SubNum = "1";
    list->fWorkers.push_back(w);
    return w;
  }

  // A period ("dd.mm.yyyy" dates, empty text = no date) that is also one of the worker's merged
  // periods, as the driver leaves them.
  TWorkPeriod* Period(TWorker* w, const char* start, const char* finish, std::vector<const char*> bases,
                      const std::string& code = "", std::vector<const char*> addData = {}, double rate = 1.0) {
    TWorkPeriod* p = arena.Make<TWorkPeriod>();
    if (*start) p->Start = ParseDate(start);
    if (*finish) p->Finish = ParseDate(finish);
    for (const char* b : bases) p->Bases.Add(b);
    p->ProfessionCode = code;
    for (const char* d : addData) EXPECT_TRUE(p->AddPdData._Set(d)) << d;
    p->Rate = rate;
    w->WorkPeriods.push_back(p);
    w->MergedWorkPeriods.push_back(p);
    return p;
  }

  TPosition* Position(std::vector<const char*> bases, const std::string& code, double days, double units = 1,
                      const std::string& terrCond = "") {
    TPosition* q = arena.Make<TPosition>();
    for (const char* b : bases) q->Bases.Add(b);
    q->fProfessionCode = code;
    q->fWorkingDays = days;
    q->fQuantityByPositions = units;
    q->fTerrCond = terrCond;
    list->fPositions.push_back(q);
    return q;
  }

  TAddTariffPayment* Payment(TWorker* w, double sum, const std::string& wc = "", const std::string& row = "") {
    TAddTariffPayment* p = arena.Make<TAddTariffPayment>(atb1, wc, sum, row);
    w->AddTariffPayments.push_back(p);
    return p;
  }

  // Class names of the blocks of one result list, in order.
  static std::vector<std::string> Names(const std::vector<std::unique_ptr<TResult>>& results) {
    std::vector<std::string> names;
    for (const auto& r : results) names.push_back(dynamic_cast<const TTableResult&>(*r).ClassName());
    return names;
  }
  std::vector<std::string> Errors() const { return Names(v->FErrorResults); }
  std::vector<std::string> Warnings() const { return Names(v->fWarningResults); }

  // The table of that class in either list; null when there is none.
  TTableResult* Table(const std::string& className) const {
    for (const auto* results : {&v->FErrorResults, &v->fWarningResults})
      for (const auto& r : *results)
        if (auto* t = dynamic_cast<TTableResult*>(r.get()); t && t->ClassName() == className) return t;
    return nullptr;
  }
  size_t Rows(const std::string& className) const { return Table(className) ? Table(className)->Count() : 0; }
  std::vector<std::string> Cells(const std::string& className, size_t row) const {
    TTableResult* t = Table(className);
    return t && row < t->Count() ? t->Record(row)->Cells() : std::vector<std::string>{};
  }

  TDataArena arena;
  // What the run is asked for; the tests set its options.
  TRunParams params;
  std::unique_ptr<TTheList> list;
  std::unique_ptr<TVerification> v;
  std::vector<TWorker*> is;
};

}  // namespace zz::test
