#pragma once
// Writes real zip archives for the tests: with libarchive, or stored entries byte by byte with the
// names and flags a given zip tool writes. Header-only, so that any test executable can use it
// without a change to the test support library.
#include <archive.h>
#include <archive_entry.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace zz::test {

struct TZipFile {
  std::string Name;  // the entry's path as stored, "../" and "/" included
  std::string Content;
  // Written this many times over (a large entry without a large string).
  size_t Repeat = 1;
  // A symbolic link to Content instead of a file.
  bool Symlink = false;
};

inline void WriteZipArchive(const std::filesystem::path& path, const std::vector<TZipFile>& files) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  archive* a = archive_write_new();
  archive_write_set_format_zip(a);
  archive_write_set_options(a, "zip:compression=deflate,zip:compression-level=1");
  if (archive_write_open_filename(a, path.c_str()) != ARCHIVE_OK) {
    archive_write_free(a);
    throw std::runtime_error("cannot write " + path.string());
  }
  for (const TZipFile& f : files) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, f.Name.c_str());
    archive_entry_set_perm(entry, 0644);
    if (f.Symlink) {
      archive_entry_set_filetype(entry, AE_IFLNK);
      archive_entry_set_symlink(entry, f.Content.c_str());
      archive_entry_set_size(entry, 0);
      archive_write_header(a, entry);
    } else {
      archive_entry_set_filetype(entry, AE_IFREG);
      archive_entry_set_size(entry, static_cast<la_int64_t>(f.Content.size() * f.Repeat));
      archive_write_header(a, entry);
      for (size_t i = 0; i < f.Repeat; ++i) archive_write_data(a, f.Content.data(), f.Content.size());
    }
    archive_entry_free(entry);
  }
  archive_write_close(a);
  archive_write_free(a);
}

// An entry of a stored archive: the name's bytes as they go into the headers, in whatever code page
// the writing tool used; a name ending in "/" is a folder.
struct TStoredZipEntry {
  std::string Name;
  std::string Content;
  uint16_t Flags = 0;  // general-purpose flags: kZipUtf8Names, or 0
};

// Bit 11 of the general-purpose flags: the name is UTF-8 (as Java, .NET and Python's zipfile write
// names outside ASCII). Without it a reader has only the bytes.
constexpr uint16_t kZipUtf8Names = 0x0800;

// "Version made by": the host in the high byte, as the tools write it. DOS-era and Windows tools say
// MS-DOS (0) and keep DOS attributes; the Unix `zip` command says Unix (3) and keeps the mode.
constexpr uint16_t kZipMadeOnDos = 20;
constexpr uint16_t kZipMadeOnUnix = (3 << 8) | 30;

inline uint32_t ZipCrc32(const std::string& data) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : data) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

// A zip archive of stored (uncompressed) entries: local headers, central directory, end record.
inline void WriteStoredZip(const std::filesystem::path& path, const std::vector<TStoredZipEntry>& entries,
                           uint16_t madeBy = kZipMadeOnDos) {
  auto put16 = [](std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
  };
  auto put32 = [&](std::string& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
  };
  const uint32_t dosTime = (9 << 11) | (30 << 5), dosDate = ((2024 - 1980) << 9) | (1 << 5) | 19;
  const bool unixHost = (madeBy >> 8) == 3;
  std::string archive, directory;
  for (const TStoredZipEntry& e : entries) {
    if (e.Content.size() > 0xFFFFFFF0u || archive.size() > 0xFFFFFFF0u) throw std::runtime_error("zip64 not written");
    const bool folder = !e.Name.empty() && e.Name.back() == '/';
    const uint32_t crc = ZipCrc32(e.Content), size = static_cast<uint32_t>(e.Content.size());
    const uint32_t offset = static_cast<uint32_t>(archive.size());
    // The fields the local header and the central directory share, from "version needed" on.
    std::string common;
    put16(common, folder ? 20 : 10);
    put16(common, e.Flags);
    put16(common, 0);  // stored
    put16(common, dosTime);
    put16(common, dosDate);
    put32(common, crc);
    put32(common, size);
    put32(common, size);
    put16(common, static_cast<uint32_t>(e.Name.size()));
    put16(common, 0);  // no extra field

    put32(archive, 0x04034B50);
    archive += common + e.Name + e.Content;

    put32(directory, 0x02014B50);
    put16(directory, madeBy);
    directory += common;
    put16(directory, 0);  // comment
    put16(directory, 0);  // disk
    put16(directory, 0);  // internal attributes
    put32(directory, unixHost ? (folder ? 040755u : 0100644u) << 16 : folder ? 0x10 : 0x20);
    put32(directory, offset);
    directory += e.Name;
  }
  std::string end;
  put32(end, 0x06054B50);
  put16(end, 0);
  put16(end, 0);
  put16(end, static_cast<uint32_t>(entries.size()));
  put16(end, static_cast<uint32_t>(entries.size()));
  put32(end, static_cast<uint32_t>(directory.size()));
  put32(end, static_cast<uint32_t>(archive.size()));
  put16(end, 0);

  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const std::string bytes = archive + directory + end;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace zz::test
