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

#include <chrono>
#include <cstdlib>
#include <thread>

#include "app/exit_code.h"
#include "app/work_manager.h"
#include "search/list_acquisition.h"
#include "search/searcher.h"
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

  // Starts the built program with the arguments (no shell in between) and waits at most 90 s.
  TRun Run(const std::vector<std::string>& args) {
    std::error_code ec;
    fs::remove_all(config / "Zazoru" / "logs", ec);
    const fs::path out = work / "out.txt";
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
    TRun run;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        run.Code = -2;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (run.Code != -2) run.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
  EXPECT_TRUE(Has(run.Log, "---файл " + (is / "mem.xml").string() + " не прочитан: ошибка чтения файла")) << run.Log;
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
  EXPECT_TRUE(Has(run.Log, "***отрабатываем " + (config / "Zazoru" / "Temp" / "Письмо \"о сдаче\" 'отчёта'.xml").string()));
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
  EXPECT_TRUE(Has(run.Log, "***отрабатываем " + (config / "Zazoru" / "Temp" / kIsName).string())) << run.Log;
  EXPECT_TRUE(Has(run.Log, "---архив " + (is / "bomb.zip").string() +
                               " не распакован: распакованный размер архива превышает 2147483648 байт"))
      << run.Log;
  for (const char* name : {"cut.zip", "corrupt.zip"})
    EXPECT_TRUE(Has(run.Log, "---архив " + (is / name).string() + " не распакован: архив ")) << name << run.Log;
  std::error_code ec;
  fs::remove(outside, ec);

  // A real bomb: 64 MiB of zeros packed into a few kilobytes, against a bound of 16 MiB.
  for (const char* name : {"escape.zip", "bomb.zip", "cut.zip", "corrupt.zip"}) fs::remove(is / name);
  fs::remove(reports / kProtocolName);
  test::WriteZipArchive(is / "zeros.zip", {{"zeros.xml", std::string(1 << 20, '\0'), 64}});
  EXPECT_LT(fs::file_size(is / "zeros.zip"), 1u << 20);
  TRun bomb = RunInProcess([](TSearcher& s) { s.fUnpackLimits.MaxTotalBytes = 16 << 20; });
  EXPECT_EQ(bomb.Code, 10) << bomb.Output;
  EXPECT_TRUE(Has(bomb.Log, "---архив " + (is / "zeros.zip").string() +
                                " не распакован: распакованный размер архива превышает 16777216 байт"))
      << bomb.Log;
  EXPECT_FALSE(fs::exists(config / "Zazoru" / "Temp" / "zeros.xml"));
}

}  // namespace
}  // namespace zz
