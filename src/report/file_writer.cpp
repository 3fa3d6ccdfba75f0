// Writing protocol files in code page 1251 with CR LF line ends.
#include "report/file_writer.h"

#include <stdexcept>

#include "base/strings.h"

namespace zz {

TCp1251FileWriter::TCp1251FileWriter(const std::filesystem::path& path, bool append) : fPath(path) {
  if (!append) {
    fAtomic = std::make_unique<TAtomicFile>(path);
    return;
  }
  fStream.open(path, std::ios::binary | std::ios::app);
  if (!fStream) throw std::runtime_error("Не удалось открыть файл " + path.string() + " для записи");
}

void TCp1251FileWriter::Check() {
  if (!fStream) throw std::runtime_error("Не удалось записать в файл " + fPath.string());
}

void TCp1251FileWriter::WriteLine(std::string_view line) { WriteRaw(Utf8ToCp1251Html(line) + "\r\n"); }

void TCp1251FileWriter::WriteRaw(const std::string& bytes) {
  if (fAtomic) {
    // Gathered here too: a large protocol would otherwise cost a system call per line.
    if (fPending.size() + bytes.size() < kPendingBytes) {
      fPending += bytes;
      return;
    }
    fAtomic->Write(fPending);
    fPending.clear();
    fAtomic->Write(bytes);
    return;
  }
  // The stream's own buffer gathers the lines: a part file gets a few large writes, not one per line.
  fStream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Check();
}

void TCp1251FileWriter::Flush() {
  if (fAtomic) return;
  fStream.flush();
  Check();
}

void TCp1251FileWriter::Commit() {
  if (!fAtomic) return;
  fAtomic->Write(fPending);
  fPending.clear();
  fAtomic->Commit();
}

}  // namespace zz
