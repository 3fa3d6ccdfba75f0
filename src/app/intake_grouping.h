#pragma once
// The intake's grouping: every file under the IS root, at any depth, goes to the employer whose
// registration number its name holds (the rule the batch mode applies to "*.xml" names); a file or an
// archive's entry whose name holds none goes by the number it declares. Each file is taken once, and
// what cannot be given to an employer is listed with the reason.
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace zz {

// One entry of an archive whose entries go to several employers, or to none by the archive's name.
struct TIntakeEntry {
  std::filesystem::path Archive;
  std::string Name;   // the entry's path inside the archive
  size_t Number = 0;  // its place in the archive (TZipEntryInfo::Number)

  // "archive/entry", as the protocol names it.
  std::filesystem::path Shown() const { return Archive / Name; }
};

struct TIntakeEmployer {
  std::string RegNum;
  std::vector<std::filesystem::path> Files;  // taken whole, sorted by path
  std::vector<TIntakeEntry> Entries;         // single entries of archives, in archive order
};

// The files its run reads: those taken whole and the archives of its entries, each once.
std::vector<std::filesystem::path> InputFiles(const TIntakeEmployer& employer);

// A file (or "archive/entry") no employer gets, or one passed over, and why.
struct TUnassignedFile {
  std::filesystem::path Path;
  std::string Reason;
};

struct TIntakeGroups {
  std::vector<TIntakeEmployer> Employers;   // sorted by registration number
  std::vector<TUnassignedFile> Unassigned;  // sorted by path
};

// Files under `root`, leaving out the subtree `exclude` (the report root may lie inside the IS root).
// A file reached by several paths (links, hard links) is taken once. Links to folders are not
// followed (a folder inside the root is walked where it lies), nor links that lead out of the root;
// they, unreadable folders, FIFOs, devices and dangling links are listed in Unassigned.
TIntakeGroups GroupIntakeFiles(const std::filesystem::path& root, const std::filesystem::path& exclude);

}  // namespace zz
