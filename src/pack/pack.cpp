// The pack of one IS file: its tables, and the header read into it (date, number, organisation).
#include "pack/pack.h"

#include <algorithm>
#include <stdexcept>

#include "pack/is_names.h"
#include "pack/pack_nodes.h"
#include "pack/pack_reader.h"
#include "xml/my_node.h"

namespace zz {

using namespace packnode;

const std::vector<std::string> GdSmCodes = {"27-ГД", "27-СМ", "27-ГДХР", "27-СМХР"};

// ------------------------------------------------------------------------------------------------

TPack::TPack()
    : Arena(std::make_shared<TDataArena>()),
      AddPdDataWarnings(std::make_unique<TAddPdDataWarnings>()),
      PDRKWarnings(std::make_unique<TPDRKWarnings>()),
      FlightWarnings(std::make_unique<TFlightWarnings>()),
      PartTimeWarnings(std::make_unique<TPartTimeWarnings>()),
      PartTimeErrors(std::make_unique<TPartTimeErrors>()),
      JumpWarnings(std::make_unique<TJumpWarnings>()) {}

TPack::TPack(const TPack& Pack, const TWorkPeriod& Period) : TPack() {
  Arena = Pack.Arena;
  BaseData = TBaseData(Pack.BaseData, Period);
  FileName = Pack.FileName;
  FPackNum = Pack.FPackNum;
  FOrgName = Pack.FOrgName;
  FShortOrgName = Pack.FShortOrgName;
  FPackDate = Pack.FPackDate;
}

// Records in the tables point into the arena: they go first.
TPack::~TPack() {
  AddPdDataWarnings.reset();
  PDRKWarnings.reset();
  FlightWarnings.reset();
  PartTimeWarnings.reset();
  PartTimeErrors.reset();
  JumpWarnings.reset();
  FTerrCodes.clear();
}

std::vector<TTableResultWithPeriod*> TPack::Tables() const {
  return {AddPdDataWarnings.get(), PDRKWarnings.get(),   FlightWarnings.get(),
          PartTimeWarnings.get(),  PartTimeErrors.get(), JumpWarnings.get()};
}

void TPack::AddPackError(const std::string& text) {
  FPackErrors.push_back(std::make_unique<TProtocolMessage>(text, true));
}

std::optional<TDate> TPack::PackDateAsDate() const {
  if (std::optional<TDate> iso = TryParseIsoDate(FPackDate)) return iso;
  return TryParseDate(FPackDate);
}

void TPack::CountLgotWorkers() {
  FLgotWorkerCount =
      static_cast<int>(std::count_if(Workers.begin(), Workers.end(), [](const TWorker* w) { return w->HasLgotBasis; }));
  HasLgot = FLgotWorkerCount > 0;
}

std::unique_ptr<TPack> TPack::TryGetPackData(const TMyNode* XmlFile, TPDType PDType, TMessageList& FSearchErrors,
                                             const TBaseData& BaseData, const std::string& FileName) {
  if (!XmlFile || PDType != BaseData.PDType()) return nullptr;
  const TIsNames names(BaseData);
  const bool pre2017 = names.Generation == igPre2017;
  auto message = [&FSearchErrors](const std::string& text) {
    FSearchErrors.push_back(std::make_unique<TProtocolMessage>(text, true));
    return nullptr;
  };

  // Before 2017 the header sits inside the batch element (ПачкаВходящихДокументов), not at the root;
  // from 2017 on the format puts the service header at the root and nowhere else.
  const TMyNode* header = pre2017 ? ChildOrBelow(XmlFile, names.Header) : XmlFile->SelectSingleNode(names.Header);
  if (!header) return nullptr;

  const TMyNode* dateNode = header->SelectSingleNode(names.DateTag);
  if (!dateNode) return message("Отсутствует тег <" + names.DateTag + ">");
  std::string date(dateNode->text());
  if (!pre2017) date = FirstChars(date, 10);
  if (date.empty()) return message("Значение тега <" + names.DateTag + "> не указано");

  const TMyNode* numberNode = header->SelectSingleNode(names.NumberTag);
  if (!numberNode) return message("Отсутствует тег <" + names.NumberTag + ">");
  std::string main, sub;
  if (pre2017) {
    main = TextOf(numberNode->SelectSingleNode("Основной"));
    sub = TextOf(numberNode->SelectSingleNode("ПоПодразделению"));
  } else {
    main = numberNode->text();
  }
  if (main.empty() && sub.empty()) return message(pre2017 ? "Номер пачки не указан" : "GUID документа не указан");
  std::string number = !main.empty() && !sub.empty() ? main + "/" + sub : !main.empty() ? main : sub;

  const TMyNode* orgParent = pre2017 ? header : ChildOrBelow(XmlFile, names.OrgParent);
  if (!orgParent) return nullptr;
  const TMyNode* org = orgParent->SelectSingleNode(names.OrgTag);
  if (!org) return message("Отсутствует тег <" + names.OrgTag + ">");

  auto pack = std::make_unique<TPack>();
  pack->FPackDate = date;
  pack->FPackNum = number;
  if (pre2017) {
    if (const TMyNode* name = org->SelectSingleNode("НаименованиеОрганизации")) pack->FOrgName = name->text();
    if (const TMyNode* name = org->SelectSingleNode("НаименованиеКраткое")) pack->FShortOrgName = name->text();
  } else if (const TMyNode* name = org->SelectSingleNode(names.OrgName)) {
    pack->FOrgName = name->text();
    pack->FShortOrgName = pack->FOrgName;
  }
  pack->BaseData = BaseData;
  pack->FileName = FileName;
  return pack;
}

int TPack::ReadWorkers(const TMyNode* Node, int SearchYear) { return TPackReader(*this, SearchYear).ReadWorkers(Node); }

void TPack::InitWorker(const TMyNode* WorkerDataNode, int Number, const std::string& PackNum, TWorker& worker) {
  TPackReader(*this, 0).InitWorker(WorkerDataNode, Number, PackNum, worker);
}

}  // namespace zz
