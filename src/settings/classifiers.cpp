// Reading the shipped classifier files into the code lists.
#include "settings/classifiers.h"

#include <optional>
#include <stdexcept>
#include <utility>

#include "base/logger.h"
#include "base/utils.h"
#include "settings/settings.h"
#include "xml/xml_dom.h"

namespace zz {

namespace {

constexpr const char* kSchemaFile = "perech-lmvt.xsd";
constexpr const char* kDataFile = "perech-lmvt-additional.xml";
constexpr const char* kSeniorityType = "КлассификаторДополнительныхСведенийИсчисленияСтажа";

void Announce(const std::string& title) { TLogger::GetInstance().AddEntry(title, false); }

// Children Y of the first element X under the root.
std::vector<xmlNode*> Group(xmlNode* root, const std::string& x, const std::string& y) {
  return ChildElements(FindFirstDescendant(root, x), y);
}

std::vector<std::string> ReadSeniorityCodes() {
  std::filesystem::path path = RequireShippedFile(kSchemaFile);
  std::string error;
  TXmlDocPtr doc = LoadDomDocument(path, &error);
  if (!doc) throw std::runtime_error("Не удалось прочитать файл " + std::string(kSchemaFile) + ": " + error);
  xmlNode* root = xmlDocGetRootElement(doc.get());
  for (xmlNode* type : ChildElements(root, "simpleType", true)) {
    if (AttributeText(type, "name") != kSeniorityType) continue;
    std::vector<std::string> codes;
    for (xmlNode* restriction : ChildElements(type, "restriction", true))
      for (xmlNode* e : ChildElements(restriction, "enumeration", true)) codes.push_back(AttributeText(e, "value"));
    return codes;
  }
  throw std::runtime_error("В файле " + std::string(kSchemaFile) + " нет типа " + kSeniorityType);
}

}  // namespace

TClassifierMap& Classifiers() {
  static TClassifierMap classifiers;
  return classifiers;
}

const std::vector<std::string>& ClassifierList(TClassifierType type) {
  auto it = Classifiers().find(type);
  if (it == Classifiers().end()) throw std::out_of_range("Item not found");
  return it->second;
}

bool InClassifier(TClassifierType type, std::string_view text) {
  for (const std::string& entry : ClassifierList(type))
    if (!entry.empty() && text.find(entry) != std::string_view::npos) return true;
  return false;
}

bool AnyInClassifier(TClassifierType type, std::initializer_list<std::string_view> texts) {
  for (std::string_view t : texts)
    if (InClassifier(type, t)) return true;
  return false;
}

namespace {

// What the two files hold, read before anything is announced or filled.
struct TClassifierFiles {
  std::vector<std::string> Seniority;
  bool HasData = false;
  // Each list with the title it is announced under, in the order they are built.
  std::vector<std::pair<std::string, std::pair<TClassifierType, std::vector<std::string>>>> Lists;
};

TClassifierFiles ReadClassifierFiles() {
  TClassifierFiles files;
  files.Seniority = ReadSeniorityCodes();

  TDomRoot data = LoadDomRoot(FindShippedFile(kDataFile));
  if (!data.root) return files;
  files.HasData = true;
  xmlNode* root = data.root;
  auto add = [&](const std::string& title, TClassifierType type, std::vector<std::string> list) {
    files.Lists.push_back({title, {type, std::move(list)}});
  };
  auto attributeList = [&](const std::string& title, TClassifierType type, const char* group, const char* item,
                           const char* attribute, const char* requiredAttribute = nullptr) {
    std::vector<std::string> list;
    for (xmlNode* n : Group(root, group, item))
      if (!requiredAttribute || HasAttribute(n, requiredAttribute)) list.push_back(AttributeText(n, attribute));
    add(title, type, std::move(list));
  };

  attributeList("*** Список льгот под ДТ", ctAddTariff, "НеобходимостьПроставленияДополнительногоТарифа", "Льгота",
                "Наименование");
  attributeList("*** Список дополнительных данных ИС", ctAddPdData, "ОсобыеПериоды", "Период", "Наименование");
  attributeList("*** Список дополнительных данных ИС в РСВ-1, специфичных для РСВ-1", ctAddPdDataRsv, "ОсобыеПериоды",
                "Период", "Наименование", "рсв");

  std::vector<std::string> from, to;
  for (xmlNode* pair : Group(root, "СоответствиеОснованийЛьгот", "ОдноименныеЛьготы")) {
    std::vector<xmlNode*> bases = ChildElements(pair, "Льгота");
    if (!bases.empty()) from.push_back(AttributeText(bases[0], "Наименование"));
  }
  add("*** Обновление оснований льгот FROM", ctReplaceFrom, std::move(from));
  for (xmlNode* pair : Group(root, "СоответствиеОснованийЛьгот", "ОдноименныеЛьготы")) {
    std::vector<xmlNode*> bases = ChildElements(pair, "Льгота");
    if (bases.size() > 1) to.push_back(AttributeText(bases[1], "Наименование"));
  }
  add("*** Обновление оснований льгот TO", ctReplaceTo, std::move(to));

  auto partTime = [](xmlNode* n) {
    return AttributeText(n, "ЛьготноеОснование") + ";" + AttributeText(n, "Код") + ";" +
           AttributeText(n, "ОснованиеВыслуги");
  };
  std::vector<std::string> errors;
  for (xmlNode* n : Group(root, "ОшибкиНеполнойСтавки", "Ошибка")) {
    std::string entry = partTime(n);
    if (HasAttribute(n, "ДопустимаяСтавка")) entry = AttributeText(n, "ДопустимаяСтавка") + ";" + entry;
    errors.push_back(entry);
  }
  add("*** Ошибки неполной ставки", ctPartTimeError, std::move(errors));
  std::vector<std::string> warnings;
  for (xmlNode* n : Group(root, "ПредупрежденияНеполнойСтавки", "Предупреждение")) warnings.push_back(partTime(n));
  add("*** Предупреждения неполной ставки", ctPartTimeWarning, std::move(warnings));

  attributeList("*** Даты начала действия кодов дополнительных сведений ИС", ctAddPdDataStartDates, "ОсобыеПериоды",
                "Период", "ДействуетС");
  attributeList("*** Даты окончания действия кодов дополнительных сведений ИС", ctAddPdDataEndDates, "ОсобыеПериоды",
                "Период", "ДействуетПо");
  return files;
}

std::optional<TClassifierFiles>& Preloaded() {
  static std::optional<TClassifierFiles> files;
  return files;
}

}  // namespace

void PreloadClassifiers() {
  try {
    Preloaded() = ReadClassifierFiles();
  } catch (const std::exception&) {
    Preloaded().reset();
  }
}

bool ClassifierDataAvailable() { return Preloaded() ? Preloaded()->HasData : ReadClassifierFiles().HasData; }

void FillClassifiers() {
  TClassifierMap& map = Classifiers();
  Announce("*** Классификатор дополнительных сведений исчисления стажа");
  std::optional<TClassifierFiles> read;
  if (!Preloaded()) read = ReadClassifierFiles();
  const TClassifierFiles& files = Preloaded() ? *Preloaded() : *read;
  map[ctAddStag] = files.Seniority;
  if (!files.HasData) return;
  TSettings::GetInstance().FHasXMLClassifiers = true;
  for (const auto& [title, list] : files.Lists) {
    Announce(title);
    map[list.first] = list.second;
  }
}

}  // namespace zz
