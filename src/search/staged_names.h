#pragma once
// Where the files of a staged IS directory really lie. The intake hands each run a folder of links
// and of entries unpacked from shared archives; this file beside them names each one as the user
// put it (its path, or "archive/entry"), so that the protocol and the log name it there. A folder
// without the file is read as it is. A file that says so names each link of the folder by its
// target: the intake's links point where the user put the files, and one such file serves every
// employer's folder as a hard link of it (no file of its own to create per employer).
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
  // A link of the folder that Shown does not name is shown as its target.
  bool LinksShowTargets = false;
};

// Empty when there is no such file or it is unreadable. With LinksShowTargets, Shown also holds
// every link of the folder by its target.
TStagedNames ReadStagedNames(const std::filesystem::path& dir);

// Throws std::runtime_error when the file cannot be written.
void WriteStagedNames(const std::filesystem::path& dir, const TStagedNames& names);

}  // namespace zz
