// Scrambling of stored credentials.
#include <gtest/gtest.h>

#include "settings/scramble.h"

namespace zz {
namespace {

TEST(ScrambleTest, EncodingGroupsThreeBytesIntoFourCharacters) {
  EXPECT_EQ(EncodeScrambledBytes("abc"), "hJ2Y");
  EXPECT_EQ(EncodeScrambledBytes("ab"), "hJG");
  EXPECT_EQ(EncodeScrambledBytes("a"), "hB");
  EXPECT_EQ(DecodeScrambledText("hJ2Y"), "abc");
  EXPECT_EQ(DecodeScrambledText("hJG"), "ab");
  // A single character left in the last group yields nothing.
  EXPECT_EQ(DecodeScrambledText("hJ2Yh"), "abc");
}

TEST(ScrambleTest, LengthsAndRoundTrips) {
  EXPECT_EQ(ScrambleText("", kLoginKey), "");
  EXPECT_EQ(UnscrambleText("", kLoginKey), "");
  EXPECT_EQ(ScrambleText("abc", kLoginKey).size(), 4u);
  EXPECT_EQ(ScrambleText("abcd", kLoginKey).size(), 6u);
  EXPECT_EQ(ScrambleText("abcde", kLoginKey).size(), 7u);
  for (const char* text : {"user", "p@ss w&rd#1", "Пароль-Ёж", "x"}) {
    for (uint16_t key : {kLoginKey, kPasswordKey}) {
      std::string scrambled = ScrambleText(text, key);
      EXPECT_NE(scrambled, text);
      EXPECT_EQ(UnscrambleText(scrambled, key), text);
    }
  }
  EXPECT_NE(ScrambleText("secret", kLoginKey), ScrambleText("secret", kPasswordKey));
}

TEST(ScrambleTest, KeyStreamIsDrivenByScrambledBytes) {
  // First byte: 'a' XOR high byte of 47213 (0xB8); the key then moves on with that output byte.
  std::string bytes = DecodeScrambledText(ScrambleText("aa", kLoginKey));
  ASSERT_EQ(bytes.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x61 ^ 0xB8);
  uint16_t next = static_cast<uint16_t>(((47213u + (0x61 ^ 0xB8)) * 44711u + 26083u) & 0xFFFF);
  EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0x61 ^ (next >> 8));
}

}  // namespace
}  // namespace zz
