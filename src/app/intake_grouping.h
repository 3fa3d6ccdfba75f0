#pragma once
// The intake's grouping: every file under the IS root, at any depth, goes to the employer whose
// registration number its name holds (the rule the batch mode applies to "*.xml" names).
#include <filesystem>
#include <string>
#include <vector>

namespace zz {

struct TIntakeEmployer {
  std::string RegNum;
  std::vector<std::filesystem::path> Files;  // sorted by path
};

struct TIntakeGroups {
  std::vector<TIntakeEmployer> Employers;         // sorted by registration number
  std::vector<std::filesystem::path> Unassigned;  // names without a number, sorted by path
};

// Files under `root`, leaving out the subtree `exclude` (the report root may lie inside the IS root).
// Directories that cannot be read are passed over; symbolic links to directories are not followed.
TIntakeGroups GroupIntakeFiles(const std::filesystem::path& root, const std::filesystem::path& exclude);

}  // namespace zz
