#pragma once
// Zip archives of the input directories, unpacked in-process and flat (file names only) into the
// run's Temp directory. Hostile archives are refused: nothing is written outside the target
// directory, and the number of entries and the unpacked size are bounded.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zz {

struct TUnpackLimits {
  size_t MaxEntries = 10000;
  uint64_t MaxTotalBytes = 2ull << 30;  // 2 GiB unpacked per archive
};

struct TUnpackResult {
  bool Ok = false;
  std::string Error;                             // why the archive was refused or unreadable
  std::vector<std::filesystem::path> Files;      // files written (none when refused)
};

// Extracts every regular file of the archive into `targetDir` under its bare name, replacing a
// file of the same name. On refusal or failure the files already written are removed again.
TUnpackResult UnpackZipFlat(const std::filesystem::path& archive, const std::filesystem::path& targetDir,
                            const TUnpackLimits& limits = {});

}  // namespace zz
