// Digit patterns: every pattern the system uses, rounding, separators and the awkward values.

#include "display_pattern.h"

#include <cmath>
#include <stdexcept>

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TEST(FormatPattern, FourDigitEnergyColumn) {
  EXPECT_EQ(FormatPattern(0.5, "0000.0"), "0000.5");
  EXPECT_EQ(FormatPattern(300.0, "0000.0"), "0300.0");
  EXPECT_EQ(FormatPattern(12345.0, "0000.0"), "12345.0");  // integer digits beyond the pattern print in full
}

TEST(FormatPattern, FixedDecimalPatterns) {
  EXPECT_EQ(FormatPattern(0.0005, "0.0000"), "0.0005");
  EXPECT_EQ(FormatPattern(0.3, "0.0000"), "0.3000");
  EXPECT_EQ(FormatPattern(1.0, "0.00000"), "1.00000");
  EXPECT_EQ(FormatPattern(0.123456, "0.00000"), "0.12346");
  EXPECT_EQ(FormatPattern(0.000004, "0.00000"), "0.00000");
  EXPECT_EQ(FormatPattern(0.000006, "0.00000"), "0.00001");
  EXPECT_EQ(FormatPattern(23.5, "0.00000"), "23.50000");
}

TEST(FormatPattern, OptionalDigitPatterns) {
  EXPECT_EQ(FormatPattern(2.345, "#0.000"), "2.345");
  EXPECT_EQ(FormatPattern(0.512, "#0.000"), "0.512");
  EXPECT_EQ(FormatPattern(0.1234, "#0.000"), "0.123");
  EXPECT_EQ(FormatPattern(123.4567, "#0.000"), "123.457");
  EXPECT_EQ(FormatPattern(7.25, "##0.0"), "7.2");  // exact binary tie: to even
  EXPECT_EQ(FormatPattern(7.35, "##0.0"), "7.3");  // 7.35 is stored a little below
  EXPECT_EQ(FormatPattern(250.0, "##0.0"), "250.0");
  EXPECT_EQ(FormatPattern(0.04, "##0.0"), "0.0");
  EXPECT_EQ(FormatPattern(5.0, "##0.000"), "5.000");
}

TEST(FormatPattern, ExponentPatterns) {
  EXPECT_EQ(FormatPattern(34560000000.0, "0.000E+00"), "3.456E+10");
  EXPECT_EQ(FormatPattern(0.5, "0.000E+00"), "5.000E-01");
  EXPECT_EQ(FormatPattern(0.0, "0.0000E+00"), "0.0000E+00");
  EXPECT_EQ(FormatPattern(1.0, "0.0000E+00"), "1.0000E+00");
  EXPECT_EQ(FormatPattern(9.99996, "0.0000E+00"), "1.0000E+01");  // rounding carries into the exponent
  EXPECT_EQ(FormatPattern(1.5e-123, "0.000E+00"), "1.500E-123");
  EXPECT_EQ(FormatPattern(-2.5e7, "0.000E+00"), "-2.500E+07");
  EXPECT_EQ(FormatPattern(2.5e7, "0.000E-00"), "2.500E07");
}

TEST(FormatPattern, TinyNegativeValuesPrintWithoutSign) {
  EXPECT_EQ(FormatPattern(-0.0001, "#0.000"), "0.000");
  EXPECT_EQ(FormatPattern(-0.000001, "0.00000"), "0.00000");
  EXPECT_EQ(FormatPattern(-0.0, "0000.0"), "0000.0");
  EXPECT_EQ(FormatPattern(-0.0, "0.000E+00"), "0.000E+00");
  EXPECT_EQ(FormatPattern(-0.0006, "#0.000"), "-0.001");
}

TEST(FormatPattern, CallerChoosesTheDecimalSeparator) {
  EXPECT_EQ(FormatPattern(2.345, "#0.000", ','), "2,345");
  EXPECT_EQ(FormatPattern(150.0, "0000.0", ','), "0150,0");
  EXPECT_EQ(FormatPattern(0.5, "0.000E+00", ','), "5,000E-01");
  EXPECT_EQ(FormatPattern(0.5, "0.000E+00"), "5.000E-01");
}

TEST(FormatPattern, ValueThatIsNotFiniteNeverPrintsAsNan) {
  EXPECT_EQ(FormatPattern(std::nan(""), "#0.000"), "******");
  EXPECT_EQ(FormatPattern(-HUGE_VAL, "0.000E+00"), "*********");
}

TEST(FormatPattern, RejectsPatternsOutsideTheGrammar) {
  for (const char* pattern : {"", "abc", "0#.0", "0.0E", "0.0E00", "00.0E+00", "0.0x"}) {
    EXPECT_THROW(FormatPattern(1.0, pattern), std::invalid_argument) << pattern;
  }
}

}  // namespace
}  // namespace kestrix
