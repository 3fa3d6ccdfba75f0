#pragma once
// The configuration file "ZazoruConfig.ini" and the two reference lists beside it in the data directory.
#include <filesystem>
#include <optional>
#include <string>

#include "base/read_result.h"
#include "settings/settings.h"

namespace zz {

inline constexpr const char* kConfigFileName = "ZazoruConfig.ini";
inline constexpr const char* kRightListFileName = "RightList.txt";
inline constexpr const char* kCrossListFileName = "CrossingList.txt";

// The default directory of "Perech", "IS" and "Report": the user's home directory.
std::string DefaultDirectory();

// Copies each of the three files into the data directory when it is missing there but shipped
// (current directory, executable directory, share/zazoru). Never overwrites; failures are ignored.
void CopyDefaultFiles(const std::filesystem::path& dataDir);

// Reads the configuration file and the two lists into the settings. A missing file or key gives
// the defaults. A configuration file that exists but cannot be read gives the defaults too and
// the error is returned (none when the file was read): the caller must refuse to run and must
// not write it. A broken list file throws TListFileError, whose Error() is the same kind of error
// (the run cannot be prepared at all).
std::optional<TReadError> ReadConfiguration(TSettings& settings, const std::filesystem::path& dataDir);

// Writes the configuration file and the two lists; false when anything failed. Nothing is written
// when the configuration file exists but cannot be read.
bool WriteConfiguration(const TSettings& settings, const std::filesystem::path& dataDir);

}  // namespace zz
