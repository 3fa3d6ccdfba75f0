#pragma once
// `zazoru intake`: a quarter's intake in one command. Every file under the IS root is grouped by the
// registration number in its name; each employer is reconciled by a child `zazoru bpi` into its own
// report directory, N at a time; summary.csv and index.html at the report root follow the runs.
#include <string>
#include <vector>

namespace zz {

// args[0] is the program, args[1] the word "intake". Returns the intake's exit code: 0 when every
// employer was reconciled (whatever its verdict), 29 when a run did not complete, 21 when the
// arguments or the settings are refused.
int RunIntake(const std::vector<std::string>& args);

std::string IntakeUsageText();

}  // namespace zz
