#pragma once
// Writes real zip archives with libarchive for the tests. Header-only, so that any test executable
// can use it without a change to the test support library.
#include <archive.h>
#include <archive_entry.h>

#include <filesystem>
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

}  // namespace zz::test
