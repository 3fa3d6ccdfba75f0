// Zip archives: folders kept, hostile names and links, bombs, damaged entries.
#include "search/zip_unpack.h"

#include <gtest/gtest.h>

#include <clocale>

#include "support/test_support.h"
#include "support/zip_writer.h"

namespace zz {
namespace {

namespace fs = std::filesystem;

std::string Why(const TUnpackResult& r) { return r.Failure ? r.Failure->Text : std::string(); }

TUnpackResult Unpack(const fs::path& archive, const fs::path& target, TUnpackLimits limits = {}) {
  uint64_t runBytes = 0;
  return UnpackZip(archive, target, limits, runBytes);
}

TEST(ZipUnpackTest, EveryEntryKeepsItsFoldersAndNoEntryReplacesAnother) {
  test::TempDir dir;
  test::WriteZipArchive(dir / "in.zip", {{"x/same.xml", "<x/>"},
                                         {"y/same.xml", "<y/>"},
                                         {"same.xml", "<top/>"},
                                         {"same.xml", "<again/>"},  // zip allows a name twice
                                         {"dir\\c.xml", "<c/>"}});
  TUnpackResult r = Unpack(dir / "in.zip", dir / "out");
  ASSERT_TRUE(r.Ok()) << Why(r);
  ASSERT_EQ(r.Files.size(), 5u);
  std::vector<std::string> contents;
  for (const fs::path& f : r.Files) contents.push_back(test::ReadFile(f));
  EXPECT_EQ(contents, (std::vector<std::string>{"<x/>", "<y/>", "<top/>", "<again/>", "<c/>"}));
  EXPECT_EQ(r.Files[0], dir / "out" / "x" / "same.xml");
  EXPECT_EQ(r.Files[4], dir / "out" / "dir" / "c.xml");
}

TEST(ZipUnpackTest, NamesAreReadInEveryEncodingWhateverTheProcessLocale) {
  test::TempDir dir;
  test::WriteStoredZip(dir / "in.zip", {{"папка/свед.xml", "<a/>", test::kZipUtf8Names},
                                        {"\xE1\xA2\xA5\xA4.xml", "<b/>"},  // "свед" in CP866, no flag
                                        {"\xFF\xFE.xml", "<c/>", test::kZipUtf8Names}});  // a flag that lies
  auto unpacked = [&](const char* locale, const std::string& target) {
    const std::string previous = setlocale(LC_ALL, nullptr);
    EXPECT_TRUE(setlocale(LC_ALL, locale)) << locale;
    TUnpackResult r = Unpack(dir / "in.zip", dir / target);
    setlocale(LC_ALL, previous.c_str());
    EXPECT_TRUE(r.Ok()) << Why(r);
    EXPECT_TRUE(r.Refused.empty());
    std::vector<std::string> names;
    for (const fs::path& f : r.Files)
      names.push_back(f.lexically_relative(dir / target).string() + "=" + test::ReadFile(f));
    return names;
  };
  const std::vector<std::string> batch = unpacked("C", "batch");
  ASSERT_EQ(batch.size(), 3u);
  EXPECT_EQ(batch[0], "папка/свед.xml=<a/>");
  EXPECT_EQ(batch[1], "свед.xml=<b/>");
  EXPECT_TRUE(batch[2].ends_with(".xml=<c/>")) << batch[2];
  // The windows set the process locale: the same archive reads the same.
  EXPECT_EQ(unpacked("C.UTF-8", "window"), batch);
}

TEST(ZipUnpackTest, HostileNamesNeverLeaveTheTarget) {
  test::TempDir dir;
  test::WriteZipArchive(dir / "evil.zip", {{"../../escape.xml", "x"},
                                           {"/etc/abs.xml", "y"},
                                           {"C:\\win.xml", "w"},
                                           {"..", "z"},
                                           {"link.xml", "/etc/passwd", 1, true}});
  // Deep enough that an escaped file would land inside this test's own folder.
  const fs::path out = dir / "a" / "b" / "out";
  fs::create_directories(out / "etc");
  fs::create_symlink(dir / "elsewhere", out / "etc" / "abs.xml");  // planted in the way: not followed
  TUnpackResult r = Unpack(dir / "evil.zip", out);
  ASSERT_TRUE(r.Ok()) << Why(r);
  EXPECT_FALSE(fs::exists(dir / "a" / "escape.xml"));
  EXPECT_FALSE(fs::exists(dir / "escape.xml"));
  EXPECT_FALSE(fs::exists(dir / "elsewhere"));
  EXPECT_EQ(test::ReadFile(out / "escape.xml"), "x");
  EXPECT_EQ(test::ReadFile(out / "2" / "etc" / "abs.xml"), "y");
  EXPECT_EQ(test::ReadFile(out / "win.xml"), "w");
  // A name that leads nowhere is read under a substitute; a link is named, never followed.
  EXPECT_EQ(test::ReadFile(out / "файл_4.xml"), "z");
  ASSERT_EQ(r.Renamed.size(), 1u);
  EXPECT_EQ(r.Renamed[0].Substitute, "файл_4.xml");
  EXPECT_FALSE(fs::exists(fs::symlink_status(out / "link.xml")));
  ASSERT_EQ(r.Refused.size(), 1u);
  EXPECT_EQ(r.Refused[0].Name, "link.xml");
  EXPECT_EQ(r.Files.size(), 4u);
}

TEST(ZipUnpackTest, BombsAreRefusedEarlyAndTakeBackOnlyTheirOwnFiles) {
  test::TempDir dir;
  // 256 MiB of zeros in a few hundred kilobytes.
  test::WriteZipArchive(dir / "bomb.zip", {{"first.xml", "<ok/>"}, {"zeros.xml", std::string(1 << 20, '\0'), 256}});
  test::WriteFile(dir / "out" / "other" / "kept.xml", "<other archive's file/>");
  uint64_t runBytes = 100;  // what earlier archives of the run wrote
  TUnpackResult r = UnpackZip(dir / "bomb.zip", dir / "out" / "bomb", {}, runBytes);
  EXPECT_FALSE(r.Ok());
  EXPECT_NE(Why(r).find("сжат более чем в 200 раз"), std::string::npos) << Why(r);
  EXPECT_TRUE(r.Files.empty());
  EXPECT_FALSE(fs::exists(dir / "out" / "bomb" / "first.xml"));
  EXPECT_EQ(runBytes, 100u);
  EXPECT_EQ(test::ReadFile(dir / "out" / "other" / "kept.xml"), "<other archive's file/>");

  // The run's bound holds over all its archives, not per archive.
  test::WriteZipArchive(dir / "a.zip", {{"a.xml", std::string(600, 'a')}});
  test::WriteZipArchive(dir / "b.zip", {{"b.xml", std::string(600, 'b')}});
  runBytes = 0;
  const TUnpackLimits limits{.MaxRunBytes = 1000};
  EXPECT_TRUE(UnpackZip(dir / "a.zip", dir / "out" / "a", limits, runBytes).Ok());
  r = UnpackZip(dir / "b.zip", dir / "out" / "b", limits, runBytes);
  EXPECT_FALSE(r.Ok());
  EXPECT_NE(Why(r).find("1000 байт"), std::string::npos) << Why(r);
  EXPECT_EQ(runBytes, 600u);
  EXPECT_TRUE(fs::exists(dir / "out" / "a" / "a.xml"));

  std::vector<test::TZipFile> many;
  for (int i = 0; i < 20; ++i) many.push_back({"f" + std::to_string(i) + ".xml", "<a/>"});
  test::WriteZipArchive(dir / "many.zip", many);
  r = Unpack(dir / "many.zip", dir / "out" / "many", {.MaxEntries = 10});
  EXPECT_FALSE(r.Ok());
  EXPECT_TRUE(fs::is_empty(dir / "out" / "many"));
}

TEST(ZipUnpackTest, ADamagedEntryIsNamedAndTheIntactOnesStay) {
  test::TempDir dir;
  std::string middle;
  for (int i = 0; i < 4000; ++i) middle += static_cast<char>('a' + (i * 7919) % 26);
  test::WriteZipArchive(dir / "in.zip", {{"a.xml", "<a/>"}, {"b.xml", middle}, {"c.xml", "<c/>"}});
  // One byte in the middle of b.xml's packed data changed: its checksum no longer matches.
  std::string bytes = test::ReadFile(dir / "in.zip");
  const size_t header = bytes.find("b.xml") - 30;
  ASSERT_EQ(bytes.compare(header, 4, "PK\x03\x04"), 0);
  auto le16 = [&](size_t at) {
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
  };
  const size_t at = header + 30 + le16(header + 26) + le16(header + 28) + 20;
  bytes[at] = static_cast<char>(bytes[at] ^ 0x55);
  test::WriteFile(dir / "in.zip", bytes);
  TUnpackResult r = Unpack(dir / "in.zip", dir / "out");
  ASSERT_EQ(r.Refused.size(), 1u) << Why(r);
  EXPECT_EQ(r.Refused[0].Name, "b.xml");
  std::vector<std::string> kept;
  for (const fs::path& f : r.Files) kept.push_back(f.filename().string());
  EXPECT_EQ(kept, (std::vector<std::string>{"a.xml", "c.xml"}));
  EXPECT_FALSE(fs::exists(dir / "out" / "b.xml"));

  test::WriteFile(dir / "fake.zip", "PK\x03\x04 this is no archive");
  r = Unpack(dir / "fake.zip", dir / "out2");
  EXPECT_FALSE(r.Ok());
  ASSERT_TRUE(r.Failure);
  EXPECT_FALSE(r.Failure->Text.empty());
  EXPECT_EQ(r.Failure->File, (dir / "fake.zip").string());
  EXPECT_FALSE(Unpack(dir / "missing.zip", dir / "out3").Ok());
}

TEST(ZipUnpackTest, DosCyrillicNamesBecomeUtf8) {
  test::TempDir dir;
  // "Сведения.xml" in the DOS Cyrillic code page, without the UTF-8 flag.
  test::WriteZipArchive(dir / "dos.zip", {{std::string("\x91\xA2\xA5\xA4\xA5\xAD\xA8\xEF.xml"), "<a/>"}});
  TUnpackResult r = Unpack(dir / "dos.zip", dir / "out");
  ASSERT_TRUE(r.Ok()) << Why(r);
  EXPECT_TRUE(fs::exists(dir / "out" / "Сведения.xml"));
}

}  // namespace
}  // namespace zz
