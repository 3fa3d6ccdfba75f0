// Reading one ЛьготныйСтаж element's codes into a period, and the warnings they give.
#include "pack/lgot_codes.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "base/strings.h"
#include "isdata/classifier_access.h"
#include "pack/is_names.h"
#include "pack/pack.h"
#include "xml/my_node.h"

namespace zz {

const std::vector<std::string> HoursBaseCodes = {"ПД",      "САМОЛЕТ", "СПЕЦАВ", "ИТСИСП",   "ЛЕТИСП", "ИНСПЕКТ",
                                                 "ОПЫТИСП", "ИСПКЛС1", "ИТСМАВ", "РЕАКТИВН", "НОРМСП"};

namespace {

const TMyNode* Child(const TMyNode* node, const std::string& name) {
  return node ? node->SelectSingleNode(name) : nullptr;
}

std::string TextOf(const TMyNode* node) { return node ? std::string(node->text()) : std::string(); }

bool IsJumpCode(std::string_view code) { return code == "РЕАКТИВН" || code == "НОРМСП"; }

bool IsFlightCode(std::string_view code) {
  return std::find(FlightBaseCodes.begin(), FlightBaseCodes.end(), code) != FlightBaseCodes.end();
}

// A number held as a number; a text that is not one fails the work period.
double NumberOf(const TMyNode* node) {
  double value = 0;
  if (!TryParseDouble(node->text(), value))
    throw std::runtime_error("Значение \"" + std::string(node->text()) + "\" тега <" + node->NodeName() +
                             "> не является числом");
  return value;
}

// Hours and minutes inside the ВЛ element: flight codes and jump counts keep their text, the ПД
// family holds numbers.
void ReadVLHours(const TIsNames& names, const TMyNode* vl, TWorkPeriod& period, const std::string& code) {
  const TMyNode* hours = Child(vl, names.Hours);
  if (!hours) return;
  period.FactNodeData = TNodeData(hours);
  if (const TMyNode* h = hours->SelectSingleNode(names.HoursHours)) {
    if (IsFlightCode(code) || IsJumpCode(code)) {
      period.Hours = h->text();
    } else {
      period.PDRKHoursNodeData = TNodeData(hours);
      period.PDRKHours = NumberOf(h);
    }
  }
  if (const TMyNode* m = hours->SelectSingleNode(names.HoursMinutes)) {
    if (IsFlightCode(code)) {
      period.Minutes = m->text();
    } else {
      period.PDRKHoursNodeData = TNodeData(hours);
      period.PDRKMinutes = NumberOf(m);
    }
  }
}

bool EntryMatches(const std::string& entry, std::string_view o, std::string_view p, std::string_view v) {
  if (o.empty() || v.empty()) return false;
  return Contains(entry, o) && Contains(entry, v) && (p.empty() || Contains(entry, p));
}

}  // namespace

int CheckPartTime(std::string_view OUT, std::string_view ProfessionCode, std::string_view VL, double Rate) {
  for (const std::string& entry : ClassifierOrEmpty(ctPartTimeError)) {
    if (!EntryMatches(entry, OUT, ProfessionCode, VL)) continue;
    if (Rate >= 1) return 0;
    // An entry whose permitted rate is 0 tolerates a missing rate, not a fractional one.
    if (!entry.empty() && entry[0] == '0' && Rate == 0) return 0;
    return 2;
  }
  for (const std::string& entry : ClassifierOrEmpty(ctPartTimeWarning))
    if (EntryMatches(entry, OUT, ProfessionCode, VL)) return Rate < 1 ? 1 : 0;
  return 0;
}

void AddHoursWarnings(TPack& pack, TWorker& worker, TWorkPeriod& period, const std::string& VL) {
  if (IsJumpCode(VL)) {
    pack.JumpWarnings->AddRecord(std::make_unique<TJumpWarning>(TISSide{&worker, &period}, VL));
  } else if (Contains(VL, "ПД")) {
    if (period.PDRKHours == 0 && period.PDRKMinutes == 0)
      pack.PDRKWarnings->AddRecord(std::make_unique<TPDRKWarning>(TISSide{&worker, &period}, VL));
  } else {
    pack.FlightWarnings->AddRecord(std::make_unique<TFlightWarning>(TISSide{&worker, &period}, VL));
  }
}

TLgotCodes ReadLgotCodes(TPack& pack, const TIsNames& names, const TMyNode* codeNode, TWorkPeriod& period,
                         TWorker& worker, TSeniorityFlags& flags) {
  TLgotCodes codes;
  if (!codeNode) return codes;

  // Territorial condition.
  if (const TMyNode* tu = codeNode->SelectSingleNode(names.TU)) {
    if (const TMyNode* basis = tu->SelectSingleNode(names.TUBasis)) {
      period.TerritoryCondition = basis->text();
      if (const TMyNode* coeff = tu->SelectSingleNode(names.TUCoeff)) period.TerritoryCoeff = coeff->text();
      if (!period.TerritoryCondition.empty()) {
        period.TerrNodeData = TNodeData(tu);
        pack.TerrCodes().push_back(std::make_unique<TTerrCodeData>(TISSide{&worker, &period}));
      }
    }
  }

  // Special conditions and the position in the list of jobs.
  const TMyNode* out = codeNode->SelectSingleNode(names.OUT);
  codes.OUT = TextOf(Child(out, names.OUTCode));
  if (!codes.OUT.empty()) period.ProfessionCode = Utf8Upper(TextOf(Child(out, names.OUTPosition)));

  // Long service.
  const TMyNode* vl = codeNode->SelectSingleNode(names.VL);
  codes.VL = TextOf(Child(vl, names.VLBasis));
  if (!codes.VL.empty()) {
    const TMyNode* rate = vl->SelectSingleNode(names.VLRate);
    double value = 0;
    period.Rate = rate && TryParseDouble(rate->text(), value) ? value : 0;
    if (rate) period.RateNodeData = TNodeData(rate);

    int partTime = CheckPartTime(codes.OUT, period.ProfessionCode, codes.VL, period.Rate);
    if (partTime == 1)
      pack.PartTimeWarnings->AddRecord(
          std::make_unique<TPartTimeResult>(TISSide{&worker, &period}, codes.OUT, codes.VL));
    else if (partTime == 2)
      pack.PartTimeErrors->AddRecord(std::make_unique<TPartTimeResult>(TISSide{&worker, &period}, codes.OUT, codes.VL));

    if (codes.VL == "27-15") {
      if (const TMyNode* calendar = vl->SelectSingleNode(names.Calendar)) {
        period.FactNodeData = TNodeData(calendar);
        if (const TMyNode* m = calendar->SelectSingleNode(names.CalendarMonths)) period.Months = m->text();
        if (const TMyNode* d = calendar->SelectSingleNode(names.CalendarDays)) period.Days = d->text();
      }
    }

    for (const std::string& hoursCode : HoursBaseCodes)
      if (Contains(codes.VL, hoursCode)) {
        ReadVLHours(names, vl, period, codes.VL);
        AddHoursWarnings(pack, worker, period, codes.VL);
        break;
      }
  }

  // Additional data: only the first element counts.
  if (const TMyNode* addPd = codeNode->SelectSingleNode(names.AddPd)) {
    std::string code(addPd->text());
    if (!period.AddPdData._Set(code))
      pack.AddPackError("Код дополнительных данных ИС \"" + code + "\" в периоде работы [" + period.pPeriodString() +
                        "] ЗЛ со СНИЛС " + worker.SN + " не входит в число допустимых");
  }

  // Calculated seniority and its worked time.
  if (const TMyNode* is = codeNode->SelectSingleNode(names.IS)) {
    if (const TMyNode* basis = is->SelectSingleNode(names.ISBasis)) {
      period.SeniorityNodeData = TNodeData(basis);
      period.SetSeniorityBase(basis->text());
      if (basis->text() == "СЕЗОН") flags.Season = true;
      if (basis->text() == "УИК104") flags.UIK = true;
    }
    if (const TMyNode* calendar = is->SelectSingleNode(names.Calendar)) {
      period.FactNodeData = TNodeData(calendar);
      std::string months = TextOf(calendar->SelectSingleNode(names.CalendarMonths));
      std::string days = TextOf(calendar->SelectSingleNode(names.CalendarDays));
      if (!months.empty()) period.Months = months;
      if (!days.empty()) period.Days = days;
    }
    if (const TMyNode* hours = is->SelectSingleNode(names.Hours)) {
      period.FactNodeData = TNodeData(hours);
      std::string h = TextOf(hours->SelectSingleNode(names.HoursHours));
      std::string m = TextOf(hours->SelectSingleNode(names.HoursMinutes));
      if (!h.empty()) period.Hours = h;
      if (!m.empty()) period.Minutes = m;
    }
  }

  // Working-conditions class (ЕФС-1): "3.x" is harmful (В), "4" dangerous (О).
  if (!names.SOUT.empty()) {
    std::string wc = TextOf(Child(codeNode->SelectSingleNode(names.SOUT), names.SOUTCode));
    if (StartsWith(wc, "3"))
      wc = "В" + wc;
    else if (StartsWith(wc, "4"))
      wc = "О" + wc;
    period.WC = wc;
  } else {
    period.WC.clear();
  }
  return codes;
}

// ------------------------------------------------------------------------------------------------
// Payments

namespace {

double SumOf(const TMyNode* node) {
  double value = 0;
  if (!TryParseDouble(node->text(), value))
    throw std::runtime_error("Сумма \"" + std::string(node->text()) + "\" тега <" + node->NodeName() +
                             "> не является числом");
  return value;
}

// 2017 generation: one payment at the tariff of point 1 per payment period with a positive sum.
void Read2017Payments(TPack& pack, const TIsNames& names, const TMyNode* workerNode, TWorker& worker) {
  std::vector<const TMyNode*> periods;
  for (const TMyNode* payments : workerNode->SelectNodes("ВыплатыДТ")) {
    TMyNodeList inner = payments->SelectNodes("Период");
    // Without "Период" children the element holds its sums itself.
    if (inner.empty())
      periods.push_back(payments);
    else
      periods.insert(periods.end(), inner.begin(), inner.end());
  }
  if (periods.empty()) return;
  worker.AddTariffPayments.clear();
  worker.PaymentsNodeData = TNodeData(periods.front());
  std::string wc;
  for (const TMyNode* period : periods) {
    // Children grouped by name would not matter here: the sum does not depend on order.
    double sum = 0;
    for (const TMyNode* child : period->ChildNodes()) {
      const std::string& name = child->NodeName();
      if (name == "КодСОУТ") {
        wc = child->text();
      } else if (Contains(name, names.TariffSum) && (Contains(name, "ДопТарифП1") || Contains(name, "ДопТарифП2_18"))) {
        sum += SumOf(child);
      }
    }
    if (sum > 0) worker.AddTariffPayments.push_back(pack.Arena->Make<TAddTariffPayment>(atb1, wc, sum, ""));
  }
}

bool InSomePeriod(const TWorker& worker, int month) {
  for (const TWorkPeriod* p : worker.WorkPeriods)
    if (static_cast<int>(MonthOf(p->Start)) <= month && month <= static_cast<int>(MonthOf(p->Finish))) return true;
  return false;
}

// Before 2017: the sums of a total row count when a later month row falls inside a period of the
// person; in a СЗВ-6-4 a month row inside a period makes the next total row count at once.
void ReadPre2017Payments(TPack& pack, const TMyNode* workerNode, TWorker& worker) {
  TMyNodeList rows = workerNode->SelectNodes("СуммаВыплатИвознагражденийПоДопТарифу");
  if (rows.empty()) rows = workerNode->SelectNodes("СведенияОсуммеВыплатИвознагражденийПоДопТарифу");
  if (!rows.empty()) worker.PaymentsNodeData = TNodeData(rows.front());

  std::vector<TAddTariffPayment*> pending;
  bool hasPending = false;
  bool takeNext = false;
  const bool szv64 = pack.BaseData.PDType() == pdtSZV64;
  for (const TMyNode* row : rows) {
    const TMyNode* type = row->SelectSingleNode("ТипСтроки");
    if (!type) continue;
    if (type->text() == "МЕСЦ") {
      int month = 0;
      const TMyNode* m = row->SelectSingleNode("Месяц");
      if (!m || !TryParseInt(m->text(), month)) continue;
      bool inPeriod = InSomePeriod(worker, month);
      if (szv64 && !hasPending && inPeriod) {
        takeNext = true;
      } else if (hasPending && inPeriod) {
        worker.AddTariffPayments.insert(worker.AddTariffPayments.end(), pending.begin(), pending.end());
        pending.clear();
        hasPending = false;
      }
    } else if (type->text() == "ИТОГ") {
      pending.clear();
      hasPending = false;
      std::string wc = TextOf(row->SelectSingleNode("КодСпециальнойОценкиУсловийТруда"));
      std::string rowCode = TextOf(row->SelectSingleNode("КодСтроки"));
      // Document order: the payments keep the order of their sums in the row.
      std::vector<const TMyNode*> sums;
      for (const TMyNode* child : row->ChildNodes())
        if (Contains(child->NodeName(), "СуммаВыплатПоДопТарифу")) sums.push_back(child);
      std::stable_sort(sums.begin(), sums.end(),
                       [](const TMyNode* a, const TMyNode* b) { return a->LineNumber() < b->LineNumber(); });
      // Each payment goes to its place as it is read: a sum that is not a number ends the reading,
      // and the payments read before it stay.
      for (const TMyNode* child : sums) {
        const std::string& name = child->NodeName();
        TAddTariffBase base;
        if (Contains(name, "27-1"))
          base = atb1;
        else if (Contains(name, "27-2-18"))
          base = atb218;
        else
          continue;
        TAddTariffPayment* payment = pack.Arena->Make<TAddTariffPayment>(base, wc, SumOf(child), rowCode);
        if (takeNext) {
          worker.AddTariffPayments.push_back(payment);
        } else {
          pending.push_back(payment);
          hasPending = true;
        }
      }
      takeNext = false;
    }
  }
}

}  // namespace

void ReadTariffPayments(TPack& pack, const TIsNames& names, const TMyNode* workerNode, TWorker& worker) {
  worker.PaymentsNodeData = worker.NodeData;
  switch (names.Generation) {
    case ig2017: {
      TPDType kind = pack.BaseData.PDType();
      if (kind == pdtSZVStag) {
        worker.HasAT = true;
        return;
      }
      if (kind == pdtSZVCorr && pack.BaseData.Year() >= 2017) worker.HasAT = true;
      Read2017Payments(pack, names, workerNode, worker);
      return;
    }
    case igEFS1: return;
    case igPre2017: try { ReadPre2017Payments(pack, workerNode, worker);
      } catch (const std::exception& e) {
        pack.WriteLogEntry("---ошибка при чтении выплат по доп. тарифу ЗЛ со СНИЛС " + worker.SN + ": " + e.what(),
                           true);
      }
      return;
  }
}

}  // namespace zz
