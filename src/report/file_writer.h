#pragma once
// Protocol files: code page 1251 without a byte-order mark, CR LF line ends, flushed after each write.
#include <filesystem>
#include <fstream>

#include "report/stream_writer.h"

namespace zz {

class TCp1251FileWriter : public TStreamWriter {
 public:
  // Creates the file afresh, or appends to it; throws std::runtime_error when it cannot be opened.
  TCp1251FileWriter(const std::filesystem::path& path, bool append);
  void WriteLine(std::string_view line) override;
  // Copies bytes unchanged (an already encoded part file).
  void WriteRaw(const std::string& bytes);
  const std::filesystem::path& Path() const { return fPath; }

 private:
  void Check();
  std::filesystem::path fPath;
  std::ofstream fStream;
};

}  // namespace zz
