#pragma once
// The command line: batch selector ("bpi" anywhere in an argument, "/bpi" for the number form),
// the portable switch "p", and the values that follow the selector.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zz {

struct TCommandLine {
  bool Batch = false;
  bool Portable = false;
  std::optional<std::string> RegNum;     // set by both batch forms (possibly empty)
  std::optional<std::string> DirPD;      // "bpi" dir
  std::optional<std::string> DirReport;  // "bpi" dir report
  // Options of the batch forms for calling programs (the intake): "--findings" writes findings.json;
  // "--regnum N" names the employer when the directory's "*.xml" names cannot (archives only).
  bool Findings = false;
  std::optional<std::string> RegNumOption;
};

// args[0] is the program's own path and is examined too.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

// Registration numbers (NNN-NNN-NNNNNN) found in the names of the directory's "*.xml" files,
// each once, in listing order. Empty when the directory does not exist.
std::vector<std::string> RegNumsFromFileNames(const std::filesystem::path& directory);
// The first registration number found in one file name, or empty.
std::string RegNumInFileName(const std::string& fileName);

}  // namespace zz
