// Quoted inputs in messages: escaped control characters, and a bounded length that never splits a character.

#include "message_text.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TEST(MessageText, ControlCharactersAreEscapedAndOtherBytesKept) {
  EXPECT_EQ(EscapedText("a\x1b[2J\tb\r\n\x7f"), "a\\x1b[2J\\tb\\r\\n\\x7f");
  EXPECT_EQ(EscapedText("\xc2\x9b" "31m"), "\\u009b31m");  // the one-character CSI of the C1 range
  EXPECT_EQ(EscapedText("\xe9\x89\x9b.ele \xc2\xb0"), "\xe9\x89\x9b.ele \xc2\xb0");  // 鉛.ele °
}

TEST(MessageText, LongTextIsCutAtACharacterBoundaryAndGivesItsLength) {
  EXPECT_EQ(QuotedExcerpt("short"), "\"short\"");
  EXPECT_EQ(ExcerptText(std::string(8 * 1024 * 1024, 'x'), 4), "xxxx... (8388608 bytes)");
  // "鉛" is three bytes: a cut after four bytes keeps one whole character, not a half
  EXPECT_EQ(ExcerptText("\xe9\x89\x9b\xe9\x89\x9b\xe9\x89\x9b", 4), "\xe9\x89\x9b... (9 bytes)");
  EXPECT_EQ(ExcerptText(std::string(200, '\x1b')).size(), 80 * 4 + 15);
}

}  // namespace
}  // namespace kestrix
