// The names file of a staged IS directory: one "<file name>\t<shown name>" line per file, one
// "\t<shown name>\t<reason>" per entry not unpacked, every field escaped, and a "links" line when
// the folder's links are shown by their targets.
#include "search/staged_names.h"

#include <fstream>
#include <stdexcept>

#include "base/strings.h"
#include "base/utils.h"

namespace zz {

namespace fs = std::filesystem;

namespace {

constexpr char kLinksLine[] = "links";

void AddLinkTargets(const fs::path& dir, TStagedNames& names) {
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code e2;
    if (!it->is_symlink(e2)) continue;
    const std::string name = it->path().filename().string();
    if (names.Shown.count(name)) continue;
    const fs::path target = fs::read_symlink(it->path(), e2);
    if (!e2 && target.is_absolute()) names.Shown[name] = target.string();
  }
}

}  // namespace

TStagedNames ReadStagedNames(const fs::path& dir) {
  TStagedNames names;
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(dir / kStagedNamesFile, ec))) return names;
  std::string text;
  try {
    text = ReadFileBytes(dir / kStagedNamesFile, size_t{256} << 20);
  } catch (const std::exception&) {
    return names;
  }
  for (const std::string& line : Split(text, '\n')) {
    if (line == kLinksLine) {
      names.LinksShowTargets = true;
      continue;
    }
    std::vector<std::string> fields = Split(line, '\t');
    if (fields.size() == 3 && fields[0].empty() && !fields[1].empty()) {
      names.Refused.emplace_back(UnescapeTextField(fields[1]), UnescapeTextField(fields[2]));
      continue;
    }
    if (fields.size() != 2) continue;
    std::string name = UnescapeTextField(fields[0]), shown = UnescapeTextField(fields[1]);
    // Only names of this folder's own files.
    if (name.empty() || name.find('/') != std::string::npos || shown.empty()) continue;
    names.Shown[name] = shown;
  }
  if (names.LinksShowTargets) AddLinkTargets(dir, names);
  return names;
}

void WriteStagedNames(const fs::path& dir, const TStagedNames& names) {
  std::string text = names.LinksShowTargets ? std::string(kLinksLine) + '\n' : std::string();
  for (const auto& [name, shown] : names.Shown) text += EscapeTextField(name) + '\t' + EscapeTextField(shown) + '\n';
  for (const auto& [shown, why] : names.Refused)
    text += '\t' + EscapeTextField(shown) + '\t' + EscapeTextField(why) + '\n';
  // Laid anew with the folder by every intake: not worth a flush to disk for each employer.
  std::ofstream out(dir / kStagedNamesFile, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("Не удалось записать " + (dir / kStagedNamesFile).string());
}

}  // namespace zz
