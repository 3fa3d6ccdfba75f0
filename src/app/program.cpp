// The program entry: mode selection, the work manager's life, and the top-level failure handling.
#include "app/program.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "app/command_line.h"
#include "app/intake.h"
#include "base/batch_memory.h"
#include "base/exit_code.h"
#include "base/logger.h"
#include "base/strings.h"
#include "settings/settings.h"

namespace zz {

namespace {

TFormManagerFactory& FormManagerFactory() {
  static TFormManagerFactory factory;
  return factory;
}

void ApplyCommandLine(const TCommandLine& line, TSettings& settings) {
  if (line.RegNum) settings.FRegNum = *line.RegNum;
  if (line.DirPD) settings.FDirPD = *line.DirPD;
  if (line.DirReport) settings.FDirReport = *line.DirReport;
  // Only a well-formed number replaces the one from the file names; anything else is refused as empty.
  if (line.RegNumOption)
    settings.FRegNum = RegNumInFileName(*line.RegNumOption) == *line.RegNumOption ? *line.RegNumOption : std::string();
  if (line.Findings) settings.FFindings = true;
}

// The critical error: logged with its stack, and one line on standard error, which is the only
// trace left when the logger is not initialised yet.
void ReportCriticalFailure(const std::exception& e) {
  std::cerr << "zazoru: критическая ошибка: " << EscapeControlChars(e.what()) << std::endl;
  try {
    TLogger& logger = TLogger::GetInstance();
    logger.LogException(e);
    logger.AddEntry("***критическая ошибка", true);
  } catch (const std::exception& logFailure) {
    std::cerr << "zazoru: не удалось записать журнал: " << logFailure.what() << std::endl;
  }
}

// The restart costs about 20 ms; large pages save about a third of a run that reads tens of MiB.
// The number form of the batch command finds its directory in the settings only later: not restarted.
bool WorthLargePages(const TCommandLine& line) {
  namespace fs = std::filesystem;
  constexpr uintmax_t kEnoughBytes = uintmax_t{16} << 20;
  if (!line.Batch) return false;
  // ZAZORU_LARGE_PAGES=1 asks for them whatever the size, 0 never (RestartWithLargePages).
  if (const char* wanted = std::getenv("ZAZORU_LARGE_PAGES"); wanted && std::string(wanted) == "1") return true;
  if (!line.DirPD) return false;
  std::error_code ec;
  uintmax_t bytes = 0;
  for (fs::directory_iterator it(*line.DirPD, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    bytes += it->file_size(ec);
    if (bytes >= kEnoughBytes) return true;
  }
  return false;
}

}  // namespace

void SetFormManagerFactory(TFormManagerFactory factory) { FormManagerFactory() = std::move(factory); }

std::string UsageText() {
  return "Использование:\n"
         "  zazoru [p]                      оконный режим\n"
         "  zazoru bpi <каталог ИС> [<каталог протокола>] [p]\n"
         "                                  пакетный режим, рег. номер берётся из имён файлов *.xml\n"
         "  zazoru /bpi <рег. номер> [p]    пакетный режим, каталоги из файла настроек\n"
         "  zazoru bpi ... --findings [--regnum <рег. номер>]\n"
         "                                  пакетный режим, рядом с протоколом findings.json (или Findings=1 в "
         "[Options]);\n"
         "                                  --regnum задаёт рег. номер, когда его нет в именах *.xml (только "
         "архивы)\n" +
         IntakeUsageText() +
         "  zazoru --help | --version\n"
         "p: файлы настроек и журналы хранятся в каталоге программы.\n"
         "Коды завершения: 0 без замечаний, 1 предупреждения, 10, 11, 12, 21, 22, 23, 25 см. руководство,\n"
         "29 критическая ошибка, 30 найдены ошибки.\n";
}

int RunProgram(const std::vector<std::string>& args) {
  // Before anything is opened or written: the process may start again.
  const bool intake = args.size() > 1 && args[1] == "intake";
  if (intake || WorthLargePages(ParseCommandLine(args))) RestartWithLargePages(args);
  // The word is checked before the batch selector, whose letters it does not contain.
  if (intake) {
    try {
      return RunIntake(args);
    } catch (const std::exception& e) {
      std::cerr << "zazoru intake: критическая ошибка: " << e.what() << std::endl;
      return ecCritical;
    }
  }
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--help") {
      std::cout << UsageText();
      return 0;
    }
    if (args[i] == "--version") {
      TSettings& settings = TSettings::GetInstance();
      std::cout << "zazoru " << settings.FullVersion() << " (" << settings.AppDate() << ")\n";
      return 0;
    }
  }

  TSettings& settings = TSettings::GetInstance();
  TLogger& logger = TLogger::GetInstance();
  TCommandLine line = ParseCommandLine(args);
  ApplyCommandLine(line, settings);

  std::unique_ptr<TWorkManager> manager;
  try {
    logger.AddEntry(line.Batch ? "***программа запущена в режиме БПИ" : "***программа запущена в оконном режиме",
                    false);
    if (line.Batch) {
      KeepFreedMemoryForReuse();
      manager = std::make_unique<TWorkManagerBPI>(line.Portable);
    } else if (FormManagerFactory()) {
      manager = FormManagerFactory()(line.Portable);
    } else {
      std::cerr << "zazoru: оконный режим в этой сборке недоступен; для пакетного режима укажите bpi.\n" << UsageText();
      return ecCritical;
    }
    manager->Prepare();
    const int code = manager->ExitCode();
    manager.reset();
    return code;
  } catch (const std::exception& e) {
    manager.reset();
    ReportCriticalFailure(e);
  } catch (...) {
    manager.reset();
    ReportCriticalFailure(std::runtime_error("неизвестная ошибка"));
  }
  return ecCritical;
}

}  // namespace zz
