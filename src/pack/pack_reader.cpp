// Reads the persons of an IS file, with their periods and codes, into its pack.
#include "pack/pack_reader.h"

#include <algorithm>
#include <stdexcept>

#include "base/strings.h"
#include "pack/lgot_codes.h"
#include "pack/pack_nodes.h"
#include "xml/my_node.h"

namespace zz {

using namespace packnode;

TPackReader::TMark TPackReader::Mark() const {
  TMark mark;
  for (TTableResultWithPeriod* table : fPack.Tables()) mark.Tables.push_back(table->Count());
  mark.TerrCodes = fPack.FTerrCodes.size();
  return mark;
}

void TPackReader::Withdraw(const TMark& mark) {
  std::vector<TTableResultWithPeriod*> tables = fPack.Tables();
  for (size_t i = 0; i < tables.size(); ++i)
    while (tables[i]->Count() > mark.Tables[i]) tables[i]->DeleteRecord(tables[i]->Count() - 1);
  if (fPack.FTerrCodes.size() > mark.TerrCodes) fPack.FTerrCodes.resize(mark.TerrCodes);
}

std::string TPackReader::NumberInPack(const TMyNode* node, int index) const {
  if (fNames.Generation == igPre2017) return TextOf(node->SelectSingleNode("НомерВпачке"));
  return std::to_string(index + 1);
}

TWorkPeriod* TPackReader::NewPeriod(int year, int corrYear) const {
  TWorkPeriod* period = fPack.Arena->Make<TWorkPeriod>();
  // Also periods that are not added keep their years: records that refer to them follow them
  // when an ЕФС-1 pack is split by year.
  period->Year = year;
  period->CorrYear = corrYear;
  return period;
}

void TPackReader::InitWorker(const TMyNode* node, int number, const std::string& packNum, TWorker& worker) const {
  worker.NodeData = TNodeData(node);
  worker.PaymentsNodeData = worker.NodeData;

  const TMyNode* fullName = node->SelectSingleNode(fNames.FullName);
  // A СЗВ-КОРР keeps the name inside its "ЗЛ" element.
  if (!fullName)
    if (const TMyNode* person = node->SelectSingleNode("ЗЛ")) fullName = person->SelectSingleNode(fNames.FullName);
  if (!fullName) MissingTag(fNames.FullName);
  worker.FullNameNodeData = TNodeData(fullName);
  worker.Surname = Utf8Upper(Required(fullName, fNames.Surname)->text());
  worker.Name = Utf8Upper(Required(fullName, fNames.Name)->text());
  const TMyNode* patronymic = fullName->SelectSingleNode(fNames.Patronymic);
  worker.Patronymic = patronymic ? Utf8Upper(patronymic->text()) : std::string();

  const TMyNode* sn = FirstBelow(node, fNames.SN);
  if (!sn) MissingTag(fNames.SN);
  worker.SN = NormaliseSN(std::string(sn->text()));
  worker.CategoryCode = "НР";
  worker.PackNum = packNum;
  worker.NumInPack = NumberInPack(node, number);
}

int TPackReader::ReadWorkers(const TMyNode* root) {
  TMyNodeList persons = root ? root->GetElementsByTagName(fNames.Person) : TMyNodeList();
  fPack.WriteLogEntry("---необходимо обработать " + std::to_string(persons.size()) +
                      " сведений (прочитать данные о человеке, периоды работы)");
  const bool efs1 = fNames.Generation == igEFS1;
  for (size_t i = 0; i < persons.size(); ++i) {
    const TMyNode* element = persons[i];
    const int index = static_cast<int>(i);
    TWorker* worker = fPack.Arena->Make<TWorker>();
    worker->IsEFS1 = efs1;
    const TMark mark = Mark();
    try {
      InitWorker(element, index, fPack.FPackNum, *worker);
      bool anyBlock = false;
      auto readBlock = [&](const TMyNode* block, int year, int corrYear) {
        ReadStagePeriods(block, *worker, year, corrYear);
        anyBlock = true;
      };
      if (efs1) {
        for (const TMyNode* block : element->SelectNodes("СЗВ-СТАЖ")) {
          int year = 0, corrYear = 0;
          if (const TMyNode* y = block->SelectSingleNode("ОтчетныйПериод"))
            if (!TryParseInt(y->text(), year))
              throw std::runtime_error("Неверный год \"" + std::string(y->text()) + "\"");
          if (const TMyNode* c = block->SelectSingleNode("КоррОтмПериод"))
            if (!TryParseInt(c->text(), corrYear))
              throw std::runtime_error("Неверный год \"" + std::string(c->text()) + "\"");
          if (corrYear == 0) corrYear = year;
          if (fSearchYear != 0 && corrYear != fSearchYear) continue;
          readBlock(block, year, corrYear);
        }
      } else {
        readBlock(element, 0, 0);
      }
      if (!anyBlock) continue;

      ReadTariffPayments(fPack, fNames, element, *worker);
      worker->HasLgotBasis =
          std::any_of(worker->WorkPeriods.begin(), worker->WorkPeriods.end(),
                      [](const TWorkPeriod* p) { return !p->Bases.Empty() || p->TerritoryCondition == kSelo; });
      fPack.Workers.push_back(worker);
      if (worker->HasLgotBasis) {
        fPack.HasLgot = true;
        ++fPack.FLgotWorkerCount;
      }
    } catch (const std::exception& e) {
      // The person is dropped; so is every record made for it, which would name a person the
      // pack does not list.
      Withdraw(mark);
      std::string number = NumberInPack(element, index);
      if (number.empty()) number = std::to_string(index + 1);
      fPack.AddPackError("Ошибка при разборе блока " + element->NodeName() + " в пачке № " + fPack.FPackNum +
                         ". Проверьте пачку на соответствие формату (например, программой CheckXML).");
      fPack.WriteLogEntry("---ошибка при разборе блока " + element->NodeName() + " в пачке № " + fPack.FPackNum +
                              ". Номер в пачке " + number,
                          true);
      fPack.WriteLogEntry("---" + std::string(e.what()), true);
    }
  }
  if (!fPack.HasLgot) fPack.AddPdDataWarnings->ClearRecords();
  return static_cast<int>(fPack.Workers.size());
}

void TPackReader::ReadStagePeriods(const TMyNode* block, TWorker& worker, int year, int corrYear) {
  std::vector<std::unique_ptr<TAddPdDataWarning>> candidates;
  for (const TMyNode* stage : block->SelectNodes(fNames.StagePeriod)) {
    const size_t periodsBefore = worker.WorkPeriods.size();
    const bool lgotBefore = worker.HasLgotBasis;
    const size_t candidatesBefore = candidates.size();
    const TMark mark = Mark();
    try {
      ReadStagePeriod(stage, worker, year, corrYear, candidates);
    } catch (const std::exception& e) {
      // Only this period is lost, with whatever it had added.
      worker.WorkPeriods.resize(periodsBefore);
      worker.HasLgotBasis = lgotBefore;
      candidates.resize(candidatesBefore);
      Withdraw(mark);
      std::string text = "Ошибка при разборе данных работника " + worker.SN + " в файле " + fPack.FileName;
      fPack.WriteLogEntry(text, true);
      fPack.AddPackError(text);
      fPack.WriteLogException(e);
    }
  }
  // A person without a preferential basis gets no additional-data row.
  if (worker.HasLgotBasis)
    for (auto& candidate : candidates) fPack.AddPdDataWarnings->AddRecord(std::move(candidate));
}

void TPackReader::AddSeparate(TWorker& worker, TWorkPeriod* period, const std::string& first, const std::string& second,
                              bool withDate) const {
  period->Bases.Clear();
  period->Bases.Add(first);
  if (!second.empty()) period->Bases.Add(second);
  period->PackNum = fPack.FPackNum;
  period->NumInPack = worker.NumInPack;
  period->Period = std::to_string(fPack.BaseData.Period());
  if (withDate) period->PackDate = fPack.FPackDate;
  worker.AddWorkperiod(period);
}

void TPackReader::ReadStagePeriod(const TMyNode* stage, TWorker& worker, int year, int corrYear,
                                  std::vector<std::unique_ptr<TAddPdDataWarning>>& candidates) {
  TWorkPeriod* main = NewPeriod(year, corrYear);
  TSeniorityFlags flags;
  main->NodeData = TNodeData(stage);
  main->RateNodeData = main->NodeData;
  main->SeniorityNodeData = main->NodeData;

  if (fNames.Generation == igPre2017) {
    main->Start = DateOf(Required(stage, fNames.Start), false);
    main->Finish = DateOf(Required(stage, fNames.Finish), false);
  } else {
    const TMyNode* dates = Required(stage, fNames.PeriodElement);
    main->Start = DateOf(Required(dates, fNames.Start), true);
    main->Finish = DateOf(Required(dates, fNames.Finish), true);
  }

  TLgotCodes first;
  TMyNodeList lgots = stage->SelectNodes(fNames.Lgot);
  for (size_t k = 0; k < lgots.size(); ++k) {
    const TMyNode* codeNode = fNames.LgotCodes.empty() ? lgots[k] : Required(lgots[k], fNames.LgotCodes);
    if (k == 0) {
      first = ReadLgotCodes(fPack, fNames, codeNode, *main, worker, flags);
      if (!first.VL.empty()) main->Bases.Add(first.VL);
      if (!first.OUT.empty()) main->Bases.Add(first.OUT);
      if (fNames.Generation == igPre2017) main->Profession = TextOf(codeNode->SelectSingleNode("ПрофессияДолжность"));
      continue;
    }

    // A further ЛьготныйСтаж: merged into the main period, or a period of its own.
    TWorkPeriod* extra = NewPeriod(year, corrYear);
    extra->Start = main->Start;
    extra->Finish = main->Finish;
    extra->NodeData = main->NodeData;
    extra->RateNodeData = main->NodeData;
    TSeniorityFlags extraFlags;
    TLgotCodes next = ReadLgotCodes(fPack, fNames, codeNode, *extra, worker, extraFlags);
    const bool contained = !next.VL.empty() && main->Bases.IndexOf(next.VL) >= 0;
    if (!main->Bases.Empty()) {
      if (!next.OUT.empty() && !main->ProfessionCode.empty()) {
        if (!extra->ProfessionCode.empty() && extra->ProfessionCode != main->ProfessionCode) {
          AddSeparate(worker, extra, next.OUT, next.VL, true);
          continue;
        }
        if (main->Bases.IndexOf(next.OUT) >= 0) next.OUT.clear();
      }
      if (!next.VL.empty()) {
        if (first.VL != next.VL && InGdSm(first.VL) && InGdSm(next.VL)) {
          AddSeparate(worker, extra, next.VL, next.OUT, false);
          continue;
        }
        main->Rate = contained ? main->Rate + extra->Rate : extra->Rate;
      }
    }
    for (TTableResultWithPeriod* table : fPack.Tables()) RepointPeriodRecords(*table, extra);
    if (!next.VL.empty() && !contained) main->Bases.Add(next.VL);
    if (!next.OUT.empty()) main->Bases.Add(next.OUT);
    main->AddPdData.Merge(extra->AddPdData);
    flags.Season = flags.Season || extraFlags.Season;
    flags.UIK = flags.UIK || extraFlags.UIK;
    if (main->ProfessionCode.empty()) main->ProfessionCode = extra->ProfessionCode;
    if (main->Rate == 0) main->Rate = extra->Rate;
    if (main->SeniorityBase().empty()) main->SetSeniorityBase(extra->SeniorityBase());
    ReleaseWorkPeriod(extra);
  }

  std::string ots;
  const bool added = !main->Bases.Empty() || main->TerritoryCondition == kSelo;
  if (added) {
    worker.HasLgotBasis = true;
    main->PackNum = fPack.FPackNum;
    main->NumInPack = worker.NumInPack;
    main->Period = std::to_string(fPack.BaseData.Period());
    worker.AddWorkperiod(main);
  } else if ((main->AddPdData.HasData() || flags.Season || flags.UIK) && !main->AddPdData.ValueByType(epdAdmin) &&
             !main->AddPdData.ValueByType(epdNoPay)) {
    // Only a period that may get a warning needs the text.
    ots = FormatDate(main->Start) + " - " + FormatDate(main->Finish) + " (ОТС)";
  }
  if (auto warning = TAddPdDataWarning::TryCreateAddPdDataWarning(TISSide{&worker, main}, flags.Season, flags.UIK, ots,
                                                                  &main->AddPdData))
    candidates.push_back(std::move(warning));
  else if (lgots.empty() && !added)
    // A period without any ЛьготныйСтаж that the person does not keep: no record was made for it
    // (records are made while the codes are read) and none is, so it goes at once.
    fPack.Arena->DiscardNewest(main);
}

void RepointPeriodRecords(TTableResultWithPeriod& table, TWorkPeriod* T) {
  auto it = table.Dict.find(T);
  if (it == table.Dict.end()) return;
  std::vector<TResultRecord*> kept;
  std::vector<std::pair<TResultRecord*, TWorkPeriod*>> moved;
  for (TResultRecord* record : it->second) {
    TWorkPeriod* target = nullptr;
    if (record->FWorker_PD)
      for (TWorkPeriod* p : record->FWorker_PD->WorkPeriods)
        if (p != T && p->Start == T->Start && p->Finish == T->Finish) {
          target = p;
          break;
        }
    auto* withPeriod = dynamic_cast<TResultRecordWithPeriod*>(record);
    if (!target || !withPeriod) {
      kept.push_back(record);
      continue;
    }
    withPeriod->FPeriod = target;
    record->FWorkPeriod_PD = target;
    moved.emplace_back(record, target);
  }
  if (kept.empty())
    table.Dict.erase(it);
  else
    it->second = std::move(kept);
  for (auto& [record, target] : moved) table.Dict[target].push_back(record);
}

}  // namespace zz
