#pragma once
// Small shared utilities: string arrays, directory clean-up, period codes, shipped-file lookup.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zz {

// Progress report: range of the indicator, current position, text of the current step.
using TProgressUpdate = std::function<void(int Min, int Max, int Curr, const std::string& Messag)>;

int IndexOfFirstMatch(std::string_view text, const std::vector<std::string>& values);
bool InStringArray(const std::vector<std::string>& values, std::string_view text);
bool AnyInStringArray(const std::vector<std::string>& values, std::initializer_list<std::string_view> texts);

// Quarter (1-4) of an IS reporting-period code in the format of the given year, or -1.
int QuarterOfPeriodCode(int year, int code);

// Directory of the running executable.
std::filesystem::path ExecutableDir();
// A shipped file by bare name: the current directory, the executable's directory, then
// <exe dir>/../share/zazoru. Returns the name as given (relative) when found nowhere.
std::filesystem::path FindShippedFile(const std::string& name);
// The places FindShippedFile looks in, in its order.
std::vector<std::filesystem::path> ShippedFilePlaces(const std::string& name);
// A shipped file the program cannot work without, found nowhere: the message names the file and
// every place it was looked for, and is the same in the windows and on standard error.
class TMissingShippedFile : public std::runtime_error {
 public:
  explicit TMissingShippedFile(const std::string& name);
};
// FindShippedFile for a file that must be there; throws TMissingShippedFile.
std::filesystem::path RequireShippedFile(const std::string& name);

// The order of listings: file names case-insensitively, then by bytes.
bool FileNameOrderLess(const std::filesystem::path& a, const std::filesystem::path& b);

// Regular files of the directory whose extension equals `extension` (".xml") case-insensitively,
// sorted by name case-insensitively, then by bytes. Listing failures end the listing.
std::vector<std::filesystem::path> ListFilesByExtension(const std::filesystem::path& directory,
                                                        std::string_view extension);

// Size bound of the small files the program keeps: the configuration and the reference lists.
inline constexpr size_t kSmallFileMaxBytes = size_t{16} << 20;

// Whole file into memory. Only a regular file is read (a FIFO, a device or a link to one is refused
// at once, without blocking) and only up to maxBytes; throws std::runtime_error with the path and
// the reason on failure.
std::string ReadFileBytes(const std::filesystem::path& path, size_t maxBytes = SIZE_MAX);

// Lines of a text file (a UTF-8 byte-order mark is skipped, CR LF and LF both end a line).
// Throws std::runtime_error when the file cannot be read, as ReadFileBytes does.
std::vector<std::string> ReadTextLines(const std::filesystem::path& path, size_t maxBytes = kSmallFileMaxBytes);
// Replaces the file with the lines, each ended by CR LF, atomically. Throws std::runtime_error on failure.
void WriteTextLines(const std::filesystem::path& path, const std::vector<std::string>& lines);

// Removes the temporary files of atomic writes in `directory` whose writers are gone (killed
// midway); returns how many.
int RemoveStaleAtomicTemps(const std::filesystem::path& directory);

// Replaces the file with the bytes: they go to a temporary file beside it, which is flushed to
// disk and renamed into place, so a failure or a kill midway leaves the previous file intact.
// Flushed: on disk before it replaces the old file. Cached: left to the system, for files that only
// spare a later run work it would otherwise redo (a crash of the machine then costs that work).
enum class TDurability { Flushed, Cached };

void WriteFileAtomically(const std::filesystem::path& path, const std::string& bytes,
                         TDurability durability = TDurability::Flushed);

// A file written beside its final name and renamed into place by Commit; dropped (the previous
// file untouched) when destroyed without Commit.
class TAtomicFile {
 public:
  explicit TAtomicFile(std::filesystem::path path);
  ~TAtomicFile();
  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;
  // Appends bytes; throws std::runtime_error on failure.
  void Write(std::string_view bytes);
  // Flushes to disk and renames into place; throws std::runtime_error on failure.
  void Commit(TDurability durability = TDurability::Flushed);
  const std::filesystem::path& Path() const { return fPath; }

 private:
  std::filesystem::path fPath;
  std::filesystem::path fTempPath;
  int fFd = -1;
};

}  // namespace zz
