#include "input_number.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TEST(ParseLeadingNumber, ReadsTheNumberAtTheStartOfTheText) {
  EXPECT_EQ(ParseLeadingNumber("100"), 100.0);
  EXPECT_EQ(ParseLeadingNumber("  150.5"), 150.5);
  EXPECT_EQ(ParseLeadingNumber("\t-2.5e1"), -25.0);
  EXPECT_EQ(ParseLeadingNumber("+3"), 3.0);
  EXPECT_EQ(ParseLeadingNumber(".5"), 0.5);
  EXPECT_EQ(ParseLeadingNumber("5."), 5.0);
  EXPECT_EQ(ParseLeadingNumber("1.5E-3"), 1.5e-3);
}

TEST(ParseLeadingNumber, IgnoresWhatFollowsTheNumber) {
  EXPECT_EQ(ParseLeadingNumber("120kV"), 120.0);
  EXPECT_EQ(ParseLeadingNumber("3,5"), 3.0);  // "." is the decimal point whatever the locale
  EXPECT_EQ(ParseLeadingNumber("2e"), 2.0);
  EXPECT_EQ(ParseLeadingNumber("2e+"), 2.0);
  EXPECT_EQ(ParseLeadingNumber("7 8"), 7.0);
}

TEST(ParseLeadingNumber, TextWithoutANumberCountsAsZero) {
  EXPECT_EQ(ParseLeadingNumber(""), 0.0);
  EXPECT_EQ(ParseLeadingNumber("abc"), 0.0);
  EXPECT_EQ(ParseLeadingNumber("."), 0.0);
  EXPECT_EQ(ParseLeadingNumber("-"), 0.0);
  EXPECT_EQ(ParseLeadingNumber("inf"), 0.0);
  EXPECT_EQ(ParseLeadingNumber("nan"), 0.0);
  EXPECT_EQ(ParseLeadingNumber("e5"), 0.0);
  EXPECT_EQ(ParseLeadingNumber("0x1A"), 0.0);  // the leading 0 only
}

TEST(ParseLeadingNumber, OutOfRangeMagnitudes) {
  EXPECT_EQ(ParseLeadingNumber("1e999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseLeadingNumber("-1e999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseLeadingNumber("1e-999"), 0.0);
  EXPECT_EQ(ParseLeadingNumber("0.00001e-400"), 0.0);
  const double subnormal = ParseLeadingNumber("1e-310");
  EXPECT_GE(subnormal, 0.0);
  EXPECT_LE(subnormal, 1e-300);
}

TEST(ParseWholeNumber, AcceptsOnlyACompleteFiniteNumber) {
  EXPECT_EQ(ParseWholeNumber("1.78157E+05"), 1.78157e5);
  EXPECT_EQ(ParseWholeNumber("-0.5"), -0.5);
  EXPECT_EQ(ParseWholeNumber("42"), 42.0);
  EXPECT_FALSE(ParseWholeNumber(""));
  EXPECT_FALSE(ParseWholeNumber(" 1"));
  EXPECT_FALSE(ParseWholeNumber("1.0x"));
  EXPECT_FALSE(ParseWholeNumber("inf"));
  EXPECT_FALSE(ParseWholeNumber("nan"));
  EXPECT_FALSE(ParseWholeNumber("0x10"));
  EXPECT_FALSE(ParseWholeNumber("1e"));
  EXPECT_FALSE(ParseWholeNumber("1e999"));
  EXPECT_FALSE(ParseWholeNumber("1.2.3"));
  EXPECT_FALSE(ParseWholeNumber("1D+03"));
}

}  // namespace
}  // namespace kestrix
