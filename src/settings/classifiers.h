#pragma once
// Code lists read at preparation from the two shipped classifier files.
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zz {

enum TClassifierType {
  ctAddTariff,
  ctAddPdData,
  ctAddPdDataRsv,
  ctReplaceTo,
  ctReplaceFrom,
  ctPartTimeError,
  ctPartTimeWarning,
  ctAddPdDataStartDates,
  ctAddPdDataEndDates,
  ctAddStag,
};

using TClassifierMap = std::map<TClassifierType, std::vector<std::string>>;

// The process-wide dictionary (empty until FillClassifiers; tests fill it directly).
TClassifierMap& Classifiers();
// The list of one type; throws std::out_of_range("Item not found") when it was not built.
const std::vector<std::string>& ClassifierList(TClassifierType type);

// Some non-empty entry of the list occurs in `text` (case-sensitive substring test).
bool InClassifier(TClassifierType type, std::string_view text);
bool AnyInClassifier(TClassifierType type, std::initializer_list<std::string_view> texts);

// Builds every list from the schema and the additional-data file, found by FindShippedFile.
// Throws when the schema is missing or lacks the seniority type; a missing or broken data file
// leaves FHasXMLClassifiers off and lists 3-11 unbuilt.
void FillClassifiers();

// Reads the two files once for every later FillClassifiers of this process: the intake does it
// before it forks its runs. When they cannot be read nothing is kept, and each run reads them and
// fails as it would have.
void PreloadClassifiers();

// Whether the additional-data file is there to be read, as FillClassifiers would find it (and
// throwing as it does), without building the process's lists.
bool ClassifierDataAvailable();

}  // namespace zz
