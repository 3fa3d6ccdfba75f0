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

// Entries kept instead of written: what one thread logs while a TLogCaptureScope of it lives. The
// logger writes them later, in the order they were made and with the times they were made at.
struct TLogBuffer {
  enum TKind : char { kInfo, kError, kTrace };
  struct TEntry {
    TKind Kind;
    std::string Line;  // the whole line as the log file gets it (without the line end)
  };
  std::vector<TEntry> Entries;
};

// While it lives, what the logger is given on this thread goes into the buffer (stack-trace files
// are still written at once). Files read on several threads log through one each, and their
// buffers are written in file order, so the log reads as if they were read one after another.
class TLogCaptureScope {
 public:
  explicit TLogCaptureScope(TLogBuffer& buffer);
  ~TLogCaptureScope();
  TLogCaptureScope(const TLogCaptureScope&) = delete;
  TLogCaptureScope& operator=(const TLogCaptureScope&) = delete;

 private:
  TLogBuffer* fOuter;
};

class TLogger : public TSingleton {
 public:
  static TLogger& GetInstance() { return TSingleton::GetInstance<TLogger>(); }
  ~TLogger() override;

  void Init(const std::string& logPath, bool logNonCritical, const std::string& programName);
  void AddEntry(const std::string& entry, bool isError);
  // Logs the failure, writes its stack-trace file and returns that file's full name
  // (empty when the logger is not initialised).
  std::string LogException(const std::exception& e);
  // Writes what a capture kept, on the thread that writes the log.
  void Replay(const TLogBuffer& buffer);

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
  void WriteLine(const std::string& line, bool isError);
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
