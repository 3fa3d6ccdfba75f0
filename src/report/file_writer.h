#pragma once
// Protocol files: code page 1251 without a byte-order mark, CR LF line ends. Part files are
// appended to and flushed after each write; the protocol itself is written beside its name and
// renamed into place by Commit, so an interrupted run never leaves half a protocol over a whole one.
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "base/utils.h"
#include "results/stream_writer.h"

namespace zz {

class TCp1251FileWriter : public TStreamWriter {
 public:
  // Appends to the file, or creates it afresh; throws std::runtime_error when it cannot be opened.
  TCp1251FileWriter(const std::filesystem::path& path, bool append);
  void WriteLine(std::string_view line) override;
  // Copies bytes unchanged (an already encoded part file).
  void WriteRaw(const std::string& bytes);
  // Writes out what the appending writer still holds; throws std::runtime_error when that fails.
  // Call it when done: the destructor writes out the rest too, but cannot report a failure.
  void Flush();
  // A file created afresh replaces the previous one only now.
  void Commit();
  const std::filesystem::path& Path() const { return fPath; }

 private:
  void Check();
  std::filesystem::path fPath;
  std::ofstream fStream;                 // part files
  std::unique_ptr<TAtomicFile> fAtomic;  // the protocol
  std::string fPending;                  // the protocol's lines not yet written
  static constexpr size_t kPendingBytes = 64 * 1024;
};

}  // namespace zz
