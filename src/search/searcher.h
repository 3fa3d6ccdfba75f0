#pragma once
// The search stage of a run: the candidate XML files (and those inside zip archives), the IS files
// recognised among them and read into packs, ЕФС-1 packs split by year, the packs grouped into
// sets by corrected year and quarter, and a Perechen found for every set.
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/logger.h"
#include "isdata/pack.h"
#include "search/list_acquisition.h"
#include "search/set.h"
#include "search/zip_unpack.h"
#include "settings/settings.h"
#include "settings/utils.h"

namespace zz {

enum TXMLFileType { xftPD, xftList };

class TSearcher : public TLoggingObject {
 public:
  // Archives are unpacked into `tempDir`, which every run starts empty.
  explicit TSearcher(std::filesystem::path tempDir);

  void Run();

  TProgressUpdate managerProgress;
  TMessageList fSearchErrors;
  std::vector<std::unique_ptr<TSet>> fSets;
  bool fFoundIS = false;
  std::map<TXMLFileType, std::vector<std::string>> fAllXMLFiles;
  TUnpackLimits fUnpackLimits;
  // Limits of the queries to the list server.
  THttpGetLimits fListServerLimits = DefaultListServerLimits();

  // The year-parts of an ЕФС-1 pack, one per (year, corrected year) of its periods, each with the
  // persons, periods, territorial records and table records of its periods.
  std::vector<std::unique_ptr<TPack>> SplitPackByYears(TPack& pack);

 private:
  void Progress(int max, int curr, const std::string& text);
  void FindFiles();
  void ScanDirectory(const std::string& dir, TXMLFileType kind);
  void LogSkippedEntries(const std::string& dir);
  void ParseISFiles();
  void ParseISFile(const std::string& path, int index, int count);
  void PlacePack(std::unique_ptr<TPack> pack);
  void RemoveListCandidate(const std::string& path);
  void FindLists();
  void FindListsOnServer();
  void FindListsInFiles();
  void AddMessage(std::unique_ptr<TProtocolMessage> message) { fSearchErrors.push_back(std::move(message)); }

  TSettings& fSettings;
  std::filesystem::path fTempDir;
};

}  // namespace zz
