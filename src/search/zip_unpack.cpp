#include "search/zip_unpack.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <fstream>
#include <memory>

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
    if (cp < 0x80) out += static_cast<char>(cp);
    else {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  };
  for (unsigned char c : s) {
    if (c < 0x80) put(c);
    else if (c <= 0xAF) put(0x410 + (c - 0x80));  // А..Я, а..п
    else if (c >= 0xE0 && c <= 0xEF) put(0x440 + (c - 0xE0));  // р..я
    else if (c == 0xF0) put(0x401);
    else if (c == 0xF1) put(0x451);
    else put('_');
  }
  return out;
}

// libarchive's description of its last failure; it has none for some failures.
std::string ErrorText(archive* a) {
  const char* text = archive_error_string(a);
  return text ? std::string(text) : std::string("неизвестная ошибка");
}

// The bare name of an entry; empty for names that cannot be a file of ours.
std::string FlatName(const char* rawPath) {
  if (!rawPath) return {};
  std::string path(rawPath);
  if (!IsValidUtf8(path)) path = Cp866ToUtf8(path);
  size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return {};
  return name;
}

}  // namespace

TUnpackResult UnpackZipFlat(const fs::path& archivePath, const fs::path& targetDir, const TUnpackLimits& limits) {
  TUnpackResult result;
  std::unique_ptr<archive, TArchiveDeleter> a(archive_read_new());
  archive_read_support_format_zip(a.get());
  archive_read_support_filter_none(a.get());
  if (archive_read_open_filename(a.get(), archivePath.c_str(), 64 * 1024) != ARCHIVE_OK) {
    result.Error = "архив не читается: " + ErrorText(a.get());
    return result;
  }
  auto fail = [&](std::string why) {
    for (const fs::path& f : result.Files) {
      std::error_code ec;
      fs::remove(f, ec);
    }
    result.Files.clear();
    result.Ok = false;
    result.Error = std::move(why);
    return result;
  };

  std::error_code ec;
  fs::create_directories(targetDir, ec);
  uint64_t total = 0;
  size_t entries = 0;
  archive_entry* entry = nullptr;
  std::vector<char> buffer(64 * 1024);
  while (true) {
    int r = archive_read_next_header(a.get(), &entry);
    if (r == ARCHIVE_EOF) break;
    if (r != ARCHIVE_OK && r != ARCHIVE_WARN) return fail("архив повреждён: " + ErrorText(a.get()));
    if (++entries > limits.MaxEntries)
      return fail("в архиве больше " + std::to_string(limits.MaxEntries) + " файлов");
    if (archive_entry_filetype(entry) != AE_IFREG || archive_entry_hardlink(entry)) continue;
    std::string name = FlatName(archive_entry_pathname(entry));
    if (name.empty()) continue;
    if (archive_entry_size_is_set(entry) &&
        static_cast<uint64_t>(archive_entry_size(entry)) > limits.MaxTotalBytes - std::min(total, limits.MaxTotalBytes))
      return fail("распакованный размер архива превышает " + std::to_string(limits.MaxTotalBytes) + " байт");

    fs::path target = targetDir / name;
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (!out) return fail("не удалось создать файл " + target.string());
    if (std::find(result.Files.begin(), result.Files.end(), target) == result.Files.end()) result.Files.push_back(target);
    while (true) {
      la_ssize_t n = archive_read_data(a.get(), buffer.data(), buffer.size());
      if (n == 0) break;
      if (n < 0) return fail("архив повреждён: " + ErrorText(a.get()));
      total += static_cast<uint64_t>(n);
      if (total > limits.MaxTotalBytes)
        return fail("распакованный размер архива превышает " + std::to_string(limits.MaxTotalBytes) + " байт");
      out.write(buffer.data(), n);
      if (!out) return fail("не удалось записать файл " + target.string());
    }
  }
  result.Ok = true;
  return result;
}

}  // namespace zz
