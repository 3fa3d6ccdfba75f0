#pragma once
// The exit codes of a run, as the calling program sees them. Each stage returns what it decides;
// the program's top combines them into the one code the process ends with.

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

// What a run's exit code tells the calling program, in a few words (for findings and summaries).
const char* ExitCodeMeaning(int code);

}  // namespace zz
