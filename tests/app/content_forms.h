#pragma once
// Other forms of the same IS files and Perechen: each rewriting changes how a document is written
// (code page, byte-order mark, layout, quoting, references, order of the persons) or how the files
// are delivered (names, archives), never what a person reads in it. Also where each person stands
// in the rewritten files, which the protocol's pack and number columns name.
#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/strings.h"
#include "base/utils.h"
#include "support/test_support.h"
#include "support/zip_writer.h"

namespace zz::test {

// A document as UTF-8 text, and the same document as the bytes of a file.
struct TDocument {
  std::string Name;
  std::string Text;
};
struct TFileBytes {
  std::string Name;
  std::string Bytes;
};

inline std::vector<TDocument> ReadDocuments(const std::filesystem::path& dir) {
  std::vector<TDocument> documents;
  for (const std::filesystem::path& file : ListFilesByExtension(dir, ".xml"))
    documents.push_back({file.filename().string(), ReadFile(file)});
  return documents;
}

// UTF-8 text in another code page; a character the code page lacks is an error of the test.
inline std::string Recode(const std::string& utf8, const char* codePage) {
  iconv_t cd = iconv_open(codePage, "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(std::string("no converter to ") + codePage);
  std::string out(utf8.size() * 2 + 16, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size(), outLeft = out.size();
  char* to = out.data();
  const size_t rc = iconv(cd, &in, &inLeft, &to, &outLeft);
  const int error = errno;
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1) || inLeft != 0)
    throw std::runtime_error(std::string("not in ") + codePage + ": " + std::strerror(error));
  out.resize(out.size() - outLeft);
  return out;
}

// ------------------------------------------------------------------------------------------------
// Rewritings of one document's text.

// The runs of text between two tags that hold only blanks and line breaks go.
inline std::string WithoutBlanksBetweenElements(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (text[i] == '>') {
      size_t next = text.find_first_not_of(" \t\r\n", i + 1);
      if (next != std::string::npos && text[next] == '<') {
        out += '>';
        i = next;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

inline std::string WithoutDeclaration(const std::string& text) {
  if (!text.starts_with("<?xml")) throw std::runtime_error("no XML declaration");
  return text.substr(text.find_first_not_of("\r\n", text.find("?>") + 2));
}

// The declaration names the encoding, in whichever quotes it had.
inline std::string DeclaringEncoding(std::string text, const std::string& encoding) {
  const size_t at = text.find("encoding=");
  if (!text.starts_with("<?xml") || at > text.find("?>")) throw std::runtime_error("no declared encoding");
  const size_t value = at + 10;
  text.replace(value, text.find(text[value - 1], value) - value, encoding);
  return text;
}

// Each run of character data that is not only blanks, as `rewrite` gives it.
template <class TRewrite>
std::string WithTextRuns(const std::string& text, TRewrite rewrite) {
  std::string out;
  out.reserve(text.size() * 2);
  size_t i = 0;
  while (i < text.size()) {
    size_t close = text.find('>', i);
    if (close == std::string::npos) break;
    out.append(text, i, close + 1 - i);
    size_t open = text.find('<', close + 1);
    if (open == std::string::npos) open = text.size();
    const std::string run = text.substr(close + 1, open - close - 1);
    out += run.find_first_not_of(" \t\r\n") == std::string::npos ? run : rewrite(run);
    i = open;
  }
  out.append(text, i);
  return out;
}

inline std::string WithCdataSections(const std::string& text) {
  return WithTextRuns(text, [](const std::string& run) {
    if (run.find('&') != std::string::npos) throw std::runtime_error("a reference would be kept as it is in CDATA");
    return "<![CDATA[" + run + "]]>";
  });
}

// Each text on a line of its own between its element's tags, indented: the blanks around a text
// are no part of it.
inline std::string WithBlanksAroundTexts(const std::string& text) {
  return WithTextRuns(text, [](const std::string& run) { return "\r\n        " + run + "\r\n      "; });
}

// Every character outside ASCII, in character data and attribute values, and every quote in
// character data, as a character reference; the markup itself stays as it is.
inline std::string WithCharacterReferences(const std::string& text) {
  std::string out;
  bool inTag = false, inValue = false;
  char quote = 0;
  for (char32_t c : Utf8CodePoints(text)) {
    const bool outsideMarkup = !inTag || inValue;
    if (!inTag && c == '<') {
      inTag = true;
    } else if (inTag && !inValue && (c == '"' || c == '\'')) {
      inValue = true;
      quote = static_cast<char>(c);
    } else if (inValue && c == static_cast<char32_t>(quote)) {
      inValue = false;
    } else if (inTag && !inValue && c == '>') {
      inTag = false;
    } else if (outsideMarkup && (c >= 0x80 || (!inTag && c == '"'))) {
      out += "&#" + std::to_string(static_cast<uint32_t>(c)) + ";";
      continue;
    }
    AppendCodePoint(out, c);
  }
  return out;
}

// The declaration's pseudo-attributes in single quotes, its encoding in lower case; each start tag's
// attributes in the reverse order, in single quotes.
inline std::string WithAttributesReversedInSingleQuotes(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    size_t open = text.find('<', i);
    if (open == std::string::npos) break;
    size_t close = text.find('>', open);
    if (close == std::string::npos) throw std::runtime_error("a tag without its end");
    out.append(text, i, open - i);
    std::string tag = text.substr(open, close + 1 - open);
    i = close + 1;
    if (tag.starts_with("<?xml")) {
      out += ReplaceAll(ReplaceAll(tag, "\"", "'"), "UTF-8", "utf-8");
      continue;
    }
    if (tag.starts_with("</") || tag.starts_with("<!") || tag.starts_with("<?")) {
      out += tag;
      continue;
    }
    const size_t nameEnd = tag.find_first_of(" \t\r\n/>");
    std::vector<std::pair<std::string, std::string>> attributes;
    for (size_t at = nameEnd;;) {
      size_t name = tag.find_first_not_of(" \t\r\n", at);
      if (tag[name] == '/' || tag[name] == '>') break;
      size_t eq = tag.find('=', name), q = tag.find('"', eq), qEnd = tag.find('"', q + 1);
      if (qEnd == std::string::npos) throw std::runtime_error("an attribute not in double quotes: " + tag);
      std::string value = tag.substr(q + 1, qEnd - q - 1);
      if (value.find('\'') != std::string::npos) throw std::runtime_error("a value holding a single quote");
      attributes.emplace_back(tag.substr(name, eq - name), value);
      at = qEnd + 1;
    }
    out += tag.substr(0, nameEnd);
    for (auto it = attributes.rbegin(); it != attributes.rend(); ++it) out += " " + it->first + "='" + it->second + "'";
    out += tag.ends_with("/>") ? "/>" : ">";
  }
  out.append(text, i);
  return out;
}

// The element that holds one person in a document of this form: "ЗЛ" in a СЗВ-СТАЖ, the form
// element itself in a СЗВ-ИСХ or СЗВ-КОРР.
inline std::string PersonElement(const std::string& text) {
  for (const char* form : {"СЗВ-ИСХ", "СЗВ-КОРР"})
    if (text.find(std::string("<") + form + ">") != std::string::npos) return form;
  return "ЗЛ";
}

// The persons' blocks (from the start of the line that opens one to the line break after it ends),
// which follow one another, as the generator writes them; the text before and after them.
struct TPersonBlocks {
  std::string Before;
  std::vector<std::string> Blocks;
  std::string After;
};

inline TPersonBlocks SplitPersons(const std::string& text) {
  const std::string element = PersonElement(text), open = "<" + element + ">", close = "</" + element + ">";
  TPersonBlocks split;
  size_t at = text.find(open);
  if (at == std::string::npos) throw std::runtime_error("no person in the document");
  at = text.rfind('\n', at) + 1;
  split.Before = text.substr(0, at);
  for (size_t next = text.find(open, at); next != std::string::npos && text.find_first_not_of(" ", at) == next;
       next = text.find(open, at)) {
    size_t end = text.find(close, at);
    end = text.find('\n', end) + 1;
    split.Blocks.push_back(text.substr(at, end - at));
    at = end;
  }
  split.After = text.substr(at);
  if (split.After.find(open) != std::string::npos) throw std::runtime_error("persons apart from one another");
  return split;
}

// The same persons, the last first; НомерПП counts them again from 1 in their new order.
inline std::string WithPersonsReversed(const std::string& text) {
  TPersonBlocks split = SplitPersons(text);
  std::reverse(split.Blocks.begin(), split.Blocks.end());
  std::string out = split.Before;
  for (size_t k = 0; k < split.Blocks.size(); ++k) {
    std::string block = split.Blocks[k];
    const size_t number = block.find("<НомерПП>");
    if (number != std::string::npos) {
      const size_t value = number + std::string("<НомерПП>").size();
      block.replace(value, block.find('<', value) - value, std::to_string(k + 1));
    }
    out += block;
  }
  return out + split.After;
}

// A comment before the root, before each person and after the root.
inline std::string WithComments(const std::string& text) {
  TPersonBlocks split = SplitPersons(text);
  const size_t root = split.Before.find('<', split.Before.find("?>"));
  std::string out = split.Before.substr(0, root) + "<!-- сведения о стаже -->\r\n" + split.Before.substr(root);
  for (const std::string& block : split.Blocks) out += "    <!-- застрахованное лицо -->\r\n" + block;
  return out + split.After + "<!-- конец сведений -->\r\n";
}

// ------------------------------------------------------------------------------------------------
// Where each person stands: the GUID of the pack and the number in it (from 1, in document order),
// by insurance number. A person of a correction stands in two places.

using TPersonPlaces = std::map<std::string, std::vector<std::pair<std::string, std::string>>>;

// The character data of the element that starts at `at` (an opening tag), CDATA or not, without
// the blanks around it.
inline std::string ElementText(const std::string& text, size_t at) {
  size_t start = text.find_first_not_of(" \t\r\n", text.find('>', at) + 1);
  if (text.compare(start, 9, "<![CDATA[") == 0) start += 9;
  return Trim(text.substr(start, text.find_first_of("<]", start) - start));
}

inline void AddPersonPlaces(const std::string& text, TPersonPlaces& places) {
  const size_t guid = text.find("GUID>");
  if (guid == std::string::npos) throw std::runtime_error("a document without GUID");
  const std::string pack = ElementText(text, guid);
  int number = 0;
  for (size_t at = text.find("<СНИЛС>"); at != std::string::npos; at = text.find("<СНИЛС>", at + 1))
    places[ElementText(text, at)].emplace_back(pack, std::to_string(++number));
}

// ------------------------------------------------------------------------------------------------
// Deliveries: how the files reach the IS directory.

inline std::string WithUpperCaseExtension(std::string name) {
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos)
    for (size_t i = dot; i < name.size(); ++i)
      name[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
  return name;
}

inline void WriteFiles(const std::vector<TFileBytes>& files, const std::filesystem::path& dir) {
  for (const TFileBytes& f : files) WriteFile(dir / f.Name, f.Bytes);
}

// How a zip tool writes the names: UTF-8 with the flag saying so; the DOS Cyrillic code page
// without a flag; the bytes of the file system's names (UTF-8) without a flag.
enum class TZipNames { Utf8Flagged, Cp866, FileSystemBytes };

// One archive of all the files, at its top or in folders by form, with entries for the folders.
inline void WriteZipOfFiles(const std::vector<TFileBytes>& files, const std::filesystem::path& archive, TZipNames names,
                            bool inFolders) {
  auto name = [&](const std::string& utf8) { return names == TZipNames::Cp866 ? Recode(utf8, "CP866") : utf8; };
  const uint16_t flags = names == TZipNames::Utf8Flagged ? kZipUtf8Names : 0;
  std::vector<TStoredZipEntry> entries;
  std::vector<std::string> folders;
  for (const TFileBytes& f : files) {
    std::string path = f.Name;
    if (inFolders) {
      const std::string folder =
          std::string("Отчёты/") + (f.Name.find("СЗВ-ИСХ") != std::string::npos ? "СЗВ-ИСХ/" : "СЗВ-СТАЖ/");
      if (folders.empty()) {
        folders.push_back("Отчёты/");
        entries.push_back({name(folders.back()), "", flags});
      }
      if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
        folders.push_back(folder);
        entries.push_back({name(folder), "", flags});
      }
      path = folder + f.Name;
    }
    entries.push_back({name(path), f.Bytes, flags});
  }
  WriteStoredZip(archive, entries, names == TZipNames::FileSystemBytes ? kZipMadeOnUnix : kZipMadeOnDos);
}

}  // namespace zz::test
