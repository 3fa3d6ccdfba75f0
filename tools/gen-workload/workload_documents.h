#pragma once
// The documents of the generated employer: its IS files (СЗВ-СТАЖ and СЗВ-ИСХ, split by size and
// optionally zipped) and the persons' blocks in them, and the Perechen's named-list workers.
#include "workload_model.h"

namespace gen {

// ------------------------------------------------------------------------------------------------
// IS files.

// СЗВ-СТАЖ: one form element holding the persons ("ЗЛ"); СЗВ-ИСХ: one form element per person.
class TIsWriter {
 public:
  TIsWriter(const TOptions& o, std::vector<std::string>& files, bool isx = false) : fO(o), fFiles(files), fIsx(isx) {}
  ~TIsWriter() { Close(); }

  void AddPerson(const std::string& block) {
    if (fBuf.empty() || (fPersons > 0 && fBuf.size() + block.size() + 64 > fO.MaxFileMb * 1048576)) {
      Close();
      Open();
    }
    ++fPersons;
    if (fIsx) {
      fBuf += "  <СЗВ-ИСХ>\r\n" + ReportingPeriod();
    } else {
      // НомерПП counts from 1 in each file.
      fBuf += "    <ЗЛ>\r\n      <НомерПП>" + std::to_string(fPersons) + "</НомерПП>\r\n";
    }
    fBuf += block;
  }

  void Close() {
    if (fBuf.empty()) return;
    fBuf += fIsx ? "</ЭДФЗЖ>\r\n" : "  </СЗВ-СТАЖ>\r\n</ЭДФЗЖ>\r\n";
    char name[128];
    if (fIsx)
      std::snprintf(name, sizeof name, "ФЗЖ_%s_СЗВ-ИСХ_%d_%03d.xml", fO.RegNum.c_str(), fO.Year, fIndex);
    else
      std::snprintf(name, sizeof name, "%s_СЗВ-СТАЖ_%d_%03d.xml", fO.RegNum.c_str(), fO.Year, fIndex);
    fs::path dir = fO.Out / "is";
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
  std::string ReportingPeriod() const {
    return "    <ОтчетныйПериод>\r\n      <Код>0</Код>\r\n      <Год>" + std::to_string(fO.Year) +
           "</Год>\r\n    </ОтчетныйПериод>\r\n";
  }

  void Open() {
    ++fIndex;
    char guid[64];
    std::snprintf(guid, sizeof guid, "5b0e7c1a-0000-4000-%04d-%012d", fIsx ? 9000 : 8000, fIndex);
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
    if (!fIsx) fBuf += "  <СЗВ-СТАЖ>\r\n    <Тип>0</Тип>\r\n" + ReportingPeriod();
  }

  const TOptions& fO;
  std::vector<std::string>& fFiles;
  bool fIsx;
  std::string fBuf;
  int fIndex = 0;
  long fPersons = 0;
  uint64_t fBytes = 0;
};

inline std::string IsPersonBlock(const TOptions& o, const TPerson& p, const std::vector<TJob>& jobs) {
  std::string b;
  b += "      <ФИО>\r\n        <УТ2:Фамилия>" + p.Surname + "</УТ2:Фамилия>\r\n        <УТ2:Имя>" + p.Name +
       "</УТ2:Имя>\r\n";
  if (!p.Patronymic.empty()) b += "        <УТ2:Отчество>" + p.Patronymic + "</УТ2:Отчество>\r\n";
  b += "      </ФИО>\r\n      <СНИЛС>" + p.Snils + "</СНИЛС>\r\n";
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
    b += "        </ИС4:ЛьготныйСтаж>\r\n      </СтажевыйПериод>\r\n";
  }
  if (!p.Isx) return b + "    </ЗЛ>\r\n";
  if (!p.Payments.empty()) {
    static const char* const kMonths[] = {"Окт", "Нбр", "Дек"};
    b += "      <ВыплатыДТ>\r\n";
    for (size_t i = 0; i < p.Payments.size(); ++i)
      b += std::string("        <Период><Месяц>") + kMonths[i % 3] + "</Месяц><КодСОУТ>" + p.Payments[i].Class +
           "</КодСОУТ><ИС4:ДопТарифП1>" + Number(p.Payments[i].Sum) + "</ИС4:ДопТарифП1></Период>\r\n";
    b += "      </ВыплатыДТ>\r\n";
  }
  return b + "  </СЗВ-ИСХ>\r\n";
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
