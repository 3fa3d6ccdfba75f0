#pragma once
// The diagnostic log: one file per process, opened on the first written entry; stack-trace files
// for logged failures. Entries made before Init are dropped.
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/singleton.h"

namespace zz {

class TLogger : public TSingleton {
 public:
  static TLogger& GetInstance() { return TSingleton::GetInstance<TLogger>(); }
  ~TLogger() override;

  void Init(const std::string& logPath, bool logNonCritical, const std::string& programName);
  void AddEntry(const std::string& entry, bool isError);
  // Logs the failure, writes its stack-trace file and returns that file's full name
  // (empty when the logger is not initialised).
  std::string LogException(const std::exception& e);

  const std::string& LogPath() const { return FLogPath; }
  bool LogNonCritical() const { return FLogNonCritical; }
  const std::string& ProgramName() const { return FProgramName; }
  const std::string& FileName() const { return FFileName; }
  bool HasErrors() const { return FHasErrors; }
  bool Initialized() const { return !FProgramName.empty() && !FLogPath.empty(); }
  std::function<void(const std::string&)> Growl;

  // "dd.mm.yyyy hh.nn.ss.zzz" of the current local time.
  static std::string Timestamp();

 protected:
  friend class TSingleton;
  TLogger() = default;

 private:
  void OpenFile();
  void WriteTraceLines(const std::vector<std::string>& lines);

  std::string FLogPath;
  bool FLogNonCritical = false;
  std::string FProgramName;
  std::string FFileName;
  std::ofstream FLogFileStreamWriter;
  bool FHasErrors = false;
};

// Base of the classes that log; forwards to the logger singleton.
class TLoggingObject {
 public:
  virtual ~TLoggingObject() = default;
  virtual void WriteLogEntry(const std::string& entry, bool isError = false);
  virtual void WriteLogException(const std::exception& e);
};

// Stack of the calling thread, one frame per line.
std::vector<std::string> GetStackTrace();

}  // namespace zz
