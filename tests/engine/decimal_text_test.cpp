// Decimal text: the one number grammar all readers share, independent of the C locale.

#include "decimal_text.h"

#include <clocale>

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TEST(ParseDecimalText, PlainAndExponentForms) {
  EXPECT_DOUBLE_EQ(*ParseDecimalText("2.345"), 2.345);
  EXPECT_DOUBLE_EQ(*ParseDecimalText(".123"), 0.123);
  EXPECT_DOUBLE_EQ(*ParseDecimalText("-7."), -7.0);
  EXPECT_DOUBLE_EQ(*ParseDecimalText("+3.5E+10"), 3.5e10);
  EXPECT_DOUBLE_EQ(*ParseDecimalText("34560001024."), 34560001024.0);
  EXPECT_EQ(*ParseDecimalText("1E-400"), 0.0);
}

TEST(ParseDecimalText, FortranFormsOnlyWhenAsked) {
  EXPECT_FALSE(ParseDecimalText("1.5+02"));
  EXPECT_DOUBLE_EQ(*ParseDecimalText("1.5+02", 0, true), 150.0);
  EXPECT_DOUBLE_EQ(*ParseDecimalText("125", 2), 1.25);
  EXPECT_DOUBLE_EQ(*ParseDecimalText("1.25", 5), 1.25);
}

TEST(ParseDecimalText, RejectsWhatIsNotADecimalNumber) {
  for (const char* text : {"", "-", ".", "E5", "inf", "nan", "0x10", "1e", "1e+", "1.5.", "1 5", "1,5", "1E999"}) {
    EXPECT_FALSE(ParseDecimalText(text)) << text;
  }
}

TEST(ParseDecimalText, IgnoresTheDecimalCommaOfTheLocale) {
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no German locale here";
  EXPECT_DOUBLE_EQ(*ParseDecimalText("2.5"), 2.5);
  EXPECT_EQ(FixedDigits(2.5, 2), "2.50");
  std::setlocale(LC_NUMERIC, previous.c_str());
}

}  // namespace
}  // namespace kestrix
