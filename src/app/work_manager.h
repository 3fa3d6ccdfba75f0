#pragma once
// The work manager drives a run: preparation (temporary directory, configuration, logger,
// classifiers), the settings check, and the run itself. One variant per run mode.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/logger.h"
#include "base/utils.h"
#include "settings/settings.h"

namespace zz {

class TSearcher;

// What one run ended with.
struct TRunResult {
  int ExitCode = 0;
  // The protocol written; empty when the run wrote none.
  std::string ReportFile;
  // The reporting period of the run's first set, when one was formed.
  std::optional<int> Year;
  std::optional<int> Period;
};

class TWorkManager : public TLoggingObject {
 public:
  explicit TWorkManager(bool PortableMode);
  ~TWorkManager() override;

  virtual std::vector<std::string> CheckSettings();
  // What keeps `settings` from any run; `configErrorMessage` is said first when the file was unreadable.
  static std::vector<std::string> SettingsProblems(const TSettings& settings, const std::string& configErrorMessage);
  virtual void Prepare();

  // Creates the searcher of the next run when there is none.
  void createSearcher();
  TSearcher* Searcher() const { return fSearcher.get(); }
  // One run of `run`, which is used by reference until it returns. The searcher must exist.
  TRunResult doWork(const TRunParams& run);
  // The code the process ends with: the last run's, or the refusal of the settings.
  int ExitCode() const { return fLastRun.ExitCode; }

  void ReadIni();
  bool WriteIni();
  // Refresh of the re-registration list; nothing to refresh from, always succeeds.
  bool UpdateCrossList(std::string& reason);

  const std::filesystem::path& AppDataDir() const { return FAppDataDir; }
  // Why the configuration file could not be read; empty when it was read or does not exist.
  const std::string& ConfigError() const { return fConfigError; }
  // The message that says so, naming the file; empty when there is nothing to say.
  std::string ConfigErrorMessage() const;
  static std::string ConfigErrorMessage(const std::filesystem::path& dataDir, const std::string& error);
  const std::string& ReportFile() const { return fLastRun.ReportFile; }

  // The data directory: the executable's directory in portable mode, otherwise
  // ${XDG_CONFIG_HOME:-$HOME/.config}/Zazoru.
  static std::filesystem::path DataDirectory(bool PortableMode);

 protected:
  TSettings& fSettings;
  std::filesystem::path FAppDataDir;
  TRunResult fLastRun;
  std::string fConfigError;
  std::unique_ptr<TSearcher> fSearcher;
};

class TWorkManagerBPI : public TWorkManager {
 public:
  using TWorkManager::TWorkManager;
  std::vector<std::string> CheckSettings() override;
  // SettingsProblems and what the batch mode alone refuses.
  static std::vector<std::string> BatchSettingsProblems(const TSettings& settings,
                                                        const std::string& configErrorMessage);
  void Prepare() override;
  void ProgressBPI(int Min, int Max, int Curr, const std::string& Messag);
};

}  // namespace zz
