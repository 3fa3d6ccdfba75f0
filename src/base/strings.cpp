// Text helpers: case, trimming, UTF-8 and windows-1251 conversion, escaping, number parsing.
#include "base/strings.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace zz {

namespace {

// Decodes one UTF-8 code point at text[i]; advances i. Invalid bytes decode as themselves.
uint32_t NextCodePoint(std::string_view text, size_t& i) {
  unsigned char c = static_cast<unsigned char>(text[i]);
  int extra = 0;
  uint32_t cp = c;
  if (c >= 0xF0 && c < 0xF8) {
    extra = 3;
    cp = c & 0x07;
  } else if (c >= 0xE0) {
    extra = 2;
    cp = c & 0x0F;
  } else if (c >= 0xC0) {
    extra = 1;
    cp = c & 0x1F;
  }
  if (c < 0xC0 || c >= 0xF8 || i + extra >= text.size()) {
    ++i;
    return c;
  }
  for (int k = 1; k <= extra; ++k) {
    unsigned char cc = static_cast<unsigned char>(text[i + k]);
    if ((cc & 0xC0) != 0x80) {
      ++i;
      return c;
    }
    cp = (cp << 6) | (cc & 0x3F);
  }
  i += extra + 1;
  return cp;
}

uint32_t UpperCodePoint(uint32_t cp) {
  if (cp >= 'a' && cp <= 'z') return cp - 32;
  if (cp >= 0x430 && cp <= 0x44F) return cp - 0x20;  // а..я
  if (cp >= 0x450 && cp <= 0x45F) return cp - 0x50;  // ѐ..џ (ё among them)
  return cp;
}

uint32_t LowerCodePoint(uint32_t cp) {
  if (cp >= 'A' && cp <= 'Z') return cp + 32;
  if (cp >= 0x410 && cp <= 0x42F) return cp + 0x20;
  if (cp >= 0x400 && cp <= 0x40F) return cp + 0x50;
  return cp;
}

template <class F>
std::string MapCodePoints(std::string_view text, F f) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    size_t start = i;
    uint32_t cp = NextCodePoint(text, i);
    uint32_t mapped = f(cp);
    if (mapped == cp)
      out.append(text.substr(start, i - start));
    else
      AppendCodePoint(out, mapped);
  }
  return out;
}

// windows-1251 bytes 0x80..0xFF as Unicode code points.
constexpr uint16_t kCp1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0000, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410,
    0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A,
    0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444,
    0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F};

int Cp1251ByteOf(uint32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  if (cp >= 0x410 && cp <= 0x44F) return static_cast<int>(cp - 0x410 + 0xC0);
  for (int b = 0; b < 128; ++b)
    if (kCp1251High[b] == cp && cp != 0) return b + 0x80;
  return -1;
}

}  // namespace

void AppendCodePoint(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string Trim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= 0x20) ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= 0x20) --e;
  return std::string(text.substr(b, e - b));
}

std::string UpperLatin(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

std::string Utf8Upper(std::string_view text) { return MapCodePoints(text, UpperCodePoint); }
std::string Utf8Lower(std::string_view text) { return MapCodePoints(text, LowerCodePoint); }

int CompareTextCI(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    uint32_t ca = UpperCodePoint(NextCodePoint(a, i));
    uint32_t cb = UpperCodePoint(NextCodePoint(b, j));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

bool SameTextCI(std::string_view a, std::string_view b) { return CompareTextCI(a, b) == 0; }

std::u32string Utf8CodePoints(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) out += static_cast<char32_t>(NextCodePoint(text, i));
  return out;
}

size_t Utf8Length(std::string_view text) {
  size_t n = 0;
  for (size_t i = 0; i < text.size();) {
    NextCodePoint(text, i);
    ++n;
  }
  return n;
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }
bool StartsWith(std::string_view text, std::string_view prefix) { return text.starts_with(prefix); }
bool EndsWith(std::string_view text, std::string_view suffix) { return text.ends_with(suffix); }

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  if (from.empty()) return text;
  size_t pos = 0;
  while ((pos = text.find(from, pos)) != std::string::npos) {
    text.replace(pos, from.size(), to);
    pos += to.size();
  }
  return text;
}

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    size_t pos = text.find(separator, start);
    if (pos == std::string_view::npos) {
      parts.emplace_back(text.substr(start));
      return parts;
    }
    parts.emplace_back(text.substr(start, pos - start));
    start = pos + 1;
  }
}

std::vector<std::string> SplitBlanks(std::string_view text) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    if (i > start) parts.emplace_back(text.substr(start, i - start));
  }
  return parts;
}

std::string Join(const std::vector<std::string>& parts, std::string_view separator) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) out += separator;
    out += parts[i];
  }
  return out;
}

bool TryParseInt(std::string_view text, int& value) {
  if (text.empty()) return false;
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (*begin == '+') ++begin;
  if (begin == end) return false;
  int result = 0;
  auto [ptr, ec] = std::from_chars(begin, end, result);
  if (ec != std::errc() || ptr != end) return false;
  value = result;
  return true;
}

int ParseIntDef(std::string_view text, int def) {
  int v = def;
  return TryParseInt(text, v) ? v : def;
}

bool TryParseDouble(std::string_view text, double& value) {
  // Decimal with a point only: digits, at most one point, an optional sign. "inf", "nan", exponents,
  // hexadecimal and a decimal comma are not numbers.
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0, points = 0;
  for (size_t k = i; k < text.size(); ++k) {
    if (text[k] >= '0' && text[k] <= '9')
      ++digits;
    else if (text[k] == '.' && ++points == 1)
      continue;
    else
      return false;
  }
  if (digits == 0) return false;
  const char* begin = text.data() + (text[0] == '+' ? 1 : 0);
  double result = 0;
  auto [ptr, ec] = std::from_chars(begin, text.data() + text.size(), result, std::chars_format::fixed);
  if (ec != std::errc() || ptr != text.data() + text.size()) return false;
  value = result;
  return true;
}

std::string FormatNumber(double value) {
  if (value == 0) return "0";
  char buf[64];
  auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
  if (ec != std::errc()) return "0";
  return std::string(buf, ptr);
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string EscapeControlChars(std::string_view text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  auto escapeByte = [&](unsigned char c) {
    out += "\\x";
    out += hex[c >> 4];
    out += hex[c & 15];
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
    else if (c < 0x20 || c == 0x7F)
      escapeByte(c);
    else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
             static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      // U+0080..U+009F: CSI and its kin.
      escapeByte(c);
      escapeByte(static_cast<unsigned char>(text[++i]));
    } else
      out += static_cast<char>(c);
  }
  return out;
}

std::string EscapeTextField(std::string_view text) {
  return EscapeControlChars(ReplaceAll(std::string(text), "\\", "\\\\"));
}

std::string UnescapeTextField(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  auto hexValue = [](char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                  : -1;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char c = text[++i];
    if (c == 'n')
      out += '\n';
    else if (c == 'r')
      out += '\r';
    else if (c == 't')
      out += '\t';
    else if (c == 'x' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else
      out += c;  // "\\" and anything this program did not write
  }
  return out;
}

bool IsRegNumForm(std::string_view text) {
  if (text.size() != 14) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool dash = i == 3 || i == 7;
    if (dash ? text[i] != '-' : (text[i] < '0' || text[i] > '9')) return false;
  }
  return true;
}

std::string PercentEncode(std::string_view text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

std::string Utf8ToCp1251Html(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    uint32_t cp = NextCodePoint(text, i);
    int b = Cp1251ByteOf(cp);
    if (b >= 0)
      out += static_cast<char>(b);
    else
      out += "&#" + std::to_string(cp) + ";";
  }
  return out;
}

std::string CharsOutsideCp1251(std::string_view text) {
  std::string out;
  std::u32string seen;
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = NextCodePoint(text, i);
    if (Cp1251ByteOf(cp) >= 0 || seen.find(static_cast<char32_t>(cp)) != std::u32string::npos) continue;
    seen += static_cast<char32_t>(cp);
    AppendCodePoint(out, cp);
  }
  return out;
}

std::string Cp1251ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (unsigned char c : text) {
    if (c < 0x80)
      out += static_cast<char>(c);
    else {
      uint32_t cp = kCp1251High[c - 0x80];
      AppendCodePoint(out, cp ? cp : 0xFFFD);
    }
  }
  return out;
}

}  // namespace zz
