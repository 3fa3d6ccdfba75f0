#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include "search/zip_unpack.h"
#include "support/test_support.h"

namespace zz {
namespace {

struct TZipEntry {
  std::string name;
  std::string content;
  bool symlink = false;
};

// Writes a real zip file with libarchive.
void WriteZip(const std::filesystem::path& path, const std::vector<TZipEntry>& entries) {
  archive* a = archive_write_new();
  archive_write_set_format_zip(a);
  ASSERT_EQ(archive_write_open_filename(a, path.c_str()), ARCHIVE_OK);
  for (const auto& e : entries) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, e.name.c_str());
    if (e.symlink) {
      archive_entry_set_filetype(entry, AE_IFLNK);
      archive_entry_set_symlink(entry, e.content.c_str());
      archive_entry_set_size(entry, 0);
    } else {
      archive_entry_set_filetype(entry, AE_IFREG);
      archive_entry_set_size(entry, static_cast<la_int64_t>(e.content.size()));
    }
    archive_entry_set_perm(entry, 0644);
    archive_write_header(a, entry);
    if (!e.symlink) archive_write_data(a, e.content.data(), e.content.size());
    archive_entry_free(entry);
  }
  archive_write_close(a);
  archive_write_free(a);
}

TEST(ZipUnpackTest, EntriesLandFlatAndReplaceOlderFiles) {
  test::TempDir dir;
  WriteZip(dir / "in.zip", {{"a.xml", "<a/>"}, {"deep/er/b.XML", "<b/>"}, {"dir\\c.xml", "<c/>"}});
  test::WriteFile(dir / "Temp" / "a.xml", "old");
  TUnpackResult r = UnpackZipFlat(dir / "in.zip", dir / "Temp");
  ASSERT_TRUE(r.Ok) << r.Error;
  EXPECT_EQ(r.Files.size(), 3u);
  EXPECT_EQ(test::ReadFile(dir / "Temp" / "a.xml"), "<a/>");
  EXPECT_EQ(test::ReadFile(dir / "Temp" / "b.XML"), "<b/>");
  EXPECT_EQ(test::ReadFile(dir / "Temp" / "c.xml"), "<c/>");
}

TEST(ZipUnpackTest, HostileNamesNeverLeaveTheTarget) {
  test::TempDir dir;
  WriteZip(dir / "evil.zip", {{"../../escape.xml", "x"}, {"/etc/abs.xml", "y"}, {"link.xml", "/etc/passwd", true}, {"..", "z"}});
  TUnpackResult r = UnpackZipFlat(dir / "evil.zip", dir / "Temp");
  ASSERT_TRUE(r.Ok) << r.Error;
  EXPECT_FALSE(std::filesystem::exists(dir.path().parent_path() / "escape.xml"));
  EXPECT_EQ(test::ReadFile(dir / "Temp" / "escape.xml"), "x");
  EXPECT_EQ(test::ReadFile(dir / "Temp" / "abs.xml"), "y");
  EXPECT_FALSE(std::filesystem::exists(dir / "Temp" / "link.xml"));
  EXPECT_EQ(r.Files.size(), 2u);
}

TEST(ZipUnpackTest, BombsAndBrokenArchivesAreRefusedWithoutLeftovers) {
  test::TempDir dir;
  WriteZip(dir / "bomb.zip", {{"first.xml", "<ok/>"}, {"big.xml", std::string(100000, '0')}});
  TUnpackResult r = UnpackZipFlat(dir / "bomb.zip", dir / "Temp", {.MaxEntries = 100, .MaxTotalBytes = 50000});
  EXPECT_FALSE(r.Ok);
  EXPECT_NE(r.Error.find("50000"), std::string::npos);
  EXPECT_TRUE(r.Files.empty());
  EXPECT_FALSE(std::filesystem::exists(dir / "Temp" / "first.xml"));

  std::vector<TZipEntry> many;
  for (int i = 0; i < 20; ++i) many.push_back({"f" + std::to_string(i) + ".xml", "<a/>"});
  WriteZip(dir / "many.zip", many);
  r = UnpackZipFlat(dir / "many.zip", dir / "Temp", {.MaxEntries = 10, .MaxTotalBytes = 1 << 20});
  EXPECT_FALSE(r.Ok);
  EXPECT_TRUE(std::filesystem::is_empty(dir / "Temp"));

  test::WriteFile(dir / "fake.zip", "PK\x03\x04 this is no archive");
  r = UnpackZipFlat(dir / "fake.zip", dir / "Temp");
  EXPECT_FALSE(r.Ok);
  EXPECT_FALSE(r.Error.empty());
  r = UnpackZipFlat(dir / "missing.zip", dir / "Temp");
  EXPECT_FALSE(r.Ok);
}

TEST(ZipUnpackTest, DosCyrillicNamesBecomeUtf8) {
  test::TempDir dir;
  // "Сведения.xml" in the DOS Cyrillic code page, without the UTF-8 flag.
  WriteZip(dir / "dos.zip", {{std::string("\x91\xA2\xA5\xA4\xA5\xAD\xA8\xEF.xml"), "<a/>"}});
  TUnpackResult r = UnpackZipFlat(dir / "dos.zip", dir / "Temp");
  ASSERT_TRUE(r.Ok) << r.Error;
  EXPECT_TRUE(std::filesystem::exists(dir / "Temp" / "Сведения.xml"));
}

}  // namespace
}  // namespace zz
