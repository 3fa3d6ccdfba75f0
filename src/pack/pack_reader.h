#pragma once
// Reads the persons of an IS file, with their periods and codes, into its pack.
#include <memory>
#include <string>
#include <vector>

#include "pack/is_names.h"
#include "pack/pack.h"

namespace zz {

// Reading state of one ReadWorkers call.
class TPackReader {
 public:
  TPackReader(TPack& pack, int searchYear) : fPack(pack), fNames(pack.BaseData), fSearchYear(searchYear) {}

  int ReadWorkers(const TMyNode* root);
  void InitWorker(const TMyNode* node, int number, const std::string& packNum, TWorker& worker) const;

 private:
  // Sizes of the six tables and of TerrCodes, to withdraw what a failed part added.
  struct TMark {
    std::vector<size_t> Tables;
    size_t TerrCodes = 0;
  };
  TMark Mark() const;
  void Withdraw(const TMark& mark);

  std::string NumberInPack(const TMyNode* node, int index) const;
  void ReadStagePeriods(const TMyNode* block, TWorker& worker, int year, int corrYear);
  void ReadStagePeriod(const TMyNode* stage, TWorker& worker, int year, int corrYear,
                       std::vector<std::unique_ptr<TAddPdDataWarning>>& candidates);
  TWorkPeriod* NewPeriod(int year, int corrYear) const;
  void AddSeparate(TWorker& worker, TWorkPeriod* period, const std::string& first, const std::string& second,
                   bool withDate) const;

  TPack& fPack;
  const TIsNames fNames;
  const int fSearchYear;
};

}  // namespace zz
