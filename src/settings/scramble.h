#pragma once
// Stored credentials are kept scrambled: a keyed byte-stream transform and a 6-bit text encoding.
#include <cstdint>
#include <string>
#include <string_view>

namespace zz {

constexpr uint16_t kLoginKey = 47213;
constexpr uint16_t kPasswordKey = 29506;

// Text is UTF-8; it is scrambled as windows-1251 bytes, the program's 8-bit code page.
std::string ScrambleText(std::string_view plain, uint16_t key);
std::string UnscrambleText(std::string_view scrambled, uint16_t key);

// The two halves, exposed for checking against known encodings.
std::string EncodeScrambledBytes(std::string_view bytes);
std::string DecodeScrambledText(std::string_view text);

}  // namespace zz
