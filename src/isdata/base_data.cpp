// Recognition of an IS file's employer, document kind, generation and reporting period.
#include "isdata/base_data.h"

#include <vector>

#include "base/logger.h"
#include "base/strings.h"
#include "base/utils.h"
#include "isdata/work_period.h"
#include "xml/my_node.h"

namespace zz {

std::string PDTypeName(TPDType type) {
  switch (type) {
    case pdtSZV61: return "СЗВ-6-1";
    case pdtSZV62: return "СЗВ-6-2";
    case pdtSPV1: return "СПВ-1";
    case pdtSZV64: return "СЗВ-6-4";
    case pdtRSV1: return "РСВ-1";
    case pdtSPV2: return "СПВ-2";
    case pdtSZVStag: return "СЗВ-СТАЖ";
    case pdtSZVCorr: return "СЗВ-КОРР";
    case pdtSZVBase: return "СЗВ-ИСХ";
    case pdtEFS1: return "ЕФС-1";
  }
  return {};
}

bool IsPre2017Kind(TPDType type) { return type <= pdtSPV2; }

TIsPrefixes PrefixesOf(TUtModeFormat mode) {
  switch (mode) {
    case umfNone: return {};
    case umfOld: return {"УТ:", "ИС:", "ВС:", "АФ:"};
    case umfNew: return {"УТ2:", "ИС2:", "ВС2:", "АФ4:"};
    case umfNewest: return {"УТ2:", "ИС4:", "ВС2:", "АФ4:"};
    case umfRedHot: return {"УТ2:", "ИС5:", "ВС2:", "АФ5:"};
  }
  return {};
}

std::string UtDataTypeName(TUtDataType type) {
  switch (type) {
    case udtBaseBase: return "";
    case udtCorrCorr: return "Корректирующая";
    case udtStagBase: return "Исходная";
    case udtStagAdd: return "Дополняющая";
    case udtStagPens: return "Назначение пенсии";
  }
  return {};
}

TBaseData::TBaseData(const TBaseData& BaseData, const TWorkPeriod& Period) : TBaseData(BaseData) {
  FYear = Period.Year;
  FCorrYear = Period.CorrYear;
  FCorrection = FCorrYear != FYear;
}

namespace {

const char kRoot2017[] = "ЭДФЗЖ";

// The first element of that name at any depth below the node, or null.
const TMyNode* FirstBelow(const TMyNode* node, std::string_view name) {
  if (!node) return nullptr;
  TMyNodeList found = node->GetElementsByTagName(name);
  return found.empty() ? nullptr : found.front();
}

const TMyNode* Child(const TMyNode* node, std::string_view name) {
  return node ? node->SelectSingleNode(name) : nullptr;
}

std::optional<int> IntOf(const TMyNode* node) {
  int value = 0;
  if (!node || !TryParseInt(node->text(), value)) return std::nullopt;
  return value;
}

struct TKindRow {
  const char* TypeText;
  TPDType Kind;  // pdtSZV61 for the first row stands for "by ВидФормы"
  const char* Header;
};

const TKindRow kPre2017Kinds[] = {
    {"СВЕДЕНИЯ_О_СТРАХОВЫХ_ВЗНОСАХ_И_СТРАХОВОМ_СТАЖЕ_ЗЛ", pdtSZV61, "ВХОДЯЩАЯ_ОПИСЬ_ПО_СТРАХОВЫМ_ВЗНОСАМ"},
    {"СВЕДЕНИЯ_О_СУММЕ_ВЫПЛАТ_О_СТРАХОВЫХ_ВЗНОСАХ_И_СТРАХОВОМ_СТАЖЕ_ЗЛ", pdtSZV64,
     "ВХОДЯЩАЯ_ОПИСЬ_ПО_СУММАМ_ВЫПЛАТ_И_ПО_СТРАХОВЫМ_ВЗНОСАМ"},
    {"СВЕДЕНИЯ_О_СУММЕ_ВЫПЛАТ_И_СТРАХОВОМ_СТАЖЕ_ЗЛ", pdtRSV1, "СВЕДЕНИЯ_ПО_ПАЧКЕ_ДОКУМЕНТОВ_РАЗДЕЛА_6"},
    {"СВЕДЕНИЯ_О_СТРАХОВОМ_СТАЖЕ_ЗЛ_ДЛЯ_УСТАНОВЛЕНИЯ_ПЕНСИИ", pdtSPV2, nullptr},
};

}  // namespace

// The steps of recognition, one rejection path each.
class TBaseDataReader : public TLoggingObject {
 public:
  std::optional<TBaseData> Read(const std::string& searchRegNum, const TMyNode* root, int searchYear, int searchPeriod);

 private:
  std::optional<TBaseData> Error(const std::string& text) {
    WriteLogEntry(text, true);
    return std::nullopt;
  }
  // A file of another period than the one asked for: not recognised, and not a fault of the file.
  std::optional<TBaseData> Skip(const std::string& why) {
    Info("---файл не подходит: " + why);
    return std::nullopt;
  }
  void Info(const std::string& text) { WriteLogEntry(text, false); }

  TBaseData fData;
  std::string fCodeName;
};

std::optional<TBaseData> TBaseDataReader::Read(const std::string& searchRegNum, const TMyNode* root, int searchYear,
                                               int searchPeriod) {
  if (!root) return Error("Не удалось прочитать файл XML");

  // Generation.
  TUtModeFormat mode = umfNone;
  bool efs1 = false;
  if (root->NodeName() == kRoot2017) {
    TMyAttribs attrs = root->Attributes();
    if (attrs.getNamedItem("xmlns:ЕФС")) {
      mode = umfRedHot;
      efs1 = true;
    } else if (attrs.getNamedItem("xmlns:ИС5")) {
      mode = umfRedHot;
    } else if (attrs.getNamedItem("xmlns:ИС4")) {
      mode = umfNewest;
    } else if (attrs.getNamedItem("xmlns:АФ4")) {
      mode = umfNew;
    } else if (attrs.getNamedItem("xmlns:АФ")) {
      mode = umfOld;
    } else {
      return Error("Не удалось распознать подвид формата ИС, действующего с 2017 года");
    }
  }
  const bool pre2017 = mode == umfNone;
  fData.FUtMode = mode;

  // Employer.
  std::string regTag = efs1 ? "ЕФС:РегНомер" : pre2017 ? "РегистрационныйНомер" : PrefixesOf(mode).UT + "РегНомер";
  const TMyNode* regNum = FirstBelow(root, regTag);
  if (!regNum) return Error("Не указан регистрационный номер");
  std::string found(regNum->text());
  Info("---РегистрационныйНомер=" + found);
  if (found != searchRegNum)
    return Error("Регистрационный номер \"" + found + "\" не совпадает с требуемым(\"" + searchRegNum + "\")");

  std::string typeText;
  if (pre2017) {
    const TMyNode* type = FirstBelow(root, "ТипДокумента");
    if (!type) return Error("Не указан тип документа");
    typeText = type->text();
    Info("---ТипДокумента=" + typeText);
  }

  if (efs1) {
    // ЕФС-1 reports whole years; each person's subsections say which.
    if (searchYear != 0 && searchYear < 2023)
      return Skip("ЕФС-1 не подаётся за " + std::to_string(searchYear) + " год");
    if (searchPeriod != 0 && searchPeriod != 4) return Skip("ЕФС-1 подаётся только за год");
    fData.FPDType = pdtEFS1;
    fData.FPeriod = fData.FCorrPeriod = 4;
    return fData;
  }

  // Form and header.
  const TMyNode* header = nullptr;
  if (!pre2017) {
    for (TPDType kind : {pdtSZVStag, pdtSZVCorr, pdtSZVBase})
      if ((header = FirstBelow(root, PDTypeName(kind)))) {
        fData.FPDType = kind;
        break;
      }
    if (!header) return Error("Форма документа не поддерживается");
  } else {
    const TMyNode* document = FirstBelow(root, typeText);
    if (!document) return Error("Не указан тип документа");
    std::vector<std::string> typeTexts;
    for (const TKindRow& row : kPre2017Kinds) typeTexts.push_back(row.TypeText);
    int index = IndexOfFirstMatch(typeText, typeTexts);
    if (index < 0) return Error("Тип документа \"" + typeText + "\" не поддерживается");
    const TKindRow& row = kPre2017Kinds[index];
    fData.FPDType = row.Kind;
    if (index == 0) {
      const TMyNode* form = Child(document, "ВидФормы");
      if (!form) return Error("Не указан вид формы (ВидФормы)");
      int which = IndexOfFirstMatch(form->text(), {"СПВ-1", "СЗВ-6-1", "СЗВ-6-2"});
      if (which < 0) return Error("Вид формы \"" + std::string(form->text()) + "\" не поддерживается");
      fData.FPDType = which == 0 ? pdtSPV1 : which == 1 ? pdtSZV61 : pdtSZV62;
    }
    Info("---ВидФормы=" + PDTypeName(fData.FPDType));
    header = FirstBelow(root, row.Header ? std::string(row.Header) : typeText);
    if (!header) return Error("Не найден заголовок документа " + std::string(row.Header ? row.Header : typeText));
  }

  // Data type and correction.
  if (pre2017) {
    const TMyNode* kind = Child(header, "ТипСведений");
    if (!kind) return Error("Не указан тип сведений (ТипСведений)");
    std::string text(kind->text());
    if (text.empty()) return Error("Не указан тип сведений (ТипСведений)");
    if (text == "ОТМЕНЯЮЩАЯ") return Skip("отменяющие сведения не сверяются");
    fData.FCorrection = text == "КОРРЕКТИРУЮЩАЯ";
    Info("---ТипСведений=" + text);
  } else {
    if (fData.FPDType != pdtSZVBase) {
      std::optional<int> type = IntOf(FirstBelow(header, "Тип"));
      if (!type) return Error("Не указан тип формы (Тип)");
      if (fData.FPDType == pdtSZVStag && *type == 0) {
        fData.FUtDataType = udtStagBase;
      } else if (fData.FPDType == pdtSZVStag && *type == 1) {
        fData.FUtDataType = udtStagAdd;
        fData.FCorrection = true;
      } else if (fData.FPDType == pdtSZVCorr && *type == 0) {
        fData.FUtDataType = udtCorrCorr;
        fData.FCorrection = true;
      } else {
        return Error("Тип формы документа не поддерживается");
      }
    }
    Info("---ТипСведений=" + UtDataTypeName(fData.FUtDataType));
  }

  // Category and contract of the files before 2017.
  const TPDType kind = fData.FPDType;
  if (kind == pdtSZV61 || kind == pdtSZV62 || kind == pdtSPV1 || kind == pdtSZV64) {
    const TMyNode* category = Child(header, "КодКатегории");
    if (!category || category->text().empty()) return Error("Не указан код категории (КодКатегории)");
    Info("---КодКатегории=" + std::string(category->text()));
    fData.FCategoryCode = category->text();
    if (kind == pdtSZV64) {
      const TMyNode* contract = Child(header, "ТипДоговора");
      if (!contract || contract->text().empty()) return Error("Не указан тип договора (ТипДоговора)");
      Info("---ТипДоговора=" + std::string(contract->text()));
      fData.FContractType = contract->text();
    }
  }

  // Reporting year and period.
  fCodeName = pre2017 ? "Квартал" : "Код";
  const TMyNode* reported = Child(header, "ОтчетныйПериод");
  std::optional<int> year = IntOf(Child(reported, "Год"));
  if (!year) return Error("Не указан отчетный год (ОтчетныйПериод/Год)");
  fData.FYear = *year;
  Info("---ОтчетныйПериодГод=" + std::to_string(*year));
  if (*year < 2010 || (kind == pdtSZV64 && *year < 2013) || ((kind == pdtRSV1 || kind == pdtSPV2) && *year < 2014))
    return Error("Форма " + PDTypeName(kind) + " не подаётся за " + std::to_string(*year) + " год");
  if (searchYear != 0 && *year != searchYear) return Skip("отчетный год " + std::to_string(*year) + " не выбран");
  std::optional<int> code = IntOf(Child(reported, fCodeName));
  if (!code) return Error("Не указан код отчетного периода (ОтчетныйПериод/" + fCodeName + ")");
  Info("---ОтчетныйПериодКвартал=" + std::to_string(*code));
  int period = QuarterOfPeriodCode(*year, *code);
  if (period < 0) return Error("Неверный код отчетного периода " + std::to_string(*code));
  if (searchYear != 0 && searchPeriod != 0 && period != searchPeriod)
    return Skip("отчетный период " + std::to_string(period) + " не выбран");
  fData.FPeriod = period;

  // Corrected period.
  fData.FCorrYear = fData.FYear;
  fData.FCorrPeriod = fData.FPeriod;
  if (fData.FCorrection) {
    const TMyNode* corrected = kind == pdtSZVStag ? reported
                               : kind == pdtSZVCorr ? Child(Child(header, "КорректируемыйПериод"), "ОтчетныйПериод")
                                                    : Child(header, "КорректируемыйОтчетныйПериод");
    std::optional<int> corrYear = IntOf(Child(corrected, "Год"));
    if (!corrYear) return Error("Не указан год корректируемого периода");
    Info("---КорректируемыйОтчетныйПериодГод=" + std::to_string(*corrYear));
    if (*corrYear < 2010) return Error("Корректируемый год " + std::to_string(*corrYear) + " ранее 2010");
    std::optional<int> corrCode = IntOf(Child(corrected, fCodeName));
    if (!corrCode) return Error("Не указан код корректируемого периода");
    Info("---КорректируемыйОтчетныйПериодКвартал=" + std::to_string(*corrCode));
    int corrPeriod = QuarterOfPeriodCode(*corrYear, *corrCode);
    if (corrPeriod < 0) return Error("Неверный код корректируемого периода " + std::to_string(*corrCode));
    fData.FCorrYear = *corrYear;
    fData.FCorrPeriod = corrPeriod;
  }
  if (searchPeriod != 0 && fData.FPeriod != searchPeriod && fData.FCorrPeriod != searchPeriod)
    return Skip("отчетный период " + std::to_string(fData.FPeriod) + " не выбран");
  return fData;
}

std::optional<TBaseData> TBaseData::TryGetBaseData(const std::string& SearchRegNum, const TMyNode* Node, int SearchYear,
                                                   int SearchPeriod) {
  try {
    return TBaseDataReader().Read(SearchRegNum, Node, SearchYear, SearchPeriod);
  } catch (const std::exception&) {
    // A failing log write must not end the search: the file is simply not recognised.
    return std::nullopt;
  }
}

}  // namespace zz
