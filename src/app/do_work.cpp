// One reconciliation run: the search, then every set verified and written into the protocol; the
// run's exit code is what the search and the sets decided.
#include <algorithm>
#include <chrono>
#include <exception>
#include <functional>
#include <iostream>

#include "app/work_manager.h"
#include "base/exit_code.h"
#include "base/logger.h"
#include "base/report_dir_lock.h"
#include "base/run_cancel.h"
#include "base/strings.h"
#include "isdata/base_data.h"
#include "report/protocol_former.h"
#include "search/searcher.h"
#include "verify/verification.h"

namespace zz {

namespace fs = std::filesystem;

namespace {

TPDPackData PackSummary(const TPack& pack) {
  TPDPackData data;
  data.fNum = pack.PackNum();
  data.fISType = PDTypeName(pack.BaseData.PDType());
  data.fDatePack = pack.PackDate();
  data.fCategoryCode = pack.BaseData.CategoryCode();
  data.fOrgName = pack.OrgName();
  data.fShortOrgName = pack.OrgName();
  data.fWorkers = std::to_string(pack.Workers.size());
  data.fLgotWorkers = pack.LgotWorkerCount();
  data.fFileName = pack.FileName;
  return data;
}

// The result code of a verified set from its verdict and what its part of the protocol shows: its
// error blocks, the red messages of the Perechen and the red messages of the search, which every
// part prints. A verdict of 12, 22 or 23 stays only beside exactly one error block.
int SetResultCode(const TVerification& v, int redSearchMessages) {
  auto red = [](const auto& message) { return message->IsError; };
  const size_t errorBlocks = v.FErrorResults.size() +
                             static_cast<size_t>(std::count_if(v.fVerListErrors.begin(), v.fVerListErrors.end(), red)) +
                             static_cast<size_t>(redSearchMessages);
  int code = v.fECode;
  if (errorBlocks > 0) {
    const bool keepsVerdict =
        (code == ecNothingListSupplied || code == ecCorrectingOnly || code == ecNoList) && errorBlocks == 1;
    if (!keepsVerdict) code = ecErrors;
  }
  if (code == 0 && !v.fWarningResults.empty()) code = ecWarnings;
  return code;
}

void RemovePartFiles(const fs::path& reportDir) {
  for (const char* part : {"body.part", "footer.part", "corr.part", "init.part"}) {
    std::error_code ec;
    fs::remove(reportDir / part, ec);
  }
}

// A stopped run leaves no part files behind.
class TPartFilesGuard {
 public:
  explicit TPartFilesGuard(fs::path reportDir) : fDir(std::move(reportDir)) {}
  ~TPartFilesGuard() {
    if (std::uncaught_exceptions() > fExceptions && RunCancelRequested()) RemovePartFiles(fDir);
  }

 private:
  fs::path fDir;
  int fExceptions = std::uncaught_exceptions();
};

// The pack rows of the protocol: initial packs, then correcting packs by date.
void AddPackSummaries(TSet& set, TVerification& v) {
  for (const auto& pack : set.FInitPacks) v.fPDData.FInitPacks.push_back(PackSummary(*pack));
  std::stable_sort(set.FCorrPacks.begin(), set.FCorrPacks.end(),
                   [](const auto& a, const auto& b) { return a->PackDateAsDate() < b->PackDateAsDate(); });
  for (const auto& pack : set.FCorrPacks) v.fPDData.FCorrPacks.push_back(PackSummary(*pack));
  if (!set.FInitPacks.empty()) {
    for (const auto& pack : set.FInitPacks) v.fFileNames.push_back(pack->FileName);
    for (const auto& pack : set.FCorrPacks) v.fFileNames.push_back(pack->FileName);
  }
}

// The report directory, held for the whole run: another run into the same directory waits.
std::unique_ptr<TReportDirLock> LockReportDir(const TRunParams& run, TLoggingObject& log) {
  const auto maxWait = std::chrono::minutes(run.FLockWaitMinutes);
  return std::make_unique<TReportDirLock>(
      run.FDirReport,
      [&] {
        const std::string text = "Каталог протокола " + run.FDirReport +
                                 " занят другой сверкой, ожидаем её завершения (не дольше " +
                                 std::to_string(run.FLockWaitMinutes) + " мин.)";
        log.WriteLogEntry("---" + text, true);
        std::cerr << "zazoru: " << EscapeControlChars(text) << std::endl;
      },
      maxWait);
}

// What runs killed while writing left in the directory: their writers are gone and the lock is ours.
void ClearReportDir(const std::string& reportDir, TLoggingObject& log) {
  if (int stale = RemoveStaleAtomicTemps(reportDir))
    log.WriteLogEntry("---удалено недописанных протоколов прерванных сверок: " + std::to_string(stale));
  RemovePartFiles(reportDir);
}

// The code the search alone gives the run; 0 lets the verification go on.
int SearchExitCode(const TSearcher& searcher) {
  // A directory without usable files keeps its 10; "no set" only explains an otherwise clean search.
  if (searcher.fSets.empty() && !searcher.fSearchErrors.empty() && searcher.fExitCode == ecOk) return ecNoSetFormed;
  return searcher.fExitCode;
}

void CollectTerrCodes(TSet& set, TVerification& v) {
  v.WriteLogEntry("***проверка права проставления терр кодов");
  for (auto* packs : {&set.FInitPacks, &set.FCorrPacks})
    for (auto& pack : *packs) {
      for (auto& record : pack->TerrCodes()) v.fTerrCodes.push_back(std::move(record));
      pack->TerrCodes().clear();
    }
  // A report of a whole year meets dated rights over that year, not over its last quarter.
  v.verifyTerrCodes(set.FYear, set.IsAnnual() ? 0 : set.FPeriod);
  v.WriteLogEntry("***проверка права проставления территориальных кодов завершена");
}

void CollectParseFindings(TSet& set, TVerification& v) {
  v.WriteLogEntry("***сборка данных об ошибках заполнения ИС");
  for (auto* packs : {&set.FInitPacks, &set.FCorrPacks})
    for (auto& pack : *packs) v.getParseErrorsAndWarnings(*pack, set.FList.get());
  v.WriteLogEntry("***сборка данных об ошибках заполнения ИС завершена");
}

void CompareWithList(TSet& set, TVerification& v, bool hasAtLeastOneInitPack) {
  v.WriteLogEntry("***анализируем сэт");
  int verdict = set.IsVerificationPossible(hasAtLeastOneInitPack);
  if (verdict != 0) {
    v.fECode = verdict;
    v.fPreZazoruResult = std::make_unique<TPreZazoruResult>(verdict);
  }
  v.WriteLogEntry("***анализ сэта завершен");
  v.WriteLogEntry("***подготавливаем сэт для сверки");
  if (set.IsVerificationPossible(hasAtLeastOneInitPack) == ecNoMatchingIS) return;
  std::vector<TWorker*> workers = set.UnionISWorkers(v.FErrorResults, v.fWarningResults);
  v.fCorrPacksOnly = (set.FInitPacks.empty() && !set.FCorrPacks.empty()) || set.FHasSPV1;
  v.WriteLogEntry("***подготовка сэта для сверки завершена");
  v.WriteLogEntry("***выполнение сверки");
  try {
    v.verify(set.FList.get(), workers, set.FYear, set.FPeriod);
  } catch (const std::exception& e) {
    // Data that cannot be compared ends this period's comparison, not the run.
    v.WriteLogEntry("---сверка периода прервана", true);
    v.WriteLogException(e);
    v.FErrorResults.push_back(std::make_unique<TProtocolMessage>(
        std::string("Сверка за период прервана из-за ошибки в данных: ") + e.what(), true));
  }
  v.WriteLogEntry("***выполнение сверки завершено");
}

// What every set of a run shares.
struct TSetContext {
  const TRunParams& Run;
  bool HasAtLeastOneInitPack = false;
  int RedSearchMessages = 0;
  // Called after each of the set's first steps (1, 2) for the progress bar.
  std::function<void(int step)> Stepped;
};

// One set verified: the pack rows, the territorial codes, the packs' own findings, the comparison
// with its Perechen, and the set's code. `index` is the set's place in the log's words.
std::unique_ptr<TVerification> VerifySet(TSet& set, int index, const TSetContext& context) {
  if (!set.FInitPacks.empty()) set.FHasInitPacks = true;
  auto verification = std::make_unique<TVerification>(set.Arena(), context.Run);
  TVerification& v = *verification;
  v.fYear = set.FYear;
  v.fPeriod = set.FPeriod;
  AddPackSummaries(set, v);

  if (context.Run.fCompareTerrCodes) CollectTerrCodes(set, v);
  CollectParseFindings(set, v);
  context.Stepped(1);

  if (context.Run.FCompareWithList) {
    CompareWithList(set, v, context.HasAtLeastOneInitPack);
    v.WriteLogEntry("***анализ результата сверки сэта");
    v.fECode = SetResultCode(v, context.RedSearchMessages);
    v.WriteLogEntry("---результат по сэту ,eCode=" + std::to_string(v.fECode));
    v.WriteLogEntry("***анализ результата сверки сэта завершен");
    v.WriteLogEntry("***работа с сэтом №" + std::to_string(index) + " завершена");
  } else {
    // The territorial check alone: its findings decide the code all the same.
    v.fECode = SetResultCode(v, context.RedSearchMessages);
  }
  context.Stepped(2);

  for (auto* results : {&v.FErrorResults, &v.fWarningResults})
    for (auto& r : *results)
      if (auto* table = dynamic_cast<TTableResult*>(r.get())) table->TagRecords();
  if (set.FList)
    v.fListData = TListData{set.FList->fFileName, set.FList->fOrgName, static_cast<int>(set.FList->fWorkers.size())};
  return verification;
}

}  // namespace

TRunResult TWorkManager::doWork(const TRunParams& run) {
  fLastRun = TRunResult{};
  TSearcher& searcher = *fSearcher;
  auto progress = [&](int min, int max, int curr, const std::string& text) {
    if (searcher.managerProgress) searcher.managerProgress(min, max, curr, text);
  };
  const std::unique_ptr<TReportDirLock> lock = LockReportDir(run, *this);
  ClearReportDir(run.FDirReport, *this);
  TPartFilesGuard partFiles(run.FDirReport);

  searcher.Run(run);
  CheckRunCancel();
  TRunResult result;
  TProtocolFormer former(run, searcher.fSearchErrors);
  former.fDamagedInputs = searcher.fDamagedInputs;
  former.fOrgName = searcher.fOrgName;
  if (!searcher.fSets.empty()) {
    result.Year = former.fYear = searcher.fSets.front()->FYear;
    result.Period = former.fPeriod = searcher.fSets.front()->FPeriod;
  }

  result.ExitCode = SearchExitCode(searcher);
  if (result.ExitCode != ecOk) {
    const std::string code = std::to_string(result.ExitCode);
    WriteLogEntry("---до запуска основного алгоритма анализа возникли проблемы ExitCode=" + code);
    WriteLogEntry("***сформировать bad протокол");
    result.ReportFile = former.printBadProtocol(searcher.fSearchErrors, result.ExitCode);
    WriteLogEntry("***сформирован bad протокол, exitCode=" + code);
    fSearcher.reset();
    return fLastRun = result;
  }

  WriteLogEntry("//////////////////////////////////");
  WriteLogEntry("***запуск основного алгоритма анализа");
  const int N = static_cast<int>(searcher.fSets.size());
  WriteLogEntry("***перебираем сформированные периоды, всего их: " + std::to_string(N));
  // Every set moves the bar several steps, so that a run of a single set shows its course too.
  constexpr int kSetSteps = 4;
  const int steps = N * kSetSteps;
  progress(0, steps, 0, "Ход сверки");
  int processed = 0;
  int done = 0;
  const TSetContext context{
      run,
      std::any_of(searcher.fSets.begin(), searcher.fSets.end(), [](const auto& s) { return !s->FInitPacks.empty(); }),
      static_cast<int>(std::count_if(searcher.fSearchErrors.begin(), searcher.fSearchErrors.end(),
                                     [](const auto& m) { return m->IsError; })),
      [&](int step) { progress(0, steps, done + step, "Ход сверки"); }};

  for (int i = N - 1; i >= 0; --i) {
    CheckRunCancel();
    done = (N - 1 - i) * kSetSteps;
    TSet& set = *searcher.fSets[static_cast<size_t>(i)];
    std::unique_ptr<TVerification> verification = VerifySet(set, i, context);
    TVerification& v = *verification;
    former.fVerifiedPeople += set.CountVerifiedpeople();

    WriteLogEntry("***анализ результатов сверок сэтов");
    result.ExitCode = std::max(result.ExitCode, v.fECode);
    WriteLogEntry("***анализ результатов сверок сэтов завершен");
    progress(0, steps, done + 3, "Ход сверки");
    WriteLogEntry("***формирование части протокола");
    former.formProtocolPart(v);
    WriteLogEntry("***часть протокола сформирована");
    // The verification's records point into the set's data: they go before it.
    verification.reset();
    searcher.fSets.erase(searcher.fSets.begin() + i);
    ++processed;
    progress(0, steps, done + kSetSteps, "Ход сверки");
  }

  // A file or archive that could not be read whole is an error of the run, whatever the sets found.
  if (searcher.fDamagedInputs > 0) {
    WriteLogEntry("---часть входных файлов не прочитана: " + std::to_string(searcher.fDamagedInputs), true);
    result.ExitCode = std::max<int>(result.ExitCode, ecErrors);
  }
  WriteLogEntry("***перебор сформированных периодов окончен");
  CheckRunCancel();
  progress(0, 1, 1, "Ход сверки");
  progress(0, 1, 0, "Сохранение протокола");
  result.ReportFile = former.printProtocol(processed, result.ExitCode);
  progress(0, 1, 1, "Сохранение протокола");
  fSearcher.reset();
  return fLastRun = result;
}

}  // namespace zz
