// Fixed-column records: the input rules of every descriptor and Fw.d output.

#include "fixed_format.h"

#include <cmath>

#include <gtest/gtest.h>

namespace kestrix {
namespace {

std::vector<double> Read(std::string_view line, std::string_view format) { return ReadRecordNumbers(line, format); }

TEST(ReadRecordNumbers, TableRowGivesSixNumbersFromTheirColumns) {
  const std::string row = "0.500E+00  1.78157E+05  1.82058E+04  4.88527E+04  8.26406E+03  2.39376E+04";
  ASSERT_EQ(row.size(), 74u);
  const std::vector<double> numbers = Read(row, "(E9.3,5E13.5)");
  ASSERT_EQ(numbers.size(), 6u);
  EXPECT_DOUBLE_EQ(numbers[0], 0.5);
  EXPECT_DOUBLE_EQ(numbers[1], 1.78157E+05);
  EXPECT_DOUBLE_EQ(numbers[2], 1.82058E+04);
  EXPECT_DOUBLE_EQ(numbers[3], 4.88527E+04);
  EXPECT_DOUBLE_EQ(numbers[4], 8.26406E+03);
  EXPECT_DOUBLE_EQ(numbers[5], 2.39376E+04);
}

TEST(ReadRecordNumbers, SpectrumLineSkipsTheTextFieldAndReadsTheBlankAsPartOfTheValue) {
  const std::vector<double> numbers = Read("0012.5, 0.73125", "(F6.1,A1,F8.5)");
  ASSERT_EQ(numbers.size(), 2u);
  EXPECT_DOUBLE_EQ(numbers[0], 12.5);
  EXPECT_DOUBLE_EQ(numbers[1], 0.73125);
}

TEST(ReadRecordNumbers, BlanksInsideAFieldAreIgnored) {
  EXPECT_DOUBLE_EQ(Read(" 1 2. 5", "(F7.1)")[0], 12.5);
  EXPECT_DOUBLE_EQ(Read("- 1.5 E+ 2", "(E10.3)")[0], -150.0);
}

TEST(ReadRecordNumbers, AllBlankFieldsAndMissingColumnsReadAsZero) {
  EXPECT_EQ(Read("      ", "(F6.1)")[0], 0.0);
  // A short record reads as if padded with blanks: the cut field keeps its digits, later fields are zero.
  const std::vector<double> numbers = Read("0012.5, 0.7", "(F6.1,A1,F8.5)");
  EXPECT_DOUBLE_EQ(numbers[1], 0.7);
  const std::vector<double> row = Read("0.500E+00  1.78157E+05", "(E9.3,5E13.5)");
  ASSERT_EQ(row.size(), 6u);
  EXPECT_DOUBLE_EQ(row[1], 1.78157E+05);
  EXPECT_EQ(row[2], 0.0);
  EXPECT_EQ(row[5], 0.0);
  EXPECT_EQ(Read("", "(F6.1,A1,F8.5)"), (std::vector<double>{0.0, 0.0}));
}

TEST(ReadRecordNumbers, WrittenPointOverridesTheDescriptorsDecimals) {
  EXPECT_DOUBLE_EQ(Read("  1.5", "(F5.3)")[0], 1.5);
  EXPECT_DOUBLE_EQ(Read("123.4567", "(F8.1)")[0], 123.4567);
  EXPECT_DOUBLE_EQ(Read("    .5", "(F6.3)")[0], 0.5);
}

TEST(ReadRecordNumbers, DigitsWithoutPointGetImpliedDecimals) {
  EXPECT_DOUBLE_EQ(Read("     12345", "(E10.5)")[0], 0.12345);
  EXPECT_DOUBLE_EQ(Read("            2", "(E13.5)")[0], 2e-5);
  EXPECT_DOUBLE_EQ(Read("   125", "(F6.1)")[0], 12.5);
  EXPECT_DOUBLE_EQ(Read("  -125", "(F6.0)")[0], -125.0);
  // The implied point also applies before an exponent.
  EXPECT_DOUBLE_EQ(Read("  125E2", "(F7.1)")[0], 1250.0);
}

TEST(ReadRecordNumbers, EveryExponentFormIsAccepted) {
  EXPECT_DOUBLE_EQ(Read("1.5E+02", "(E7.3)")[0], 150.0);
  EXPECT_DOUBLE_EQ(Read("1.5e-2", "(E6.3)")[0], 0.015);
  EXPECT_DOUBLE_EQ(Read("1.5D3", "(E5.3)")[0], 1500.0);
  EXPECT_DOUBLE_EQ(Read("1.5+02", "(E6.3)")[0], 150.0);
  EXPECT_DOUBLE_EQ(Read("1.5-02", "(E6.3)")[0], 0.015);
  EXPECT_DOUBLE_EQ(Read("+2.5", "(F4.1)")[0], 2.5);
}

TEST(ReadRecordNumbers, CharactersBeyondTheLastFieldAreIgnored) {
  EXPECT_DOUBLE_EQ(Read("0001.0, 0.50000 trailing words", "(F6.1,A1,F8.5)")[1], 0.5);
}

TEST(ReadRecordNumbers, FieldThatIsNotANumberNamesTheFieldAndItsColumns) {
  const std::string row = "0.500E+00  1.78157E+05  1.8x058E+04  4.88527E+04  8.26406E+03  2.39376E+04";
  try {
    Read(row, "(E9.3,5E13.5)");
    FAIL() << "no error";
  } catch (const FormatError& error) {
    const std::string text = error.what();
    EXPECT_NE(text.find("field 3"), std::string::npos) << text;
    EXPECT_NE(text.find("E13.5"), std::string::npos) << text;
    EXPECT_NE(text.find("23-35"), std::string::npos) << text;
    EXPECT_NE(text.find("1.8x058E+04"), std::string::npos) << text;
  }
}

TEST(ReadRecordNumbers, RejectsEverythingThatIsNotADecimalNumber) {
  for (const char* field : {"   abc", "   inf", "   nan", "  0x1A", " 1.2.3", "  1E+ ", "  1E5x", "   -  ", "  1,5 ",
                            "  \t1.0"}) {
    EXPECT_THROW(Read(field, "(F6.1)"), FormatError) << '"' << field << '"';
  }
  // The energy field of a spectrum line counts as well, though its value is not used.
  EXPECT_THROW(Read("00x2.5, 0.73125", "(F6.1,A1,F8.5)"), FormatError);
}

TEST(ReadRecordNumbers, RejectsFormatsOutsideTheDescriptorSet) {
  for (const char* format : {"F6.1", "(F6)", "(I5)", "(0E9.3)", "(E9.3,)", "(A)", "(F6.1x)", "()"}) {
    EXPECT_THROW(Read("123", format), FormatError) << format;
  }
  EXPECT_EQ(Read("1 2 3", "( 3F2.0 )").size(), 3u);
}

TEST(WriteFixed, RoundsAndRightJustifies) {
  EXPECT_EQ(WriteFixed(2.3454, 6, 3), " 2.345");
  EXPECT_EQ(WriteFixed(2.3456, 6, 3), " 2.346");
  EXPECT_EQ(WriteFixed(49.874, 6, 2), " 49.87");
  EXPECT_EQ(WriteFixed(12.5, 8, 1), "    12.5");
  EXPECT_EQ(WriteFixed(-1.25, 6, 1), "  -1.2");  // the stored binary value is a tie: to even
  EXPECT_EQ(WriteFixed(99.999, 6, 3), "99.999");
}

TEST(WriteFixed, WritesTheLeadingZeroOnlyWhenThereIsRoom) {
  EXPECT_EQ(WriteFixed(0.123, 6, 3), " 0.123");
  EXPECT_EQ(WriteFixed(0.1234, 6, 4), "0.1234");
  EXPECT_EQ(WriteFixed(0.12345, 6, 5), ".12345");
  EXPECT_EQ(WriteFixed(-0.1234, 6, 4), "-.1234");
}

TEST(WriteFixed, ZeroDecimalsEndWithAPoint) {
  EXPECT_EQ(WriteFixed(34560001024.0, 15, 0), "   34560001024.");
  EXPECT_EQ(WriteFixed(2.5, 15, 0), std::string(13, ' ') + "2.");
  EXPECT_EQ(WriteFixed(99999999999999.0, 15, 0), "99999999999999.");
}

TEST(WriteFixed, ValueThatDoesNotFitFillsTheFieldWithAsterisks) {
  EXPECT_EQ(WriteFixed(100.0, 6, 3), "******");
  EXPECT_EQ(WriteFixed(99.9996, 6, 3), "******");  // rounds up to 100.000
  EXPECT_EQ(WriteFixed(1000.0, 6, 2), "******");
  EXPECT_EQ(WriteFixed(-99.999, 6, 3), "******");
  EXPECT_EQ(WriteFixed(1e15, 15, 0), std::string(15, '*'));
  EXPECT_EQ(WriteFixed(std::nan(""), 6, 3), "******");
  EXPECT_EQ(WriteFixed(HUGE_VAL, 6, 3), "******");
  EXPECT_FALSE(FitsFixed(100.0, 6, 3));
  EXPECT_TRUE(FitsFixed(99.999, 6, 3));
}

TEST(WriteFixed, ValueRoundingToZeroHasNoSign) {
  EXPECT_EQ(WriteFixed(-0.0001, 6, 3), " 0.000");
  EXPECT_EQ(WriteFixed(-0.0, 6, 3), " 0.000");
}

TEST(WriteFixed, OutputReadsBackWithTheSameDescriptor) {
  for (const double value : {0.0, 0.512, 2.345, 12.0, 99.999, -3.5}) {
    const std::string field = WriteFixed(value, 6, 3);
    EXPECT_DOUBLE_EQ(Read(field, "(F6.3)")[0], value) << field;
  }
}

}  // namespace
}  // namespace kestrix
