// Text of users' files: UTF-8 recognised and kept, Shift_JIS (CP932) decoded to UTF-8, and a
// material file saved by a Japanese Windows editor read with its description and numbers.

#include "text_encoding.h"

#include <string>

#include <gtest/gtest.h>

#include "material_file.h"

namespace kestrix {
namespace {

const std::string kSampleFile = std::string(KESTRIX_TEST_DATA) + "/aluminium_alloy_cp932.ele";
/// the sample's description; "～" is U+FF5E, which CP932 (unlike plain Shift_JIS) gives for 81 60
const std::string kSampleDescription = "アルミニウム合金 ① (Al 97%～)";

TEST(TextEncoding, RecognisesWellFormedUtf8Only) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("Al  Aluminium (Z=13)"));
  EXPECT_TRUE(IsValidUtf8(kSampleDescription));
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));           // U+1F600, four bytes
  EXPECT_FALSE(IsValidUtf8("\x83\x41\x83\x8B"));          // CP932 "アル"
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));                  // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));              // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));          // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE3\x82"));                  // cut short
  EXPECT_FALSE(IsValidUtf8("\x80"));                      // a lone continuation byte
}

TEST(TextEncoding, DecodesCp932AndKeepsUtf8) {
  EXPECT_EQ(Cp932ToUtf8("\x83\x41\x83\x8B\x83\x7E \x87\x40 \x81\x60 Al"), "アルミ ① ～ Al");
  EXPECT_EQ(Cp932ToUtf8("\xB1\xD9\xD0"), "ｱﾙﾐ");  // half-width katakana, one byte each
  EXPECT_EQ(UserTextToUtf8("Cu  Copper"), "Cu  Copper");
  EXPECT_EQ(UserTextToUtf8(kSampleDescription), kSampleDescription);
  EXPECT_EQ(UserTextToUtf8("\x8D\x87\x8B\xE0"), "合金");
  EXPECT_EQ(UserTextToUtf8(""), "");
}

TEST(TextEncoding, ByteOutsideCp932BecomesReplacementCharacter) {
  // 0xA0 starts no CP932 character.
  const std::string decoded = Cp932ToUtf8("A\xA0" "B");
  EXPECT_TRUE(IsValidUtf8(decoded));
  EXPECT_EQ(decoded.front(), 'A');
  EXPECT_EQ(decoded.back(), 'B');
  EXPECT_NE(decoded.find("\xEF\xBF\xBD"), std::string::npos);
}

TEST(TextEncoding, Cp932MaterialFileKeepsItsNumbersAndShowsItsDescription) {
  const MaterialFile sample = LoadMaterialFile(kSampleFile);
  const MaterialFile aluminium = LoadMaterialFile(std::string(KESTRIX_DELIVERED_DATA) + "/Al.ele");
  EXPECT_EQ(sample.description, kSampleDescription);
  EXPECT_EQ(LoadMaterialDescription(kSampleFile), kSampleDescription);
  EXPECT_EQ(sample.density, aluminium.density);
  EXPECT_EQ(sample.rows, aluminium.rows);
}

}  // namespace
}  // namespace kestrix
