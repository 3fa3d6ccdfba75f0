#pragma once
// Line-oriented text output of the protocol. Lines are UTF-8; the writer behind decides the line
// end and the code page.
#include <string>
#include <string_view>
#include <vector>

namespace zz {

class TStreamWriter {
 public:
  virtual ~TStreamWriter() = default;
  virtual void WriteLine(std::string_view line) = 0;
};

// Keeps the lines in memory.
class TStringWriter : public TStreamWriter {
 public:
  void WriteLine(std::string_view line) override { fLines.emplace_back(line); }
  const std::vector<std::string>& Lines() const { return fLines; }
  // The lines, each followed by "\n".
  std::string Text() const {
    std::string text;
    for (const auto& line : fLines) text += line + "\n";
    return text;
  }

 private:
  std::vector<std::string> fLines;
};

}  // namespace zz
