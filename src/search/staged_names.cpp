// The names file of a staged IS directory: one "<file name>\t<shown name>" line per file, escaped.
#include "search/staged_names.h"

#include <fstream>
#include <stdexcept>

#include "base/strings.h"
#include "base/utils.h"

namespace zz {

namespace fs = std::filesystem;

std::map<std::string, std::string> ReadStagedNames(const fs::path& dir) {
  std::map<std::string, std::string> names;
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(dir / kStagedNamesFile, ec))) return names;
  std::string text;
  try {
    text = ReadFileBytes(dir / kStagedNamesFile, size_t{256} << 20);
  } catch (const std::exception&) {
    return names;
  }
  for (const std::string& line : Split(text, '\n')) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    std::string name = UnescapeTextField(line.substr(0, tab)), shown = UnescapeTextField(line.substr(tab + 1));
    // Only names of this folder's own files.
    if (name.empty() || name.find('/') != std::string::npos || shown.empty()) continue;
    names[name] = shown;
  }
  return names;
}

void WriteStagedNames(const fs::path& dir, const std::vector<std::pair<std::string, std::string>>& names) {
  std::string text;
  for (const auto& [name, shown] : names) text += EscapeTextField(name) + '\t' + EscapeTextField(shown) + '\n';
  // Laid anew with the folder by every intake: not worth a flush to disk for each employer.
  std::ofstream out(dir / kStagedNamesFile, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("Не удалось записать " + (dir / kStagedNamesFile).string());
}

}  // namespace zz
