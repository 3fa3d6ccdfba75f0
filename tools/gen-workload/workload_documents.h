#pragma once
// The documents of the generated employer: its IS files (СЗВ-СТАЖ and СЗВ-ИСХ, split by size and
// optionally zipped, and the СЗВ-КОРР of --correction) and the persons' blocks in them, and the
// Perechen's named-list workers.
#include "workload_model.h"

namespace gen {

// ------------------------------------------------------------------------------------------------
// IS files.

// СЗВ-СТАЖ: one form element holding the persons ("ЗЛ"); СЗВ-ИСХ and СЗВ-КОРР: one form element
// per person. A СЗВ-КОРР is filed in the following year and corrects the reporting year.
enum TIsForm { kStag, kIsx, kKorr };

class TIsWriter {
 public:
  TIsWriter(const TOptions& o, std::vector<std::string>& files, TIsForm form = kStag, std::string dir = "is")
      : fO(o), fFiles(files), fForm(form), fDir(std::move(dir)) {}
  ~TIsWriter() { Close(); }

  void AddPerson(const std::string& block) {
    if (fBuf.empty() || (fPersons > 0 && fBuf.size() + block.size() + 64 > fO.MaxFileMb * 1048576)) {
      Close();
      Open();
    }
    ++fPersons;
    if (fForm == kIsx) {
      fBuf += "  <СЗВ-ИСХ>\r\n" + ReportingPeriod(fO.Year, 4);
    } else if (fForm == kKorr) {
      fBuf += "  <СЗВ-КОРР>\r\n" + ReportingPeriod(fO.Year + 1, 4) + "    <КорректируемыйПериод>\r\n" +
              ReportingPeriod(fO.Year, 6) + "    </КорректируемыйПериод>\r\n    <Тип>0</Тип>\r\n";
    } else {
      // НомерПП counts from 1 in each file.
      fBuf += "    <ЗЛ>\r\n      <НомерПП>" + std::to_string(fPersons) + "</НомерПП>\r\n";
    }
    fBuf += block;
  }

  void Close() {
    if (fBuf.empty()) return;
    fBuf += fForm == kStag ? "  </СЗВ-СТАЖ>\r\n</ЭДФЗЖ>\r\n" : "</ЭДФЗЖ>\r\n";
    char name[128];
    if (fForm == kIsx)
      std::snprintf(name, sizeof name, "ФЗЖ_%s_СЗВ-ИСХ_%d_%03d.xml", fO.RegNum.c_str(), fO.Year, fIndex);
    else if (fForm == kKorr)
      std::snprintf(name, sizeof name, "%s_СЗВ-КОРР_%d_%03d.xml", fO.RegNum.c_str(), fO.Year + 1, fIndex);
    else
      std::snprintf(name, sizeof name, "%s_СЗВ-СТАЖ_%d_%03d.xml", fO.RegNum.c_str(), fO.Year, fIndex);
    fs::path dir = fO.Out / fDir;
    if (fO.Zip) {
      fs::path zip = dir / (std::string(name, std::strlen(name) - 4) + ".zip");
      struct archive* a = archive_write_new();
      archive_write_set_format_zip(a);
      if (archive_write_open_filename(a, zip.c_str()) != ARCHIVE_OK) {
        std::cerr << "gen-workload: cannot write " << zip << "\n";
        std::exit(2);
      }
      struct archive_entry* e = archive_entry_new();
      archive_entry_set_pathname(e, name);
      archive_entry_set_size(e, static_cast<la_int64_t>(fBuf.size()));
      archive_entry_set_filetype(e, AE_IFREG);
      archive_entry_set_perm(e, 0644);
      archive_write_header(a, e);
      archive_write_data(a, fBuf.data(), fBuf.size());
      archive_entry_free(e);
      archive_write_close(a);
      archive_write_free(a);
      fFiles.push_back(zip.string());
    } else {
      fs::path path = dir / name;
      std::ofstream out(path, std::ios::binary);
      out.write(fBuf.data(), static_cast<std::streamsize>(fBuf.size()));
      if (!out) {
        std::cerr << "gen-workload: cannot write " << path << "\n";
        std::exit(2);
      }
      fFiles.push_back(path.string());
    }
    fBytes += fBuf.size();
    fBuf.clear();
    fPersons = 0;
  }

  uint64_t Bytes() const { return fBytes; }

 private:
  static std::string ReportingPeriod(int year, int indent) {
    const std::string in(static_cast<size_t>(indent), ' ');
    return in + "<ОтчетныйПериод>\r\n" + in + "  <Код>0</Код>\r\n" + in + "  <Год>" + std::to_string(year) +
           "</Год>\r\n" + in + "</ОтчетныйПериод>\r\n";
  }

  void Open() {
    ++fIndex;
    char guid[64];
    std::snprintf(guid, sizeof guid, "5b0e7c1a-0000-4000-%04d-%012d", kGuidSeries[fForm], fIndex);
    fBuf.reserve(static_cast<size_t>(fO.MaxFileMb * 1048576) + 4096);
    fBuf +=
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<ЭДФЗЖ xmlns:УТ2=\"http://example.invalid/ut2\" xmlns:ИС4=\"http://example.invalid/is4\" "
        "xmlns:АФ4=\"http://example.invalid/af4\" xmlns:ВС2=\"http://example.invalid/vs2\">\r\n"
        "  <СлужебнаяИнформация>\r\n    <АФ4:GUID>";
    fBuf += guid;
    fBuf += "</АФ4:GUID>\r\n    <АФ4:ДатаВремя>" + std::to_string(fO.Year + 1) +
            "-01-19T09:30:00</АФ4:ДатаВремя>\r\n  </СлужебнаяИнформация>\r\n  <ОДВ-1>\r\n    <Страхователь>\r\n"
            "      <УТ2:РегНомер>" +
            fO.RegNum +
            "</УТ2:РегНомер>\r\n"
            "      <ИС4:Наименование>АО \"Нагрузка\"</ИС4:Наименование>\r\n    </Страхователь>\r\n  </ОДВ-1>\r\n";
    if (fForm == kStag) fBuf += "  <СЗВ-СТАЖ>\r\n    <Тип>0</Тип>\r\n" + ReportingPeriod(fO.Year, 4);
  }

  static constexpr int kGuidSeries[] = {8000, 9000, 7000};

  const TOptions& fO;
  std::vector<std::string>& fFiles;
  TIsForm fForm;
  std::string fDir;
  std::string fBuf;
  int fIndex = 0;
  long fPersons = 0;
  uint64_t fBytes = 0;
};

// A person's block in a document of the form, after the element that opens it (see AddPerson).
inline std::string IsPersonBlock(const TOptions& o, const TPerson& p, const std::vector<TJob>& jobs, TIsForm form) {
  std::string b;
  b += "      <ФИО>\r\n        <УТ2:Фамилия>" + p.Surname + "</УТ2:Фамилия>\r\n        <УТ2:Имя>" + p.Name +
       "</УТ2:Имя>\r\n";
  if (!p.Patronymic.empty()) b += "        <УТ2:Отчество>" + p.Patronymic + "</УТ2:Отчество>\r\n";
  b += "      </ФИО>\r\n      <СНИЛС>" + p.Snils + "</СНИЛС>\r\n";
  // A СЗВ-КОРР keeps the name and the insurance number in a "ЗЛ" of their own, the periods beside it.
  if (form == kKorr) b = "    <ЗЛ>\r\n" + b + "    </ЗЛ>\r\n";
  if (p.IS.empty()) {
    // Not preferential: one period without ЛьготныйСтаж, the whole quarter.
    b += "      <СтажевыйПериод>\r\n        <ИС4:Период><УТ2:С>" + IsoDate(o.Year, 0) + "</УТ2:С><УТ2:По>" +
         IsoDate(o.Year, kQuarterDays - 1) + "</УТ2:По></ИС4:Период>\r\n      </СтажевыйПериод>\r\n";
  }
  for (const TPeriod& period : p.IS) {
    const TJob& job = jobs[static_cast<size_t>(period.Job)];
    b += "      <СтажевыйПериод>\r\n        <ИС4:Период><УТ2:С>" + IsoDate(o.Year, period.StartDay) +
         "</УТ2:С><УТ2:По>" + IsoDate(o.Year, period.EndDay) +
         "</УТ2:По></ИС4:Период>\r\n        <ИС4:ЛьготныйСтаж>\r\n";
    if (!job.Oyt.empty())
      b += "          <ИС4:ОУТ><ИС4:Код>" + job.Oyt + "</ИС4:Код><ИС4:ПозицияСписка>" + job.Position +
           "</ИС4:ПозицияСписка></ИС4:ОУТ>\r\n";
    else
      b += "          <ИС4:ВЛ><ИС4:Основание>" + job.Vl + "</ИС4:Основание><ИС4:ДоляСтавки>" + Number(period.Rate) +
           "</ИС4:ДоляСтавки></ИС4:ВЛ>\r\n";
    if (&period == &p.IS.front() && !p.AddPd.empty())
      b += "          <ИС4:ДопСведенияИС>" + p.AddPd + "</ИС4:ДопСведенияИС>\r\n";
    b += "        </ИС4:ЛьготныйСтаж>\r\n      </СтажевыйПериод>\r\n";
  }
  if (form == kStag) return b + "    </ЗЛ>\r\n";
  if (!p.Payments.empty()) {
    static const char* const kMonths[] = {"Окт", "Нбр", "Дек"};
    b += "      <ВыплатыДТ>\r\n";
    for (size_t i = 0; i < p.Payments.size(); ++i)
      b += std::string("        <Период><Месяц>") + kMonths[i % 3] + "</Месяц><КодСОУТ>" + p.Payments[i].Class +
           "</КодСОУТ><ИС4:ДопТарифП1>" + Number(p.Payments[i].Sum) + "</ИС4:ДопТарифП1></Период>\r\n";
    b += "      </ВыплатыДТ>\r\n";
  }
  return b + (form == kKorr ? "  </СЗВ-КОРР>\r\n" : "  </СЗВ-ИСХ>\r\n");
}

// ------------------------------------------------------------------------------------------------
// Perechen.

inline std::string ListWorker(const TOptions& o, const TPerson& p, const std::vector<TJob>& jobs) {
  std::string b =
      "        <Работник СтраховойНомер=\"" + p.Snils + "\" Фамилия=\"" + p.ListSurname + "\" Имя=\"" + p.Name + "\"";
  if (!p.Patronymic.empty()) b += " Отчество=\"" + p.Patronymic + "\"";
  b += ">\n";
  for (const TPeriod& period : p.List) {
    const TJob& job = jobs[static_cast<size_t>(period.Job)];
    b += "          <ПериодРаботы ДатаНач=\"" + RuDate(o.Year, period.StartDay) + "\" ДатаКон=\"" +
         RuDate(o.Year, period.EndDay) + "\">\n            <Профессия>" + job.Profession +
         "</Профессия>\n            <ОснованиеЛьготы>" + job.Grounds() + "</ОснованиеЛьготы>\n            <Ставка>" +
         Number(period.Rate) + "</Ставка>\n";
    if (!job.Position.empty()) b += "            <ПозицияСписка>" + job.Position + "</ПозицияСписка>\n";
    if (period.Tariff) b += "            <ДополнительныйТариф>ДТ</ДополнительныйТариф>\n";
    if (!period.Class.empty()) b += "            <КлассУТ>" + period.Class + "</КлассУТ>\n";
    b += "          </ПериодРаботы>\n";
  }
  b += "        </Работник>\n";
  return b;
}

}  // namespace gen
