// The work manager's preparation, the settings check and the batch run's start.
#include "app/work_manager.h"

#include <cstdlib>
#include <iostream>

#include "app/config_file.h"
#include "base/exit_code.h"
#include "base/strings.h"
#include "base/utils.h"
#include "report/findings.h"
#include "search/run_temp_dir.h"
#include "search/searcher.h"
#include "settings/classifiers.h"

namespace zz {

namespace fs = std::filesystem;

fs::path TWorkManager::DataDirectory(bool PortableMode) {
  if (PortableMode) return ExecutableDir();
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  fs::path base = xdg && *xdg ? fs::path(xdg) : fs::path(DefaultDirectory()) / ".config";
  return base / "Zazoru";
}

TWorkManager::TWorkManager(bool PortableMode) : fSettings(TSettings::GetInstance()) {
  WriteLogEntry("***инициализация");
  FAppDataDir = DataDirectory(PortableMode);
  Classifiers().clear();
  WriteLogEntry("***инициализация завершена");
}

TWorkManager::~TWorkManager() {
  fSearcher.reset();
  Classifiers().clear();
}

void TWorkManager::createSearcher() {
  if (!fSearcher) fSearcher = std::make_unique<TSearcher>(FAppDataDir / "Temp");
}

void TWorkManager::ReadIni() {
  const std::optional<TReadError> error = ReadConfiguration(fSettings, FAppDataDir);
  fConfigError = error ? error->Text : std::string();
}

bool TWorkManager::WriteIni() {
  // A file that could not be read is the user's to mend; defaults never replace it.
  if (!fConfigError.empty()) return false;
  return WriteConfiguration(fSettings, FAppDataDir);
}

bool TWorkManager::UpdateCrossList(std::string& reason) {
  reason.clear();
  return true;
}

void TWorkManager::Prepare() {
  WriteLogEntry("***установка региональных стандартов");
  WriteLogEntry("---разделитель даты: .");
  WriteLogEntry("---формат даты: dd.mm.yyyy");
  WriteLogEntry("---десятичный разделитель: .");
  WriteLogEntry("***установка региональных стандартов завершено");

  // Other runs may be working in Temp right now: only what runs that are gone left is removed.
  fs::path temp = FAppDataDir / "Temp";
  WriteLogEntry("***удаление каталога " + temp.string());
  const int abandoned = TRunTempDir::RemoveAbandoned(temp);
  const int staleTemps = RemoveStaleAtomicTemps(FAppDataDir);

  WriteLogEntry("***чтение ini-файла");
  const std::string logPath = (FAppDataDir / "logs").string() + "/";
  try {
    ReadIni();
  } catch (...) {
    // The log is opened all the same, so that the reason of the failure is kept there too.
    TLogger::GetInstance().Init(logPath, fSettings.FDebug, fSettings.AppDate());
    throw;
  }
  TLogger::GetInstance().Init(logPath, fSettings.FDebug, fSettings.AppDate());
  if (abandoned + staleTemps > 0)
    WriteLogEntry("---удалено оставленного прерванными сверками: " + std::to_string(abandoned + staleTemps));
  if (!fConfigError.empty()) WriteLogEntry(ConfigErrorMessage(), true);
  WriteLogEntry("***чтение ini-файла завершено");

  if (fSettings.FCrossAutoUpdate) {
    std::string reason;
    UpdateCrossList(reason);
  }

  WriteLogEntry("***заполнение классификаторов");
  FillClassifiers();
  WriteLogEntry("***заполнение классификаторов завершено");
}

std::string TWorkManager::ConfigErrorMessage() const {
  return fConfigError.empty() ? std::string() : ConfigErrorMessage(FAppDataDir, fConfigError);
}

std::string TWorkManager::ConfigErrorMessage(const fs::path& dataDir, const std::string& error) {
  return "Файл настроек " + (dataDir / kConfigFileName).string() + " не прочитан (" + error +
         "). Исправьте или удалите его: пока он не читается, сверка не выполняется и настройки не сохраняются.";
}

std::vector<std::string> TWorkManager::CheckSettings() { return SettingsProblems(fSettings, ConfigErrorMessage()); }

std::vector<std::string> TWorkManager::SettingsProblems(const TSettings& s, const std::string& configErrorMessage) {
  std::vector<std::string> messages;
  if (!configErrorMessage.empty()) messages.push_back(configErrorMessage);
  std::error_code ec;
  if (s.FRegNum.empty() || s.FRegNum.find(' ') != std::string::npos)
    messages.push_back("Перед началом сверки укажите корректный регистрационный номер предприятия!");
  if (s.FCompareWithList && s.UseUL()) {
    if (s.FULMachine.empty())
      messages.push_back("Перед началом сверки укажите IP-адрес или имя сервера ПК \"Ливерто\"!");
    if (s.FULPort.empty()) messages.push_back("Перед началом сверки укажите порт сервера ПК \"Ливерто\"!");
    if (s.FULAppName.empty()) messages.push_back("Перед началом сверки укажите имя приложения ПК \"Ливерто\"!");
  }
  if (!s.FCompareWithList && !s.fCompareTerrCodes)
    messages.push_back(
        "Хоть один из параметров должен быть включенным: \"Проверка правомерности проставления терр. кодов\" или "
        "\"Делать сверку с Перечнем\"!");
  if (s.FDirPD.empty())
    messages.push_back("Перед началом сверки укажите путь к файлам Индивидуальных сведений!");
  else if (!fs::is_directory(s.FDirPD, ec))
    messages.push_back("Проверьте путь к файлам Индивидуальных сведений! Такого каталога не существует!");
  if (s.FDirReport.empty())
    messages.push_back("Перед началом сверки укажите каталог, где будет сохраняться протокол сверки!");
  else if (!fs::is_directory(s.FDirReport, ec))
    messages.push_back("Проверьте путь, где будет сохраняться протокол сверки! Такого каталога не существует!");
  if (s.FCompareWithList && !s.FCompareWithListStaff && !s.FCompareWithListNameList)
    messages.push_back(
        "Выберите хотя бы одну из опций сверки (Сверка ИС с Перечнем по позициям штатного расписания и/или Сверка ИС "
        "с поименным списком к Перечню)!");
  if (!s.FHasXMLClassifiers) messages.push_back("Невозможно найти файл perech-lmvt-additional.xml, переустановите ПО!");
  return messages;
}

std::vector<std::string> TWorkManagerBPI::CheckSettings() {
  return BatchSettingsProblems(fSettings, ConfigErrorMessage());
}

std::vector<std::string> TWorkManagerBPI::BatchSettingsProblems(const TSettings& s,
                                                                const std::string& configErrorMessage) {
  std::vector<std::string> messages = SettingsProblems(s, configErrorMessage);
  if (s.FCompareWithList && !s.UseUL())
    messages.push_back(
        "В режиме БПИ файл Перечня берется только из БД \"Ливерто\", поэтому при осуществлении сверки с Перечнем (в "
        "конфигурационном файле параметр WithList=1) необходимо установить параметр Connect=1 и указать параметры "
        "подключения к БД!");
  if (s.FAccumulateOption)
    messages.push_back("В режиме БПИ опция \"Накопительным итогом\" не может быть использована!");
  if (s.FGetLastListFromUL)
    messages.push_back("В режиме БПИ опция \"Брать последний актуальный Перечень\" не может быть использована!");
  return messages;
}

void TWorkManagerBPI::ProgressBPI(int, int, int, const std::string&) {}

void TWorkManagerBPI::Prepare() {
  createSearcher();
  WriteLogEntry("//////////////////////////////////");
  WriteLogEntry("***чтение и проверка параметров сверки");
  TWorkManager::Prepare();
  fSettings.FMode = mBPI;
  // A number from the command line names the protocol file: anything but the number's form is
  // refused before it is used.
  if (!fSettings.FRegNum.empty() && !IsRegNumForm(fSettings.FRegNum)) {
    WriteLogEntry("---рег. номер \"" + fSettings.FRegNum + "\" не соответствует форме 000-000-000000", true);
    fSettings.FRegNum.clear();
  }
  // Findings of an earlier run must not pass for this run's when this one ends early.
  if (fSettings.FFindings && !fSettings.FDirReport.empty()) TFindings::RemoveStale(fSettings.FDirReport);
  if (fSettings.FRegNum.empty()) WriteLogEntry("Не найден рег. номер", true);
  // A batch run takes every reporting period found.
  fSettings.FYear = 0;
  fSettings.FPeriod = 0;
  WriteLogEntry("---установленный рег. номер " + fSettings.FRegNum);
  WriteLogEntry("---установленая дата " + std::to_string(fSettings.FYear));
  WriteLogEntry("---установленный период " + std::to_string(fSettings.FPeriod));
  WriteLogEntry("***проверка параметров сверки");

  std::vector<std::string> messages = CheckSettings();
  if (messages.empty()) {
    WriteLogEntry("***чтение и проверка параметров сверки завершено");
    fSearcher->managerProgress = [this](int Min, int Max, int Curr, const std::string& Messag) {
      ProgressBPI(Min, Max, Curr, Messag);
    };
    doWork(fSettings.RunParams());
    return;
  }
  WriteLogEntry("***возникли ошибки в параметрах сверки", true);
  WriteLogEntry("-------------------------------", true);
  for (const std::string& m : messages) WriteLogEntry(m, true);
  // The calling program's operator sees standard error first; the log may be where nobody looks.
  if (!fConfigError.empty()) std::cerr << "zazoru: " << EscapeControlChars(ConfigErrorMessage()) << std::endl;
  WriteLogEntry("-------------------------------", true);
  fLastRun.ExitCode = ecSettingsOrServer;
  std::error_code ec;
  if (fSettings.FFindings && !fSettings.FDirReport.empty() && fs::is_directory(fSettings.FDirReport, ec)) {
    TFindings findings;
    for (const std::string& m : messages) findings.AddRunMessage(m, true);
    TFindings::Write(fSettings.FDirReport, findings.ToJson(ecSettingsOrServer, fSettings.FRegNum, "", ""));
  }
}

}  // namespace zz
