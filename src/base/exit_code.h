#pragma once
// The run exit code: one process-wide integer that every stage may set and that ends the process.

namespace zz {

enum TExitCode : int {
  ecOk = 0,
  ecWarnings = 1,
  ecNoISFiles = 10,
  ecNoSetFormed = 11,          // also: nothing found and no Perechen ever supplied
  ecNothingListSupplied = 12,  // nothing found, a Perechen was supplied before
  ecSettingsOrServer = 21,
  ecCorrectingOnly = 22,
  ecNoList = 23,
  ecNoMatchingIS = 25,
  ecCritical = 29,
  ecErrors = 30,
};

int RunExitCode();
void SetRunExitCode(int code);
// Keeps the larger of the current code and `code`.
void RaiseRunExitCode(int code);

// What a run's exit code tells the calling program, in a few words (for findings and summaries).
const char* ExitCodeMeaning(int code);

}  // namespace zz
