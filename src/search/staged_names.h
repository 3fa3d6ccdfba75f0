#pragma once
// Where the files of a staged IS directory really lie. The intake hands each run a folder of links
// and of entries unpacked from shared archives; this file beside them names each one as the user
// put it (its path, or "archive/entry"), so that the protocol and the log name it there. A folder
// without the file is read as it is.
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zz {

inline constexpr char kStagedNamesFile[] = ".zazoru-names.tsv";

struct TStagedNames {
  std::map<std::string, std::string> Shown;  // file name in the folder -> the name to show
  // Entries of archives that could not be unpacked here (shown name, why): the run names them.
  std::vector<std::pair<std::string, std::string>> Refused;
};

// Empty when there is no such file or it is unreadable.
TStagedNames ReadStagedNames(const std::filesystem::path& dir);

// Throws std::runtime_error when the file cannot be written.
void WriteStagedNames(const std::filesystem::path& dir, const TStagedNames& names);

}  // namespace zz
