// Which employer each file under the IS root belongs to, by the registration number in its name.
#include "app/intake_grouping.h"

#include <algorithm>
#include <map>

#include "app/command_line.h"

namespace zz {

namespace fs = std::filesystem;

namespace {

bool Within(const fs::path& path, const fs::path& dir) {
  if (dir.empty()) return false;
  auto [d, p] = std::mismatch(dir.begin(), dir.end(), path.begin(), path.end());
  return d == dir.end();
}

}  // namespace

TIntakeGroups GroupIntakeFiles(const fs::path& root, const fs::path& exclude) {
  std::map<std::string, std::vector<fs::path>> byNumber;
  TIntakeGroups groups;
  std::error_code ec;
  const fs::path excluded = exclude.empty() ? fs::path() : fs::weakly_canonical(exclude, ec);
  fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code e2;
    if (it->is_directory(e2)) {
      if (!it->is_symlink(e2) && Within(fs::weakly_canonical(it->path(), e2), excluded)) it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file(e2)) continue;
    std::string number = RegNumInFileName(it->path().filename().string());
    if (number.empty())
      groups.Unassigned.push_back(it->path());
    else
      byNumber[number].push_back(it->path());
  }
  for (auto& [number, files] : byNumber) {
    std::sort(files.begin(), files.end());
    groups.Employers.push_back({number, std::move(files)});
  }
  std::sort(groups.Unassigned.begin(), groups.Unassigned.end());
  return groups;
}

}  // namespace zz
