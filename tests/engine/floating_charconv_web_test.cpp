// The web build's floating-point to_chars and from_chars give what the standard's give: the
// shortest text that reads back (plain or scientific, whichever is shorter), printf's forms with a
// precision, and reading that refuses what is not a number.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

namespace {

std::string Shortest(double value) {
  char buffer[64];
  const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
  EXPECT_EQ(result.ec, std::errc());
  return std::string(buffer, result.ptr);
}

std::string WithPrecision(double value, std::chars_format format, int precision) {
  char buffer[128];
  const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
  EXPECT_EQ(result.ec, std::errc());
  return std::string(buffer, result.ptr);
}

TEST(FloatingToChars, ShortestTakesThePlainFormUnlessTheScientificIsShorter) {
  EXPECT_EQ(Shortest(0), "0");
  EXPECT_EQ(Shortest(-0.0), "-0");
  EXPECT_EQ(Shortest(0.947), "0.947");
  EXPECT_EQ(Shortest(123456), "123456");
  EXPECT_EQ(Shortest(12345000), "12345000");
  EXPECT_EQ(Shortest(0.001), "0.001");      // a tie of five characters each: plain
  EXPECT_EQ(Shortest(0.0001), "1e-04");
  EXPECT_EQ(Shortest(1e22), "1e+22");
  EXPECT_EQ(Shortest(-2.5e-7), "-2.5e-07");
  EXPECT_EQ(Shortest(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(Shortest(810750443520), "810750443520");
  EXPECT_EQ(Shortest(std::numeric_limits<double>::denorm_min()), "5e-324");
}

TEST(FloatingToChars, ShortestReadsBackToTheSameDouble) {
  std::uint64_t bits = 0x3FF0000000000000u;
  for (int k = 0; k < 20000; ++k) {
    bits = bits * 6364136223846793005u + 1442695040888963407u;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) continue;
    const std::string text = Shortest(value);
    double read = 0;
    const std::from_chars_result result = std::from_chars(text.data(), text.data() + text.size(), read);
    ASSERT_EQ(result.ec, std::errc()) << text;
    ASSERT_EQ(read, value) << text;
  }
}

TEST(FloatingToChars, PrecisionFormsArePrintfs) {
  EXPECT_EQ(WithPrecision(2.675, std::chars_format::fixed, 2), "2.67");  // the double lies below 2.675
  EXPECT_EQ(WithPrecision(0.125, std::chars_format::fixed, 2), "0.12");  // an exact tie goes to even
  EXPECT_EQ(WithPrecision(1234.5678, std::chars_format::scientific, 3), "1.235e+03");
  EXPECT_EQ(WithPrecision(0.000123456789, std::chars_format::general, 6), "0.000123457");
  EXPECT_EQ(WithPrecision(1e-5, std::chars_format::general, 6), "1e-05");
}

TEST(FloatingFromChars, ReadsDecimalNumbersAndRefusesTheRest) {
  const auto read = [](const std::string& text, double& value) {
    return std::from_chars(text.data(), text.data() + text.size(), value);
  };
  double value = 0;
  EXPECT_EQ(read("-1.5e3", value).ec, std::errc());
  EXPECT_EQ(value, -1500);
  const std::string partly = "2.5x";
  EXPECT_EQ(std::from_chars(partly.data(), partly.data() + partly.size(), value).ptr, partly.data() + 3);
  EXPECT_EQ(read("1e999", value).ec, std::errc::result_out_of_range);
  EXPECT_EQ(read("1e-999", value).ec, std::errc::result_out_of_range);
  EXPECT_EQ(read("4e-320", value).ec, std::errc());  // a subnormal is a value
  // few digits and a small power of ten, and the long forms beside them
  const std::pair<const char*, double> exact[] = {{"0.1", 0.1}, {"123.456e-3", 0.123456}, {"-0.000", -0.0},
      {"000123", 123}, {"1.5e22", 1.5e22}, {"9007199254740993", 9007199254740992.0}, {"1e23", 1e23},
      {"0.30000000000000004", 0.1 + 0.2}, {"2.2250738585072014e-308", 2.2250738585072014e-308}};
  for (const auto& [text, expected] : exact) {
    ASSERT_EQ(read(text, value).ec, std::errc()) << text;
    EXPECT_EQ(value, expected) << text;
    EXPECT_EQ(std::signbit(value), std::signbit(expected)) << text;
  }
  value = 7;
  EXPECT_EQ(read("+1", value).ec, std::errc::invalid_argument);
  EXPECT_EQ(read(".", value).ec, std::errc::invalid_argument);
  EXPECT_EQ(read("abc", value).ec, std::errc::invalid_argument);
  EXPECT_EQ(value, 7);
}

}  // namespace
