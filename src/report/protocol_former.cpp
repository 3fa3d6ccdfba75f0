// Forming the protocol: the parts per set, the header, the source tables and the final file.
#include "report/protocol_former.h"

#include <algorithm>

#include "base/dates.h"
#include "base/exit_code.h"
#include "base/reporting_period.h"
#include "base/strings.h"
#include "base/utils.h"

namespace zz {

namespace fs = std::filesystem;

namespace {

constexpr const char* kBodyPart = "body.part";
constexpr const char* kInitPart = "init.part";
constexpr const char* kCorrPart = "corr.part";
constexpr const char* kFooterPart = "footer.part";

const char* QuarterName(int year, int quarter, bool accumulate) {
  if (accumulate) {
    switch (quarter) {
      case 1: return "первый квартал";
      case 2: return "первое полугодие";
      case 3: return "9 месяцев";
      case 4: return "год";
    }
    return "";
  }
  switch (quarter) {
    case 1: return "первый квартал";
    case 2: return InHalfYears(year) ? "первое полугодие" : "второй квартал";
    case 3: return "третий квартал";
    case 4: return InHalfYears(year) ? "второе полугодие" : "четвертый квартал";
  }
  return "";
}

void WritePackHeaderCells(TStreamWriter& w, const char* periodCell) {
  w.WriteLine("  <tr>");
  for (const char* cell : {"№ Пачки", "Формат", "Дата", periodCell, "Категория ЗЛ", "Кол-во ЗЛ", "Из них льготников",
                           "Организация", "Краткое название", "Путь"})
    w.WriteLine(std::string("    <td>") + cell + "</td>");
  w.WriteLine("  </tr>");
}

}  // namespace

TProtocolFormer::TProtocolFormer(const TRunParams& params, TMessageList& searchErrors)
    : fYear(params.FYear), fPeriod(params.FPeriod), fParams(params), fSearchErrors(searchErrors) {
  if (fParams.FFindings) fFindings = std::make_unique<TFindings>();
}

fs::path TProtocolFormer::ReportPath(const std::string& name) const { return fs::path(fParams.FDirReport) / name; }

void TProtocolFormer::Print(TResult& result, TStreamWriter& w) { result.PrintResult(w, fNumChapter, fNumTable, fName); }

void TProtocolFormer::PrintFinding(TResult& result, TStreamWriter& w) {
  Print(result, w);
  if (fFindings) fFindings->AddResult(result, fNumChapter, fNumTable);
}

void TProtocolFormer::writeFindings(int exitCode, const std::string& orgName, const std::string& protocolPath,
                                    bool withSearchMessages) {
  if (!fFindings) return;
  if (withSearchMessages)
    for (auto& message : fSearchErrors) fFindings->AddRunMessage(*message);
  fFindings->SetDamagedFiles(fDamagedInputs);
  TFindings::Write(fParams.FDirReport,
                   fFindings->ToJson(exitCode, fParams.FRegNum, orgName, fs::path(protocolPath).filename().string()));
}

void TProtocolFormer::formProtocolPart(TVerificationResults& v) {
  const int year = v.fYear, quarter = v.fPeriod;
  if (fFindings) fFindings->BeginSet(v);
  {
    TCp1251FileWriter body(ReportPath(kBodyPart), true);
    writePeriodHeading(body, year, quarter);
    for (auto& message : fSearchErrors) {
      auto* listError = dynamic_cast<TListError*>(message.get());
      if (!listError || (listError->FYear == year && listError->FPeriod == quarter)) Print(*message, body);
    }
    if (v.fPreZazoruResult) PrintFinding(*v.fPreZazoruResult, body);
    for (auto& result : v.FErrorResults) PrintFinding(*result, body);
    for (auto& message : fSearchErrors) Print(*message, body);
    if (!v.fWarningResults.empty()) {
      body.WriteLine("<div class=\"warn\">");
      for (auto& result : v.fWarningResults) PrintFinding(*result, body);
      body.WriteLine("</div>");
    }
    // Said only of a part that shows no error at all: not under a red verdict or a red search message.
    const bool anyError =
        !v.FErrorResults.empty() || (v.fPreZazoruResult && v.fPreZazoruResult->IsError) ||
        std::any_of(fSearchErrors.begin(), fSearchErrors.end(), [](const auto& message) { return message->IsError; });
    if (!anyError && !fSearchErrors.empty()) body.WriteLine("<h3>Ошибок нет</h3>");
    body.Flush();
  }
  writePackRows(v);

  TCp1251FileWriter footer(ReportPath(kFooterPart), true);
  if (v.fListData) {
    footer.WriteLine("<b>Для сверки ИС за " + std::to_string(year) + " год " + std::to_string(quarter) +
                     " период, использовался файл Перечня: " + HtmlEscape(v.fListData->fFileName) + " (" +
                     HtmlEscape(v.fListData->fOrgName) + ")</b><br/>");
    for (auto& message : v.fVerListErrors) PrintFinding(*message, footer);
  }
  footer.Flush();
}

void TProtocolFormer::writePeriodHeading(TStreamWriter& w, int year, int quarter) {
  w.WriteLine("<hr><h3 style=\"color:black;\">Отчетный период: <b>");
  if (fParams.FAccumulateOption) w.WriteLine("накопительным итогом за ");
  w.WriteLine(QuarterName(year, quarter, fParams.FAccumulateOption));
  w.WriteLine(", " + std::to_string(year) + " год </b></h3>");
}

void TProtocolFormer::writePackRows(TVerificationResults& v) {
  auto writeRows = [&](const char* part, const std::vector<TPDPackData>& packs, const std::string& periodCell) {
    TCp1251FileWriter w(ReportPath(part), true);
    for (const TPDPackData& p : packs) {
      w.WriteLine("  <tr>");
      for (const std::string& value :
           {HtmlEscape(p.fNum), HtmlEscape(p.fISType), HtmlEscape(p.fDatePack), periodCell, HtmlEscape(p.fCategoryCode),
            HtmlEscape(p.fWorkers), std::to_string(p.fLgotWorkers), HtmlEscape(p.fOrgName), HtmlEscape(p.fShortOrgName),
            HtmlEscape(p.fFileName)})
        w.WriteLine("    <td>" + value + "</td>");
      w.WriteLine("  </tr>");
    }
    w.Flush();
  };
  const std::string y = std::to_string(v.fYear), q = std::to_string(v.fPeriod);
  fInitCount += static_cast<int>(v.fPDData.FInitPacks.size());
  writeRows(kInitPart, v.fPDData.FInitPacks, q + "," + y);
  fCorrCount += static_cast<int>(v.fPDData.FCorrPacks.size());
  writeRows(kCorrPart, v.fPDData.FCorrPacks, y + ", " + q);
}

void TProtocolFormer::appendPartFile(TCp1251FileWriter& w, const std::string& name) {
  fs::path part = ReportPath(name);
  std::error_code ec;
  if (!fs::exists(part, ec)) return;
  w.WriteRaw(ReadFileBytes(part));
  fs::remove(part, ec);
}

void TProtocolFormer::writeSourceTables(TCp1251FileWriter& w, int count) {
  if (count != 0) {
    w.WriteLine("<b>Исходные пачки:</b><br/>");
    w.WriteLine("<table border=\"1\">");
    WritePackHeaderCells(w, "Период");
  }
  appendPartFile(w, kInitPart);
  w.WriteLine("</table>");
  w.WriteLine("<b>Всего исходных: " + std::to_string(fInitCount) + "</b><br/>");
  w.WriteLine("<br/>");
  if (fCorrCount <= 0) {
    std::error_code ec;
    fs::remove(ReportPath(kCorrPart), ec);
  } else {
    w.WriteLine("<b>Корректирующие пачки:</b><br/>");
    w.WriteLine("<table border=\"1\">");
    WritePackHeaderCells(w, "Период, в котором предоставлены корр. сведения");
    appendPartFile(w, kCorrPart);
    w.WriteLine("</table>");
  }
  w.WriteLine("<b>Всего корректирующих: " + std::to_string(fCorrCount) + "</b><br/>");
  w.WriteLine("<br>");
}

void TProtocolFormer::writeCheckDate(TStreamWriter& w) {
  w.WriteLine("<h4>Дата проверки: " + FormatDate(Today()) + "</h4>");
  w.WriteLine("<br/>");
}

void TProtocolFormer::writeHeader(TStreamWriter& w, int exitCode, const std::string& orgName) {
  const TRunParams& s = fParams;
  const std::string regNum = HtmlEscape(s.FRegNum);
  w.WriteLine("<!DOCTYPE html>");
  w.WriteLine("<!-- saved from url=(0016)http://localhost -->");
  w.WriteLine("<html>");
  w.WriteLine("<head>");
  w.WriteLine(" <meta http-equiv=\"Content-Type\" content=\"text/html; charset=Windows-1251\" />");
  w.WriteLine(" <style type=\"text/css\">@page {size:landscape;}table {border-collapse: collapse;}</style>");
  w.WriteLine(" <title>");
  w.WriteLine("   Протокол сверки ИС и Перечня ЛП для " + regNum + " за " + std::to_string(fYear) + " год.");
  w.WriteLine("   Программа \"Тальвир\" версия " + s.Version() + " от " + s.AppDate());
  w.WriteLine(" </title>");
  w.WriteLine("</head>");
  w.WriteLine("<body>");
  w.WriteLine("<div style=\"font-size:smaller; text-align:left; width:100%\">");
  w.WriteLine("Код завершения программы: " + std::to_string(exitCode) + "</div>");
  w.WriteLine("<div style=\"color:blue; font-size:smaller; text-align:right; width:100%\">");
  w.WriteLine("Протокол подготовлен программой \"Тальвир\" версии " + s.Version() + " от " + s.AppDate());
  w.WriteLine(s.FMode == mBPI ? " в режиме БПИ" : " в оконном режиме");
  w.WriteLine("</div><br/>");
  w.WriteLine(
      "<h2 style=\"text-align:center\">ПРОТОКОЛ<br>сверки сведений о стаже ЗЛ на соответствующих видах работ с "
      "Перечнем</h2>");
  w.WriteLine("<h3 style=\"text-align:left\">Организация:<br/>" + HtmlEscape(orgName) + "</h3>");
  w.WriteLine("<b>Параметры сверки:</b>");
  w.WriteLine("<br/>Регистрационный номер: <b>" + regNum + "</b>");
  w.WriteLine("<br/><br/><b>Опции сверки:</b>");
  w.WriteLine("<ul>");
  if (s.FCompareWithList) w.WriteLine("<li>Сверка по фактическим периодам.</li>");
  if (fYear < 2010)
    w.WriteLine(s.fPensOption ? "<li>Сверка КОРРЕКТИРУЮЩИХ и/или ПЕНСИОННЫХ сведений.</li>"
                              : "<li>Сверка ИСХОДНЫХ сведений.</li>");
  if (s.FMode == mWindow) {
    if (!s.FYearChoice.empty()) w.WriteLine("<li>Год: " + HtmlEscape(s.FYearChoice) + "</li>");
    if (!s.FPeriodChoice.empty()) w.WriteLine("<li>Период: " + HtmlEscape(s.FPeriodChoice) + "</li>");
  }
  w.WriteLine("</ul>");
  auto checkbox = [&](bool on, const std::string& text) {
    w.WriteLine(std::string(on ? "<br/><input type=\"checkbox\" checked disabled>"
                               : "<br/><input type=\"checkbox\" disabled>") +
                text);
  };
  if (s.FCompareWithList) {
    checkbox(s.FCompareWithListStaff, " Сверка ИС с Перечнем по позициям штатного расписания");
    checkbox(s.FCompareWithListNameList, " Сверка ИС с поименным списком к Перечню");
  }
  if (s.fCompareTerrCodes) {
    bool right = s.hasNordRight("all", TDate{}, TDate{}, -1, -1);
    checkbox(true, std::string(" Проверка правомерности проставления кодов МКС, РКС") +
                       (right ? " (право есть)" : " (права нет)"));
  } else {
    checkbox(false, " Проверка правомерности проставления кодов МКС, РКС");
  }
  w.WriteLine("<br/><br/>");
}

std::string TProtocolFormer::printProtocol(int verificationCount, int exitCode) {
  std::string path = fParams.ProtocolFileName(fYear, fPeriod) + ".html";
  TCp1251FileWriter w(path, false);
  writeHeader(w, exitCode, fOrgName);
  w.WriteLine(
      "<script type=\"text/javascript\">function change() {var elements = document.querySelectorAll('.warn');for(var "
      "i=0;i<elements.length;i++) {if (elements[i].style.display =='none') {elements[i].style.display ='';} else "
      "{elements[i].style.display ='none';}}}</script><input onclick=change() type=\"checkbox\" "
      "checked><b>Показывать предупреждения</b>");
  appendPartFile(w, kBodyPart);
  w.WriteLine("<hr><h3>Исходная информация:</h3>");
  writeSourceTables(w, verificationCount);
  appendPartFile(w, kFooterPart);
  w.WriteLine("<br/><hr><br/>");
  writeCheckDate(w);
  w.WriteLine("</body>");
  w.WriteLine("</html>");
  w.Commit();
  writeFindings(exitCode, fOrgName, path, true);
  return path;
}

std::string TProtocolFormer::printBadProtocol(TMessageList& ListErrors, int eCode) {
  std::string path = fParams.ProtocolFileName(fYear, fPeriod) + ".html";
  TCp1251FileWriter w(path, false);
  WriteLogEntry("---путь формирования bad протокола " + path);
  writeHeader(w, eCode, "");
  auto fixedText = [&](const std::string& line, const std::string& text, bool isError) {
    w.WriteLine(line);
    if (fFindings) fFindings->AddRunMessage(text, isError);
  };
  if (eCode == 10) {
    fixedText("<div style =\"color:blue\"><h3>Не было найдено файлов индивидуальных сведений в формате .xml</h3></div>",
              "Не было найдено файлов индивидуальных сведений в формате .xml", false);
    // Files that were there but could not be read (damaged XML, refused archives): the user must
    // learn why nothing was found.
    // They are errors of the findings as much as of the protocol.
    for (auto& message : ListErrors)
      if (message->IsError) {
        Print(*message, w);
        if (fFindings) fFindings->AddRunMessage(*message);
      }
  }
  if (eCode == 11) {
    if (fParams.fCompareTerrCodes && fParams.hasNordRight("all", TDate{}, TDate{}, -1, -1))
      fixedText("<h3 style =\"color:blue\">Необходимо уточнить право организации на проставление кодов РКС, МКС</h3>",
                "Необходимо уточнить право организации на проставление кодов РКС, МКС", false);
    const std::string text =
        "Не было найдено файлов индивидуальных сведений со льготами с подходящими для сверки заданными условиями "
        "(РегНомер,Год,Период,Тип), перечней не найдено. Сверка не требуется. ";
    fixedText("<div style =\"color:blue\"><h3>" + text + "</h3></div>", text, false);
  }
  if (eCode == 21 || eCode == 11)
    for (auto& message : ListErrors) Print(*message, w);
  const bool printedMessages = eCode == 21 || eCode == 11;
  if (eCode == 25) {
    const std::string text =
        "Не было найдено файлов индивидуальных сведений со льготами с подходящими для сверки заданными условиями "
        "(РегНомер,Год,Период,Тип), но найден перечень.";
    fixedText("<div style =\"color:red\"><h3>" + text + "</h3></div>", text, true);
  }
  writeCheckDate(w);
  w.WriteLine("</body>");
  w.WriteLine("</html>");
  w.Commit();
  writeFindings(eCode, "", path, printedMessages);
  return path;
}

}  // namespace zz
