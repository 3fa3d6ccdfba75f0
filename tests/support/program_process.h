#pragma once
// The built programs started as a calling program starts them: the arguments as they are (no shell,
// so no name needs quoting), a configuration directory of the test's own, standard output and error
// into files, and a time limit after which the program is killed.
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace zz::test {

struct TProgramStart {
  std::vector<std::string> Args{};  // Args[0]: the program's path
  // The child's XDG_CONFIG_HOME; empty: the test's own environment.
  std::filesystem::path ConfigHome{};
  std::vector<std::string> Env{};       // more "NAME=value" for the child
  std::filesystem::path Cwd{};          // empty: the test's
  std::filesystem::path Output{};       // standard output, and error unless ErrorOutput is set
  std::filesystem::path ErrorOutput{};  // standard error apart
  bool NoCoreFile = false;              // a run that crashes on purpose leaves no core
};

// "<build directory>/<name>": zazoru, zazoru-batch, liverto-stub, gen-workload.
std::string BuiltProgram(const std::string& name = "zazoru");

// Words of an option list written in one string ("--jobs 2 --again"): none of them holds a blank.
std::vector<std::string> Words(const std::string& options);

pid_t StartProgram(const TProgramStart& start);
// The exit code of a started program: -1 ended by a signal, -2 still running after `limit`
// (it is killed then).
int WaitProgram(pid_t pid, std::chrono::seconds limit = std::chrono::seconds(300));
int RunProgramProcess(const TProgramStart& start, std::chrono::seconds limit = std::chrono::seconds(300));

}  // namespace zz::test
