// One employer's job: its staging directory of links, its command line, whether it is current.
#include "app/intake_jobs.h"

#include <fstream>
#include <set>
#include <stdexcept>

#include "app/intake_inputs.h"
#include "app/intake_looking.h"
#include "base/strings.h"
#include "base/utils.h"
#include "report/findings.h"
#include "search/staged_names.h"

namespace zz {

namespace fs = std::filesystem;

namespace {

std::string UniqueName(const fs::path& file, std::set<std::string>& taken) {
  std::string name = file.filename().string();
  for (int k = 2; !taken.insert(name).second; ++k)
    name = file.stem().string() + "_" + std::to_string(k) + file.extension().string();
  return name;
}

}  // namespace

void StageEmployer(const TIntakeLayout& layout, const TIntakeEmployer& employer) {
  const fs::path staging = layout.StagingDir(employer.RegNum);
  std::error_code ec;
  fs::remove_all(staging, ec);
  fs::create_directories(staging, ec);
  if (ec) throw std::runtime_error("Не удалось создать каталог " + staging.string() + ": " + ec.message());
  fs::create_directories(layout.ReportDir(employer.RegNum), ec);
  if (ec) throw std::runtime_error("Не удалось создать каталог " + layout.ReportDir(employer.RegNum).string());
  std::set<std::string> taken;
  // The run names each file where the user put it: a link by its target, anything else by its line.
  TStagedNames names;
  names.LinksShowTargets = true;
  for (const fs::path& file : employer.Files) {
    fs::path target = staging / UniqueName(file, taken);
    fs::create_symlink(fs::absolute(file), target, ec);
    if (!ec) continue;
    fs::copy_file(file, target, fs::copy_options::overwrite_existing, ec);
    if (ec) throw std::runtime_error("Не удалось подготовить файл " + file.string() + ": " + ec.message());
    names.Shown[target.filename().string()] = fs::absolute(file).string();
  }
  StageArchiveEntries(employer.Entries, staging, taken, names);
  if (names.Shown.empty() && names.Refused.empty()) {
    // Links alone: the folder takes the one names file all such folders share.
    const fs::path shared = staging.parent_path() / kStagedNamesFile;
    if (!fs::exists(fs::symlink_status(shared, ec))) WriteStagedNames(staging.parent_path(), names);
    fs::create_hard_link(shared, staging / kStagedNamesFile, ec);
    if (!ec) return;
  }
  WriteStagedNames(staging, names);
}

TIntakeJob MakeJob(const TIntakeLayout& layout, const TIntakeEmployer& employer, const fs::path& program,
                   bool portable) {
  TIntakeJob job;
  job.RegNum = employer.RegNum;
  job.Argv = {program.string(),
              "bpi",
              layout.StagingDir(employer.RegNum).string(),
              layout.ReportDir(employer.RegNum).string(),
              "--regnum",
              employer.RegNum,
              "--findings"};
  if (portable) job.Argv.push_back("p");
  return job;
}

std::string ShellCommandLine(const std::vector<std::string>& argv) {
  std::string line;
  for (const std::string& arg : argv) {
    if (!line.empty()) line += ' ';
    line += '\'';
    for (char c : arg) line += c == '\'' ? std::string("'\\''") : std::string(1, c);
    line += '\'';
  }
  return line;
}

bool IsEmployerCurrent(const TIntakeLayout& layout, const TInputsRecords& records, const std::string& regNum,
                       const std::string& inputs) {
  std::optional<TInputsRecord> record = records.Find(regNum, TInputsRecordKind::Done);
  if (!record || !IsVerdictCode(record->ExitCode) || record->Inputs != inputs) return false;
  const fs::path dir = layout.ReportDir(regNum);
  std::optional<TFindingsHead> findings = ReadFindingsHead(dir);
  if (!findings || findings->Protocol.empty() || findings->RegNum != regNum || findings->ExitCode != record->ExitCode)
    return false;
  std::error_code ec;
  return fs::is_regular_file(dir / findings->Protocol, ec);
}

void WriteManifest(const TIntakeLayout& layout, const TIntakeGroups& groups) {
  std::error_code ec;
  fs::create_directories(layout.WorkDir(), ec);
  // Every name escaped: a newline or a tab in a file's name must not make a line of its own.
  auto field = [](const fs::path& p) { return EscapeTextField(fs::absolute(p).string()); };
  std::string text;
  for (const auto& e : groups.Employers) {
    for (const auto& f : e.Files) text += e.RegNum + '\t' + field(f) + '\n';
    for (const auto& entry : e.Entries)
      text += e.RegNum + '\t' + field(entry.Archive) + '\t' + EscapeTextField(entry.Name) + '\n';
  }
  for (const auto& f : groups.Unassigned) text += '\t' + field(f.Path) + '\t' + EscapeTextField(f.Reason) + '\n';
  WriteFileAtomically(layout.ManifestFile(), text);
}

std::optional<TIntakeGroups> ReadManifest(const TIntakeLayout& layout) {
  std::ifstream in(layout.ManifestFile(), std::ios::binary);
  if (!in) return std::nullopt;
  TIntakeGroups groups;
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> fields = Split(line, '\t');
    if (fields.size() < 2 || fields.size() > 3) continue;
    const std::string& number = fields[0];
    fs::path file = UnescapeTextField(fields[1]);
    std::string third = fields.size() == 3 ? UnescapeTextField(fields[2]) : std::string();
    if (number.empty()) {
      groups.Unassigned.push_back({file, third});
      continue;
    }
    // Only what this program wrote makes an employer.
    if (!IsRegNumForm(number)) continue;
    if (groups.Employers.empty() || groups.Employers.back().RegNum != number)
      groups.Employers.push_back({number, {}, {}});
    if (fields.size() == 3)
      groups.Employers.back().Entries.push_back({file, third, 0});
    else
      groups.Employers.back().Files.push_back(file);
  }
  return groups;
}

}  // namespace zz
