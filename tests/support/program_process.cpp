// Starting the built programs from the tests and waiting for them.
#include "support/program_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <thread>

namespace zz::test {

std::string BuiltProgram(const std::string& name) { return std::string(ZAZORU_BINARY_DIR) + "/" + name; }

std::vector<std::string> Words(const std::string& options) {
  std::vector<std::string> words;
  std::istringstream in(options);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

pid_t StartProgram(const TProgramStart& start) {
  // Everything the child needs is made before the fork: after it, only async-signal-safe calls.
  std::vector<std::string> env = start.Env;
  if (!start.ConfigHome.empty()) env.push_back("XDG_CONFIG_HOME=" + start.ConfigHome.string());
  std::vector<std::string> args = start.Args;
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid != 0) return pid;
  for (std::string& e : env) putenv(e.data());
  if (start.NoCoreFile) {
    rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
  }
  if (!start.Cwd.empty() && chdir(start.Cwd.c_str()) != 0) _exit(126);
  if (!start.Output.empty()) {
    int fd = open(start.Output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, STDOUT_FILENO);
    dup2(fd, STDERR_FILENO);
  }
  if (!start.ErrorOutput.empty()) {
    int fd = open(start.ErrorOutput.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, STDERR_FILENO);
  }
  execv(argv[0], argv.data());
  _exit(127);
}

int WaitProgram(pid_t pid, std::chrono::seconds limit) {
  if (pid < 0) return -1;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -2;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunProgramProcess(const TProgramStart& start, std::chrono::seconds limit) {
  return WaitProgram(StartProgram(start), limit);
}

}  // namespace zz::test
