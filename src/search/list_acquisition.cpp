// The query to the list server and the checks of a Perechen's header and format.
#include "search/list_acquisition.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>
#include <libxml/xmlversion.h>

#include <stdexcept>

#include "base/exit_code.h"
#include "base/reporting_period.h"
#include "base/strings.h"
#include "base/utils.h"
#include "list/the_list.h"
#include "settings/settings.h"
#include "settings/xml_dom.h"
#include "xml/my_parser.h"

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

// ---------------------------------------------------------------------------------------------
// Schema check

// The first error libxml2 reports while parsing or validating.
struct TFirstError {
  bool Set = false;
  std::string Message;
  int Line = 0;
  int Column = 0;
  std::string NodeName;
  bool NodeIsAttribute = false;
};

#if LIBXML_VERSION >= 21200
void KeepFirstError(void* ctx, const xmlError* e) {
#else
void KeepFirstError(void* ctx, xmlError* e) {
#endif
  auto* first = static_cast<TFirstError*>(ctx);
  if (!e || first->Set || e->level < XML_ERR_ERROR) return;
  first->Set = true;
  first->Message = e->message ? Trim(e->message) : std::string("ошибка");
  first->Line = e->line;
  first->Column = e->int2;
  if (auto* node = static_cast<xmlNode*>(e->node)) {
    if (node->type == XML_ELEMENT_NODE || node->type == XML_ATTRIBUTE_NODE) {
      long line = xmlGetLineNo(node->type == XML_ATTRIBUTE_NODE && node->parent ? node->parent : node);
      if (line > 0) first->Line = static_cast<int>(line);
      first->NodeName = node->name ? reinterpret_cast<const char*>(node->name) : "";
      first->NodeIsAttribute = node->type == XML_ATTRIBUTE_NODE;
    }
  }
}

void SilentGeneric(void*, const char*, ...) {}

// For the lifetime of the object every libxml2 error goes to `first` and nothing to standard
// error; the handlers installed before are restored afterwards.
class TErrorCapture {
 public:
  explicit TErrorCapture(TFirstError* first)
      : fGeneric(xmlGenericError),
        fGenericCtx(xmlGenericErrorContext),
        fStructured(xmlStructuredError),
        fStructuredCtx(xmlStructuredErrorContext) {
    xmlSetGenericErrorFunc(nullptr, &SilentGeneric);
    xmlSetStructuredErrorFunc(first, KeepFirstError);
  }
  ~TErrorCapture() {
    xmlSetStructuredErrorFunc(fStructuredCtx, fStructured);
    xmlSetGenericErrorFunc(fGenericCtx, fGeneric);
  }
  TErrorCapture(const TErrorCapture&) = delete;
  TErrorCapture& operator=(const TErrorCapture&) = delete;

 private:
  xmlGenericErrorFunc fGeneric;
  void* fGenericCtx;
  xmlStructuredErrorFunc fStructured;
  void* fStructuredCtx;
};

// Character position (1-based) of the node's name within its line; 1 when it cannot be found.
int ColumnOfNode(const std::string& bytes, int line, const std::string& name, bool attribute) {
  if (line < 1 || name.empty()) return 1;
  size_t start = 0;
  for (int l = 1; l < line; ++l) {
    start = bytes.find('\n', start);
    if (start == std::string::npos) return 1;
    ++start;
  }
  size_t end = bytes.find('\n', start);
  std::string_view text(bytes.data() + start, (end == std::string::npos ? bytes.size() : end) - start);
  size_t at = attribute ? text.find(name + "=") : text.find("<" + name);
  if (at == std::string_view::npos) return 1;
  return static_cast<int>(Utf8Length(text.substr(0, at))) + 1;
}

struct TSchemaFree {
  void operator()(xmlSchema* s) const { xmlSchemaFree(s); }
};
struct TSchemaParserFree {
  void operator()(xmlSchemaParserCtxt* c) const { xmlSchemaFreeParserCtxt(c); }
};
struct TSchemaValidFree {
  void operator()(xmlSchemaValidCtxt* c) const { xmlSchemaFreeValidCtxt(c); }
};

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
  InstallSafeEntityLoader();

  std::filesystem::path schemaPath = FindShippedFile(kSchemaName);
  std::string schemaBytes = ReadFileBytes(schemaPath, kSmallFileMaxBytes);  // throws when the schema is missing
  std::unique_ptr<xmlSchema, TSchemaFree> schema;
  {
    TFirstError ignored;
    TErrorCapture capture(&ignored);
    std::unique_ptr<xmlSchemaParserCtxt, TSchemaParserFree> parser(
        xmlSchemaNewMemParserCtxt(schemaBytes.data(), static_cast<int>(schemaBytes.size())));
    if (!parser) return {kComponentMissing};
    xmlSchemaSetParserStructuredErrors(parser.get(), KeepFirstError, &ignored);
    schema.reset(xmlSchemaParse(parser.get()));
    if (!schema) throw std::runtime_error("схема " + schemaPath.string() + " не разобрана: " + ignored.Message);
  }
  std::unique_ptr<xmlSchemaValidCtxt, TSchemaValidFree> validator(xmlSchemaNewValidCtxt(schema.get()));
  if (!validator) return {kComponentMissing};

  std::string bytes = ReadFileBytes(path);
  if (bytes.size() > static_cast<size_t>(INT32_MAX)) throw std::runtime_error("файл слишком велик: " + path);

  TFirstError first;
  TXmlDocPtr doc;
  {
    TErrorCapture capture(&first);
    doc.reset(xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), path.c_str(), nullptr,
                            XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_BIG_LINES));
    if (doc) {
      xmlSchemaSetValidStructuredErrors(validator.get(), KeepFirstError, &first);
      int rc = xmlSchemaValidateDoc(validator.get(), doc.get());
      if (rc != 0 && !first.Set) {
        first.Set = true;
        first.Message = "документ не соответствует схеме";
      }
    } else if (!first.Set) {
      first.Set = true;
      first.Message = "документ XML не прочитан";
    }
  }
  if (!first.Set) return {};

  int column = first.Column > 0 ? first.Column : ColumnOfNode(bytes, first.Line, first.NodeName, first.NodeIsAttribute);
  return {"Несоответствие требуемому формату xml (" + path + "):", first.Message,
          "Строка " + std::to_string(first.Line) + ", позиция " + std::to_string(column)};
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
