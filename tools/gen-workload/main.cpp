// gen-workload: one employer of N persons for a reporting year (fourth quarter), with its IS files
// (СЗВ-СТАЖ of the 2017 generation, split by size, optionally zipped) and the matching Perechen
// (staff positions and named list), about 30% preferential persons and a controlled rate of planted
// discrepancies. It writes, next to the data, the number of findings each protocol table must hold
// (planted.txt), so that a batch run can be checked against it.
//
//   gen-workload --out DIR [--persons N] [--year Y] [--regnum NNN-NNN-NNNNNN] [--preferential 0.3]
//                [--discrepancies 0.02] [--positions 40] [--excess-positions K] [--max-file-mb 16]
//                [--zip] [--correction] [--seed S]
//
// Layout of DIR: is/<regnum>_СЗВ-СТАЖ_<year>_<k>.xml and is/ФЗЖ_<regnum>_СЗВ-ИСХ_<year>_<k>.xml (or
// .zip), lists/perechen_<regnum>_<year>_q4.xml, planted.txt; with --correction also
// correction/<regnum>_СЗВ-КОРР_<year+1>_001.xml.
//
// --correction: the first preferential СЗВ-СТАЖ person's first period carries the additional data
// ДЕКРЕТ (one row of TAddPdDataWarnings, counted in planted.txt), and the СЗВ-КОРР in correction/
// repeats that person as it is. Put beside the IS files it changes nothing a run finds, except that
// the person's rows name the correction's pack.
//
// Planted kinds (each on its own person, never two on one) and the table rows each one gives:
//   missing_in_list   a preferential IS person absent from the named list    TPdInsNumErrors +1 a period
//   missing_in_is     a named-list person absent from the IS files           TSNErrors_List +1 a period
//   other_name        the named list spells the surname otherwise            TFullNameErrors +1
//   other_grounds     the named list has another job on the same dates       TBasisErrors, TPeriodErrors_IS,
//                                                                            TPeriodErrors_List +1 each
//   other_rate        27-ГД at rate 0.5 in the IS and 0.75 in the list       TRateErrors +1
//   unpaired_is       a second IS period that the named list lacks           TPeriodErrors_IS +1
//   unpaired_list     a second named-list period that the IS lacks           TPeriodErrors_List +1
//   no_position       an IS period of a job without a staff position         TPositionErrors +1
//   working_days      a staff position with fewer staff units than its IS    TWorkingDaysErrors +1
//                     periods need (one per position, --excess-positions)
//   crossing          two IS periods of one long-service job at half rate    TCrossingPDPeriodsErrors +1
//                     that overlap by a month, the same two in the named list
//   tariff_unpaid     СЗВ-ИСХ person on a job of the additional tariff        TAddTariffErrors +1
//                     without payments
//   tariff_no_benefit СЗВ-ИСХ person with a payment and no preferential      TAddTariffWarnings +1
//                     period (not in the named list)
//   tariff_list       СЗВ-ИСХ person without payments on a long-service job  TAddTariffErrors +1
//                     whose named-list period is marked ДТ
//   tariff_class      СЗВ-ИСХ person paid with class 3.2, named-list period  TUTErrors +1
//                     marked ДТ with class 3.1
//   class_no_tariff   named-list period with class 3.1 and no ДТ mark        TUTWithoutAddTariffErrors +1
//
// The persons of the additional tariff are in СЗВ-ИСХ files (ФЗЖ_<regnum>_СЗВ-ИСХ_<year>_<k>.xml),
// which sort after the СЗВ-СТАЖ files and are therefore read first: the check of the IS payments
// ends at the first person of a СЗВ-СТАЖ (or a СЗВ-КОРР of 2017 on), whose payments it never sees.
// Besides the planted ones, one preferential person in 50 is a СЗВ-ИСХ person paid with class 3.1
// whose named-list period is marked ДТ with class 3.1: no finding.
#include "workload_documents.h"
#include "workload_model.h"

using namespace gen;

int main(int argc, char** argv) {
  TOptions o;
  if (!ParseOptions(argc, argv, o)) {
    std::cerr << "usage: gen-workload --out DIR [--persons N] [--year Y] [--regnum NNN-NNN-NNNNNN]\n"
                 "                    [--preferential 0.3] [--discrepancies 0.02] [--positions 40]\n"
                 "                    [--excess-positions K] [--max-file-mb 16] [--zip] [--correction]\n"
                 "                    [--seed S]\n";
    return 2;
  }
  TRandom rnd(o.Seed);

  // Jobs: the staffed ones first (two long-service ones, the rest special conditions with a list
  // position), then two special-conditions jobs the Perechen has no position for.
  std::vector<TJob> jobs;
  jobs.push_back({"", "27-ГД", "", "Врач", true});
  jobs.push_back({"", "27-СМ", "", "Фельдшер скорой помощи", true});
  for (int j = 2; j < o.Positions; ++j) {
    char code[64];
    std::snprintf(code, sizeof code, "%s-1%04d", j % 2 ? "2320000А" : "1010100А", 1000 + j);
    jobs.push_back({j % 2 ? "27-2" : "27-1", "", code, "Профессия " + std::to_string(j), true});
  }
  const int staffed = static_cast<int>(jobs.size());
  jobs.push_back({"27-2", "", "2320000А-19999", "Профессия без позиции", false});
  jobs.push_back({"27-1", "", "1010100А-19998", "Другая профессия без позиции", false});
  const int unstaffed = staffed;

  auto staffedJob = [&] { return static_cast<int>(rnd.Below(static_cast<unsigned>(staffed))); };
  // A staffed special-conditions job other than the given ones.
  auto otherJob = [&](int job, int also = -1) {
    int other = 2 + static_cast<int>(rnd.Below(static_cast<unsigned>(staffed - 2)));
    while (other == job || other == also) other = (other - 2 + 1) % (staffed - 2) + 2;
    return other;
  };

  std::vector<TPerson> persons;
  persons.reserve(static_cast<size_t>(o.Persons) + static_cast<size_t>(o.Persons / 100) + 16);
  long kinds[kKindCount] = {};
  long missingRows[2] = {};  // rows of the two missing kinds: one per period of the person
  long preferential = 0;
  for (long i = 0; i < o.Persons; ++i) {
    TPerson p;
    p.Surname = kSurnames[rnd.Below(12)];
    p.Name = kNames[rnd.Below(8)];
    p.Patronymic = kPatronymics[rnd.Below(6)];
    p.ListSurname = p.Surname;
    p.Snils = Snils(i);
    if (rnd.Unit() < o.Preferential) {
      ++preferential;
      p.InList = true;
      int job = staffedJob();
      if (rnd.Below(5) == 0) {  // two jobs in the quarter
        int second = otherJob(job);
        p.IS = {{job, 0, kSplitDay - 1, 1}, {second, kSplitDay, kQuarterDays - 1, 1}};
      } else {
        p.IS = {{job, 0, kQuarterDays - 1, 1}};
      }
      p.List = p.IS;
      // A СЗВ-ИСХ person on a job of the additional tariff, paid, the named list agreeing.
      const bool paidIsx = preferential % 50 == 7 && !jobs[static_cast<size_t>(job)].Oyt.empty();
      if (paidIsx) {
        p.Isx = true;
        p.IS = {{job, 0, kQuarterDays - 1, 1}};
        p.List = {{job, 0, kQuarterDays - 1, 1, true, "3.1"}};
        p.Payments = {{1000, "3.1"}, {500, "3.1"}};
      }
      if (!paidIsx && rnd.Unit() < o.Discrepancies) {
        auto kind = static_cast<TKind>(rnd.Below(kKindCount));
        const int first = p.IS.front().Job;
        switch (kind) {
          case kMissingInList:
            p.InList = false;
            missingRows[0] += static_cast<long>(p.IS.size());
            break;
          case kMissingInIS: {
            // A person of the named list only, besides this one.
            TPerson extra = p;
            extra.Snils = Snils(o.Persons + kinds[kMissingInIS] * 7 + 3);
            extra.InIS = false;
            missingRows[1] += static_cast<long>(extra.List.size());
            persons.push_back(extra);
            break;
          }
          case kOtherName: p.ListSurname = p.Surname + "А"; break;
          case kOtherGrounds:
            // Never the job of the person's second period: the two would join in the list.
            p.List.front().Job = otherJob(first, p.IS.size() > 1 ? p.IS[1].Job : -1);
            break;
          case kOtherRate:
            p.IS = {{static_cast<int>(rnd.Below(2)), 0, kQuarterDays - 1, 0.5}};
            p.List = {{p.IS.front().Job, 0, kQuarterDays - 1, 0.75}};
            break;
          case kUnpairedIS:
            p.IS = {{first, 0, kSplitDay - 1, 1}, {otherJob(first), kSplitDay, kQuarterDays - 1, 1}};
            p.List = {p.IS.front()};
            break;
          case kUnpairedList:
            p.IS = {{first, 0, kSplitDay - 1, 1}};
            p.List = {p.IS.front(), {otherJob(first), kSplitDay, kQuarterDays - 1, 1}};
            break;
          case kNoPosition:
            p.IS = {{unstaffed + static_cast<int>(rnd.Below(2)), 0, kQuarterDays - 1, 1}};
            p.List = p.IS;
            break;
          case kCrossing: {
            // 1 October – 30 November and 1 November – 31 December of one long-service job at half
            // rate each: a full rate in November.
            const int vl = static_cast<int>(rnd.Below(2));
            p.IS = {{vl, 0, 60, 0.5}, {vl, 31, kQuarterDays - 1, 0.5}};
            p.List = p.IS;
            break;
          }
          case kTariffUnpaid:
            p.Isx = true;
            p.IS = {{otherJob(-1), 0, kQuarterDays - 1, 1}};
            p.List = p.IS;
            break;
          case kTariffNoBenefit:
            p.Isx = true;
            p.InList = false;
            p.IS.clear();
            p.List.clear();
            p.Payments = {{1000, ""}};
            break;
          case kTariffList:
            p.Isx = true;
            p.IS = {{static_cast<int>(rnd.Below(2)), 0, kQuarterDays - 1, 1}};
            p.List = p.IS;
            p.List.front().Tariff = true;
            break;
          case kTariffClass:
            p.Isx = true;
            p.IS = {{otherJob(-1), 0, kQuarterDays - 1, 1}};
            p.List = {{p.IS.front().Job, 0, kQuarterDays - 1, 1, true, "3.1"}};
            p.Payments = {{1000, "3.2"}};
            break;
          case kClassNoTariff: p.List.front().Class = "3.1"; break;
          default: break;
        }
        ++kinds[kind];
      }
    }
    persons.push_back(std::move(p));
  }

  TPerson* corrected = nullptr;
  if (o.Correction)
    for (TPerson& p : persons)
      if (p.InIS && !p.Isx && !p.IS.empty()) {
        p.AddPd = "ДЕКРЕТ";
        corrected = &p;
        break;
      }

  // Staff units per position: enough for the IS periods on it, except for the positions chosen to
  // show an excess (the long-service ones are never chosen: their rates vary).
  std::vector<double> isDays(jobs.size(), 0);
  for (const TPerson& p : persons)
    if (p.InIS)
      for (const TPeriod& period : p.IS)
        isDays[static_cast<size_t>(period.Job)] += (period.EndDay - period.StartDay + 1) * period.Rate;
  const int excessWanted = o.ExcessPositions >= 0 ? o.ExcessPositions : std::max(1, o.Positions / 10);
  std::vector<bool> excess(jobs.size(), false);
  int excessCount = 0;
  for (int j = staffed - 1; j >= 2 && excessCount < excessWanted; --j)
    if (isDays[static_cast<size_t>(j)] > 0) {
      excess[static_cast<size_t>(j)] = true;
      ++excessCount;
    }

  fs::create_directories(o.Out / "is");
  fs::create_directories(o.Out / "lists");
  for (const auto& entry : fs::directory_iterator(o.Out / "is")) fs::remove(entry.path());
  fs::remove_all(o.Out / "correction");

  // IS files.
  std::vector<std::string> files;
  uint64_t isBytes = 0;
  for (const bool isx : {false, true}) {
    const TIsForm form = isx ? kIsx : kStag;
    TIsWriter writer(o, files, form);
    for (const TPerson& p : persons)
      if (p.InIS && p.Isx == isx) writer.AddPerson(IsPersonBlock(o, p, jobs, form));
    writer.Close();
    isBytes += writer.Bytes();
  }
  if (corrected) {
    fs::create_directories(o.Out / "correction");
    std::vector<std::string> correction;
    TIsWriter writer(o, correction, kKorr, "correction");
    writer.AddPerson(IsPersonBlock(o, *corrected, jobs, kKorr));
    writer.Close();
  }

  // Perechen: the positions spread over a few subdivisions, each with its part of the named list.
  const int subdivisions = 4;
  std::vector<std::string> lists(subdivisions);
  long listWorkers = 0, n = 0;
  for (const TPerson& p : persons)
    if (p.InList) {
      lists[static_cast<size_t>(n++ % subdivisions)] += ListWorker(o, p, jobs);
      ++listWorkers;
    }
  std::string list;
  list += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Перечень ОтчетныйГод=\"" + std::to_string(o.Year) +
          "\" ОтчетныйПериод=\"12\" НакопитИтогом=\"0\" Тип=\"ИСХОДНЫЙ\">\n"
          "  <Предприятие Наименование=\"АО &quot;Нагрузка&quot;\" РегНомер=\"" +
          o.RegNum + "\">\n";
  for (int s = 0; s < subdivisions; ++s) {
    list += "    <Подразделение Номер=\"" + std::to_string(s + 1) + "\" Наименование=\"Цех " + std::to_string(s + 1) +
            "\">\n";
    for (int j = s; j < staffed; j += subdivisions) {
      const TJob& job = jobs[static_cast<size_t>(j)];
      const double need = std::ceil(isDays[static_cast<size_t>(j)] / kQuarterDays);
      const double units =
          excess[static_cast<size_t>(j)] ? std::floor(isDays[static_cast<size_t>(j)] / (2 * kQuarterDays)) : need + 1;
      list += "      <Позиция ДатаНач=\"01.01.2019\">\n        <Профессия>" + job.Profession +
              "</Профессия>\n        <ОснованиеЛьготы>" + job.Grounds() + "</ОснованиеЛьготы>\n";
      if (!job.Position.empty()) list += "        <ПозицияСписка>" + job.Position + "</ПозицияСписка>\n";
      list += "        <КоличествоШтат>" + Number(units) + "</КоличествоШтат>\n      </Позиция>\n";
    }
    list += "      <ПоименныйСписок>\n" + lists[static_cast<size_t>(s)] +
            "      </ПоименныйСписок>\n    </Подразделение>\n";
  }
  list += "  </Предприятие>\n</Перечень>\n";
  {
    fs::path path = o.Out / "lists" / ("perechen_" + o.RegNum + "_" + std::to_string(o.Year) + "_q4.xml");
    std::ofstream out(path, std::ios::binary);
    out << list;
    if (!out) {
      std::cerr << "gen-workload: cannot write " << path << "\n";
      return 2;
    }
  }

  // What a run must find: rows per protocol table.
  std::map<std::string, long> tables;
  auto add = [&](const char* table, long count) {
    if (count) tables[table] += count;
  };
  add("TPdInsNumErrors", missingRows[0]);
  add("TSNErrors_List", missingRows[1]);
  add("TFullNameErrors", kinds[kOtherName]);
  add("TBasisErrors", kinds[kOtherGrounds]);
  add("TPeriodErrors_IS", kinds[kOtherGrounds] + kinds[kUnpairedIS]);
  add("TPeriodErrors_List", kinds[kOtherGrounds] + kinds[kUnpairedList]);
  add("TRateErrors", kinds[kOtherRate]);
  add("TPositionErrors", kinds[kNoPosition]);
  add("TWorkingDaysErrors", excessCount);
  add("TCrossingPDPeriodsErrors", kinds[kCrossing]);
  add("TAddTariffErrors", kinds[kTariffUnpaid] + kinds[kTariffList]);
  add("TAddTariffWarnings", kinds[kTariffNoBenefit]);
  add("TUTErrors", kinds[kTariffClass]);
  add("TUTWithoutAddTariffErrors", kinds[kClassNoTariff]);
  add("TAddPdDataWarnings", corrected ? 1 : 0);

  std::ofstream planted(o.Out / "planted.txt");
  planted << "# gen-workload --persons " << o.Persons << " --year " << o.Year << " --seed " << o.Seed << "\n";
  planted << "persons " << o.Persons << "\npreferential " << preferential << "\nlist_workers " << listWorkers
          << "\nis_files " << files.size() << "\nis_bytes " << isBytes << "\nlist_bytes " << list.size() << "\n";
  if (corrected) planted << "correction " << corrected->Snils << "\n";
  for (int k = 0; k < kKindCount; ++k) planted << "kind " << kKindNames[k] << " " << kinds[k] << "\n";
  planted << "kind working_days " << excessCount << "\n";
  for (const auto& [table, count] : tables) planted << "table " << table << " " << count << "\n";
  if (!planted) {
    std::cerr << "gen-workload: cannot write planted.txt\n";
    return 2;
  }
  std::cout << "gen-workload: " << o.Persons << " persons (" << preferential << " preferential), " << files.size()
            << " IS file(s), " << isBytes << " bytes; Perechen " << list.size() << " bytes, " << listWorkers
            << " named-list workers\n";
  return 0;
}
