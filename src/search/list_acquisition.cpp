// The query to the list server and the checks of a Perechen's header and format.
#include "search/list_acquisition.h"

#include <optional>
#include <stdexcept>

#include "base/exit_code.h"
#include "base/reporting_period.h"
#include "base/strings.h"
#include "base/utils.h"
#include "list/the_list.h"
#include "settings/settings.h"
#include "xml/my_parser.h"
#include "xml/schema_check.h"

namespace zz {

namespace {

const char kSchemaName[] = "perech-lmvt.xsd";
const char kNothingFound[] = "По запрашиваемым параметрам ничего найдено не было";

// The element itself or its first descendant of that name, in document order.
const TMyNode* FindAnywhere(const TMyNode* root, std::string_view name) {
  if (!root) return nullptr;
  if (root->NodeName() == name) return root;
  TMyNodeList found = root->GetElementsByTagName(name);
  return found.empty() ? nullptr : found.front();
}

std::string AttrText(const TMyNode* node, std::string_view name) {
  const TMyAttrib* a = node ? node->Attributes().getNamedItem(name) : nullptr;
  return a ? std::string(a->text()) : std::string();
}

}  // namespace

// ---------------------------------------------------------------------------------------------

TListAcquisition::TListAcquisition(const TRunParams& params, TListErrorSink sink, THttpGetLimits limits)
    : fParams(params), fSink(std::move(sink)), fLimits(limits) {}

void TListAcquisition::Add(std::unique_ptr<TListError> message) {
  if (fSink) fSink(std::move(message));
}

void TListAcquisition::RefuseReply(int year, int quarter, const std::string& reason) {
  Add(std::make_unique<TListError>(
      "Возникла ошибка при подключении к БД ПК \"Ливерто\". Проверьте настройки подключения.", year,
      PeriodCode(year, quarter), nullptr, true));
  fFailed = true;
  WriteLogEntry("---возникла ошибка при подключении к Ливерто", true);
  WriteLogEntry("---причина: " + reason, true);
  WriteLogEntry("---код завершения программы " + std::to_string(ecSettingsOrServer), true);
}

TListReply TListAcquisition::QueryListServer(const std::string& url, int year, int collect, int quarter) {
  std::string query = url;
  if (collect != -1) query += "&collect=" + std::to_string(collect);
  const int messageQuarter = PeriodCode(year, quarter);

  TMyParser parser;
  parser.HttpLimits = fLimits;
  TListReply reply;
  reply.Tree = parser.parse(query);
  const TMyNode* root = reply.Tree.get();

  if (!root) {
    RefuseReply(year, quarter,
                parser.LastError.empty() ? std::string("ответ не является документом XML") : parser.LastError);
    return {};
  }

  if (const TMyNode* mainMessage = FindAnywhere(root, "ОсновноеСообщение")) {
    const TMyNode* versionNode = FindAnywhere(root, "ВерсияПК");
    std::string version = versionNode ? std::string(versionNode->text()) : "не определена";
    const TMyNode* explanationNode = FindAnywhere(root, "Пояснение");
    std::string explanation = explanationNode ? std::string(explanationNode->text()) : std::string();

    THtml versionPart = HtmlBr() + THtml::Text("Версия ПК \"Ливерто\": " + version);
    THtml explanationPart;
    if (explanationNode) explanationPart = HtmlBr() + THtml::Text("Пояснение: " + explanation);

    if (explanationNode && Contains(explanation, kNothingFound)) {
      THtml warning = versionPart + explanationPart;
      Add(std::make_unique<TListError>(warning, year, messageQuarter, nullptr, false));
      WriteLogEntry("---возникло предупреждение при подключении к Ливерто: " + warning.Plain(), true);
      return {};
    }
    // Any other main message, with or without an explanation, is an error reply.
    THtml error = THtml::Text("Возникла ошибка при запросе к БД ПК \"Ливерто\":") + versionPart + HtmlBr() +
                  THtml::Text("Сообщение: " + std::string(mainMessage->text())) + explanationPart;
    fFailed = true;
    WriteLogEntry("---возникла ошибка при подключении к Ливерто: " + error.Plain(), true);
    WriteLogEntry("---код завершения программы " + std::to_string(ecSettingsOrServer), true);
    Add(std::make_unique<TListError>(error, year, messageQuarter, nullptr, true));
    return {};
  }

  reply.List = const_cast<TMyNode*>(FindAnywhere(root, "Перечень"));
  if (!reply.List) reply.Tree.reset();
  return reply;
}

bool TListAcquisition::CheckListHeader(const TMyNode* element, int year, int quarter, int regNumQuarter,
                                       std::string& description, bool& correcting) {
  correcting = false;
  try {
    if (!element) return false;
    const TMyNode* enterprise = element->SelectSingleNode("Предприятие");
    if (!enterprise) return false;
    const TMyAttrib* regNum = enterprise->Attributes().getNamedItem("РегНомер");
    if (!regNum || regNum->text() != fParams.GetActualRegNum(year, regNumQuarter)) return false;

    int listYear = 0;
    if (!TryParseInt(AttrText(element, "ОтчетныйГод"), listYear)) return false;
    if (year != 0 && year != listYear) return false;

    int listQuarter = ListElementQuarter(element);
    std::string accum = AttrText(element, "НакопитИтогом");
    if (!(quarter == 0 || listQuarter == quarter || (listQuarter > quarter && accum == "1"))) return false;

    const TMyAttrib* type = element->Attributes().getNamedItem("Тип");
    if (!type) return false;
    if (type->text() == "КОРРЕКТИРУЮЩИЙ") {
      correcting = true;
      WriteLogEntry("---перечень корректирующий");
    }
    description = "за " + std::to_string(listYear) + " год " + std::to_string(listQuarter) + " период";
    if (accum == "1") description += " (накопительным итогом)";
    return true;
  } catch (const std::exception& e) {
    WriteLogEntry(std::string("---заголовок Перечня не читается: ") + e.what(), true);
    return false;
  }
}

std::vector<std::string> TListAcquisition::CheckListFormat(const std::string& path) {
  const std::string kComponentMissing = "Не удается найти необходимый компонент для проверки формата Перечня";
  std::filesystem::path schemaPath = FindShippedFile(kSchemaName);
  std::string schemaBytes = ReadFileBytes(schemaPath, kSmallFileMaxBytes);  // throws when the schema is missing
  TXmlSchema schema(schemaBytes, schemaPath.string());
  if (!schema.Usable()) return {kComponentMissing};
  std::optional<TSchemaViolation> violation = schema.Validate(ReadFileBytes(path), path);
  if (!violation) return {};
  return {"Несоответствие требуемому формату xml (" + path + "):", violation->Message,
          "Строка " + std::to_string(violation->Line) + ", позиция " + std::to_string(violation->Column)};
}

// ---------------------------------------------------------------------------------------------

int ListElementQuarter(const TMyNode* element) {
  std::string months = Trim(AttrText(element, "ОтчетныйПериод"));
  if (months.empty() || months == "0") months = "12";
  int value = 0;
  if (!TryParseInt(months, value)) throw std::runtime_error("ОтчетныйПериод не число: " + months);
  return value / 3;
}

int ListElementYear(const TMyNode* element) {
  int value = 0;
  if (!TryParseInt(AttrText(element, "ОтчетныйГод"), value))
    throw std::runtime_error("ОтчетныйГод не число: " + AttrText(element, "ОтчетныйГод"));
  return value;
}

bool ListElementAccumulates(const TMyNode* element) { return AttrText(element, "НакопитИтогом") == "1"; }

TServerQuarterRange ServerQuarterRange(int year, int setQuarter) {
  return {PeriodOrdinal(year, setQuarter), PeriodsInYear(year)};
}

int ServerCollect(int p, int low) { return p > low ? low : -1; }

int ServerListPeriod(int year, int low) { return PeriodCode(year, low); }

std::string ServerListFileName(const std::string& description) {
  return "Перечень из БД ПК \"Ливерто\" " + description;
}

std::unique_ptr<TTheList> ReadListElement(const TMyNode* element, int year, int period, const std::string& fileName) {
  auto list = std::make_unique<TTheList>();
  list->fYear = year;
  list->fPeriod = period;
  list->FAccumulate = ListElementAccumulates(element);
  list->fFileName = fileName;
  list->readStaff(year, period, element);
  return list;
}

}  // namespace zz
