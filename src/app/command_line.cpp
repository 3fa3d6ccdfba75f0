// Parsing of the command line into the batch selector, the directories, the number and the flags.
#include "app/command_line.h"

#include <algorithm>

#include "base/strings.h"
#include "base/utils.h"

namespace zz {

namespace {

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

bool DigitsAt(const std::u32string& s, size_t from1, size_t to1) {
  for (size_t i = from1; i <= to1; ++i)
    if (i > s.size() || !IsDigit(s[i - 1])) return false;
  return true;
}

// 1-based position of the first "-", 0 when none.
size_t FirstHyphen(const std::u32string& s) {
  size_t p = s.find(U'-');
  return p == std::u32string::npos ? 0 : p + 1;
}

}  // namespace

std::string RegNumInFileName(const std::string& fileName) {
  std::u32string s = Utf8CodePoints(fileName);
  while (true) {
    if (s.size() < 14) return {};
    size_t p = FirstHyphen(s);
    if (p >= 4 && p + 4 <= s.size() && s[p + 4 - 1] == U'-') {
      s = s.substr(p - 4);  // three characters before the hyphen
      if (DigitsAt(s, 1, 3) && DigitsAt(s, 5, 7) && DigitsAt(s, 9, 14)) {
        std::string number;
        for (size_t i = 0; i < 14; ++i) number += static_cast<char>(s[i]);
        return number;
      }
      p = FirstHyphen(s);
      s = s.substr(p);
    } else {
      s = s.substr(p);
    }
    if (p == 0) return {};
  }
}

std::vector<std::string> RegNumsFromFileNames(const std::filesystem::path& directory) {
  std::vector<std::string> numbers;
  std::error_code ec;
  if (!std::filesystem::is_directory(directory, ec)) return numbers;
  for (const auto& file : ListFilesByExtension(directory, ".xml")) {
    std::string name = file.filename().string();
    bool known = std::any_of(numbers.begin(), numbers.end(), [&](const std::string& n) { return Contains(name, n); });
    if (known) continue;
    std::string number = RegNumInFileName(name);
    if (!number.empty()) numbers.push_back(number);
  }
  return numbers;
}

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  TCommandLine result;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string lower = Utf8Lower(args[i]);
    if (!result.Batch && Contains(lower, "bpi")) {
      result.Batch = true;
      if (i + 1 < args.size()) {
        // "/" separates the program's own path: only a real argument selects the number form.
        if (i > 0 && Contains(lower, "/bpi")) {
          result.RegNum = args[i + 1];
        } else {
          result.DirPD = args[i + 1];
          auto numbers = RegNumsFromFileNames(args[i + 1]);
          result.RegNum = numbers.empty() ? std::string() : numbers.front();
          // "bpi dir p" is the portable batch form, not a protocol directory named "p".
          if (i + 2 < args.size() && Utf8Lower(args[i + 2]) != "p") result.DirReport = args[i + 2];
        }
      }
    }
    if (!result.Portable && lower == "p") result.Portable = true;
    if (result.Batch && args[i] == "--findings") result.Findings = true;
    if (result.Batch && args[i] == "--regnum" && i + 1 < args.size()) result.RegNumOption = args[i + 1];
  }
  return result;
}

}  // namespace zz
