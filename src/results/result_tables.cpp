// The catalogue of tables: id, kind, chapter, title and header of each.
#include "results/result_tables.h"

#include <stdexcept>

#include "base/strings.h"
#include "isdata/add_pd_data.h"
#include "isdata/worker.h"
#include "results/result_records.h"

namespace zz {

namespace {

// A header cell written "text", "text|cN" (colspan N) or "text|rN" (rowspan N).
THeaderData Cell(std::string_view text) {
  THeaderData cell;
  size_t bar = text.rfind('|');
  if (bar == std::string_view::npos) {
    cell.Name = std::string(text);
    return cell;
  }
  cell.Name = std::string(text.substr(0, bar));
  std::string_view span = text.substr(bar + 1);
  if (!span.empty() && span[0] == 'c') cell.ColSpan = std::string(span.substr(1));
  if (!span.empty() && span[0] == 'r') cell.RowSpan = std::string(span.substr(1));
  return cell;
}

THeaderRows Header(std::initializer_list<std::initializer_list<std::string_view>> rows) {
  THeaderRows header;
  for (const auto& row : rows) {
    std::vector<THeaderData> cells;
    for (std::string_view text : row) cells.push_back(Cell(text));
    header.push_back(std::move(cells));
  }
  return header;
}

const char kNameList[] = "Сверка ИС и поименного списка к Перечню";
const char kWarnings[] = "Список предупреждений";
const char kErrors[] = "Список ошибок";
constexpr bool kError = true;
constexpr bool kWarning = false;

std::vector<TTableDescription> BuildCatalogue() {
  const std::string workingDaysChapter = "Сверка на количество дней занятости";
  const std::string workingDaysTitle =
      "Превышение количества рабочих дней в ИС по отношению к количеству рабочих дней позиций Перечня";
  const std::string addPdDataErrors =
      "Сверка на наличие льготных оснований в сочетании с дополнительными сведениями ИС";
  const std::string partTimeTitle =
      "Ставка для \"Выслуги лет\" 27-ГД, 27-ГДХР, 27-СМ или 27-СМХР и \"Особых условий труда\" 12300000-20426";
  const std::string factListTitle = "Отсутствие блока фактически отработанного времени в ИС";
  const std::string factIsTitle = "Отсутствие блока фактически отработанного времени в СПИСКЕ";

  const THeaderRows rateHeader = Header({{"№ пачки", "№ в пачке", "Страховое свидетельство", "ФИО", "Льгота", "Период",
                                          "Ставка в ИС", "Ставка в Перечне"}});
  const THeaderRows principalHeader =
      Header({{"Льгота", "№ пачки", "№ в пачке", "Страховое свидетельство", "ФИО", "Часы в ИС", "Часы в Перечне"}});
  const THeaderRows factListHeader = Header({{"Страховое свидетельство|r2", "ФИО|r2", "Особые условия труда|c2",
                                              "Период|r2", "Фактически отработано в Перечне|r2"},
                                             {"Льгота", "Код позиции списка"}});
  const THeaderRows factIsHeader = Header({{"Страховое свидетельство|r2", "ФИО|r2", "Особые условия труда|c2",
                                            "Период|r2", "Фактически отработано в ИС|r2"},
                                           {"Льгота", "Код позиции списка"}});
  const THeaderRows partTimeHeader =
      Header({{"№ пачки", "№ в пачке", "Страховое свидетельство", "ФИО", "Льгота", "Особые условия труда",
               "Выслуга лет", "Дата начала периода", "Дата конца периода", "Ставка"}});

  return {
      {"TPositionErrors", kError, "Сверка на наличие позиций в Перечне", "Позиции, отсутствующие в Перечне",
       Header({{"№ пачки|r2", "№ в пачке|r2", "Страховое свидетельство|r2", "ФИО|r2", "Особые условия труда|c2",
                "ТУ|r2", "Дополнительные сведения ИС|r2"},
               {"Льгота", "Код позиции списка"}})},
      {"TWorkingDaysErrors", kError, workingDaysChapter, workingDaysTitle,
       Header({{"Льгота|r2", "В позиции Перечня|c2", "В ИС|c2", "ОШИБКА|r2"},
               {"Количество ставок", "Дней", "Количество ИС", "Дней"}})},
      {"TWorkingDaysWarnings", kWarning, workingDaysChapter, workingDaysTitle,
       Header({{"Льгота|r2", "В позиции Перечня|c2", "В ИС|c2", "ОШИБКА|r2", "Из них ВРНЕТРУД или ДЕКРЕТ|r2"},
               {"Количество ставок", "Дней", "Количество ИС", "Дней"}})},
      {"TAddPdDataErrors", kError, addPdDataErrors, addPdDataErrors,
       Header({{"№ пачки", "№ в пачке", "Страховое свидетельство", "ФИО", "Льгота", "Код позиции списка",
                "Дополнительные сведения ИС", "Ошибка периода актуальности"}})},
      {"TPdInsNumErrors", kError, kNameList, "ЗЛ, указанные в ИС, но отсутствующие в поименном списке к Перечню",
       Header({{"№ пачки|r2", "№ в пачке|r2", "Страховое свидетельство|r2", "ФИО|r2", "Период|c2",
                "Особые условия труда|c2"},
               {"Дата начала периода", "Дата конца периода", "Льгота", "Код позиции списка"}})},
      {"TFullNameErrors", kError, kNameList, "ЗЛ с несовпадением ФИО",
       Header({{"№ пачки|r2", "№ в пачке|r2", "Страховое свидетельство|r2", "В ИС|c3", "№ подразделения в Перечне|r2",
                "В Перечне|c3"},
               {"Фамилия", "Имя", "Отчество", "Фамилия", "Имя", "Отчество"}})},
      {"TPrincipalErrors", kError, kNameList, "Расхождение в количестве часов по льготам 27-ПДРК(28-ПДРК)",
       principalHeader},
      {"TTeacherWarnings", kWarning, kNameList, "Расхождение в количестве часов по льготам 27-ПД(28-ПД)",
       principalHeader},
      {"TSNErrors_List", kError, kNameList, "ЗЛ, указанные в поименном списке к Перечню, но отсутствующие в ИС",
       Header({{"№ подразделения в Перечне|r2", "Страховое свидетельство|r2", "ФИО|r2", "Период|c2",
                "Особые условия труда|c2"},
               {"Дата начала периода", "Дата конца периода", "Льгота", "Код позиции списка"}})},
      {"TBasisErrors", kError, kNameList, "ЗЛ с несовпадением основания льготы и/или кодом позиции списка",
       Header({{"№ пачки|r2", "№ в пачке|r2", "Страховое свидетельство|r2", "ФИО|r2", "Период|r2", "ИС|c4",
                "№ подразделения в Перечне|r2", "В Перечне|c4"},
               {"Льгота", "Код позиции списка", "ТУ", "Дополнительные сведения исчисления стажа", "Льгота",
                "Код позиции списка", "ТУ", "Дополнительные сведения исчисления стажа"}})},
      {"TPeriodErrors_IS", kError, kNameList,
       "Периоды работы, указанные в ИС, но отсутствующие в поименном списке к Перечню",
       Header({{"№ пачки|r2", "№ в пачке|r2", "Страховое свидетельство|r2", "ФИО|r2", "Особые условия труда|c2",
                "Период в ИС|c7"},
               {"Льгота", "Код позиции списка", "Дата начала периода", "Дата конца периода", "Ставка",
                "Фактически отработано", "Основание исчисления стажа", "ТУ", "Дополнительные сведения ИС"}})},
      {"TPeriodErrors_List", kError, kNameList,
       "Периоды работы, указанные в поименном списке к Перечню, но отсутствующие в ИС",
       Header({{"№ подразделения в Перечне|r2", "Страховое свидетельство|r2", "ФИО|r2", "Особые условия труда|c2",
                "Период в Перечне|c7"},
               {"Льгота", "Код позиции списка", "Дата начала периода", "Дата конца периода", "Ставка",
                "Фактически отработано", "Основание исчисления стажа", "ТУ",
                "Дополнительные сведения исчисления стажа"}})},
      {"TRateErrors", kError, kNameList, "Несовпадение доли ставки", rateHeader},
      {"TStavkaWarnings", kWarning, kWarnings, "В поименном списке ставка более 1", rateHeader},
      {"TRateTooHighErrors", kError, kErrors, "В поименном списке ставка более 2", rateHeader},
      {"TNoRateErrors", kError, kErrors, "Не указана ставка для льготных оснований 27(28)-ПДРК", rateHeader},
      {"TFactWorkTimeErrors", kError, kNameList, "Несовпадение фактически отработанного времени",
       Header({{"Страховое свидетельство|r2", "ФИО|r2", "Особые условия труда|c2", "Фактически отработано в ИС|r2",
                "Фактически отработано в Перечне|r2"},
               {"Льгота", "Код позиции списка"}})},
      {"TFactWorkTimeErrors_List", kError, kNameList, factListTitle, factListHeader},
      {"TFactWorkTimeWarnings_List", kWarning, kWarnings, factListTitle, factListHeader},
      {"TFactWorkTimeErrors_IS", kError, kNameList, factIsTitle, factIsHeader},
      {"TFactWorkTimeWarnings_IS", kWarning, kWarnings, factIsTitle, factIsHeader},
      {"TWorkDaysBasisErrors", kError, kNameList, "Несовпадение основания исчисления стажа",
       Header({{"№ пачки|r2", "№ в пачке|r2", "Страховое свидетельство|r2", "ФИО|r2", "Особые условия труда|c2",
                "Основание исчисления стажа в ИС|r2", "Основание исчисления стажа в Перечне|r2"},
               {"Льгота", "Код позиции списка"}})},
      {"TUTErrors", kError, "Проверка проставления условий труда", "ЗЛ с ошибками по условиям труда",
       Header({{"№ пачки", "№ в пачке", "Страховое свидетельство", "ФИО", "Период", "Класс УТ в ИС",
                "№ подразделения в Перечне", "Класс УТ в Перечне", "Пояснение"}})},
      {"TAddTariffErrors", kError, "Проверка проставления дополнительного тарифа",
       "ЗЛ с ошибками по дополнительному тарифу",
       Header({{"№ пачки|r2", "№ в пачке|r2", "Страховое свидетельство|r2", "ФИО|r2", "Период|r2", "ИС|c2",
                "№ подразделения в Перечне|r2", "Перечень|c2", "Пояснение|r2"},
               {"Льгота", "Код позиции списка", "Льгота", "Код позиции списка"}})},
      {"TAddTariffWarnings", kWarning, kWarnings, "Предупреждения при проверке по дополнительному тарифу",
       Header({{"№ пачки|r2", "№ в пачке|r2", "Страховое свидетельство|r2", "ФИО|r2", "Период|r2", "ИС|c2",
                "Пояснение|r2"},
               {"Льгота", "Код позиции списка"}})},
      {"TUTWithoutAddTariffErrors", kError, kNameList,
       "Периоды работы Перечня, в который класс УТ указан без дополнительного тарифа",
       Header({{"№ подразделения в Перечне", "Страховое свидетельство", "ФИО", "Период|c2", "Класс УТ"}})},
      {"TBeerusErrors", kError, "Проверки перечня", "Несоответствия по коду ВИРУС",
       Header({{"№ подразделения в Перечне|r2", "Страховое свидетельство|r2", "ФИО|r2", "Особые условия труда|c2",
                "Период в Перечне|c5", "Ошибка|r2"},
               {"Льгота", "Код позиции списка", "Дата начала периода", "Дата конца периода", "Ставка",
                "Фактически отработано", "Основание исчисления стажа"}})},
      {"TTerrCodeErrors", kError, "Проверка правомерности проставления территориальных условий",
       "Неправомерное проставление территориальных условий",
       Header({{"№ пачки", "Страховое свидетельство", "ФИО", "Период", "ТУ", "Коэффициент"}})},
      {"TCrossingPDPeriodsErrors", kError, kErrors,
       "Периоды стажа пересекаются, но в параметрах \"ДопСведенияИС\" периодов нет значений, входящих в список: " +
           Join(CrossingAllowedAddPdData, ", "),
       Header({{"Страховое свидетельство", "ФИО", "Период № 1", "№ пачки № 1", "№ в пачке № 1", "Льгота № 1",
                "Дополнительные сведения ИС № 1", "Период № 2", "№ пачки № 2", "№ в пачке № 2", "Льгота № 2",
                "Дополнительные сведения ИС № 2"}})},
      {"TPartTimeErrors", kError, kErrors, partTimeTitle, partTimeHeader},
      {"TPartTimeWarnings", kWarning, kWarnings, partTimeTitle, partTimeHeader},
      {"TPDRKWarnings", kWarning, kWarnings, "Количество часов по льготам 27-ПДРК (28-ПДРК), 27-ПД (28-ПД)",
       Header({{"№ пачки", "№ в пачке", "Страховое свидетельство", "ФИО", "Льгота", "Дата начала периода",
                "Дата конца периода", "Часы", "Минуты", "Ставка"}})},
      {"TFlightWarnings", kWarning, kWarnings,
       "Количество часов по льготам САМОЛЕТ,СПЕЦАВ,ИТСИСП,ЛЕТИСП,ИНСПЕКТ,ОПЫТИСП,ИСПКЛС1,ИТСМАВ",
       Header({{"№ пачки", "№ в пачке", "Страховое свидетельство", "ФИО", "Льгота", "Дата начала периода",
                "Дата конца периода", "Часы", "Минуты"}})},
      {"TJumpWarnings", kWarning, kWarnings, "Количество прыжков, спусков (подъемов) по льготе РЕАКТИВН, НОРМСП",
       Header({{"№ пачки", "№ в пачке", "Страховое свидетельство", "ФИО", "Льгота", "Дата начала периода",
                "Дата конца периода", "Количество"}})},
      {"TAddPdDataWarnings", kWarning, kWarnings, "Наличие в ИС дополнительной информации",
       Header({{"№ пачки|r2", "№ в пачке|r2", "Страховое свидетельство|r2", "ФИО|r2", "в ИС содержатся наряду с СТС|c8",
                "для РСВ-1|r2", "Комментарии к периодам Перечня|r2"},
               {"Дети", "Декрет", "Отпуск б/с", "Период с ОТС", "Сезон", "УИК", "ВРНЕТРУД", "ДЛОТПУСК"}})},
  };
}

bool SameIsWorker(const TWorker* a, const TWorker* b) {
  return a && b && a->SN == b->SN && a->NumInPack == b->NumInPack && a->PackNum == b->PackNum;
}

}  // namespace

const std::vector<TTableDescription>& TableCatalogue() {
  static const std::vector<TTableDescription> catalogue = BuildCatalogue();
  return catalogue;
}

const TTableDescription& DescribeTable(std::string_view className) {
  for (const TTableDescription& description : TableCatalogue())
    if (description.ClassName == className) return description;
  throw std::out_of_range("Unknown result table " + std::string(className));
}

#define ZZ_TABLE_CTOR(Name, Base) \
  Name::Name() : Base(DescribeTable(#Name)) {}

ZZ_TABLE_CTOR(TPositionErrors, TTableResult)
ZZ_TABLE_CTOR(TWorkingDaysErrors, TTableResult)
ZZ_TABLE_CTOR(TWorkingDaysWarnings, TTableResult)
ZZ_TABLE_CTOR(TAddPdDataErrors, TTableResult)
ZZ_TABLE_CTOR(TPdInsNumErrors, TTableResult)
ZZ_TABLE_CTOR(TFullNameErrors, TTableResult)
ZZ_TABLE_CTOR(TPrincipalErrors, TTableResult)
ZZ_TABLE_CTOR(TTeacherWarnings, TPrincipalErrors)
ZZ_TABLE_CTOR(TSNErrors_List, TTableResult)
ZZ_TABLE_CTOR(TBasisErrors, TTableResult)
ZZ_TABLE_CTOR(TPeriodErrors_IS, TTableResult)
ZZ_TABLE_CTOR(TPeriodErrors_List, TTableResult)
ZZ_TABLE_CTOR(TRateErrors, TTableResult)
ZZ_TABLE_CTOR(TStavkaWarnings, TTableResult)
ZZ_TABLE_CTOR(TRateTooHighErrors, TTableResult)
ZZ_TABLE_CTOR(TNoRateErrors, TTableResult)
ZZ_TABLE_CTOR(TFactWorkTimeErrors, TTableResult)
ZZ_TABLE_CTOR(TFactWorkTimeErrors_List, TTableResult)
ZZ_TABLE_CTOR(TFactWorkTimeWarnings_List, TTableResult)
ZZ_TABLE_CTOR(TFactWorkTimeErrors_IS, TTableResult)
ZZ_TABLE_CTOR(TFactWorkTimeWarnings_IS, TTableResult)
ZZ_TABLE_CTOR(TWorkDaysBasisErrors, TTableResult)
ZZ_TABLE_CTOR(TUTErrors, TTableResult)
ZZ_TABLE_CTOR(TAddTariffErrors, TTableResult)
ZZ_TABLE_CTOR(TAddTariffWarnings, TTableResult)
ZZ_TABLE_CTOR(TUTWithoutAddTariffErrors, TTableResult)
ZZ_TABLE_CTOR(TBeerusErrors, TTableResult)
ZZ_TABLE_CTOR(TTerrCodeErrors, TTableResult)
ZZ_TABLE_CTOR(TCrossingPDPeriodsErrors, TTableResult)
ZZ_TABLE_CTOR(TPartTimeErrors, TTableResultWithPeriod)
ZZ_TABLE_CTOR(TPartTimeWarnings, TTableResultWithPeriod)
ZZ_TABLE_CTOR(TPDRKWarnings, TTableResultWithPeriod)
ZZ_TABLE_CTOR(TFlightWarnings, TTableResultWithPeriod)
ZZ_TABLE_CTOR(TJumpWarnings, TTableResultWithPeriod)
ZZ_TABLE_CTOR(TAddPdDataWarnings, TTableResultWithPeriod)

#undef ZZ_TABLE_CTOR

void TPositionErrors::AddRecord(std::unique_ptr<TResultRecord> record) {
  if (!record) return;
  const TWorker* worker = record->FWorker_PD;
  const TWorkPeriod* period = record->FWorkPeriod_PD;
  if (worker && period) {
    // A duplicate has the same worker identity (SameIsWorker and the short name): only the records
    // filed under that identity are compared, in the order they were kept.
    std::string key =
        worker->SN + '\x1f' + worker->NumInPack + '\x1f' + worker->PackNum + '\x1f' + worker->SurnameWithInitials();
    std::vector<const TResultRecord*>& same = fByWorker[key];
    for (const TResultRecord* kept : same)
      if (kept->FWorkPeriod_PD->Matches(*period)) return;  // the same IS period again: dropped
    same.push_back(record.get());
    fKeys.emplace(record.get(), std::move(key));
  }
  TTableResult::AddRecord(std::move(record));
}

void TPositionErrors::Forget(const TResultRecord* record) {
  auto key = fKeys.find(record);
  if (key == fKeys.end()) return;
  auto list = fByWorker.find(key->second);
  if (list != fByWorker.end()) {
    std::erase(list->second, record);
    if (list->second.empty()) fByWorker.erase(list);
  }
  fKeys.erase(key);
}

void TAddPdDataWarnings::AddRecord(std::unique_ptr<TResultRecord> record) {
  if (!record) return;
  auto* incoming = dynamic_cast<TAddPdDataWarning*>(record.get());
  auto* last = FRecords.empty() ? nullptr : dynamic_cast<TAddPdDataWarning*>(FRecords.back().get());
  if (incoming && last && SameIsWorker(last->FWorker_PD, incoming->FWorker_PD)) {
    last->MergeWithAnotherWarning(*incoming);
    return;  // the merged record is freed here
  }
  TTableResultWithPeriod::AddRecord(std::move(record));
}

}  // namespace zz
