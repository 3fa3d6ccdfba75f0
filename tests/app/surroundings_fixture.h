#pragma once
// The fixture of the tests that put the program in failing surroundings: fresh configuration, IS and
// report directories, the built program and the list-server stand-in, and readers of what a run left.
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

#include "app/work_manager.h"
#include "base/exit_code.h"
#include "base/strings.h"
#include "base/utils.h"
#include "list/the_list.h"
#include "search/list_acquisition.h"
#include "search/searcher.h"
#include "settings/classifiers.h"
#include "support/liverto_stub_process.h"
#include "support/process_state.h"
#include "support/program_process.h"
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
    test::TProgramStart start{{test::BuiltProgram()}, config};
    start.Args.insert(start.Args.end(), args.begin(), args.end());
    start.Output = out;
    return test::StartProgram(start);
  }

  // The exit code of a started program: -1 killed by a signal, -2 still running after 90 s.
  static int Wait(pid_t pid) { return test::WaitProgram(pid, std::chrono::seconds(90)); }

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
        run.Code = manager.ExitCode();
      } catch (const std::exception& e) {
        run.Output = e.what();
        run.Code = ecCritical;
      }
    }
    test::ResetProcessState();  // closes the log
    if (oldXdg)
      setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
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

}  // namespace
}  // namespace zz
