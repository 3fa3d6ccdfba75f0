#pragma once
// What the intake hands to a child run: a staging directory holding links to the employer's files,
// its report directory, and the `zazoru bpi` command line that reconciles it. The same job runs
// under the intake, under GNU parallel or in a scheduler's job array.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/intake_grouping.h"

namespace zz {

class TInputsRecords;

// The intake's own files under the report root.
struct TIntakeLayout {
  std::filesystem::path ISRoot;
  std::filesystem::path ReportRoot;

  std::filesystem::path WorkDir() const { return ReportRoot / ".intake"; }
  std::filesystem::path StagingDir(const std::string& regNum) const { return WorkDir() / "staging" / regNum; }
  std::filesystem::path OutputFile(const std::string& regNum) const { return WorkDir() / "output" / (regNum + ".txt"); }
  std::filesystem::path ManifestFile() const { return WorkDir() / "manifest.tsv"; }
  std::filesystem::path DigestCacheFile() const { return WorkDir() / "digests.txt"; }
  // Where the IS root was, for --summarize to look at the files as they are now.
  std::filesystem::path ISRootFile() const { return WorkDir() / "is-root.txt"; }
  std::filesystem::path ReportDir(const std::string& regNum) const { return ReportRoot / regNum; }
};

struct TIntakeJob {
  std::string RegNum;
  std::vector<std::string> Argv;  // the child's command line, program first
};

// Lays the employer's staging directory anew (links, or copies where links cannot be made) and
// creates its report directory. Two files of one name from different folders both stay: the later
// one gets "_2", "_3" ... before its extension. Throws std::runtime_error when it cannot.
void StageEmployer(const TIntakeLayout& layout, const TIntakeEmployer& employer);

TIntakeJob MakeJob(const TIntakeLayout& layout, const TIntakeEmployer& employer, const std::filesystem::path& program,
                   bool portable);

// The command line as one line a POSIX shell runs unchanged (GNU parallel, a job array's script).
std::string ShellCommandLine(const std::vector<std::string>& argv);

// An employer is current when its last run completed with a verdict, left its findings and protocol,
// and read exactly the inputs it has now (`inputs`: InputsText of its files).
bool IsEmployerCurrent(const TIntakeLayout& layout, const TInputsRecords& records, const std::string& regNum,
                       const std::string& inputs);

// The grouping as the summary needs it later (--summarize): one line per file, "<regnum>\t<path>",
// "<regnum>\t<archive>\t<entry>" for an archive's entry, "\t<path>\t<reason>" for a file not
// assigned; every field escaped (EscapeTextField).
void WriteManifest(const TIntakeLayout& layout, const TIntakeGroups& groups);
std::optional<TIntakeGroups> ReadManifest(const TIntakeLayout& layout);

}  // namespace zz
