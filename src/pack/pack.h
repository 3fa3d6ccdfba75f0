#pragma once
// One IS file read into a pack: its header, its persons with their work periods and payments, and
// the warning tables and territorial-condition records found while reading.
//
// Ownership: persons, periods and payments live in the pack's arena (Arena). The arena is shared:
// the year-parts of an ЕФС-1 pack made by TPack(Pack, Period) hold the same arena, because their
// periods and records stay where the whole pack read them. Whoever keeps a pack's persons (the
// set) keeps its Arena pointer with them; the objects go when the last holder of the arena goes.
// Records of the tables and TerrCodes only point into the arena, so they stay valid as long as it.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/dates.h"
#include "base/logger.h"
#include "isdata/base_data.h"
#include "isdata/data_arena.h"
#include "isdata/worker.h"
#include "results/result.h"
#include "results/result_records.h"
#include "results/result_tables.h"

namespace zz {

class TMyNode;
struct TIsNames;

using TMessageList = std::vector<std::unique_ptr<TProtocolMessage>>;
using TTerrCodeList = std::vector<std::unique_ptr<TTerrCodeData>>;

// Codes whose two ЛьготныйСтаж in one period stay two periods.
extern const std::vector<std::string> GdSmCodes;

class TPack : public TLoggingObject {
 public:
  TPack();
  // The year-part of an ЕФС-1 pack for the period's year pair: header copied, base data for that
  // pair, empty persons and tables, the same arena.
  TPack(const TPack& Pack, const TWorkPeriod& Period);
  ~TPack() override;
  TPack(const TPack&) = delete;
  TPack& operator=(const TPack&) = delete;

  // Reads the header of the file under XmlFile. Missing or empty header tags are reported in
  // FSearchErrors; none when the header cannot be read.
  static std::unique_ptr<TPack> TryGetPackData(const TMyNode* XmlFile, TPDType PDType, TMessageList& FSearchErrors,
                                               const TBaseData& BaseData, const std::string& FileName);

  // Reads every person under Node; SearchYear (0 = any) selects the ЕФС-1 subsections by their
  // corrected year. Returns the number of persons read.
  int ReadWorkers(const TMyNode* Node, int SearchYear);

  // Identity of the person element; throws when the full name is missing.
  void InitWorker(const TMyNode* WorkerDataNode, int Number, const std::string& PackNum, TWorker& worker);

  const std::string& PackNum() const { return FPackNum; }
  const std::string& OrgName() const { return FOrgName; }
  const std::string& ShortOrgName() const { return FShortOrgName; }
  const std::string& PackDate() const { return FPackDate; }
  // The pack date in either form packs write it ("yyyy-mm-dd", time cut off, or "dd.mm.yyyy");
  // none for anything else.
  std::optional<TDate> PackDateAsDate() const;
  int LgotWorkerCount() const { return FLgotWorkerCount; }
  // Sets LgotWorkerCount and HasLgot from the persons' HasLgotBasis (for packs filled by hand).
  void CountLgotWorkers();

  TMessageList& PackErrors() { return FPackErrors; }
  const TMessageList& PackErrors() const { return FPackErrors; }
  TTerrCodeList& TerrCodes() { return FTerrCodes; }
  const TTerrCodeList& TerrCodes() const { return FTerrCodes; }

  // The six reading tables in their fixed order: additional data, ПД hours, flight hours,
  // part-time warnings, part-time errors, jumps.
  std::vector<TTableResultWithPeriod*> Tables() const;

  std::string FileName;
  bool HasLgot = false;
  std::vector<TWorker*> Workers;
  TBaseData BaseData;
  std::shared_ptr<TDataArena> Arena;

  // Tables that verification takes over when they hold records.
  std::unique_ptr<TAddPdDataWarnings> AddPdDataWarnings;
  std::unique_ptr<TPDRKWarnings> PDRKWarnings;
  std::unique_ptr<TFlightWarnings> FlightWarnings;
  std::unique_ptr<TPartTimeWarnings> PartTimeWarnings;
  std::unique_ptr<TPartTimeErrors> PartTimeErrors;
  std::unique_ptr<TJumpWarnings> JumpWarnings;

  // Adds an error to the pack's messages.
  void AddPackError(const std::string& text);

 private:
  friend class TPackReader;

  std::string FPackNum;
  std::string FOrgName;
  std::string FShortOrgName;
  std::string FPackDate;
  int FLgotWorkerCount = 0;
  TMessageList FPackErrors;
  TTerrCodeList FTerrCodes;
};

// Moves the records of the table that refer to T to the first period of the record's person with
// T's dates; a record whose person has none keeps T.
void RepointPeriodRecords(TTableResultWithPeriod& table, TWorkPeriod* T);

}  // namespace zz
