// The diagnostic log file and the stack-trace files of logged failures.
#include "base/logger.h"

#include <cxxabi.h>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <stdexcept>

#include "base/strings.h"

namespace zz {

namespace fs = std::filesystem;

namespace {
constexpr const char* kBom = "\xEF\xBB\xBF";
constexpr const char* kLineEnd = "\r\n";
constexpr const char* kTraceIndent = "    ";

// The capture of the calling thread, if any.
thread_local TLogBuffer* tCapture = nullptr;

// "function+0x1f" inside a backtrace_symbols line becomes a demangled name where possible.
std::string DemangleFrame(const std::string& frame) {
  size_t open = frame.find('(');
  size_t plus = frame.find('+', open == std::string::npos ? 0 : open);
  if (open == std::string::npos || plus == std::string::npos || plus <= open + 1) return frame;
  std::string mangled = frame.substr(open + 1, plus - open - 1);
  int status = 0;
  char* demangled = abi::__cxa_demangle(mangled.c_str(), nullptr, nullptr, &status);
  if (status != 0 || !demangled) return frame;
  std::string result = frame.substr(0, open + 1) + demangled + frame.substr(plus);
  std::free(demangled);
  return result;
}
}  // namespace

std::vector<std::string> GetStackTrace() {
  void* frames[64];
  int count = backtrace(frames, 64);
  std::vector<std::string> lines;
  char** symbols = backtrace_symbols(frames, count);
  for (int i = 0; i < count; ++i) {
    if (symbols)
      lines.push_back(DemangleFrame(symbols[i]));
    else {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%p", frames[i]);
      lines.emplace_back(buf);
    }
  }
  std::free(symbols);
  return lines;
}

TLogger::~TLogger() {
  if (FLogFileStreamWriter.is_open()) FLogFileStreamWriter.close();
}

std::string TLogger::Timestamp() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  std::tm local{};
  time_t secs = tv.tv_sec;
  localtime_r(&secs, &local);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d.%02d.%02d.%03d", local.tm_mday, local.tm_mon + 1,
                local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(tv.tv_usec / 1000));
  return buf;
}

void TLogger::Init(const std::string& logPath, bool logNonCritical, const std::string& programName) {
  FLogPath = logPath;
  FLogNonCritical = logNonCritical;
  FProgramName = programName;
}

void TLogger::OpenFile() {
  const std::string stem = (fs::path(FLogPath) / (FProgramName + "Log_" + Timestamp())).string();
  fs::create_directories(FLogPath);
  // Runs started within one millisecond (an intake's forked runs) must not share one log and cut it.
  FFileName = stem + ".log";
  for (int k = 2; k < 1000; ++k) {
    const int fd = open(FFileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      close(fd);
      break;
    }
    if (errno != EEXIST) break;
    FFileName = stem + "_" + std::to_string(k) + ".log";
  }
  FLogFileStreamWriter.open(FFileName, std::ios::binary | std::ios::trunc);
  if (!FLogFileStreamWriter) throw std::runtime_error("Не удалось создать файл журнала " + FFileName);
  FLogFileStreamWriter << kBom;
}

TLogCaptureScope::TLogCaptureScope(TLogBuffer& buffer) : fOuter(tCapture) { tCapture = &buffer; }

TLogCaptureScope::~TLogCaptureScope() { tCapture = fOuter; }

void TLogger::AddEntry(const std::string& entry, bool isError) {
  if (!Initialized()) return;
  if (!isError && !FLogNonCritical) return;
  // One entry is one line, whatever a file name or a reply put into the text.
  std::string line = std::string(isError ? "[ОШИБКА] " : "[ИНФО] ") + Timestamp() + " " + EscapeControlChars(entry);
  if (tCapture) {
    tCapture->Entries.push_back({isError ? TLogBuffer::kError : TLogBuffer::kInfo, std::move(line)});
    return;
  }
  WriteLine(line, isError);
}

void TLogger::WriteLine(const std::string& line, bool isError) {
  FHasErrors = FHasErrors || isError;
  if (!FLogFileStreamWriter.is_open()) OpenFile();
  FLogFileStreamWriter << line << kLineEnd;
  FLogFileStreamWriter.flush();
  if (!FLogFileStreamWriter) throw std::runtime_error("Не удалось записать в файл журнала " + FFileName);
  if (Growl) Growl(line);
}

void TLogger::WriteTraceLines(const std::vector<std::string>& lines) {
  if (tCapture) {
    for (const std::string& l : lines) tCapture->Entries.push_back({TLogBuffer::kTrace, kTraceIndent + l});
    return;
  }
  if (!FLogFileStreamWriter.is_open()) OpenFile();
  for (const std::string& l : lines) FLogFileStreamWriter << kTraceIndent << l << kLineEnd;
  FLogFileStreamWriter.flush();
}

void TLogger::Replay(const TLogBuffer& buffer) {
  if (!Initialized()) return;
  for (const TLogBuffer::TEntry& entry : buffer.Entries) {
    if (entry.Kind != TLogBuffer::kTrace) {
      WriteLine(entry.Line, entry.Kind == TLogBuffer::kError);
      continue;
    }
    if (!FLogFileStreamWriter.is_open()) OpenFile();
    FLogFileStreamWriter << entry.Line << kLineEnd;
  }
  if (FLogFileStreamWriter.is_open()) FLogFileStreamWriter.flush();
}

std::string TLogger::LogException(const std::exception& e) {
  if (!Initialized()) return {};
  std::string message = e.what();
  AddEntry("Произошла ошибка: " + ReplaceAll(message, "\r\n", ""), true);
  std::vector<std::string> stack = GetStackTrace();
  WriteTraceLines(stack);

  std::string traceName = (fs::path(FLogPath) / (FProgramName + "Exception_" + Timestamp() + ".trace")).string();
  fs::create_directories(FLogPath);
  std::ofstream trace(traceName, std::ios::binary | std::ios::trunc);
  if (!trace) throw std::runtime_error("Не удалось создать файл " + traceName);
  trace << kBom << "Сообщение об ошибке: " << message << kLineEnd;
  for (const std::string& l : stack) trace << l << kLineEnd;
  trace.close();

  AddEntry("Стек ошибки сохранён в файл " + traceName + ", направьте его разработчику.", true);
  return traceName;
}

void TLoggingObject::WriteLogEntry(const std::string& entry, bool isError) {
  TLogger::GetInstance().AddEntry(entry, isError);
}

void TLoggingObject::WriteLogException(const std::exception& e) { TLogger::GetInstance().LogException(e); }

}  // namespace zz
