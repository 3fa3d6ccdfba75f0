#pragma once
// Runs the built liverto-stub (the stand-in list server) as a child process on a free loopback port
// for the duration of a test, and reads the query lines it logs. Header-only, so that any test
// executable can use it without a change to the test support library.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace zz::test {

class TLivertoStubProcess {
 public:
  // The stub built into the build root.
  static std::filesystem::path StubPath() { return std::filesystem::path(ZAZORU_BINARY_DIR) / "liverto-stub"; }

  // Starts the stub serving `listDir` with the extra command-line arguments; returns once it listens.
  // Throws std::runtime_error when the stub cannot be started or does not report its port in time.
  explicit TLivertoStubProcess(const std::filesystem::path& listDir, const std::vector<std::string>& extraArgs = {}) {
    std::filesystem::path stub = StubPath();
    if (!std::filesystem::exists(stub))
      throw std::runtime_error("liverto-stub is not built: " + stub.string() + " (build the target liverto-stub)");
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe failed");
    std::vector<std::string> args = {stub.string(), "--dir", listDir.string(), "--port", "0"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    fPid = fork();
    if (fPid < 0) {
      close(out[0]);
      close(out[1]);
      throw std::runtime_error("fork failed");
    }
    if (fPid == 0) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    fOut = out[0];
    fcntl(fOut, F_SETFL, fcntl(fOut, F_GETFL) | O_NONBLOCK);

    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (fLines.empty()) {
      if (std::chrono::steady_clock::now() > deadline || !ReadAvailable(100)) {
        if (std::chrono::steady_clock::now() > deadline || Exited()) {
          Stop();
          throw std::runtime_error("liverto-stub did not start");
        }
      }
    }
    const std::string& first = fLines.front();
    size_t colon = first.rfind(':');
    fPort = colon == std::string::npos ? 0 : std::stoi(first.substr(colon + 1));
    fLines.erase(fLines.begin());
  }

  ~TLivertoStubProcess() { Stop(); }
  TLivertoStubProcess(const TLivertoStubProcess&) = delete;
  TLivertoStubProcess& operator=(const TLivertoStubProcess&) = delete;

  int Port() const { return fPort; }
  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(fPort); }

  // The query lines logged so far ("GET /app/GetList?..."), in order. The stub logs a query before
  // it answers, so every query whose reply has arrived is listed.
  std::vector<std::string> Queries() {
    while (ReadAvailable(20)) {
    }
    return fLines;
  }

  // Ends the stub and waits for it; a second call does nothing.
  void Stop() {
    if (fPid > 0) {
      kill(fPid, SIGTERM);
      int status = 0;
      waitpid(fPid, &status, 0);
      fPid = -1;
    }
    if (fOut >= 0) {
      close(fOut);
      fOut = -1;
    }
  }

 private:
  bool Exited() {
    int status = 0;
    return fPid > 0 && waitpid(fPid, &status, WNOHANG) == fPid ? (fPid = -1, true) : false;
  }

  // Reads what the stub wrote within the wait; true when something arrived.
  bool ReadAvailable(int waitMs) {
    if (fOut < 0) return false;
    pollfd p{fOut, POLLIN, 0};
    if (poll(&p, 1, waitMs) <= 0) return false;
    char buf[4096];
    ssize_t n = read(fOut, buf, sizeof buf);
    if (n <= 0) return false;
    fPartial.append(buf, static_cast<size_t>(n));
    size_t nl;
    while ((nl = fPartial.find('\n')) != std::string::npos) {
      fLines.push_back(fPartial.substr(0, nl));
      fPartial.erase(0, nl + 1);
    }
    return true;
  }

  pid_t fPid = -1;
  int fOut = -1;
  int fPort = 0;
  std::string fPartial;
  std::vector<std::string> fLines;
};

}  // namespace zz::test
