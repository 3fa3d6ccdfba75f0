#pragma once
// What the intake's tests share: the example employer's IS file under other numbers and names, and
// an IS root, a report root and a configuration whose list server is the stand-in on loopback.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "base/strings.h"
#include "support/liverto_stub_process.h"
#include "support/program_process.h"
#include "support/test_support.h"

namespace zz::test {

inline const std::filesystem::path kExample = std::filesystem::path(ZAZORU_SOURCE_DIR) / "examples" / "employer";
inline const std::string kExampleRegNum = "087-104-003215";
inline const std::string kExampleOrg = "МУП \"Теплосеть Заречного района\"";

// The example employer's IS file, rewritten for another registration number (and organisation).
inline std::string ISFileOf(const std::string& regNum, const std::string& org = kExampleOrg) {
  std::string file = ReadFile(kExample / "is" / (kExampleRegNum + "_СЗВ-СТАЖ_2023.xml"));
  return ReplaceAll(ReplaceAll(file, kExampleRegNum, regNum), kExampleOrg, org);
}

// Lines without their ends, CR LF or LF.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

inline bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class IntakeFixture : public ::testing::Test {
 protected:
  TempDir work;
  std::filesystem::path is = work / "is";
  std::filesystem::path reports = work / "reports";
  std::filesystem::path config = work / "config";
  // The example's Perechen only: the territorial check alone needs none for the others.
  TLivertoStubProcess stub{kExample / "lists"};
  std::string program = BuiltProgram();

  explicit IntakeFixture(const std::string& options = "") {
    std::filesystem::create_directories(is);
    WriteFile(config / "Zazoru" / "ZazoruConfig.ini",
              "[LivertoServer]\nName=127.0.0.1\nPort=" + std::to_string(stub.Port()) +
                  "\nApp=list4\nConnect=1\n[Options]\nWithList=0\nTerritoryControl=1\n" + options);
  }

  std::string Env() const { return "XDG_CONFIG_HOME='" + config.string() + "' "; }
  // The program with the arguments; its output in `output`.
  int Run(const std::vector<std::string>& args, const std::filesystem::path& output) {
    TProgramStart start{{program}, config};
    start.Args.insert(start.Args.end(), args.begin(), args.end());
    start.Output = output;
    return RunProgramProcess(start);
  }
  // "intake <IS root> <report root>" and the options of `extra`.
  std::vector<std::string> IntakeArgs(const std::filesystem::path& root, const std::string& extra) const {
    std::vector<std::string> args = {"intake", is.string(), root.string()};
    for (std::string& word : Words(extra)) args.push_back(std::move(word));
    return args;
  }
  nlohmann::json Findings(const std::string& regNum, const std::filesystem::path& reportRoot = {}) {
    const std::filesystem::path file = (reportRoot.empty() ? reports : reportRoot) / regNum / "findings.json";
    if (!std::filesystem::exists(file)) return nlohmann::json::value_t::discarded;
    return nlohmann::json::parse(ReadFile(file), nullptr, false);
  }
};

}  // namespace zz::test
