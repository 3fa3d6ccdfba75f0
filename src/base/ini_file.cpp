// Reading, editing and writing small INI files, keeping their comments and order.
#include "base/ini_file.h"

#include <fstream>
#include <stdexcept>

#include "base/strings.h"
#include "base/utils.h"

namespace zz {

namespace {

// "[Name]" → Name; nullopt for any other line.
std::optional<std::string> SectionOf(const std::string& line) {
  std::string t = Trim(line);
  if (t.size() >= 2 && t.front() == '[' && t.back() == ']') return Trim(t.substr(1, t.size() - 2));
  return std::nullopt;
}

bool KeyLine(const std::string& line, std::string& key, std::string& value) {
  std::string t = Trim(line);
  if (t.empty() || t[0] == ';' || t[0] == '#') return false;
  size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  key = Trim(line.substr(0, eq));
  value = Trim(line.substr(eq + 1));
  return true;
}

// A value in one pair of matching quotes reads without them, as private-profile files do, so that
// a value may keep blanks at its ends.
std::string Unquoted(const std::string& value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// The written form of a value that reads back as itself.
std::string Quoted(const std::string& value) {
  return Unquoted(value) != value || Trim(value) != value ? "\"" + value + "\"" : value;
}

}  // namespace

TIniFile::TIniFile(std::filesystem::path path) : fPath(std::move(path)) {
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::symlink_status(fPath, ec))) return;
  try {
    fLines = ReadTextLines(fPath);
  } catch (const std::exception& e) {
    fLines.clear();
    fReadError = e.what();
  }
}

std::optional<std::string> TIniFile::Find(const std::string& section, const std::string& key) const {
  bool inSection = false;
  for (const std::string& line : fLines) {
    if (auto s = SectionOf(line)) {
      inSection = SameTextCI(*s, section);
      continue;
    }
    std::string k, v;
    if (inSection && KeyLine(line, k, v) && SameTextCI(k, key)) return Unquoted(v);
  }
  return std::nullopt;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
  auto v = Find(section, key);
  return v ? *v : def;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
  auto v = Find(section, key);
  return v ? ParseIntDef(*v, def) : def;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

std::optional<TDate> TIniFile::ReadDate(const std::string& section, const std::string& key,
                                        std::optional<TDate> def) const {
  auto v = Find(section, key);
  if (!v) return def;
  auto d = TryParseDate(*v);
  return d ? d : def;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  const std::string newLine = key + "=" + Quoted(value);
  bool inSection = false;
  size_t sectionEnd = std::string::npos;  // index after the last line of the section
  for (size_t i = 0; i < fLines.size(); ++i) {
    if (auto s = SectionOf(fLines[i])) {
      inSection = SameTextCI(*s, section);
      if (inSection) sectionEnd = i + 1;
      continue;
    }
    if (!inSection) continue;
    std::string k, v;
    if (KeyLine(fLines[i], k, v) && SameTextCI(k, key)) {
      fLines[i] = newLine;
      return;
    }
    if (!Trim(fLines[i]).empty()) sectionEnd = i + 1;
  }
  if (sectionEnd == std::string::npos) {
    if (!fLines.empty() && !Trim(fLines.back()).empty()) fLines.emplace_back();
    fLines.push_back("[" + section + "]");
    fLines.push_back(newLine);
    return;
  }
  fLines.insert(fLines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), newLine);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TIniFile::WriteDate(const std::string& section, const std::string& key, std::optional<TDate> value) {
  WriteString(section, key, value ? FormatDate(*value) : "");
}

void TIniFile::UpdateFile() const {
  if (!fReadError.empty()) throw std::runtime_error(fReadError);
  WriteTextLines(fPath, fLines);
}

}  // namespace zz
