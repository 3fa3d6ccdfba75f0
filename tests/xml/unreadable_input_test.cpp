// Paths that are no readable XML files: the parser gives no tree, says why, and never waits.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "support/test_support.h"
#include "xml/my_parser.h"

namespace zz {
namespace {

TEST(XmlUnreadableInput, NoTreeAndAReasonForEveryPathThatIsNoReadableFile) {
  test::TempDir dir;
  // A FIFO without a writer would block an ordinary open for ever.
  ASSERT_EQ(mkfifo((dir / "fifo.xml").c_str(), 0644), 0);
  std::filesystem::create_directories(dir / "dir.xml");
  std::filesystem::create_symlink("loop.xml", dir / "loop.xml");
  test::WriteFile(dir / "good.xml", "<a>b</a>");
  struct Case {
    std::string path;
    std::string reason;
  } cases[] = {
      {(dir / "fifo.xml").string(), "не является обычным файлом"},
      {(dir / "dir.xml").string(), "не является обычным файлом"},
      {(dir / "missing.xml").string(), "файл не открывается: No such file or directory"},
      {(dir / "loop.xml").string(), "файл не открывается: Too many levels of symbolic links"},
      // A regular file whose reading fails, even for root.
      {"/proc/self/mem", "ошибка чтения файла: Input/output error"},
  };
  TMyParser parser;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(parser.parse(c.path));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(parser.LastError, c.reason);
  }
  // A readable file clears the reason again; malformed XML has its own.
  EXPECT_TRUE(parser.parse((dir / "good.xml").string()));
  EXPECT_EQ(parser.LastError, "");
  test::WriteFile(dir / "bad.xml", "not xml at all");
  EXPECT_FALSE(parser.parse((dir / "bad.xml").string()));
  EXPECT_EQ(parser.LastError, "документ пуст или не начинается с элемента (строка 1, позиция 1)");
}

}  // namespace
}  // namespace zz
