#pragma once
// Looking into the intake's files whose names hold no registration number: the number an XML file
// declares, and whose each entry of an archive is. Only the heads of the documents are read.
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/intake_grouping.h"
#include "base/read_result.h"
#include "search/staged_names.h"

namespace zz {

// The number a file declares, or why there is none.
struct TDeclaredRegNum {
  std::string RegNum;  // of the form 000-000-000000 when not empty
  std::string Problem;
};

TDeclaredRegNum RegNumOfXmlFile(const std::filesystem::path& file);

struct TArchiveEntryLook {
  size_t Number = 0;
  std::string Name;
  enum TKind { kXml, kArchive, kOther, kLink } Kind = kOther;
  std::string RegNum;   // by the entry's name, else by its content (XML entries only)
  std::string Problem;  // why an XML entry has no number
};

struct TArchiveLook {
  std::vector<TArchiveEntryLook> Entries;  // files, and links named like reports
  std::optional<TReadError> Failure;       // why the archive could not be read to its end
};

// The archive's entries; the content of an XML entry is looked into only when its name holds no number.
TArchiveLook LookIntoArchive(const std::filesystem::path& archive);

// Unpacks the entries into the staging folder under names not yet `taken` (each ends in ".xml") and
// adds each one's name, or why it could not be unpacked, to `names`.
void StageArchiveEntries(const std::vector<TIntakeEntry>& entries, const std::filesystem::path& staging,
                         std::set<std::string>& taken, TStagedNames& names);

}  // namespace zz
