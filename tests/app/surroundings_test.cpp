// The program in surroundings that fail it: report directories it cannot write into, IS directories
// holding things that are no readable files, names with blanks, quotes and Cyrillic letters, a list
// server that breaks off, floods or stays silent, and hostile archives. Every case ends with a
// clear message and the exit code of its kind, never with a crash or a hang.
//
// Most runs start the built program as the calling software does; the runs that need limits
// smaller than a user's (a server reply bound, a server timeout, an unpacked-size bound) drive the
// batch work manager in this process instead.
#include "surroundings_fixture.h"

namespace zz {
namespace {

TEST_F(SurroundingsTest, ReportDirectoryMissingOrNotWritable) {
  test::WriteFile(is / kIsName, ExampleIs());
  ConfigureOffline();
  const std::string kNoDirectory =
      "Проверьте путь, где будет сохраняться протокол сверки! Такого каталога не существует!";

  TRun missing = Run({"bpi", is.string(), (work / "absent").string()});
  EXPECT_EQ(missing.Code, 21);
  EXPECT_TRUE(Has(missing.Log, kNoDirectory)) << missing.Log;
  EXPECT_FALSE(fs::exists(work / "absent"));

  test::WriteFile(work / "a file", "not a directory");
  TRun file = Run({"bpi", is.string(), (work / "a file").string()});
  EXPECT_EQ(file.Code, 21);
  EXPECT_TRUE(Has(file.Log, kNoDirectory)) << file.Log;
  EXPECT_EQ(test::ReadFile(work / "a file"), "not a directory");

  // A directory that exists but takes no file: the run fails as a whole (29) and says where.
  const fs::path locked = work / "locked";
  fs::create_directories(locked);
  {
    TImmutableDir guard(locked);
    ASSERT_TRUE(guard.Supported()) << "the temporary directory's file system has no immutable attribute";
    TRun run = Run({"bpi", is.string(), locked.string()});
    EXPECT_EQ(run.Code, 29);
    const std::string message = "Каталог протокола " + locked.string() + " недоступен для записи: ";
    EXPECT_TRUE(Has(run.Output, "zazoru: критическая ошибка: " + message)) << run.Output;
    EXPECT_TRUE(Has(run.Log, message)) << run.Log;
  }
  EXPECT_TRUE(fs::is_empty(locked));

  // The same with the lock file left by an earlier run: now the protocol's own files fail.
  test::WriteFile(locked / ".zazoru.lock", "");
  {
    TImmutableDir guard(locked);
    TRun run = Run({"bpi", is.string(), locked.string()});
    EXPECT_EQ(run.Code, 29);
    EXPECT_TRUE(Has(run.Output, "zazoru: критическая ошибка: Не удалось") && Has(run.Output, locked.string()))
        << run.Output;
  }
  EXPECT_EQ(ListFilesByExtension(locked, ".html").size(), 0u);
}

TEST_F(SurroundingsTest, IsDirectoryEntriesThatAreNoReadableFiles) {
  test::WriteFile(is / kIsName, ExampleIs());
  ASSERT_EQ(mkfifo((is / "fifo_087-104-003215.xml").c_str(), 0644), 0);
  fs::create_directories(is / "каталог.xml");
  fs::create_directories(is / "архив.zip");
  fs::create_symlink("loop.xml", is / "loop.xml");
  fs::create_symlink("ring2.zip", is / "ring1.zip");
  fs::create_symlink("ring1.zip", is / "ring2.zip");
  // A regular file that cannot be read, even by root.
  fs::create_symlink("/proc/self/mem", is / "mem.xml");
  ConfigureExampleServer();

  TRun run = RunBatch();
  EXPECT_EQ(run.Code, 30) << run.Output << run.Log;
  for (const char* name : {"fifo_087-104-003215.xml", "каталог.xml", "архив.zip"})
    EXPECT_TRUE(Has(run.Log, "---пропущен " + (is / name).string() + ": не является обычным файлом")) << name;
  for (const char* name : {"loop.xml", "ring1.zip", "ring2.zip"})
    EXPECT_TRUE(Has(run.Log, "---пропущен " + (is / name).string() + ": Too many levels of symbolic links")) << name;
  EXPECT_TRUE(Has(run.Log, "[ОШИБКА]") &&
              Has(run.Log, "Не удалось прочитать файл XML " + (is / "mem.xml").string() + ": ошибка чтения файла"))
      << run.Log;
  EXPECT_TRUE(Has(Protocol(reports), "Код завершения программы: 30</div>"));

  // Without the one real file nothing usable is left: 10 and the short protocol.
  fs::remove(is / kIsName);
  fs::remove(reports / kProtocolName);
  // The number cannot come from the file names now: it is given, the directories configured.
  TRun empty = Run({"/bpi", kRegNum});
  EXPECT_EQ(empty.Code, 10) << empty.Output;
  EXPECT_TRUE(Has(Protocol(reports), "Код завершения программы: 10</div>"));
}

TEST_F(SurroundingsTest, NamesWithBlanksQuotesAndCyrillicLetters) {
  config = work / "настройки \"пользователя\" 'А'";
  const fs::path odd = work / "ИС «Заречье» 'кв. 4' \"2023\"";
  const fs::path oddReports = work / "Протоколы сверки \"2023\" 'итог'";
  fs::create_directories(oddReports);
  const std::string fileName = "Сведения 'СЗВ-СТАЖ' \"2023\" 087-104-003215.xml";
  test::WriteFile(odd / fileName, ExampleIs());
  // An archive of an odd name whose entry has an odd name of its own (not an IS file).
  test::WriteZipArchive(odd / "Архив \"ИС\" 'копия'.zip",
                        {{"вложенный каталог/Письмо \"о сдаче\" 'отчёта'.xml", "<Письмо>текст</Письмо>"}});
  ConfigureExampleServer();

  TRun run = Run({"bpi", odd.string(), oddReports.string()});
  EXPECT_EQ(run.Code, 30) << run.Output;
  EXPECT_TRUE(fs::exists(oddReports / kProtocolName));
  std::string protocol = Protocol(oddReports);
  EXPECT_TRUE(Has(protocol, "Код завершения программы: 30</div>"));
  // The pack's file as the protocol names it: quotes escaped, letters kept.
  EXPECT_TRUE(Has(protocol, "<td>" + ReplaceAll((odd / fileName).string(), "\"", "&quot;") + "</td>")) << protocol;
  EXPECT_TRUE(Has(run.Log, "***отрабатываем " + (odd / fileName).string())) << run.Log;
  EXPECT_TRUE(Has(run.Log, "-Архив \"ИС\" 'копия'.zip/вложенный каталог/Письмо \"о сдаче\" 'отчёта'.xml")) << run.Log;
  // The run's unpacking directory goes with the run.
  EXPECT_TRUE(fs::is_empty(config / "Zazoru" / "Temp"));
}

TEST_F(SurroundingsTest, ListServerThatBreaksOffFloodsOrStaysSilent) {
  // The bounds a user gets: a reply is read up to 256 MiB, and no query waits for ever.
  EXPECT_EQ(DefaultListServerLimits().MaxBodyBytes, size_t{256} << 20);
  EXPECT_GT(DefaultListServerLimits().TotalTimeoutMs, 0);
  test::WriteFile(is / kIsName, ExampleIs());

  {  // The connection closes after the first 200 bytes of the reply.
    test::TLivertoStubProcess stub(kExample / "lists", {"--close-after", "200"});
    ConfigureServer(stub.Port());
    TRun run = RunBatch();
    EXPECT_EQ(run.Code, 21) << run.Output;
    EXPECT_EQ(stub.Queries().size(), 1u);
    EXPECT_TRUE(Has(Protocol(reports), kServerFailure));
    EXPECT_TRUE(Has(run.Log, "---возникла ошибка при подключении к Ливерто")) << run.Log;
    EXPECT_TRUE(Has(run.Log, "---причина: ")) << run.Log;
    fs::remove(reports / kProtocolName);
  }

  {  // A reply far larger than the bound: refused once the bound is passed.
    test::TempDir lists;
    std::string perechen = test::ReadFile(kExample / "lists" / "perechen_087-104-003215_2023_q4.xml");
    size_t at = perechen.find("<Предприятие");
    ASSERT_NE(at, std::string::npos);
    perechen.insert(at, "<Примечание>" + std::string(4 << 20, 'x') + "</Примечание>\n");
    test::WriteFile(lists / "huge.xml", perechen);
    test::TLivertoStubProcess stub(lists.path());
    ConfigureServer(stub.Port());
    TRun run = RunInProcess([](TSearcher& s) { s.fListServerLimits.MaxBodyBytes = 256 << 10; });
    EXPECT_EQ(run.Code, 21) << run.Output;
    EXPECT_TRUE(Has(Protocol(reports), kServerFailure));
    EXPECT_TRUE(Has(run.Log, "---причина: ответ сервера больше 262144 байт")) << run.Log;
    fs::remove(reports / kProtocolName);
  }

  {  // A server that accepts the query and never answers.
    test::TLivertoStubProcess stub(kExample / "lists", {"--delay-ms", "60000"});
    ConfigureServer(stub.Port());
    auto started = std::chrono::steady_clock::now();
    TRun run = RunInProcess([](TSearcher& s) { s.fListServerLimits.TotalTimeoutMs = 1500; });
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(run.Code, 21) << run.Output;
    EXPECT_LT(seconds, 20.0);
    EXPECT_TRUE(Has(Protocol(reports), kServerFailure));
    EXPECT_TRUE(Has(run.Log, "---причина: сервер не ответил за 1500 мс")) << run.Log;
  }
}

// Sets the unpacked size an archive declares for its first entry, in the local header and in the
// central directory, leaving the data as it is.
void DeclareUnpackedSize(const fs::path& archive, uint32_t size) {
  std::string bytes = test::ReadFile(archive);
  auto put = [&](size_t at) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
  };
  ASSERT_EQ(bytes.compare(0, 4, "PK\x03\x04"), 0);
  put(22);
  size_t central = bytes.find("PK\x01\x02");
  ASSERT_NE(central, std::string::npos);
  put(central + 24);
  size_t descriptor = bytes.find("PK\x07\x08");
  if (descriptor != std::string::npos && descriptor < central) put(descriptor + 12);
  test::WriteFile(archive, bytes);
}

TEST_F(SurroundingsTest, HostileArchivesInTheIsDirectory) {
  const std::string outside = "/etc/zazoru-escape-" + std::to_string(getpid()) + ".xml";
  // The employer's file, stored as "../<name>", beside an absolute name.
  test::WriteZipArchive(is / "escape.zip", {{"../" + kIsName, ExampleIs()}, {outside, "<a/>"}});
  // An archive declaring 3 GiB unpacked.
  test::WriteZipArchive(is / "bomb.zip", {{"bomb.xml", std::string(1 << 16, '0')}});
  DeclareUnpackedSize(is / "bomb.zip", 3u << 30);
  // A cut archive and one that only starts like an archive.
  std::string whole = test::ReadFile(is / "escape.zip");
  test::WriteFile(is / "cut.zip", whole.substr(0, whole.size() / 2));
  test::WriteFile(is / "corrupt.zip", "PK\x03\x04" + std::string(200, '\x7f'));
  ConfigureExampleServer();

  // No *.xml in the directory to take the number from: it is given, the directories configured.
  TRun run = Run({"/bpi", kRegNum});
  EXPECT_EQ(run.Code, 30) << run.Output;
  EXPECT_TRUE(Has(Protocol(reports), "Код завершения программы: 30</div>"));
  EXPECT_FALSE(fs::exists(outside));
  EXPECT_FALSE(fs::exists(config / "Zazoru" / kIsName));
  EXPECT_FALSE(fs::exists(config / kIsName));
  EXPECT_TRUE(Has(run.Log, "-escape.zip/" + kIsName)) << run.Log;
  // Every refused archive is named with its reason, in the log and in the protocol.
  const std::string protocol = Protocol(reports);
  const std::string declared =
      "Архив " + (is / "bomb.zip").string() + " не распакован: распакованный размер архивов превышает 2147483648 байт";
  EXPECT_TRUE(Has(run.Log, "---" + declared)) << run.Log;
  EXPECT_TRUE(Has(protocol, declared)) << protocol;
  for (const char* name : {"cut.zip", "corrupt.zip"}) {
    EXPECT_TRUE(Has(run.Log, "---Архив " + (is / name).string() + " не распакован: архив ")) << name << run.Log;
    EXPECT_TRUE(Has(protocol, "Архив " + (is / name).string() + " не распакован: архив ")) << name;
  }
  std::error_code ec;
  fs::remove(outside, ec);

  // A real bomb: 64 MiB of zeros packed into a few kilobytes, against a bound of 16 MiB.
  for (const char* name : {"escape.zip", "bomb.zip", "cut.zip", "corrupt.zip"}) fs::remove(is / name);
  fs::remove(reports / kProtocolName);
  test::WriteZipArchive(is / "zeros.zip", {{"zeros.xml", std::string(1 << 20, '\0'), 64}});
  EXPECT_LT(fs::file_size(is / "zeros.zip"), 1u << 20);
  TRun bomb = RunInProcess([](TSearcher& s) { s.fUnpackLimits.MaxRunBytes = 16 << 20; });
  EXPECT_EQ(bomb.Code, 10) << bomb.Output;
  const std::string refused = "Архив " + (is / "zeros.zip").string() + " не распакован: ";
  EXPECT_TRUE(Has(bomb.Log, "---" + refused)) << bomb.Log;
  EXPECT_TRUE(Has(Protocol(reports), refused));
  EXPECT_TRUE(fs::is_empty(config / "Zazoru" / "Temp"));
}

}  // namespace
}  // namespace zz
