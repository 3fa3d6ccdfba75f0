#pragma once
// Text helpers shared by every subsystem. All text inside the program is UTF-8.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace zz {

// Removes leading and trailing blanks and control characters (bytes up to 0x20).
std::string Trim(std::string_view text);

// Upper-cases only the Latin letters a-z; every other byte stays as it is.
std::string UpperLatin(std::string_view text);
// Upper/lower case of Latin and Cyrillic letters (including Ё/ё) in UTF-8 text.
std::string Utf8Upper(std::string_view text);
std::string Utf8Lower(std::string_view text);
// Case-insensitive comparison (Latin and Cyrillic): <0, 0, >0.
int CompareTextCI(std::string_view a, std::string_view b);
bool SameTextCI(std::string_view a, std::string_view b);

// Number of characters (code points) of UTF-8 text.
size_t Utf8Length(std::string_view text);
// The code points of UTF-8 text. A byte that does not start a valid sequence stands for itself, one
// byte at a time, so text in another 8-bit code page keeps its ASCII characters in place.
std::u32string Utf8CodePoints(std::string_view text);
// Appends one code point as UTF-8.
void AppendCodePoint(std::string& out, uint32_t cp);

bool Contains(std::string_view text, std::string_view part);
bool StartsWith(std::string_view text, std::string_view prefix);
bool EndsWith(std::string_view text, std::string_view suffix);
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);
// Splits at every occurrence of the separator; empty pieces are kept.
std::vector<std::string> Split(std::string_view text, char separator);
// Splits at runs of blanks/tabs; no empty pieces.
std::vector<std::string> SplitBlanks(std::string_view text);
std::string Join(const std::vector<std::string>& parts, std::string_view separator);

// Strict decimal integer: optional sign, digits only, no blanks. False on anything else or overflow.
bool TryParseInt(std::string_view text, int& value);
int ParseIntDef(std::string_view text, int def);
// Decimal number with "." or "," as separator, optional sign. False on anything else.
bool TryParseDouble(std::string_view text, double& value);

// Shortest decimal form with "." and up to 15 significant digits (1.5, 0.25, 3, 1e-20).
std::string FormatNumber(double value);

// One line of log or terminal text: control characters (C0, DEL and C1) are shown as "\n", "\r",
// "\t" or "\xNN", so that a name or a reply cannot start a line of its own or drive a terminal.
std::string EscapeControlChars(std::string_view text);
// One field of a line-based file the program reads back (tab-separated): EscapeControlChars with the
// backslash doubled, so that any name fits one field and UnescapeTextField gives it back byte for byte.
std::string EscapeTextField(std::string_view text);
std::string UnescapeTextField(std::string_view text);

// The form of a registration number: three digits, "-", three digits, "-", six digits.
bool IsRegNumForm(std::string_view text);

// Escapes &, <, >, " for HTML text and attribute values.
std::string HtmlEscape(std::string_view text);

// Percent-encoding of everything but the RFC 3986 unreserved characters.
std::string PercentEncode(std::string_view text);

// Conversions between UTF-8 and windows-1251. Characters the code page cannot hold become
// HTML numeric character references (&#NNNN;) when encoding.
std::string Utf8ToCp1251Html(std::string_view text);
std::string Cp1251ToUtf8(std::string_view text);
// The characters of the text that windows-1251 cannot hold, each once, in the order met.
std::string CharsOutsideCp1251(std::string_view text);

}  // namespace zz
