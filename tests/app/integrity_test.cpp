// Integrity of a run's results: damaged input is refused whole and named, runs started together
// never see each other's files, and files, names and numbers from outside cannot pass for others.
#include "surroundings_fixture.h"

namespace zz {
namespace {

using IntegrityTest = SurroundingsTest;

// The example's IS file with a bare "&" in the second person's surname; `line` gets its line.
std::string WithBareAmpersand(int& line) {
  std::string damaged = ExampleIs();
  const size_t at = damaged.find("Колобродова");
  damaged.insert(at, "Рога & ");
  line = 1 + static_cast<int>(std::count(damaged.begin(), damaged.begin() + static_cast<long>(at), '\n'));
  return damaged;
}

TEST_F(IntegrityTest, DamagedIsFileIsRefusedWholeAndNamedWithItsReasonAndLine) {
  int line = 0;
  const std::string damagedName = "копия_087-104-003215.xml";
  test::WriteFile(is / damagedName, WithBareAmpersand(line));
  test::WriteFile(is / kIsName, ExampleIs());
  if (!fStub) fStub = std::make_unique<test::TLivertoStubProcess>(kExample / "lists");
  // Debug off: the reason is an error entry and is written all the same.
  WriteConfig("[LivertoServer]\nName=127.0.0.1\nPort=" + std::to_string(fStub->Port()) +
              "\nApp=list4\nConnect=1\n[Options]\nDebug=0\nTerritoryControl=1\n");
  const std::string message = "Не удалось прочитать файл XML " + (is / damagedName).string() + ": ";
  const std::string where = "(строка " + std::to_string(line) + ", позиция ";

  TRun run = RunBatch();
  EXPECT_EQ(run.Code, 30) << run.Output;
  EXPECT_TRUE(Has(run.Log, "[ОШИБКА]") && Has(run.Log, message) && Has(run.Log, where)) << run.Log;
  std::string protocol = Protocol(reports);
  EXPECT_TRUE(Has(protocol, message) && Has(protocol, where)) << protocol;
  // The intact file is read as before: one pack, not two or a part of one.
  EXPECT_TRUE(Has(protocol, "<b>Всего исходных: 1</b>")) << protocol;

  // The damaged file alone: nothing usable, and the short protocol says why.
  fs::remove(is / kIsName);
  fs::remove(reports / kProtocolName);
  TRun alone = RunBatch();
  EXPECT_EQ(alone.Code, 10) << alone.Output;
  protocol = Protocol(reports);
  EXPECT_TRUE(Has(protocol, message) && Has(protocol, where)) << protocol;
  EXPECT_TRUE(Has(protocol, "Код завершения программы: 10</div>"));
}

TEST_F(IntegrityTest, CutServerReplyTakesTheConnectionErrorPath) {
  test::WriteFile(is / kIsName, ExampleIs());
  // A complete HTTP response with a Content-Length that matches: only the document is cut.
  test::TLivertoStubProcess stub(kExample / "lists", {"--cut-reply", "1259"});
  ConfigureServer(stub.Port());
  TRun run = RunBatch();
  EXPECT_EQ(run.Code, 21) << run.Output;
  EXPECT_TRUE(Has(Protocol(reports), kServerFailure));
  // Cut inside a tag: the reason and the place where the document breaks off.
  EXPECT_TRUE(Has(run.Log, "---причина: тег не закрыт символом > (строка 16, позиция ")) << run.Log;
  EXPECT_FALSE(Has(run.Log, "---перечень подключен к сэту"));
}

TEST_F(IntegrityTest, IsFileWithASecondReportAppendedIsRefusedWhole) {
  // Two reports in one file: reading the first alone would lose the second one's persons unnoticed.
  const std::string report = ExampleIs();
  const int second = 1 + static_cast<int>(std::count(report.begin(), report.end(), '\n'));
  test::WriteFile(is / kIsName, report + report);
  ConfigureExampleServer();
  TRun run = RunBatch();
  EXPECT_EQ(run.Code, 10) << run.Output;
  const std::string protocol = Protocol(reports);
  EXPECT_TRUE(Has(protocol, "Не удалось прочитать файл XML " + (is / kIsName).string() +
                                ": после корневого элемента: объявление XML не в начале документа (строка " +
                                std::to_string(second) + ", позиция "))
      << protocol;
}

TEST_F(IntegrityTest, ServerRedirectingElsewhereTakesTheConnectionErrorPath) {
  test::WriteFile(is / kIsName, ExampleIs());
  // A server nobody configured, which would give a Perechen.
  test::TLivertoStubProcess elsewhere(kExample / "lists");
  {
    test::TLivertoStubProcess stub(kExample / "lists", {"--redirect", elsewhere.BaseUrl()});
    ConfigureServer(stub.Port());
    TRun run = RunBatch();
    EXPECT_EQ(run.Code, 21) << run.Output;
    EXPECT_TRUE(Has(Protocol(reports), kServerFailure));
    EXPECT_TRUE(Has(run.Log, "---причина: сервер перенаправил запрос на другой сервер (" + elsewhere.BaseUrl() + ")"))
        << run.Log;
  }
  EXPECT_TRUE(elsewhere.Queries().empty());

  // Within the configured server a redirect is followed.
  fs::remove(reports / kProtocolName);
  test::TLivertoStubProcess stub(kExample / "lists", {"--redirect", ""});
  ConfigureServer(stub.Port());
  TRun run = RunBatch();
  EXPECT_EQ(run.Code, 30) << run.Output;
  EXPECT_TRUE(Has(run.Log, "---перечень подключен к сэту")) << run.Log;
  EXPECT_EQ(stub.Queries().size(), 2u);
}

TEST_F(IntegrityTest, DamagedLocalPerechenIsNotTakenAndIsNamed) {
  test::WriteFile(is / kIsName, ExampleIs());
  const fs::path lists = work / "lists";
  const std::string perechen = test::ReadFile(kExample / "lists" / "perechen_087-104-003215_2023_q4.xml");
  test::WriteFile(lists / "a_complete.xml", perechen);
  // Read after the complete one, it used to replace it with a part of itself.
  test::WriteFile(lists / "b_cut.xml", perechen.substr(0, perechen.find('\n', perechen.size() * 2 / 3) + 1));
  FillClassifiers();
  TRunParams s;
  s.FRegNum = kRegNum;
  s.FDirPD = is.string();
  s.FDirList = lists.string();
  s.FMode = mWindow;
  s.SetUseUL(false);
  TSearcher searcher(work / "Temp");
  searcher.Run(s);
  ASSERT_EQ(searcher.fSets.size(), 1u);
  ASSERT_TRUE(searcher.fSets[0]->FList);
  EXPECT_EQ(searcher.fSets[0]->FList->fFileName, (lists / "a_complete.xml").string());
  EXPECT_EQ(searcher.fDamagedInputs, 1);
  std::string messages;
  for (const auto& m : searcher.fSearchErrors) messages += m->FMessage + "\n";
  EXPECT_TRUE(Has(messages, "Не удалось прочитать файл XML " + (lists / "b_cut.xml").string() + ": документ оборван"))
      << messages;
}

TEST_F(IntegrityTest, SameNamedEntriesOfFoldersAndArchivesAreAllRead) {
  int line = 0;
  const std::string damaged = WithBareAmpersand(line);
  test::WriteZipArchive(is / "a.zip", {{"x/same.xml", ExampleIs()}, {"y/same.xml", ExampleIs()}});
  test::WriteZipArchive(is / "b.zip", {{"same.xml", ExampleIs()}, {"x/same.xml", damaged}});
  ConfigureExampleServer();
  TRun run = Run({"/bpi", kRegNum});
  EXPECT_EQ(run.Code, 30) << run.Output;
  const std::string protocol = Protocol(reports);
  // The protocol names each pack by its archive and entry.
  for (const fs::path& kept :
       {is / "a.zip" / "x" / "same.xml", is / "a.zip" / "y" / "same.xml", is / "b.zip" / "same.xml"})
    EXPECT_TRUE(Has(protocol, "<td>" + kept.string() + "</td>")) << kept << protocol;
  EXPECT_TRUE(Has(protocol, "<b>Всего исходных: 3</b>")) << protocol;
  EXPECT_TRUE(Has(protocol, "Не удалось прочитать файл XML " + (is / "b.zip" / "x" / "same.xml").string()));
  EXPECT_TRUE(fs::is_empty(config / "Zazoru" / "Temp"));
}

// The protocol without what differs from run to run: dates and times.
std::string WithoutTimes(std::string protocol) {
  static const std::regex times(R"(\d\d\.\d\d\.\d{4}|\d\d:\d\d(:\d\d)?)");
  return std::regex_replace(protocol, times, "#");
}

TEST_F(IntegrityTest, ConcurrentRunsWithOneConfigurationEachGiveTheirOwnProtocol) {
  // Three employers' intakes that differ, each an archive with the same entry name, and a letter
  // whose name holds the number.
  const std::string whole = ExampleIs();
  auto withoutPerson = [&](int n) {
    size_t from = 0;
    for (int i = 0; i < n; ++i) from = whole.find("<ЗЛ>", from + 1);
    return whole.substr(0, from) + whole.substr(whole.find("</ЗЛ>", from) + std::string("</ЗЛ>").size());
  };
  const std::vector<std::string> variants = {whole, withoutPerson(1), withoutPerson(2)};
  ConfigureExampleServer();
  std::vector<std::string> alone;
  for (size_t i = 0; i < variants.size(); ++i) {
    const fs::path dir = work / ("is" + std::to_string(i)), out = work / ("reports" + std::to_string(i));
    fs::create_directories(out);
    test::WriteZipArchive(dir / "same.zip", {{"same.xml", variants[i]}});
    test::WriteFile(dir / "письмо_087-104-003215.xml", "<Письмо>Сведения за 2023 год</Письмо>");
    TRun run = Run({"bpi", dir.string(), out.string()});
    EXPECT_EQ(run.Code, 30) << run.Output;
    alone.push_back(WithoutTimes(Protocol(out)));
    fs::remove(out / kProtocolName);
  }
  ASSERT_NE(alone[0], alone[1]);
  ASSERT_NE(alone[1], alone[2]);

  for (int round = 0; round < 2; ++round) {
    std::vector<pid_t> pids;
    for (size_t i = 0; i < variants.size(); ++i)
      pids.push_back(Start(
          {"bpi", (work / ("is" + std::to_string(i))).string(), (work / ("reports" + std::to_string(i))).string()},
          work / ("out" + std::to_string(i) + ".txt")));
    for (size_t i = 0; i < variants.size(); ++i) {
      SCOPED_TRACE("run " + std::to_string(i));
      EXPECT_EQ(Wait(pids[i]), 30) << test::ReadFile(work / ("out" + std::to_string(i) + ".txt"));
      const fs::path out = work / ("reports" + std::to_string(i));
      EXPECT_EQ(WithoutTimes(Protocol(out)), alone[i]);
      fs::remove(out / kProtocolName);
    }
  }
  EXPECT_TRUE(fs::is_empty(config / "Zazoru" / "Temp"));
}

// The log without what differs from run to run: times, the run's temporary folder, stack frames.
std::vector<std::string> LogLinesWithoutTimes(const std::string& log) {
  static const std::regex times(R"(\d\d\.\d\d\.\d{4} \d\d\.\d\d\.\d\d\.\d{3})");
  static const std::regex temp(R"(Temp/[^/ ]+)");
  std::vector<std::string> lines;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);)
    if (!line.starts_with("    "))
      lines.push_back(std::regex_replace(std::regex_replace(line, times, "#"), temp, "Temp/#"));
  return lines;
}

TEST_F(IntegrityTest, FilesReadOnTwoThreadsGiveTheSameProtocolAndLogAsOnOne) {
  const std::string whole = ExampleIs();
  const size_t first = whole.find("    <ЗЛ>"), end = whole.find("  </СЗВ-СТАЖ>");
  // The example's persons many times over under other numbers: read last of all the files (the
  // last name is read first) and slowest, so that the others are done before it.
  std::string many = whole.substr(0, first);
  for (int copy = 0; copy < 300; ++copy) {
    char prefix[12];  // room for any int
    std::snprintf(prefix, sizeof prefix, "%03d", 600 + copy);
    many += std::regex_replace(whole.substr(first, end - first), std::regex(R"(<СНИЛС>\d\d\d)"),
                               std::string("<СНИЛС>") + prefix);
  }
  many += whole.substr(end);
  test::WriteFile(is / "z_many.xml", many);
  test::WriteFile(is / kIsName, whole);
  int line = 0;
  test::WriteFile(is / "b_damaged.xml", WithBareAmpersand(line));
  // A period that cannot be read: the person's file is read all the same, with a message.
  test::WriteFile(is / "c_bad_period.xml", ReplaceAll(whole, "<УТ2:С>2023-11-01</УТ2:С>", "<УТ2:С>2023-11-31</УТ2:С>"));
  test::WriteFile(is / "ФЗЖ_другой.xml", ReplaceAll(whole, kRegNum, "087-104-999999"));
  test::WriteZipArchive(is / "f.zip", {{"inner.xml", ReplaceAll(whole, "112-233-445 95", "112-233-445 96")},
                                       {"broken.xml", whole.substr(0, whole.size() / 2)}});
  ConfigureExampleServer();

  auto runWith = [&](unsigned threads) {
    TRun run = RunInProcess([&](TSearcher& s) { s.fReadingThreads = threads; });
    const fs::path kept = work / ("reports-" + std::to_string(threads));
    fs::rename(reports, kept);
    fs::create_directories(reports);
    return std::make_pair(run, WithoutTimes(Protocol(kept)));
  };
  const auto [one, oneProtocol] = runWith(1);
  const auto [two, twoProtocol] = runWith(2);
  EXPECT_EQ(one.Code, 30) << one.Log;
  EXPECT_EQ(two.Code, one.Code);
  EXPECT_EQ(twoProtocol, oneProtocol);
  EXPECT_EQ(LogLinesWithoutTimes(two.Log), LogLinesWithoutTimes(one.Log));
  // What the files hold reached the protocol: not a comparison of two empty runs.
  EXPECT_TRUE(Has(oneProtocol, "600-233-445 95")) << oneProtocol;
  EXPECT_TRUE(Has(oneProtocol, "Не удалось прочитать файл XML " + (is / "b_damaged.xml").string()));
  EXPECT_TRUE(Has(oneProtocol, "Не удалось прочитать файл XML " + (is / "f.zip" / "broken.xml").string()));
  EXPECT_TRUE(Has(oneProtocol, "Ошибка при разборе данных работника 415-226-337 48"));
  EXPECT_TRUE(Has(one.Log, "***отрабатываем " + (is / "z_many.xml").string()));
}

TEST_F(IntegrityTest, FilesOfTheConfigurationThatAreNotWhatTheySeem) {
  test::WriteFile(is / kIsName, ExampleIs());
  const fs::path data = config / "Zazoru";
  fs::create_directories(data);

  {  // A configuration file that exists but cannot be read: refused, named, left as it is.
    ASSERT_EQ(mkfifo((data / "ZazoruConfig.ini").c_str(), 0644), 0);
    TRun run = RunBatch();
    EXPECT_EQ(run.Code, 21) << run.Output;
    const std::string message = "Файл настроек " + (data / "ZazoruConfig.ini").string() + " не прочитан (";
    EXPECT_TRUE(Has(run.Output, message) && Has(run.Output, "не является обычным файлом")) << run.Output;
    EXPECT_TRUE(Has(run.Log, message)) << run.Log;
    // The windowed mode writes it back when it ends: not this one.
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    TWorkManager windowed(false);
    unsetenv("XDG_CONFIG_HOME");
    windowed.ReadIni();
    EXPECT_FALSE(windowed.ConfigError().empty());
    EXPECT_FALSE(windowed.WriteIni());
    EXPECT_TRUE(fs::is_fifo(data / "ZazoruConfig.ini"));
    EXPECT_FALSE(fs::exists(data / "RightList.txt"));
    fs::remove(data / "ZazoruConfig.ini");
  }

  ConfigureOffline();
  // Reference lists that would block the start or swell without end: refused at once, by name.
  fs::create_symlink("/dev/zero", data / "RightList.txt");
  TRun zero = RunBatch();
  EXPECT_EQ(zero.Code, 29) << zero.Output;
  EXPECT_TRUE(Has(zero.Output, (data / "RightList.txt").string()) && Has(zero.Output, "не является обычным файлом"))
      << zero.Output;
  fs::remove(data / "RightList.txt");
  ASSERT_EQ(mkfifo((data / "CrossingList.txt").c_str(), 0644), 0);
  TRun fifo = RunBatch();
  EXPECT_EQ(fifo.Code, 29) << fifo.Output;
  EXPECT_TRUE(Has(fifo.Output, (data / "CrossingList.txt").string())) << fifo.Output;
  fs::remove(data / "CrossingList.txt");

  // A link in the place of Temp is taken away, never followed: its target keeps its files.
  ConfigureExampleServer();
  test::WriteFile(work / "victim" / "keep.xml", "<keep/>");
  fs::remove_all(data / "Temp");
  fs::create_directory_symlink(work / "victim", data / "Temp");
  TRun linked = RunBatch();
  EXPECT_EQ(linked.Code, 30) << linked.Output;
  EXPECT_EQ(test::ReadFile(work / "victim" / "keep.xml"), "<keep/>");
  EXPECT_FALSE(fs::is_symlink(data / "Temp"));
}

TEST_F(IntegrityTest, LeftoversOfKilledRunsGoOnlyOnceTheirOwnersAreGone) {
  test::WriteFile(is / kIsName, ExampleIs());
  ConfigureExampleServer();
  pid_t dead = fork();
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
  const std::string deadPid = std::to_string(dead), livePid = std::to_string(getpid());
  const fs::path data = config / "Zazoru";
  // A protocol and a configuration whose writers were killed midway, and one still being written.
  const fs::path killedProtocol = reports / (kProtocolName + ".tmp-" + deadPid + "-Ab3dEf");
  const fs::path writing = reports / (kProtocolName + ".tmp-" + livePid + "-Gh5jKl");
  const fs::path killedIni = data / ("ZazoruConfig.ini.tmp-" + deadPid + "-Mn7pQr");
  for (const fs::path& f : {killedProtocol, writing, killedIni}) test::WriteFile(f, std::string(1000, 'x'));
  // An unpacking directory of a run that died, and one of a run that still holds it.
  test::WriteFile(data / "Temp" / ("run-" + deadPid + "-AAAAAA") / ".owner", "");
  test::WriteFile(data / "Temp" / ("run-" + deadPid + "-AAAAAA") / "1-a.zip" / "x.xml", "<x/>");
  test::WriteFile(data / "Temp" / ("run-" + livePid + "-BBBBBB") / ".owner", "");
  int held = open((data / "Temp" / ("run-" + livePid + "-BBBBBB") / ".owner").c_str(), O_RDONLY);
  ASSERT_EQ(flock(held, LOCK_EX), 0);

  TRun run = RunBatch();
  EXPECT_EQ(run.Code, 30) << run.Output;
  EXPECT_FALSE(fs::exists(killedProtocol));
  EXPECT_FALSE(fs::exists(killedIni));
  EXPECT_FALSE(fs::exists(data / "Temp" / ("run-" + deadPid + "-AAAAAA")));
  EXPECT_TRUE(fs::exists(writing));
  EXPECT_TRUE(fs::exists(data / "Temp" / ("run-" + livePid + "-BBBBBB")));
  close(held);
}

TEST_F(IntegrityTest, WaitForABusyReportDirectoryIsAnnouncedAndBounded) {
  test::WriteFile(is / kIsName, ExampleIs());
  WriteConfig("[Options]\nDebug=0\nWithList=0\nTerritoryControl=1\nLockWait=0\n");
  int held = open((reports / ".zazoru.lock").c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  TRun run = RunBatch();
  close(held);
  EXPECT_EQ(run.Code, 29) << run.Output;
  const std::string busy = "Каталог протокола " + reports.string() + " занят другой сверкой";
  EXPECT_TRUE(Has(run.Output, busy + ", ожидаем её завершения (не дольше 0 мин.)")) << run.Output;
  EXPECT_TRUE(Has(run.Output, busy + " дольше 0 с; сверка не выполнена")) << run.Output;
  EXPECT_TRUE(Has(run.Log, "[ОШИБКА]") && Has(run.Log, busy)) << run.Log;
  EXPECT_TRUE(ListFilesByExtension(reports, ".html").empty());
}

TEST_F(IntegrityTest, NamesAndNumbersFromOutsideCannotForgeLogLinesOrPaths) {
  // A damaged entry whose name carries a line break, an escape sequence and a bell.
  test::WriteZipArchive(is / "forged.zip", {{"a\n[ОШИБКА] 01.01.2024 поддельная запись\x1b[31m\a.xml", "<a>&</a>"}});
  ConfigureExampleServer();
  TRun run = Run({"/bpi", kRegNum});
  EXPECT_EQ(run.Code, 10) << run.Output;
  EXPECT_TRUE(Has(run.Log, "a\\n[ОШИБКА] 01.01.2024 поддельная запись\\x1B[31m\\x07.xml")) << run.Log;
  EXPECT_FALSE(Has(run.Log, "\n[ОШИБКА] 01.01.2024 поддельная"));
  EXPECT_FALSE(Has(run.Log, "\x1b"));

  // A number given after "/bpi" names the protocol file: only the number's form is taken.
  fs::remove_all(reports);
  fs::create_directories(reports);
  for (const std::string& number :
       {std::string("../../x"), std::string("087-104-00321/"), std::string("087-104-0032156")}) {
    SCOPED_TRACE(number);
    TRun hostile = Run({"/bpi", number});
    EXPECT_EQ(hostile.Code, 21) << hostile.Output;
    EXPECT_TRUE(Has(hostile.Log, "Не найден рег. номер")) << hostile.Log;
    EXPECT_TRUE(fs::is_empty(reports));
  }
}

}  // namespace
}  // namespace zz
