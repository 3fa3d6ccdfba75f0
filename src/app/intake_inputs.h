#pragma once
// What an employer's run read: each input file's path, size and content digest. An employer is
// current only when its files are exactly those its last completed run read; file times are no
// guide (cp -p, rsync -a and unpacking leave old ones). Digests are kept by device, inode, size,
// modification and change time, so that an intake reads again only the files changed since the last
// one: the change time cannot be set back by a copy.
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "app/intake_grouping.h"
#include "app/intake_jobs.h"

namespace zz {

// XXH64 of the bytes, fed in pieces.
class TContentDigest {
 public:
  explicit TContentDigest(uint64_t seed = 0);
  void Update(const char* data, size_t size);
  uint64_t Final() const;

 private:
  uint64_t fV[4];
  uint64_t fSeed;
  uint64_t fTotal = 0;
  unsigned char fBuf[32];
  size_t fBufSize = 0;
};

class TDigestCache {
 public:
  // Loads the cache file; a missing or damaged one is an empty cache.
  explicit TDigestCache(std::filesystem::path file);

  // "<size> <digest>" of the file's bytes, or nullopt when it cannot be read.
  std::optional<std::string> Fingerprint(const std::filesystem::path& file);
  // Writes the entries looked up since the cache was loaded (so that removed files drop out).
  void Save() const;

 private:
  struct TEntry {
    off_t Size = 0;
    int64_t MTime = 0;  // nanoseconds
    int64_t CTime = 0;
    uint64_t Digest = 0;
    bool Used = false;
    bool Keep = true;  // false: changed too recently for its times to tell a later change
  };
  std::filesystem::path fFile;
  std::unordered_map<std::string, TEntry> fEntries;  // by "<device>:<inode>"
  std::vector<char> fBuffer;
};

// The employer's inputs as one text, a line per file: "<size> <digest>\t<path>" (path escaped).
std::string InputsText(TDigestCache& cache, const TIntakeEmployer& employer);

// The exit codes of a run that reached a verdict; 21 (settings, list server), 29 and the codes of a
// program that did not start are not.
bool IsVerdictCode(int code);

// The record of what an employer's run read. "done": written when a run completes with a verdict;
// "planned": written by --plan for the job it lists.
enum class TInputsRecordKind { Done, Planned };

struct TInputsRecord {
  int ExitCode = 0;  // of the run, for a "done" record
  std::string Inputs;
};

// Every employer's records, kept in one journal of the intake ("inputs.log"): a line is appended
// for each change and the last line of an employer wins. One file for the office rather than one per
// employer: creating thousands of small files per intake is what the file system charges for most.
// A line cut by a crash is ignored, which only makes the next intake redo that employer.
class TInputsRecords {
 public:
  explicit TInputsRecords(const TIntakeLayout& layout);

  std::optional<TInputsRecord> Find(const std::string& regNum, TInputsRecordKind kind) const;
  void Write(const std::string& regNum, TInputsRecordKind kind, const TInputsRecord& record);
  void Remove(const std::string& regNum, TInputsRecordKind kind);
  // Every "done" record: nothing is current until its run completes again (--again).
  void RemoveAllDone();
  // Rewrites the journal as its records alone when past lines outnumber them.
  void Compact();

 private:
  void Append(const std::string& line);
  void Rewrite();

  std::filesystem::path fFile;
  std::map<std::pair<TInputsRecordKind, std::string>, TInputsRecord> fRecords;
  size_t fLines = 0;
};

}  // namespace zz
