// Reading a Perechen document into its staff positions and named list.
#include "list/the_list.h"

#include <cmath>
#include <optional>
#include <stdexcept>

#include "base/reporting_period.h"
#include "base/strings.h"
#include "xml/my_node.h"

namespace zz {

namespace {

const char kUnjustifiedStatus[] = "ПРОВЕРЕНА-ВКЛЮЧЕНА-НЕОБОСНОВАНО";

const TMyAttrib* Attribute(const TMyNode* node, std::string_view name) {
  return node ? node->Attributes().getNamedItem(name) : nullptr;
}

std::string AttributeOr(const TMyNode* node, std::string_view name, std::string_view fallback = {}) {
  const TMyAttrib* a = Attribute(node, name);
  return std::string(a ? a->text() : fallback);
}

std::string Where(const TMyNode* node) {
  if (!node) return "элемента ?";
  return "элемента " + node->GetXPath() + " (строка " + std::to_string(node->LineNumber()) + ")";
}

std::string RequiredAttribute(const TMyNode* node, std::string_view name) {
  const TMyAttrib* a = Attribute(node, name);
  if (!a) throw TListFieldError("нет атрибута " + std::string(name) + " у " + Where(node), node);
  return std::string(a->text());
}

std::string ChildText(const TMyNode* node, std::string_view name) {
  const TMyNode* child = node ? node->SelectSingleNode(name) : nullptr;
  return child ? std::string(child->text()) : std::string();
}

// The date of an attribute of `node`; a text that is no date makes the Perechen unreadable.
TDate DateOf(const TMyNode* node, std::string_view attribute, std::string_view text) {
  std::optional<TDate> date = TryParseDate(Trim(text));
  if (!date)
    throw TListFieldError(
        "'" + std::string(text) + "' не является датой (атрибут " + std::string(attribute) + " у " + Where(node) + ")",
        node);
  return *date;
}
TDate RequiredDate(const TMyNode* node, std::string_view attribute) {
  return DateOf(node, attribute, RequiredAttribute(node, attribute));
}

double ListNumber(const TMyNode* node, std::string_view what) {
  double value = 0;
  const std::string_view text = node->text();
  if (!TryParseListNumber(text, value))
    throw TListFieldError(
        "'" + std::string(text) + "' не является числом (" + std::string(what) + ", " + Where(node) + ")", node);
  return value;
}

// The insurance number with its twelfth character made a blank (NNN-NNN-NNN NN); shorter numbers
// stay as they are.
std::string NormalizeSN(const std::string& sn) {
  size_t chars = 0;
  for (size_t i = 0; i < sn.size(); ++i) {
    if ((static_cast<unsigned char>(sn[i]) & 0xC0) == 0x80) continue;  // continuation byte
    if (++chars == 12) {
      size_t end = i + 1;
      while (end < sn.size() && (static_cast<unsigned char>(sn[end]) & 0xC0) == 0x80) ++end;
      return sn.substr(0, i) + " " + sn.substr(end);
    }
  }
  return sn;
}

std::string PositionKey(const TBases& bases, std::string_view profCode) {
  std::string key = bases.DelimitedText();
  key += '\x1f';
  key += profCode;
  return key;
}

// The codes as a multi-line text: each code followed by a line break.
std::string BasesAsLines(const TBases& bases) {
  std::string text;
  for (const std::string& code : bases.Codes()) text += code + "\r\n";
  return text;
}

}  // namespace

bool TryParseListNumber(std::string_view text, double& value) {
  std::string trimmed = Trim(text);
  if (trimmed.find(',') != std::string::npos) return false;
  double parsed = 0;
  if (!TryParseDouble(trimmed, parsed) || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

TTheList::TTheList() : fOwnArena(std::make_unique<TDataArena>()), fArena(fOwnArena.get()) {}

TTheList::TTheList(TDataArena& arena) : fArena(&arena) {}

TTheList::~TTheList() = default;

void TTheList::AddMessage(std::unique_ptr<TListError> message) { fParseErrors_List.push_back(std::move(message)); }

bool TTheList::QuarterBounds(int year, int period, TDate& QBegin, TDate& QEnd) const {
  if (year < 1 || year > 9999) throw std::runtime_error("неверный отчетный год " + std::to_string(year));
  const int q0 = FirstQuarterOfPeriod(year, period);
  static constexpr unsigned kFirstMonth[] = {0, 1, 4, 7, 10};
  if (q0 < 1 || q0 > 4 || fPeriod < 1 || fPeriod > 4) return false;
  QBegin = FAccumulate ? MakeDate(year, 1, 1) : MakeDate(year, kFirstMonth[q0], 1);
  QEnd = LastDayOfMonth(year, static_cast<unsigned>(fPeriod) * 3);
  return true;
}

void TTheList::readStaff(int year, int period, const TMyNode* listNode) {
  TDate QB{}, QE{};
  try {
    if (!QuarterBounds(year, period, QB, QE)) return;
  } catch (const std::exception& e) {
    WriteLogException(e);
    return;
  }
  fQBegin = QB;
  fQEnd = QE;

  const TMyNode* enterprise = listNode ? listNode->SelectSingleNode("Предприятие") : nullptr;
  if (!enterprise) throw TListFieldError("в Перечне нет элемента Предприятие (" + Where(listNode) + ")", listNode);
  fOrgName = RequiredAttribute(enterprise, "Наименование");

  fWarmDays = SeasonDays(enterprise, TSeason::Heating, QB, QE);
  fNavDays = SeasonDays(enterprise, TSeason::Navigation, QB, QE);

  TMyNodeList subdivisions = enterprise->SelectNodes("Подразделение");
  int withoutNameList = 0;
  for (const TMyNode* sub : subdivisions) {
    std::string number = AttributeOr(sub, "Номер");
    double warmDays = SeasonDays(sub, TSeason::Heating, QB, QE);
    if (warmDays == 0) warmDays = fWarmDays;
    double navDays = SeasonDays(sub, TSeason::Navigation, QB, QE);
    if (navDays == 0) navDays = fNavDays;
    std::string name = AttributeOr(sub, "Наименование");

    if (const TMyNode* nameList = sub->SelectSingleNode("ПоименныйСписок"))
      readWorkersList(QB, QE, nameList, number, name);
    else
      ++withoutNameList;

    for (const TMyNode* p : sub->SelectNodes("Позиция")) {
      const TMyAttrib* endAttr = Attribute(p, "ДатаКон");
      std::optional<TDate> end;
      if (endAttr) {
        end = DateOf(p, "ДатаКон", endAttr->text());
        if (*end < QB) continue;
      }
      TBases grounds = ReadBases(p);
      const TMyNode* codeNode = p->SelectSingleNode("ПозицияСписка");
      std::string code = codeNode ? Utf8Upper(codeNode->text()) : std::string();

      if (Utf8Upper(AttributeOr(p, "СтатусПроверки")) == kUnjustifiedStatus) {
        TNodeData node(p);
        THtml text =
            THtml::Text("Позиция штатного расписания (Профессия=" + ChildText(p, "Профессия") +
                        ", ОснованиеЛьготы=" + BasesAsLines(grounds) + ", ПозицияСписка=" + code +
                        ") из подразделения №:" + number + ", Наименование:\"" + name + "\"") +
            HtmlBr() +
            THtml::Text(std::string(" - не учитывается при сверке т.к. имеет статус \"") + kUnjustifiedStatus + "\"");
        AddMessage(std::make_unique<TBadPositionListError>(text, 0, 0, &node, false));
        continue;
      }

      std::string terr = ChildText(p, "ТерриториальныеУсловия");
      TPosition* position = GetPositionByBasesAndCode(grounds, code, terr);
      if (!position) {
        position = fArena->Make<TPosition>();
        position->fPost = ChildText(p, "Профессия");
        position->fTerrCond = terr;
        if (codeNode) position->fProfessionCode = code;
        position->Bases = grounds;
        AddPosition(position);
      }

      TDate begin = RequiredDate(p, "ДатаНач");
      if (begin < QB) begin = QB;
      if (end && *end > QE) end = QE;

      double count = 0;
      if (!TryParseListNumber(ChildText(p, "КоличествоШтат"), count)) {
        position->fPost = ChildText(p, "Профессия");
        AddMessage(std::make_unique<TListError>(
            "Некорректное заполнение перечня. Доли ставок в штатном расписании следует писать через точку, а "
            "не запятую. Основания льготы:" +
                position->Bases.DelimitedText() + ", профессия:" + position->fPost,
            0, 0, nullptr, true));
        continue;
      }
      position->fWorkingDays += position->WorkingDaysIn(QB, QE, {begin, end, count}, {warmDays, navDays});
      position->fQuantityByPositions += count;
    }
  }

  if (withoutNameList > 0) {
    TNodeData node(enterprise);
    AddMessage(std::make_unique<TNoNameListListError>(
        "Предупреждение. Нет поименных списков в " + std::to_string(withoutNameList) + " подразделениях из " +
            std::to_string(subdivisions.size()) + " подразделений Перечня.",
        0, 0, &node, false));
  }
}

double TTheList::SeasonDays(const TMyNode* node, TSeason season, TDate QBegin, TDate QEnd) {
  const bool heating = season == TSeason::Heating;
  const char* element = heating ? "ОтопительныйСезон" : "НавигационныйСезон";
  // Joined directly to "ного периода": «отопительнного», «навигационного».
  const std::string kind = heating ? "отопительн" : "навигацион";
  const TDate yearBegin = MakeDate(fYear, 1, 1);
  const TDate yearEnd = MakeDate(fYear, 12, 31);

  double sum = 0;
  int i = 0;
  for (const TMyNode* s : node->SelectNodes(element)) {
    ++i;
    TNodeData where(s);
    const TMyAttrib* b = Attribute(s, "ДатаНач");
    TDate begin = b ? DateOf(s, "ДатаНач", b->text()) : yearBegin;
    if (YearOf(begin) > fYear)
      AddMessage(std::make_unique<TWrongPeriod>("Неверно указан год начала " + std::to_string(i) + "-го " + kind +
                                                    "ного периода! (" + std::to_string(YearOf(begin)) + ")",
                                                0, 0, &where, true));
    if (begin < yearBegin) begin = yearBegin;

    const TMyAttrib* e = Attribute(s, "ДатаКон");
    TDate end = e ? DateOf(s, "ДатаКон", e->text()) : yearEnd;
    if (YearOf(end) != fYear)
      AddMessage(std::make_unique<TWrongPeriod>("Неверно указан год окончания " + std::to_string(i) + "-го " + kind +
                                                    "ного периода! (" + std::to_string(YearOf(end)) + ")",
                                                0, 0, &where, YearOf(end) < fYear));
    if (end > yearEnd) end = yearEnd;

    if (begin < QBegin) begin = QBegin;
    if (end > QEnd) end = QEnd;
    if (begin <= QEnd && end >= QBegin) sum += DaysInclusive(begin, end);
  }
  return sum;
}

TBases TTheList::ReadBases(const TMyNode* node) const {
  TBases bases;
  for (const TMyNode* g : node->SelectNodes("ОснованиеЛьготы"))
    if (g->text() != "КВАЛИФ") bases.Add(g->text());
  return bases;
}

void TTheList::readWorkersList(TDate QBeginDate, TDate QEndDate, const TMyNode* NamesList, const std::string& numSub,
                               const std::string& SubName) {
  if (!NamesList) return;
  TMyNodeList people = NamesList->SelectNodes("Работник");
  for (const TMyNode* w : people) {
    std::string sn = NormalizeSN(RequiredAttribute(w, "СтраховойНомер"));
    if (TWorker* known = FindWorkerBySN(sn)) {
      ReadWorkPeriods(known, numSub, w, QEndDate, QBeginDate);
      continue;
    }
    if (Utf8Upper(AttributeOr(w, "Комментарий")) == "ISARCHIVE") continue;

    TWorker* worker = fArena->Make<TWorker>();
    if (const TMyAttrib* a = Attribute(w, "Фамилия")) worker->Surname = Utf8Upper(Trim(a->text()));
    if (const TMyAttrib* a = Attribute(w, "Имя")) worker->Name = Utf8Upper(Trim(a->text()));
    if (const TMyAttrib* a = Attribute(w, "Отчество")) worker->Patronymic = Utf8Upper(Trim(a->text()));
    worker->SN = sn;
    worker->SubNum = numSub;
    ReadWorkPeriods(worker, numSub, w, QEndDate, QBeginDate);
    if (worker->WorkPeriods.empty()) continue;  // stays in the arena, unreachable
    worker->NodeData = TNodeData(w);
    worker->PaymentsNodeData = TNodeData(w);
    fWorkers.push_back(worker);
    fWorkersBySN.emplace(worker->SN, worker);
  }
  if (people.empty()) {
    TNodeData where(NamesList);
    AddMessage(std::make_unique<TNoPeopleInNameListListError>(
        "Предупреждение. У подразделения №" + numSub + ", \"" + SubName + "\" пуст поименный список", 0, 0, &where,
        false));
  }
}

void TTheList::ReadWorkPeriods(TWorker* worker, const std::string& numSub, const TMyNode* workerNode, TDate QEnd,
                               TDate QBegin) {
  for (const TMyNode* r : workerNode->SelectNodes("ПериодРаботы")) {
    TWorkPeriod* period = fArena->Make<TWorkPeriod>();
    bool keep = false;
    try {
      keep = ReadWorkPeriod(period, r, QEnd, QBegin);
    } catch (const std::exception&) {
      TNodeData where(r);
      AddMessage(std::make_unique<TBadPeriodListError>(
          "Ошибка заполнения одного из полей в периоде работы льготника из поименного списка к Перечню. " +
              worker->Surname + " " + worker->Name + " " + worker->Patronymic + " (" + worker->SN + ")",
          0, 0, &where, true));
      continue;
    }
    if (keep) MergeOrAppend(worker, period, numSub);
  }
}

bool TTheList::ReadWorkPeriod(TWorkPeriod* n, const TMyNode* r, TDate QEnd, TDate QBegin) const {
  n->NodeData = TNodeData(r);
  if (const TMyAttrib* comment = Attribute(r, "Комментарий")) {
    if (comment->text() == "isArchive") return false;
    n->Comment = std::string(comment->text());
  }

  n->Start = RequiredDate(r, "ДатаНач");
  if (n->Start > QEnd) return false;
  if (n->Start < QBegin) n->Start = QBegin;
  n->Finish = RequiredDate(r, "ДатаКон");
  if (n->Finish < QBegin) return false;
  if (n->Finish > QEnd) n->Finish = QEnd;

  n->Note = ChildText(r, "Примечание");
  n->Profession = ChildText(r, "Профессия");
  n->Bases = ReadBases(r);

  if (const TMyNode* rate = r->SelectSingleNode("Ставка")) {
    n->RateNodeData = TNodeData(rate);
    n->Rate = ListNumber(rate, "Ставка");
  } else {
    n->Rate = 1.0;
  }

  n->TerritoryCondition = ChildText(r, "ТерриториальныеУсловия");
  if (const TMyNode* c = r->SelectSingleNode("ПозицияСписка")) n->ProfessionCode = Utf8Upper(c->text());
  if (const TMyNode* c = r->SelectSingleNode("ДополнительныйТариф")) n->AddTariff = Utf8Upper(c->text());
  if (const TMyNode* c = r->SelectSingleNode("КлассУТ")) n->WC = Utf8Upper(c->text());
  if (const TMyNode* c = r->SelectSingleNode("ОснованиеИсчисленияСтажа")) n->SetSeniorityBase(Utf8Upper(c->text()));

  if (n->Bases.HasBases("27-ПД")) {
    if (const TMyNode* c = r->SelectSingleNode("Часы")) n->PDRKHours = ListNumber(c, "Часы");
    if (const TMyNode* c = r->SelectSingleNode("Минуты")) n->PDRKMinutes = ListNumber(c, "Минуты");
  }

  if (const TMyNode* fact = r->SelectSingleNode("ФактическиОтработано")) {
    n->FactNodeData = TNodeData(fact);
    struct {
      const char* element;
      TSharedText* field;
    } parts[] = {{"Месяцев", &n->Months}, {"Дней", &n->Days}, {"Часов", &n->Hours}, {"Минут", &n->Minutes}};
    for (auto& part : parts) {
      std::string text = ChildText(fact, part.element);
      if (!text.empty()) *part.field = text;
    }
  }

  std::string addData = ChildText(r, "ДополнительныеСведенияИсчисленияСтажа");
  if (!addData.empty()) n->AddPdData._Set(addData);
  return true;
}

void TTheList::MergeOrAppend(TWorker* worker, TWorkPeriod* n, const std::string& numSub) {
  const bool groups28 = n->Bases.HasBases("28-1") || n->Bases.HasBases("28-2");
  // A worker of a few periods is scanned; one of many has them filed by dates from then on.
  constexpr size_t kScanned = 16;
  std::vector<TWorkPeriod*> scanned;
  std::vector<TWorkPeriod*>* sameDates = &scanned;
  if (worker->WorkPeriods.size() <= kScanned) {
    for (TWorkPeriod* x : worker->WorkPeriods)
      if (x->Start == n->Start && x->Finish == n->Finish) scanned.push_back(x);
  } else {
    auto filed = fPeriodsByDates.find(worker);
    if (filed == fPeriodsByDates.end()) {
      filed = fPeriodsByDates.emplace(worker, TPeriodsByDates()).first;
      for (TWorkPeriod* x : worker->WorkPeriods) filed->second[{x->Start, x->Finish}].push_back(x);
    }
    sameDates = &filed->second[{n->Start, n->Finish}];
  }
  for (TWorkPeriod* x : *sameDates) {
    bool merge = false;
    if (x->Matches(*n)) {
      merge = true;
    } else if (groups28) {
      merge = x->Bases.HasBases(n->Bases) && x->ProfessionCode == n->ProfessionCode;
    } else if (x->Bases.HasBases("27-ГДХР") || x->Bases.HasBases("27-СМХР") || x->Bases.HasBases("27-ПДРК")) {
      merge = false;
    } else {
      merge = x->Bases.HasBases(n->Bases);
    }
    if (merge) {
      x->Rate += n->Rate;
      return;  // n stays in the arena, unreachable
    }
  }
  n->NumSub = numSub;
  worker->AddWorkperiod(n);
  if (sameDates != &scanned) sameDates->push_back(n);
}

void TTheList::AddPosition(TPosition* position) {
  fPositions.push_back(position);
  fPositionsByKey[PositionKey(position->Bases, position->fProfessionCode)].push_back(position);
}

TPosition* TTheList::GetPositionByBasesAndCode(const TBases& Bases, std::string_view profCode,
                                               std::string_view terrCond) const {
  std::string code = Utf8Upper(profCode);
  std::string terr = Utf8Upper(terrCond);
  auto it = fPositionsByKey.find(PositionKey(Bases, code));
  if (it == fPositionsByKey.end()) return nullptr;
  for (TPosition* p : it->second)
    if (p->Matches(Bases, code, terr)) return p;
  return nullptr;
}

TWorker* TTheList::FindWorkerBySN(std::string_view sn) const {
  auto it = fWorkersBySN.find(std::string(sn));
  return it == fWorkersBySN.end() ? nullptr : it->second;
}

}  // namespace zz
