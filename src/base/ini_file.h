#pragma once
// A small INI file: "[Section]" lines and "Key=Value" lines. Section and key names compare without
// regard to letter case; values are trimmed and lose one pair of surrounding quotes (a value that
// would change so is written quoted); a missing key reads as the caller's default; writing a key
// keeps every other key, line order and comment of the file.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/dates.h"

namespace zz {

class TIniFile {
 public:
  // Reads the file when it exists; a missing file is an empty one. A file that exists but cannot be
  // read reads as empty too, and ReadError says why: such a file must not be written over.
  explicit TIniFile(std::filesystem::path path);

  const std::string& ReadError() const { return fReadError; }

  std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
  // Not a valid decimal integer → the default.
  int ReadInteger(const std::string& section, const std::string& key, int def) const;
  // An integer, 0 = off, anything else = on; not an integer → the default.
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;
  // "dd.mm.yyyy"; empty or invalid → the default.
  std::optional<TDate> ReadDate(const std::string& section, const std::string& key, std::optional<TDate> def) const;

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int value);
  void WriteBool(const std::string& section, const std::string& key, bool value);
  void WriteDate(const std::string& section, const std::string& key, std::optional<TDate> value);

  // Writes the file; throws std::runtime_error on failure.
  void UpdateFile() const;

 private:
  std::optional<std::string> Find(const std::string& section, const std::string& key) const;
  std::filesystem::path fPath;
  std::vector<std::string> fLines;
  std::string fReadError;
};

}  // namespace zz
