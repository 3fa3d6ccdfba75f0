// Scrambling and unscrambling stored credentials.
#include "settings/scramble.h"

#include "base/strings.h"

namespace zz {

namespace {

constexpr uint16_t kMultiplier = 44711;
constexpr uint16_t kIncrement = 26083;
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

uint16_t NextKey(uint16_t key, unsigned char scrambledByte) {
  return static_cast<uint16_t>((static_cast<uint32_t>(key + scrambledByte) * kMultiplier + kIncrement) & 0xFFFF);
}

// Characters outside the alphabet decode as 0.
unsigned DecodeChar(char c) {
  for (unsigned i = 0; i < 64; ++i)
    if (kAlphabet[i] == c) return i;
  return 0;
}

}  // namespace

std::string EncodeScrambledBytes(std::string_view bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    size_t k = std::min<size_t>(3, bytes.size() - i);
    uint32_t v = 0;
    for (size_t j = 0; j < k; ++j) v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + j])) << (8 * j);
    for (size_t j = 0; j <= k; ++j) out += kAlphabet[(v >> (6 * j)) & 63];
  }
  return out;
}

std::string DecodeScrambledText(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); i += 4) {
    size_t m = std::min<size_t>(4, text.size() - i);
    uint32_t v = 0;
    for (size_t j = 0; j < m; ++j) v |= DecodeChar(text[i + j]) << (6 * j);
    for (size_t j = 0; j + 1 < m; ++j) out += static_cast<char>((v >> (8 * j)) & 0xFF);
  }
  return out;
}

std::string ScrambleText(std::string_view plain, uint16_t key) {
  std::string bytes = Utf8ToCp1251Html(plain);
  for (char& b : bytes) {
    unsigned char c = static_cast<unsigned char>(b) ^ static_cast<unsigned char>(key >> 8);
    b = static_cast<char>(c);
    key = NextKey(key, c);
  }
  return EncodeScrambledBytes(bytes);
}

std::string UnscrambleText(std::string_view scrambled, uint16_t key) {
  std::string bytes = DecodeScrambledText(scrambled);
  for (char& b : bytes) {
    unsigned char c = static_cast<unsigned char>(b);
    b = static_cast<char>(c ^ static_cast<unsigned char>(key >> 8));
    key = NextKey(key, c);
  }
  return Cp1251ToUtf8(bytes);
}

}  // namespace zz
