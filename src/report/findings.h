#pragma once
// The findings of a run for calling programs: what the protocol shows, as data. The protocol former
// hands every block it prints to the collector, so the file and the protocol cannot disagree.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "results/result.h"
#include "results/verification_results.h"

namespace zz {

struct TFindingsMessage {
  std::string Text;
  bool IsError = false;
};

struct TFindingsTable {
  std::string Id;      // the table's class name, as the protocol's table id
  std::string Number;  // "chapter.table" as captioned in the protocol
  std::string Chapter;
  std::string Caption;
  bool IsError = false;
  std::vector<std::vector<std::string>> Header;
  std::vector<std::vector<std::string>> Rows;  // cell texts, unescaped; line breaks as "\n"
};

struct TFindingsSet {
  int Year = 0;
  int Period = 0;
  int ExitCode = 0;
  std::string ListFile;  // the Perechen compared with, empty when none
  std::vector<TFindingsTable> Tables;
  std::vector<TFindingsMessage> Messages;
};

class TFindings {
 public:
  static constexpr const char* kFileName = "findings.json";
  // Bumped only when a field changes meaning; fields are only ever added.
  static constexpr int kFormat = 1;

  void BeginSet(const TVerificationResults& verification);
  // A block of the current set, after the protocol printed it with these chapter and table numbers.
  void AddResult(const TResult& result, int chapterNum, int tableNum);
  // Messages of the run as a whole (the search's, the short protocol's texts).
  void AddRunMessage(const TResult& message);
  void AddRunMessage(std::string text, bool isError);

  // Inputs the run could not read whole; each is also an error message of the run.
  void SetDamagedFiles(int count) { fDamagedFiles = count; }

  int ErrorCount() const;
  int WarningCount() const;

  // The whole document; `protocolFile` is the protocol's file name (no directory).
  std::string ToJson(int exitCode, const std::string& regNum, const std::string& orgName,
                     const std::string& protocolFile) const;
  // Writes `json` as `directory`/findings.json, replacing the file in one step.
  static void Write(const std::filesystem::path& directory, const std::string& json);
  // Removes a findings file left by an earlier run, so that a run that ends early leaves none.
  static void RemoveStale(const std::filesystem::path& directory);

  const std::vector<TFindingsSet>& Sets() const { return fSets; }

 private:
  std::vector<TFindingsSet> fSets;
  std::vector<TFindingsMessage> fRunMessages;
  int fDamagedFiles = 0;
};

// The head of a findings file, as a summary reads it back.
struct TFindingsHead {
  int ExitCode = 0;
  std::string Meaning;
  std::string RegNum;
  std::string Organisation;
  std::string Protocol;  // file name in the same directory; empty when no protocol was written
  int Errors = 0;
  int Warnings = 0;
  int DamagedFiles = 0;
  double Seconds = 0;
};

// Reads `directory`/findings.json; nothing when it is missing or not a findings file.
std::optional<TFindingsHead> ReadFindingsHead(const std::filesystem::path& directory);

// A findings file read whole, for a reader that lists every row.
struct TFindingsFile {
  TFindingsHead Head;
  std::vector<TFindingsMessage> Messages;
  std::vector<TFindingsSet> Sets;
};

// Reads `directory`/findings.json whole; nothing when it is missing or not a findings file.
std::optional<TFindingsFile> ReadFindingsFile(const std::filesystem::path& directory);

// Seconds since the process started.
double ProcessSeconds();
// A run forked from a running process starts its count here.
void RestartProcessSeconds();

}  // namespace zz
