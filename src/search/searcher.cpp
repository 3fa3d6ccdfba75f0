// The search stage: finding the files, unpacking archives, reading IS files into packs and sets.
#include "search/searcher.h"

#include <algorithm>
#include <cstdlib>

#include "base/batch_memory.h"
#include "base/run_cancel.h"
#include "base/strings.h"
#include "search/list_acquisition.h"
#include "search/ordered_jobs.h"
#include "search/run_temp_dir.h"
#include "search/staged_names.h"
#include "settings/classifiers.h"
#include "xml/my_parser.h"

namespace zz {

namespace fs = std::filesystem;

TSearcher::TSearcher(fs::path tempParent) : fTempParent(std::move(tempParent)) {
  fAllXMLFiles[xftPD];
  fAllXMLFiles[xftList];
}

void TSearcher::Progress(int max, int curr, const std::string& text) {
  if (managerProgress) managerProgress(0, max, curr, text);
}

void TSearcher::Run(const TRunParams& params) {
  fParams = params;
  fExitCode = ecOk;
  Progress(0, 0, "Поиск файлов...");
  // Unpacked files are this run's alone and go when the search ends, however it ends.
  TRunTempDir runTemp(fTempParent);
  fRunTemp = runTemp.Path();
  struct TForget {
    fs::path& path;
    ~TForget() { path.clear(); }
  } forget{fRunTemp};
  FindFiles();
  WriteLogEntry("//////////////////////////////////");
  WriteLogEntry("***разбор ИСов");
  ParseISFiles();
  WriteLogEntry("***разбор ИСов завершен");
  if (fExitCode == ecNoISFiles) return;
  WriteLogEntry("//////////////////////////////////");
  WriteLogEntry("***поиск Перечня");
  FindLists();
  WriteLogEntry("***поиск Перечня завершен");
}

void TSearcher::FindFiles() {
  WriteLogEntry("***поиск файлов ИС");
  ScanDirectory(fParams.FDirPD, xftPD);
  if (!(fParams.UseUL() || fParams.FMode == mBPI)) {
    WriteLogEntry("***поиск файлов Переченей");
    ScanDirectory(fParams.FDirList, xftList);
  }
}

// Entries named like candidates that are no regular files (directories, FIFOs, devices, broken or
// looping links): they are passed over, and the log says so.
void TSearcher::LogSkippedEntries(const std::string& dir) {
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string ext = it->path().extension().string();
    if (!SameTextCI(ext, ".xml") && !SameTextCI(ext, ".zip")) continue;
    std::error_code e2;
    if (it->is_regular_file(e2)) continue;
    WriteLogEntry("---пропущен " + it->path().string() + ": " + (e2 ? e2.message() : "не является обычным файлом"),
                  true);
  }
}

void TSearcher::ScanDirectory(const std::string& dir, TXMLFileType kind) {
  WriteLogEntry("***поиск xml-файлов в каталоге " + dir);
  LogSkippedEntries(dir);
  const TStagedNames staged = ReadStagedNames(dir);
  for (const auto& [name, shown] : staged.Shown) fDisplayNames[(fs::path(dir) / name).string()] = shown;
  for (const auto& [shown, why] : staged.Refused) ReportDamage("Файл " + shown + " не распакован: " + why);
  auto& list = fAllXMLFiles[kind];
  for (const fs::path& file : ListFilesByExtension(dir, ".xml")) list.push_back(file.string());
  for (const fs::path& archive : ListFilesByExtension(dir, ".zip")) {
    CheckRunCancel();
    UnpackArchive(archive);
  }
  // Every XML file unpacked so far in this run, those of an earlier scan included.
  for (const fs::path& file : fExtracted) list.push_back(file.string());
  WriteLogEntry("***поиск xml-файлов завершен");
  WriteLogEntry("---найдено " + std::to_string(list.size()) + " xml-файлов");
}

void TSearcher::UnpackArchive(const fs::path& archive) {
  // Each archive gets a folder of its own, so that same-named entries of different archives stay apart.
  const fs::path target = fRunTemp / (std::to_string(++fArchiveCount) + "-" + archive.filename().string());
  TUnpackResult unpacked = UnpackZip(archive, target, fUnpackLimits, fUnpackedBytes);
  const std::string archiveName = DisplayName(archive.string());
  for (const TRefusedEntry& entry : unpacked.Refused)
    ReportDamage("Файл " + entry.Name + " из архива " + archiveName + " не распакован: " + entry.Reason);
  if (unpacked.Failure)
    ReportDamage("Архив " + archiveName + (unpacked.Files.empty() ? " не распакован: " : " распакован не полностью: ") +
                 unpacked.Failure->Text);
  for (const TRenamedEntry& entry : unpacked.Renamed) {
    const std::string text = "Файл " + entry.Name + " из архива " + archiveName + " прочитан под именем " +
                             entry.Substitute + ": его имя не читается";
    WriteLogEntry("---" + text, true);
    AddMessage(std::make_unique<TProtocolMessage>(text, false));
  }
  for (const fs::path& file : unpacked.Files) {
    const std::string shown = (fs::path(archiveName) / file.lexically_relative(target)).string();
    if (SameTextCI(file.extension().string(), ".zip"))
      ReportDamage("Файл " + shown + " не прочитан: архивы внутри архива не распаковываются");
    if (!SameTextCI(file.extension().string(), ".xml")) continue;
    fExtracted.push_back(file);
    // The protocol names the archive and the entry: the unpacked copy is gone once the run ends.
    fDisplayNames[file.string()] = shown;
  }
  std::stable_sort(fExtracted.begin(), fExtracted.end(), FileNameOrderLess);
}

std::string TSearcher::DisplayName(const std::string& path) const {
  auto it = fDisplayNames.find(path);
  return it == fDisplayNames.end() ? path : it->second;
}

void TSearcher::ReportDamage(const std::string& text) {
  WriteLogEntry("---" + text, true);
  AddMessage(std::make_unique<TProtocolMessage>(text, true));
  ++fDamagedInputs;
}

void TSearcher::ReportUnreadable(const std::string& path, const TReadError& error) {
  if (!fUnreadable.insert(path).second) return;
  const std::string text = "Не удалось прочитать файл XML " + DisplayName(path) + ": " + error.Text;
  WriteLogEntry(text, true);
  AddMessage(std::make_unique<TProtocolMessage>(text, true));
  ++fDamagedInputs;
}

void TSearcher::RemoveListCandidate(const std::string& path) {
  auto& list = fAllXMLFiles[xftList];
  auto it = std::find(list.begin(), list.end(), path);
  if (it != list.end()) list.erase(it);
}

unsigned TSearcher::ReadingThreads() const {
  if (fReadingThreads > 0) return fReadingThreads;
  // For comparing the two ways on the same build (benchmarks).
  if (const char* forced = std::getenv("ZAZORU_READING_THREADS")) {
    const int wanted = std::atoi(forced);
    if (wanted > 0) return static_cast<unsigned>(std::min(wanted, 64));
  }
  return kDefaultReadingThreads;
}

void TSearcher::ParseISFiles() {
  const std::vector<std::string> candidates = fAllXMLFiles[xftPD];
  fFoundIS = false;
  if (candidates.empty()) {
    Progress(0, 0, "Xml-файлы не найдены");
    AddMessage(std::make_unique<TProtocolMessage>("Xml-файлы не найдены", false));
    fExitCode = ecNoISFiles;
  }
  Progress(0, 0, "Найдены xml-файлы");
  WriteLogEntry("***перебираем найденные xml-файлы ");
  // Last file first. The files are read on several threads, and what reading one causes is taken
  // over here in that order, as if they were read one after another.
  const int n = static_cast<int>(candidates.size());
  auto pathOf = [&](size_t job) -> const std::string& { return candidates[static_cast<size_t>(n) - 1 - job]; };
  const TISFileQuery query{fParams.FRegNum, fParams.FYear, fParams.FPeriod};
  // Process-wide set-up the reading threads only look up: made here, before they start.
  PrepareXmlReading();
  TLogger::GetInstance();
  const unsigned threads = ReadingThreads();
  RunJobsInOrder<TISFileRead>(
      candidates.size(), threads, [&](size_t job) { return ReadISFile(pathOf(job), DisplayName(pathOf(job)), query); },
      [&](size_t job) {
        // Outside the per-file guard, which would take a stop for a broken file.
        CheckRunCancel();
        Progress(n, static_cast<int>(job) + 1, "Поиск ИС: " + DisplayName(pathOf(job)));
      },
      [&](size_t job, TISFileRead& read) {
        try {
          TakeISFile(pathOf(job), read);
        } catch (const std::exception& e) {
          WriteLogEntry("---Критическая ошибка при обработке xml-файлов во время поиска ИСов", true);
          WriteLogException(e);
          // The file's content is lost to the run: named, and counted like any damaged input.
          ReportDamage("Неизвестная ошибка (поиск СЗВ в режиме БПИ) в файле " + DisplayName(pathOf(job)) + ": " +
                       e.what());
        }
      },
      RunCancelRequested);
  if (threads > 1 && candidates.size() > 1) ReturnFreedMemory();
  WriteLogEntry("***перебор найденныx xml-файлов завершен");
  if (!fFoundIS) {
    AddMessage(std::make_unique<TProtocolMessage>("Необходимые Xml-файлы не найдены", false));
    WriteLogEntry("---Необходимые Xml-файлы не найдены", true);
    fExitCode = ecNoISFiles;
  }
}

void TSearcher::TakeISFile(const std::string& path, TISFileRead& read) {
  TLogger::GetInstance().Replay(read.Log);
  if (read.Unreadable) {
    // The protocol says why.
    ReportUnreadable(path, *read.Unreadable);
    RemoveListCandidate(path);
    return;
  }
  if (!read.Accepted) {
    if (!read.Failure && (Contains(path, "FZJ-") || Contains(path, "ФЗЖ_"))) RemoveListCandidate(path);
    if (read.Failure) std::rethrow_exception(read.Failure);
    return;
  }
  RemoveListCandidate(path);
  fFoundIS = true;
  for (auto& message : read.HeaderMessages) AddMessage(std::move(message));
  if (read.Failure) std::rethrow_exception(read.Failure);
  std::unique_ptr<TPack> pack = std::move(read.Pack);
  if (!pack) {
    AddMessage(std::make_unique<TProtocolMessage>("Ошибка при разборе пачки: " + DisplayName(path), true));
    return;
  }
  if (!pack->OrgName().empty()) fOrgName = pack->OrgName();
  for (auto& message : pack->PackErrors()) AddMessage(std::move(message));
  pack->PackErrors().clear();

  if (pack->BaseData.IsEFS1()) {
    for (auto& part : SplitPackByYears(*pack)) PlacePack(std::move(part));
  } else {
    PlacePack(std::move(pack));
  }
  WriteLogEntry("***добавление пачки к сету (по периодам) завершено");
}

void TSearcher::PlacePack(std::unique_ptr<TPack> pack) {
  WriteLogEntry("***добавление пачки к сету(по периодам)");
  const int year = pack->BaseData.CorrYear(), quarter = pack->BaseData.CorrPeriod();
  const std::string where = std::to_string(quarter) + "." + std::to_string(year);
  std::vector<TTableResultWithPeriod*> tables = pack->Tables();
  auto it = std::find_if(fSets.begin(), fSets.end(),
                         [&](const auto& s) { return s->FYear == year && s->FPeriod == quarter; });
  if (it != fSets.end()) {
    (*it)->AddPack(std::move(pack));
    WriteLogEntry("---пачка добавлена к уже имеющемуся сету: " + where);
  } else {
    auto set = std::make_unique<TSet>();
    set->FYear = year;
    set->FPeriod = quarter;
    set->AddPack(std::move(pack));
    fSets.push_back(std::move(set));
    WriteLogEntry("---пачка добавлена в новый сет: " + where);
  }
  for (TTableResultWithPeriod* table : tables)
    if (table) table->TagRecords();
}

std::vector<std::unique_ptr<TPack>> TSearcher::SplitPackByYears(TPack& pack) {
  std::vector<std::unique_ptr<TPack>> parts;
  std::map<std::pair<int, int>, TPack*> byYears;
  std::map<TPack*, std::map<std::string, TWorker*>> workersOf;
  auto partFor = [&](const TWorkPeriod& period) {
    auto key = std::make_pair(period.Year, period.CorrYear);
    auto found = byYears.find(key);
    if (found != byYears.end()) return found->second;
    parts.push_back(std::make_unique<TPack>(pack, period));
    return byYears[key] = parts.back().get();
  };

  for (TWorker* worker : pack.Workers) {
    for (TWorkPeriod* period : worker->WorkPeriods) {
      TPack* part = partFor(*period);
      auto& workers = workersOf[part];
      auto [it, isNew] = workers.emplace(worker->SN, nullptr);
      if (isNew) {
        TWorker* copy = part->Arena->Make<TWorker>(*worker);
        copy->HasLgotBasis = period->Bases.Count() > 0 || InClassifier(ctAddStag, period->AddPdData.ToString()) ||
                             period->TerritoryCondition == "СЕЛО";
        part->Workers.push_back(copy);
        it->second = copy;
      }
      it->second->WorkPeriods.push_back(period);
    }
  }

  // Every record follows its period, whether the period was added to a person or not.
  for (auto& record : pack.TerrCodes()) {
    TWorkPeriod* period = record->FWorkPeriod_PD;
    if (period) partFor(*period)->TerrCodes().push_back(std::move(record));
  }
  std::erase_if(pack.TerrCodes(), [](const auto& r) { return r == nullptr; });
  std::vector<TTableResultWithPeriod*> sourceTables = pack.Tables();
  for (size_t t = 0; t < sourceTables.size(); ++t) {
    TTableResultWithPeriod* source = sourceTables[t];
    if (!source) continue;
    std::vector<const TResultRecord*> records;
    for (size_t i = 0; i < source->Count(); ++i) records.push_back(source->Record(i));
    for (const TResultRecord* record : records) {
      auto* withPeriod = dynamic_cast<const TResultRecordWithPeriod*>(record);
      TWorkPeriod* period = withPeriod && withPeriod->FPeriod ? withPeriod->FPeriod : record->FWorkPeriod_PD;
      if (!period) continue;
      TPack* part = partFor(*period);
      part->Tables()[t]->AddRecord(source->TakeRecord(record));
    }
  }
  for (auto& part : parts) part->CountLgotWorkers();
  return parts;
}

}  // namespace zz
