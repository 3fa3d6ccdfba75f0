#pragma once
// Zip archives of the input directories, unpacked in-process into a directory of their own under
// the run's temporary directory. Every entry keeps its folders, so no entry ever replaces another.
// Hostile archives are refused: nothing is written outside the target directory, the number of
// entries, the compression ratio and the bytes a whole run may write are bounded, and a refused
// archive takes back only what it wrote itself. A damaged entry is named and skipped; the intact
// entries stay.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/read_result.h"

namespace zz {

struct TUnpackLimits {
  size_t MaxEntries = 10000;
  // Unpacked bytes one run may write over all its archives.
  uint64_t MaxRunBytes = 2ull << 30;
  // Unpacked bytes per byte read from the archive, past the first MaxRatioFloor bytes. Text
  // reports compress tens of times; a bomb compresses a thousand times.
  uint64_t MaxRatio = 200;
  uint64_t MaxRatioFloor = 1ull << 20;
};

struct TRefusedEntry {
  std::string Name;  // the entry's path inside the archive
  std::string Reason;
};

struct TRenamedEntry {
  std::string Name;        // the entry's name as far as it could be read
  std::string Substitute;  // the name it was unpacked under
};

struct TUnpackResult {
  // Why the archive as a whole was refused or could not be read to its end; none when it was read.
  std::optional<TReadError> Failure;
  bool Ok() const { return !Failure; }
  std::vector<std::filesystem::path> Files;  // files written and kept, in archive order
  std::vector<TRefusedEntry> Refused;        // damaged, unwritable or linked entries, skipped
  std::vector<TRenamedEntry> Renamed;        // entries whose name could not be used, kept under another
};

// Unpacks the archive into `targetDir`, which must not exist yet or be empty. `runBytes` counts
// what the run has unpacked so far and grows by what is kept.
TUnpackResult UnpackZip(const std::filesystem::path& archive, const std::filesystem::path& targetDir,
                        const TUnpackLimits& limits, uint64_t& runBytes);

// One entry of an archive as UnpackZip reads it.
struct TZipEntryInfo {
  size_t Number = 0;  // 1-based, counting every entry (folders and links too)
  std::string Name;   // the entry's path inside the archive, as UnpackZip reads it
  bool File = false;  // a regular file, not a folder, a link or a device
};

// Looks into the archive's entries in order without writing anything: `look` gets each entry and
// returns a reader for its content (null: the content is skipped), which gets the content in pieces,
// then nothing once at its end (with why, when the entry is damaged there), and returns false when
// it has seen enough. Returns why the archive could not be read to its end; none when it could.
using TZipContentReader = std::function<bool(std::string_view bytes, const std::string& damage)>;
std::optional<TReadError> LookIntoZip(const std::filesystem::path& archive,
                                      const std::function<TZipContentReader(const TZipEntryInfo&)>& look,
                                      const TUnpackLimits& limits);

// Unpacks only the file entries `targetOf` gives a path for, each to exactly that path, within the
// limits as UnpackZip does; the rest is skipped.
TUnpackResult UnpackZipEntries(const std::filesystem::path& archive,
                               const std::function<std::filesystem::path(const TZipEntryInfo&)>& targetOf,
                               const TUnpackLimits& limits, uint64_t& runBytes);

}  // namespace zz
