// Unpacking a zip archive safely into a directory of its own, within the run's limits.
#include "search/zip_unpack.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <locale.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>

namespace zz {

namespace fs = std::filesystem;

namespace {

struct TArchiveDeleter {
  void operator()(archive* a) const { archive_read_free(a); }
};

bool IsValidUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= s.size()) return false;
    for (int k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += extra + 1;
  }
  return true;
}

// Zip tools on the employers' desktops store names in the DOS Cyrillic code page unless they mark
// them as UTF-8.
std::string Cp866ToUtf8(const std::string& s) {
  std::string out;
  auto put = [&](char32_t cp) {
    if (cp < 0x80)
      out += static_cast<char>(cp);
    else {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  };
  for (unsigned char c : s) {
    if (c < 0x80)
      put(c);
    else if (c <= 0xAF)
      put(0x410 + (c - 0x80));  // А..Я, а..п
    else if (c >= 0xE0 && c <= 0xEF)
      put(0x440 + (c - 0xE0));  // р..я
    else if (c == 0xF0)
      put(0x401);
    else if (c == 0xF1)
      put(0x451);
    else
      put('_');
  }
  return out;
}

// libarchive's description of its last failure; it has none for some failures.
std::string ErrorText(archive* a) {
  const char* text = archive_error_string(a);
  return text ? std::string(text) : std::string("неизвестная ошибка");
}

// libarchive converts names marked as UTF-8 into the thread's locale, and drops a name it cannot
// convert (the C locale of a batch run holds no Cyrillic). Under a UTF-8 locale marked names come
// through as they are and unmarked ones as their raw bytes, whatever the process's own locale is.
class TUtf8ThreadLocale {
 public:
  TUtf8ThreadLocale() : fLocale(newlocale(LC_ALL_MASK, "C.UTF-8", nullptr)) {
    if (fLocale) fPrevious = uselocale(fLocale);
  }
  ~TUtf8ThreadLocale() {
    if (!fLocale) return;
    uselocale(fPrevious);
    freelocale(fLocale);
  }
  TUtf8ThreadLocale(const TUtf8ThreadLocale&) = delete;
  TUtf8ThreadLocale& operator=(const TUtf8ThreadLocale&) = delete;

 private:
  locale_t fLocale;
  locale_t fPrevious = nullptr;
};

// The entry's name as UTF-8: as marked, else CP866 unless the bytes already are UTF-8. Empty when
// libarchive could not give the name at all.
std::string EntryName(archive_entry* entry) {
  const char* raw = archive_entry_pathname(entry);
  if (!raw) raw = archive_entry_pathname_utf8(entry);
  if (!raw) return {};
  std::string name(raw);
  return IsValidUtf8(name) ? name : Cp866ToUtf8(name);
}

// A name for an entry whose own name is lost or leads nowhere: read all the same, as XML.
std::string SubstituteName(size_t entryNumber) { return "файл_" + std::to_string(entryNumber) + ".xml"; }

bool LooksLikeCandidate(const std::string& name) {
  auto endsWith = [&](std::string_view ext) {
    if (name.size() < ext.size()) return false;
    for (size_t i = 0; i < ext.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(name[name.size() - ext.size() + i])) != ext[i]) return false;
    return true;
  };
  return endsWith(".xml") || endsWith(".zip");
}

// The entry's path below the target directory: its folders and name, with nothing that could lead
// out of it (empty, "." and ".." parts and drive letters are dropped). Empty when no name is left.
fs::path SafeRelativePath(const std::string& name) {
  fs::path out;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string::npos) end = name.size();
    std::string part = name.substr(start, end - start);
    if (!part.empty() && part != "." && part != ".." && !(part.size() == 2 && part[1] == ':')) out /= part;
    start = end + 1;
  }
  return out;
}

class TEntryFile {
 public:
  TEntryFile() = default;
  ~TEntryFile() { Close(); }
  TEntryFile(const TEntryFile&) = delete;
  TEntryFile& operator=(const TEntryFile&) = delete;

  // Creates the file; never follows a link or replaces an existing file.
  bool Create(const fs::path& path) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    fFd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    return fFd >= 0;
  }
  bool Write(const char* data, size_t n) {
    while (n > 0) {
      ssize_t w = write(fFd, data, n);
      if (w < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      data += w;
      n -= static_cast<size_t>(w);
    }
    return true;
  }
  bool Close() {
    if (fFd < 0) return true;
    int rc = close(fFd);
    fFd = -1;
    return rc == 0;
  }

 private:
  int fFd = -1;
};

}  // namespace

namespace {

// Every entry into `targetDir` under its own path when `targetOf` is null; else only the file
// entries it names a path for.
TUnpackResult Unpack(const fs::path& archivePath, const fs::path& targetDir,
                     const std::function<fs::path(const TZipEntryInfo&)>* targetOf, const TUnpackLimits& limits,
                     uint64_t& runBytes) {
  TUnpackResult result;
  TUtf8ThreadLocale utf8Names;
  std::unique_ptr<archive, TArchiveDeleter> a(archive_read_new());
  archive_read_support_format_zip(a.get());
  archive_read_support_filter_none(a.get());
  if (archive_read_open_filename(a.get(), archivePath.c_str(), 64 * 1024) != ARCHIVE_OK) {
    result.Failure = TReadError{"архив не читается: " + ErrorText(a.get()), archivePath.string()};
    return result;
  }

  uint64_t archiveBytes = 0;  // kept and being written, counted against the run's bound
  auto removeFile = [](const fs::path& f) {
    std::error_code ec;
    fs::remove(f, ec);
  };
  // A bomb or an archive past the run's bound: everything it wrote goes.
  auto refuse = [&](std::string why) {
    for (const fs::path& f : result.Files) removeFile(f);
    result.Files.clear();
    runBytes -= std::min(runBytes, archiveBytes);
    result.Failure = TReadError{std::move(why), archivePath.string()};
    return result;
  };
  const std::string tooLarge = "распакованный размер архивов превышает " + std::to_string(limits.MaxRunBytes) + " байт";

  std::error_code ec;
  if (!targetOf) fs::create_directories(targetDir, ec);
  size_t entries = 0;
  archive_entry* entry = nullptr;
  std::vector<char> buffer(64 * 1024);
  while (true) {
    int r = archive_read_next_header(a.get(), &entry);
    if (r == ARCHIVE_EOF) break;
    if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
      // The archive's directory itself is damaged: what was read so far stays.
      result.Failure = TReadError{"архив повреждён: " + ErrorText(a.get()), archivePath.string()};
      return result;
    }
    if (++entries > limits.MaxEntries)
      return refuse("в архиве больше " + std::to_string(limits.MaxEntries) + " файлов");
    std::string name = EntryName(entry);
    const bool link = archive_entry_filetype(entry) == AE_IFLNK || archive_entry_hardlink(entry);
    fs::path chosen;
    if (targetOf) {
      if (link || archive_entry_filetype(entry) != AE_IFREG) continue;
      chosen = (*targetOf)(TZipEntryInfo{entries, name, true});
      if (chosen.empty()) continue;
    }
    if (link || archive_entry_filetype(entry) != AE_IFREG) {
      // Folders only hold names; a link or a device named like a report is a report not read.
      if (link && LooksLikeCandidate(name)) result.Refused.push_back({name, "ссылки из архива не распаковываются"});
      continue;
    }
    fs::path relative = targetOf ? chosen.filename() : SafeRelativePath(name);
    if (relative.empty()) {
      const std::string substitute = SubstituteName(entries);
      result.Renamed.push_back({name.empty() ? std::string("(имя не читается)") : name, substitute});
      relative = substitute;
    }
    if (archive_entry_size_is_set(entry) &&
        static_cast<uint64_t>(archive_entry_size(entry)) > limits.MaxRunBytes - std::min(runBytes, limits.MaxRunBytes))
      return refuse(tooLarge);

    // A second entry of the same path (zip allows it) goes into a folder of its own.
    fs::path target = targetOf ? chosen : targetDir / relative;
    if (!targetOf && fs::exists(fs::symlink_status(target, ec)))
      target = targetDir / std::to_string(entries) / relative;
    TEntryFile out;
    if (!out.Create(target)) {
      result.Refused.push_back({name, std::string("файл не создаётся: ") + std::strerror(errno)});
      continue;
    }
    uint64_t written = 0;
    std::string damage;
    while (true) {
      la_ssize_t n = archive_read_data(a.get(), buffer.data(), buffer.size());
      if (n == 0) break;
      if (n < 0) {
        damage = "повреждён: " + ErrorText(a.get());
        break;
      }
      written += static_cast<uint64_t>(n);
      archiveBytes += static_cast<uint64_t>(n);
      runBytes += static_cast<uint64_t>(n);
      if (runBytes > limits.MaxRunBytes) {
        out.Close();
        removeFile(target);
        return refuse(tooLarge);
      }
      const auto packed = static_cast<uint64_t>(std::max<la_int64_t>(archive_filter_bytes(a.get(), -1), 0));
      if (archiveBytes > limits.MaxRatioFloor + limits.MaxRatio * packed) {
        out.Close();
        removeFile(target);
        return refuse("архив сжат более чем в " + std::to_string(limits.MaxRatio) + " раз (похоже на архивную бомбу)");
      }
      if (!out.Write(buffer.data(), static_cast<size_t>(n))) {
        damage = std::string("не записан: ") + std::strerror(errno);
        break;
      }
    }
    if (!out.Close() && damage.empty()) damage = std::string("не записан: ") + std::strerror(errno);
    if (!damage.empty()) {
      removeFile(target);
      archiveBytes -= written;
      runBytes -= std::min(runBytes, written);
      result.Refused.push_back({name, damage});
      continue;
    }
    result.Files.push_back(target);
  }
  return result;
}

}  // namespace

TUnpackResult UnpackZip(const fs::path& archivePath, const fs::path& targetDir, const TUnpackLimits& limits,
                        uint64_t& runBytes) {
  return Unpack(archivePath, targetDir, nullptr, limits, runBytes);
}

TUnpackResult UnpackZipEntries(const fs::path& archivePath,
                               const std::function<fs::path(const TZipEntryInfo&)>& targetOf,
                               const TUnpackLimits& limits, uint64_t& runBytes) {
  return Unpack(archivePath, {}, &targetOf, limits, runBytes);
}

std::optional<TReadError> LookIntoZip(const fs::path& archivePath,
                                      const std::function<TZipContentReader(const TZipEntryInfo&)>& look,
                                      const TUnpackLimits& limits) {
  auto failure = [&](std::string text) { return TReadError{std::move(text), archivePath.string()}; };
  TUtf8ThreadLocale utf8Names;
  std::unique_ptr<archive, TArchiveDeleter> a(archive_read_new());
  archive_read_support_format_zip(a.get());
  archive_read_support_filter_none(a.get());
  if (archive_read_open_filename(a.get(), archivePath.c_str(), 64 * 1024) != ARCHIVE_OK)
    return failure("архив не читается: " + ErrorText(a.get()));
  std::vector<char> buffer(64 * 1024);
  archive_entry* entry = nullptr;
  for (size_t entries = 1;; ++entries) {
    int r = archive_read_next_header(a.get(), &entry);
    if (r == ARCHIVE_EOF) return std::nullopt;
    if (r != ARCHIVE_OK && r != ARCHIVE_WARN) return failure("архив повреждён: " + ErrorText(a.get()));
    if (entries > limits.MaxEntries) return failure("в архиве больше " + std::to_string(limits.MaxEntries) + " файлов");
    const bool file = archive_entry_filetype(entry) == AE_IFREG && !archive_entry_hardlink(entry);
    TZipContentReader reader = look(TZipEntryInfo{entries, EntryName(entry), file});
    if (!reader || !file) continue;
    while (true) {
      la_ssize_t n = archive_read_data(a.get(), buffer.data(), buffer.size());
      if (n <= 0) {
        reader({}, n < 0 ? "повреждён: " + ErrorText(a.get()) : std::string());
        break;
      }
      if (!reader(std::string_view(buffer.data(), static_cast<size_t>(n)), {})) break;
    }
  }
}

}  // namespace zz
