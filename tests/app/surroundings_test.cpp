// The program in surroundings that fail it: report directories it cannot write into, IS directories
// holding things that are no readable files, names with blanks, quotes and Cyrillic letters, a list
// server that breaks off, floods or stays silent, and hostile archives. Every case ends with a
// clear message and the exit code of its kind, never with a crash or a hang.
//
// Most runs start the built program as the calling software does; the runs that need limits
// smaller than a user's (a server reply bound, a server timeout, an unpacked-size bound) drive the
// batch work manager in this process instead.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/file.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <thread>

#include "app/exit_code.h"
#include "app/work_manager.h"
#include "list/the_list.h"
#include "search/list_acquisition.h"
#include "search/searcher.h"
#include "settings/classifiers.h"
#include "settings/strings.h"
#include "settings/utils.h"
#include "support/liverto_stub_process.h"
#include "support/process_state.h"
#include "support/test_support.h"
#include "support/zip_writer.h"

namespace zz {
namespace {

namespace fs = std::filesystem;

const fs::path kExample = fs::path(ZAZORU_SOURCE_DIR) / "examples" / "employer";
const std::string kRegNum = "087-104-003215";
const std::string kIsName = "087-104-003215_СЗВ-СТАЖ_2023.xml";
const std::string kProtocolName = "ZAZORU-2023-4-REGNO-087-104-003215.html";
const std::string kServerFailure =
    "Возникла ошибка при подключении к БД ПК &quot;Ливерто&quot;. Проверьте настройки подключения.";

std::string ExampleIs() { return test::ReadFile(kExample / "is" / kIsName); }

// Makes a directory immutable for as long as the object lives: not even root can create a file in
// it. Supported() is false on a file system without the attribute.
class TImmutableDir {
 public:
  explicit TImmutableDir(const fs::path& dir) : fDir(dir) { fOk = SetFlag(true); }
  ~TImmutableDir() {
    if (fOk) SetFlag(false);
  }
  bool Supported() const { return fOk; }

 private:
  bool SetFlag(bool on) {
    int fd = open(fDir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
  }
  fs::path fDir;
  bool fOk = false;
};

class SurroundingsTest : public test::FreshProcessTest {
 protected:
  test::TempDir work;
  fs::path config = work / "config";
  fs::path is = work / "is";
  fs::path reports = work / "reports";

  SurroundingsTest() {
    fs::create_directories(is);
    fs::create_directories(reports);
  }

  // No server: enough for the runs that end before the search.
  void ConfigureOffline() { WriteConfig("[Options]\nDebug=1\nWithList=0\nTerritoryControl=1\n"); }
  // The server at the port; "/bpi" runs take their directories from here.
  void ConfigureServer(int port) {
    WriteConfig("[Directories]\nIS=" + is.string() + "\nReport=" + reports.string() +
                "\n[LivertoServer]\nName=127.0.0.1\nPort=" + std::to_string(port) +
                "\nApp=list4\nConnect=1\n[Options]\nDebug=1\nTerritoryControl=1\n");
  }
  // A batch run always asks the server: the stand-in serves the example employer's Perechen.
  void ConfigureExampleServer() {
    if (!fStub) fStub = std::make_unique<test::TLivertoStubProcess>(kExample / "lists");
    ConfigureServer(fStub->Port());
  }
  std::unique_ptr<test::TLivertoStubProcess> fStub;
  void WriteConfig(const std::string& ini) { test::WriteFile(config / "Zazoru" / "ZazoruConfig.ini", ini); }

  struct TRun {
    int Code = -1;       // the exit code; -1 killed by a signal, -2 still running after the deadline
    std::string Output;  // standard output and error
    std::string Log;     // the log files the run wrote
  };

  // Starts the built program with the arguments (no shell in between); its output goes to `out`.
  pid_t Start(const std::vector<std::string>& args, const fs::path& out) {
    pid_t pid = fork();
    if (pid == 0) {
      setenv("XDG_CONFIG_HOME", config.c_str(), 1);
      int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(fd, STDOUT_FILENO);
      dup2(fd, STDERR_FILENO);
      std::vector<std::string> argv = {std::string(ZAZORU_BINARY_DIR) + "/zazoru"};
      argv.insert(argv.end(), args.begin(), args.end());
      std::vector<char*> raw;
      for (std::string& a : argv) raw.push_back(a.data());
      raw.push_back(nullptr);
      execv(raw[0], raw.data());
      _exit(127);
    }
    return pid;
  }

  // The exit code of a started program: -1 killed by a signal, -2 still running after 90 s.
  static int Wait(pid_t pid) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -2;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Starts the built program and waits at most 90 s.
  TRun Run(const std::vector<std::string>& args) {
    std::error_code ec;
    fs::remove_all(config / "Zazoru" / "logs", ec);
    const fs::path out = work / "out.txt";
    TRun run;
    run.Code = Wait(Start(args, out));
    run.Output = test::ReadFile(out);
    run.Log = Logs();
    return run;
  }
  TRun RunBatch() { return Run({"bpi", is.string(), reports.string()}); }

  // A batch run inside this process, as the program makes it, with the searcher's limits changed
  // first.
  TRun RunInProcess(const std::function<void(TSearcher&)>& limits) {
    std::error_code ec;
    fs::remove_all(config / "Zazoru" / "logs", ec);
    test::ResetProcessState();
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    std::string saved = oldXdg ? oldXdg : "";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    TRun run;
    {
      TSettings& settings = TSettings::GetInstance();
      settings.FRegNum = kRegNum;
      settings.FDirPD = is.string();
      settings.FDirReport = reports.string();
      TWorkManagerBPI manager(false);
      manager.createSearcher();
      limits(*manager.Searcher());
      try {
        manager.Prepare();
      } catch (const std::exception& e) {
        run.Output = e.what();
        SetRunExitCode(ecCritical);
      }
    }
    run.Code = RunExitCode();
    test::ResetProcessState();  // closes the log
    if (oldXdg) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
    run.Log = Logs();
    return run;
  }

  std::string Logs() {
    std::string all;
    for (const fs::path& f : ListFilesByExtension(config / "Zazoru" / "logs", ".log")) all += test::ReadFile(f);
    return all;
  }

  std::string Protocol(const fs::path& dir) {
    auto files = ListFilesByExtension(dir, ".html");
    EXPECT_EQ(files.size(), 1u);
    return files.empty() ? std::string() : Cp1251ToUtf8(test::ReadFile(files[0]));
  }
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(SurroundingsTest, ReportDirectoryMissingOrNotWritable) {
  test::WriteFile(is / kIsName, ExampleIs());
  ConfigureOffline();
  const std::string kNoDirectory = "Проверьте путь, где будет сохраняться протокол сверки! Такого каталога не существует!";

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
  const std::string declared = "Архив " + (is / "bomb.zip").string() +
                               " не распакован: распакованный размер архивов превышает 2147483648 байт";
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

// ---------------------------------------------------------------------------------------------
// Integrity: damaged input is refused whole and named, runs never see each other's files.

// The example's IS file with a bare "&" in the second person's surname; `line` gets its line.
std::string WithBareAmpersand(int& line) {
  std::string damaged = ExampleIs();
  const size_t at = damaged.find("Колобродова");
  damaged.insert(at, "Рога & ");
  line = 1 + static_cast<int>(std::count(damaged.begin(), damaged.begin() + static_cast<long>(at), '\n'));
  return damaged;
}

TEST_F(SurroundingsTest, DamagedIsFileIsRefusedWholeAndNamedWithItsReasonAndLine) {
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

TEST_F(SurroundingsTest, CutServerReplyTakesTheConnectionErrorPath) {
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

TEST_F(SurroundingsTest, DamagedLocalPerechenIsNotTakenAndIsNamed) {
  test::WriteFile(is / kIsName, ExampleIs());
  const fs::path lists = work / "lists";
  const std::string perechen = test::ReadFile(kExample / "lists" / "perechen_087-104-003215_2023_q4.xml");
  test::WriteFile(lists / "a_complete.xml", perechen);
  // Read after the complete one, it used to replace it with a part of itself.
  test::WriteFile(lists / "b_cut.xml", perechen.substr(0, perechen.find('\n', perechen.size() * 2 / 3) + 1));
  FillClassifiers();
  TSettings& s = TSettings::GetInstance();
  s.FRegNum = kRegNum;
  s.FDirPD = is.string();
  s.FDirList = lists.string();
  s.FMode = mWindow;
  s.SetUseUL(false);
  TSearcher searcher(work / "Temp");
  searcher.Run();
  ASSERT_EQ(searcher.fSets.size(), 1u);
  ASSERT_TRUE(searcher.fSets[0]->FList);
  EXPECT_EQ(searcher.fSets[0]->FList->fFileName, (lists / "a_complete.xml").string());
  EXPECT_EQ(searcher.fDamagedInputs, 1);
  std::string messages;
  for (const auto& m : searcher.fSearchErrors) messages += m->FMessage + "\n";
  EXPECT_TRUE(Has(messages, "Не удалось прочитать файл XML " + (lists / "b_cut.xml").string() + ": документ оборван"))
      << messages;
}

TEST_F(SurroundingsTest, SameNamedEntriesOfFoldersAndArchivesAreAllRead) {
  int line = 0;
  const std::string damaged = WithBareAmpersand(line);
  test::WriteZipArchive(is / "a.zip", {{"x/same.xml", ExampleIs()}, {"y/same.xml", ExampleIs()}});
  test::WriteZipArchive(is / "b.zip", {{"same.xml", ExampleIs()}, {"x/same.xml", damaged}});
  ConfigureExampleServer();
  TRun run = Run({"/bpi", kRegNum});
  EXPECT_EQ(run.Code, 30) << run.Output;
  const std::string protocol = Protocol(reports);
  // The protocol names each pack by its archive and entry.
  for (const fs::path& kept : {is / "a.zip" / "x" / "same.xml", is / "a.zip" / "y" / "same.xml", is / "b.zip" / "same.xml"})
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

TEST_F(SurroundingsTest, ConcurrentRunsWithOneConfigurationEachGiveTheirOwnProtocol) {
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
      pids.push_back(Start({"bpi", (work / ("is" + std::to_string(i))).string(), (work / ("reports" + std::to_string(i))).string()},
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
    if (!line.starts_with("    ")) lines.push_back(std::regex_replace(std::regex_replace(line, times, "#"), temp, "Temp/#"));
  return lines;
}

TEST_F(SurroundingsTest, FilesReadOnTwoThreadsGiveTheSameProtocolAndLogAsOnOne) {
  const std::string whole = ExampleIs();
  const size_t first = whole.find("    <ЗЛ>"), end = whole.find("  </СЗВ-СТАЖ>");
  // The example's persons many times over under other numbers: read last of all the files (the
  // last name is read first) and slowest, so that the others are done before it.
  std::string many = whole.substr(0, first);
  for (int copy = 0; copy < 300; ++copy) {
    char prefix[8];
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

TEST_F(SurroundingsTest, FilesOfTheConfigurationThatAreNotWhatTheySeem) {
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

TEST_F(SurroundingsTest, LeftoversOfKilledRunsGoOnlyOnceTheirOwnersAreGone) {
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

TEST_F(SurroundingsTest, WaitForABusyReportDirectoryIsAnnouncedAndBounded) {
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

TEST_F(SurroundingsTest, NamesAndNumbersFromOutsideCannotForgeLogLinesOrPaths) {
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
  for (const std::string& number : {std::string("../../x"), std::string("087-104-00321/"), std::string("087-104-0032156")}) {
    SCOPED_TRACE(number);
    TRun hostile = Run({"/bpi", number});
    EXPECT_EQ(hostile.Code, 21) << hostile.Output;
    EXPECT_TRUE(Has(hostile.Log, "Не найден рег. номер")) << hostile.Log;
    EXPECT_TRUE(fs::is_empty(reports));
  }
}

}  // namespace
}  // namespace zz
