// Finding an IS file's registration number in its first elements.
#include "isdata/reg_num_head.h"

#include <algorithm>
#include <vector>

#include "isdata/base_data.h"
#include "xml/xml_head.h"

namespace zz {

namespace {

// The element of the number by the root and the namespaces it declares: the rule of
// TBaseDataReader::Read. Empty when the root is "ЭДФЗЖ" of no known generation.
std::string RegNumElement(std::string_view root, const std::vector<std::string_view>& attributes) {
  if (root != "ЭДФЗЖ") return "РегистрационныйНомер";
  auto declares = [&](std::string_view name) {
    return std::find(attributes.begin(), attributes.end(), name) != attributes.end();
  };
  if (declares("xmlns:ЕФС")) return "ЕФС:РегНомер";
  if (declares("xmlns:ИС5")) return PrefixesOf(umfRedHot).UT + "РегНомер";
  if (declares("xmlns:ИС4")) return PrefixesOf(umfNewest).UT + "РегНомер";
  if (declares("xmlns:АФ4")) return PrefixesOf(umfNew).UT + "РегНомер";
  if (declares("xmlns:АФ")) return PrefixesOf(umfOld).UT + "РегНомер";
  return {};
}

}  // namespace

TRegNumHeadScan::TRegNumHeadScan() {
  TXmlHeadReader::TEvents events;
  events.Start = [this](std::string_view name, const std::vector<std::string_view>& attributes, int depth) {
    if (depth > 0) return true;
    fElement = RegNumElement(name, attributes);
    if (fElement.empty()) fProblem = "формат ИС с 2017 года не распознан";
    return !fElement.empty();
  };
  events.End = [this](std::string_view name, std::string_view text, int depth) {
    if (depth == 0 || name != fElement) return true;
    fRegNum = std::string(text);
    if (fRegNum.empty()) fProblem = "регистрационный номер не заполнен";
    return false;
  };
  fReader = std::make_unique<TXmlHeadReader>(std::move(events));
}

TRegNumHeadScan::~TRegNumHeadScan() = default;

bool TRegNumHeadScan::Feed(std::string_view bytes) {
  if (fFinished) return false;
  if (fFed + bytes.size() > kMaxBytes) bytes = bytes.substr(0, kMaxBytes - fFed);
  fFed += bytes.size();
  if (!fReader->Feed(bytes)) {
    fFinished = true;
    return false;
  }
  if (fFed >= kMaxBytes) {
    fProblem = "в первом мегабайте файла нет регистрационного номера";
    fFinished = true;
    return false;
  }
  return true;
}

void TRegNumHeadScan::Finish() {
  if (fFinished) return;
  fReader->Finish();
  fFinished = true;
}

std::string TRegNumHeadScan::Problem() const {
  if (!fRegNum.empty()) return {};
  if (!fProblem.empty()) return fProblem;
  if (!fReader->Error().empty()) return "файл XML не читается: " + fReader->Error();
  return "в файле нет регистрационного номера";
}

}  // namespace zz
