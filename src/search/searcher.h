#pragma once
// The search stage of a run: the candidate XML files (and those inside zip archives), the IS files
// recognised among them and read into packs, ЕФС-1 packs split by year, the packs grouped into
// sets by corrected year and quarter, and a Perechen found for every set.
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/exit_code.h"
#include "base/logger.h"
#include "base/utils.h"
#include "pack/pack.h"
#include "search/is_file_read.h"
#include "search/list_acquisition.h"
#include "search/set.h"
#include "search/zip_unpack.h"
#include "settings/settings.h"

namespace zz {

enum TXMLFileType { xftPD, xftList };

class TSearcher : public TLoggingObject {
 public:
  // Archives are unpacked into a directory of the run's own under `tempParent`, removed when the
  // search ends.
  explicit TSearcher(std::filesystem::path tempParent);

  // One search over what the run is asked for; what it found stays in the members below.
  void Run(const TRunParams& params);

  TProgressUpdate managerProgress;
  TMessageList fSearchErrors;
  std::vector<std::unique_ptr<TSet>> fSets;
  bool fFoundIS = false;
  // What the search alone decides of the run's exit code: 10 when no IS file was found, 21 when the
  // list server failed; 0 otherwise.
  int fExitCode = ecOk;
  // The organisation's name as the last IS file read with one gives it.
  std::string fOrgName;
  std::map<TXMLFileType, std::vector<std::string>> fAllXMLFiles;
  TUnpackLimits fUnpackLimits;
  // Inputs that could not be used whole (unreadable XML, refused archives and entries); each is an
  // error message in fSearchErrors, and a run with any of them cannot end as clean.
  int fDamagedInputs = 0;
  // Limits of the queries to the list server.
  THttpGetLimits fListServerLimits = DefaultListServerLimits();
  // Threads the IS files are read on; 0: ZAZORU_READING_THREADS if set, else
  // kDefaultReadingThreads. Whatever the number, the run's outcome and its log are the same.
  unsigned fReadingThreads = 0;
  // One: measured on two cores, a second reading thread made no run shorter. Its own pool in the
  // allocator costs more page faults than the parallel reading saves, and a calling program that
  // starts several runs at once keeps the cores busy already.
  static constexpr unsigned kDefaultReadingThreads = 1;

  // The year-parts of an ЕФС-1 pack, one per (year, corrected year) of its periods, each with the
  // persons, periods, territorial records and table records of its periods.
  std::vector<std::unique_ptr<TPack>> SplitPackByYears(TPack& pack);

 private:
  void Progress(int max, int curr, const std::string& text);
  void FindFiles();
  void ScanDirectory(const std::string& dir, TXMLFileType kind);
  void LogSkippedEntries(const std::string& dir);
  void ParseISFiles();
  unsigned ReadingThreads() const;
  // Takes over what reading the file found: its log entries, messages and pack.
  void TakeISFile(const std::string& path, TISFileRead& read);
  void PlacePack(std::unique_ptr<TPack> pack);
  void RemoveListCandidate(const std::string& path);
  void FindLists();
  void FindListsOnServer();
  void FindListsInFiles();
  void UnpackArchive(const std::filesystem::path& archive);
  // A candidate that could not be read: an error of the protocol naming it (as the user knows it)
  // with the reader's text; once per file.
  void ReportUnreadable(const std::string& path, const TReadError& error);
  // How the protocol names a candidate: an unpacked file as its archive's path and its entry's.
  std::string DisplayName(const std::string& path) const;
  void ReportDamage(const std::string& text);
  void AddMessage(std::unique_ptr<TProtocolMessage> message) { fSearchErrors.push_back(std::move(message)); }

  TRunParams fParams;  // of the run under way
  std::filesystem::path fTempParent;
  std::filesystem::path fRunTemp;  // set while the search runs
  int fArchiveCount = 0;
  uint64_t fUnpackedBytes = 0;                    // over every archive of the run
  std::vector<std::filesystem::path> fExtracted;  // XML files unpacked so far, in listing order
  std::set<std::string> fUnreadable;              // reported once, never tried again
  std::map<std::string, std::string> fDisplayNames;
};

}  // namespace zz
