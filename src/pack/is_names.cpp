// The element names of each IS file generation.
#include "pack/is_names.h"

namespace zz {

namespace {

std::string PersonElement(TPDType kind) {
  switch (kind) {
    case pdtSZV61:
    case pdtSZV62:
    case pdtSPV1: return "СВЕДЕНИЯ_О_СТРАХОВЫХ_ВЗНОСАХ_И_СТРАХОВОМ_СТАЖЕ_ЗЛ";
    case pdtSZV64: return "СВЕДЕНИЯ_О_СУММЕ_ВЫПЛАТ_О_СТРАХОВЫХ_ВЗНОСАХ_И_СТРАХОВОМ_СТАЖЕ_ЗЛ";
    case pdtRSV1: return "СВЕДЕНИЯ_О_СУММЕ_ВЫПЛАТ_И_СТРАХОВОМ_СТАЖЕ_ЗЛ";
    case pdtSPV2: return "СВЕДЕНИЯ_О_СТРАХОВОМ_СТАЖЕ_ЗЛ_ДЛЯ_УСТАНОВЛЕНИЯ_ПЕНСИИ";
    case pdtSZVStag:
    case pdtEFS1: return "ЗЛ";
    case pdtSZVCorr: return "СЗВ-КОРР";
    case pdtSZVBase: return "СЗВ-ИСХ";
  }
  return {};
}

std::string HeaderElement(TPDType kind) {
  switch (kind) {
    case pdtSZV61:
    case pdtSZV62:
    case pdtSPV1: return "ВХОДЯЩАЯ_ОПИСЬ_ПО_СТРАХОВЫМ_ВЗНОСАМ";
    case pdtSZV64: return "ВХОДЯЩАЯ_ОПИСЬ_ПО_СУММАМ_ВЫПЛАТ_И_ПО_СТРАХОВЫМ_ВЗНОСАМ";
    case pdtRSV1: return "СВЕДЕНИЯ_ПО_ПАЧКЕ_ДОКУМЕНТОВ_РАЗДЕЛА_6";
    case pdtSPV2: return "ВХОДЯЩАЯ_ОПИСЬ";
    default: return "СлужебнаяИнформация";
  }
}

}  // namespace

TIsNames::TIsNames(const TBaseData& data)
    : Generation(data.IsEFS1()      ? igEFS1
                 : data.IsPre2017() ? igPre2017
                                    : ig2017),
      Prefix(PrefixesOf(data.UtMode())) {
  Header = HeaderElement(data.PDType());
  Person = PersonElement(data.PDType());
  const std::string& P = Prefix.IS;
  const std::string& V = Prefix.VS;
  const std::string& U = Prefix.UT;
  switch (Generation) {
    case igPre2017:
      DateTag = "ДатаСоставления";
      NumberTag = "НомерПачки";
      OrgTag = "СоставительПачки";
      FullName = "ФИО";
      Surname = "Фамилия";
      Name = "Имя";
      Patronymic = "Отчество";
      SN = "СтраховойНомер";
      Start = "ДатаНачалаПериода";
      Finish = "ДатаКонцаПериода";
      Lgot = "ЛьготныйСтаж";
      LgotCodes = "ОсобенностиУчета";
      TU = "ТерриториальныеУсловия";
      TUBasis = "ОснованиеТУ";
      TUCoeff = "Коэффициент";
      OUT = "ОсобыеУсловияТруда";
      OUTCode = "ОснованиеОУТ";
      OUTPosition = "ПозицияСписка";
      VL = "ВыслугаЛет";
      VLBasis = "ОснованиеВЛ";
      VLRate = "ДоляСтавки";
      Calendar = "ВыработкаКалендарная";
      CalendarMonths = "ВсеМесяцы";
      CalendarDays = "ВсеДни";
      Hours = "ВыработкаВчасах";
      HoursHours = "Часы";
      HoursMinutes = "Минуты";
      AddPd = "ДекретДети";
      IS = "ИсчисляемыйСтаж";
      ISBasis = "ОснованиеИС";
      break;
    case ig2017:
    case igEFS1: {
      const bool efs = Generation == igEFS1;
      const std::string L = efs ? "ЕФС:" : P;
      DateTag = Prefix.AF + "ДатаВремя";
      NumberTag = Prefix.AF + "GUID";
      OrgParent = efs ? "ЕФС-1" : "ОДВ-1";
      OrgTag = "Страхователь";
      OrgName = L + "Наименование";
      FullName = efs ? "УТ2:ФИО" : "ФИО";
      Surname = U + "Фамилия";
      Name = U + "Имя";
      Patronymic = U + "Отчество";
      SN = efs ? "УТ2:СНИЛС" : "СНИЛС";
      PeriodElement = efs ? "Период" : P + "Период";
      Start = U + "С";
      Finish = U + "По";
      Lgot = efs ? "ЛьготныйСтаж" : P + "ЛьготныйСтаж";
      TU = L + "ТУ";
      TUBasis = L + "Основание";
      TUCoeff = L + "Коэффициент";
      OUT = L + "ОУТ";
      OUTCode = L + "Код";
      OUTPosition = L + "ПозицияСписка";
      VL = L + "ВЛ";
      VLBasis = L + "Основание";
      VLRate = L + "ДоляСтавки";
      Calendar = V + "ВыработкаКалендарная";
      CalendarMonths = V + "ВсеМесяцы";
      CalendarDays = V + "ВсеДни";
      Hours = V + "ВыработкаВчасах";
      HoursHours = V + "Часы";
      HoursMinutes = V + "Минуты";
      AddPd = L + "ДопСведенияИС";
      IS = L + "ИС";
      ISBasis = L + "Основание";
      if (efs) {
        SOUT = "ЕФС:СОУТ";
        SOUTCode = "ЕФС:Код";
      }
      TariffSum = P + "ДопТарифП";
      break;
    }
  }
}

}  // namespace zz
