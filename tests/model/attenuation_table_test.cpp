#include "attenuation_table.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "synthetic_table.h"

namespace kestrix {
namespace {

AttenuationTable Read(const std::string& text) {
  std::istringstream in(text);
  return ReadAttenuationTable(in, "test.data");
}

/// Message of the TableLoadError that reading `text` raises (empty when it reads fine).
std::string LoadErrorOf(const std::string& text) {
  try {
    Read(text);
  } catch (const TableLoadError& error) {
    return error.what();
  }
  return "";
}

/// The text of `table` with row `row` replaced by `line`.
std::string WithRow(const AttenuationTable& table, int row, const std::string& line, int rows = 1000) {
  std::istringstream in(test::TableText(table, rows));
  std::string text, current;
  for (int r = 1; std::getline(in, current); ++r) text += (r == row ? line + "\r" : current) + "\n";
  return text;
}

TEST(ReadAttenuationTable, RowNumberFixesTheGridIndexAndColumnsGoToTheirFields) {
  const AttenuationTable expected = test::PlausibleTable();
  const AttenuationTable table = Read(test::TableText(expected));
  for (int i = 1; i <= kGridLast; ++i) {
    ASSERT_EQ(table.muW[i], expected.muW[i]) << "row " << i;
    ASSERT_EQ(table.muAl[i], expected.muAl[i]) << "row " << i;
    ASSERT_EQ(table.muCu[i], expected.muCu[i]) << "row " << i;
    ASSERT_EQ(table.muBe[i], expected.muBe[i]) << "row " << i;
    ASSERT_EQ(table.muEnAir[i], expected.muEnAir[i]) << "row " << i;
  }
  EXPECT_EQ(table.muW[0], 0.0);  // index 0 is never filled
}

TEST(ReadAttenuationTable, TheEnergyColumnIsDropped) {
  std::string text;
  for (int i = 1; i <= 1000; ++i) {
    text += "9.99E+99 " + std::to_string(i) + " 2 3 4 5\n";  // wrong energies, grid order kept
  }
  const AttenuationTable table = Read(text);
  EXPECT_EQ(table.muW[1], 1.0);
  EXPECT_EQ(table.muW[1000], 1000.0);
  EXPECT_EQ(table.muEnAir[500], 5.0);
}

TEST(ReadAttenuationTable, ListInputAcceptsBlanksCommasAndLineEnds) {
  std::string text;
  for (int i = 1; i < 1000; ++i) text += "0.5, 1.5e+01 ,2.0\t3.0E-01\n4\n5.,\n";
  text += "0.5 1 2 3 4 .5";  // the last row without a line end
  const AttenuationTable table = Read(text);
  EXPECT_EQ(table.muW[7], 15.0);
  EXPECT_EQ(table.muAl[7], 2.0);
  EXPECT_EQ(table.muCu[7], 0.3);
  EXPECT_EQ(table.muBe[7], 4.0);
  EXPECT_EQ(table.muEnAir[7], 5.0);
  EXPECT_EQ(table.muEnAir[1000], 0.5);
}

TEST(ReadAttenuationTable, ABlankEnergyFieldShiftsEveryLaterValue) {
  const AttenuationTable expected = test::PlausibleTable();
  // 1001 rows, so that the stream still holds 6000 numbers after row 5 lost its energy
  std::istringstream rowIn(test::TableText(expected, 1001));
  std::string text, line;
  for (int r = 1; std::getline(rowIn, line); ++r) {
    if (r == 5) line.replace(0, 9, 9, ' ');
    text += line + "\n";
  }
  const AttenuationTable table = Read(text);
  EXPECT_EQ(table.muW[4], expected.muW[4]);
  EXPECT_EQ(table.muW[5], expected.muAl[5]);      // the tungsten value became the energy
  EXPECT_EQ(table.muBe[5], expected.muEnAir[5]);
  EXPECT_EQ(table.muEnAir[5], PhotonEnergy(6));   // row 6's energy
  EXPECT_EQ(table.muW[6], expected.muAl[6]);     // row 6's tungsten value is now its energy
  EXPECT_EQ(table.muAl[6], expected.muCu[6]);
}

TEST(ReadAttenuationTable, NumbersAfterThe6000thAreNotRead) {
  const std::string text = test::TableText(test::ConstantTable(2.0)) + "this line is never read\n";
  EXPECT_EQ(Read(text).muW[1000], 2.0);
}

TEST(ReadAttenuationTable, AnItemThatIsNotANumberNamesTheSourceAndTheRow) {
  const AttenuationTable table = test::ConstantTable(1.0);
  EXPECT_EQ(LoadErrorOf(WithRow(table, 17, "8.5 1 abc 1 1 1")),
            "test.data, row 17 (line 17): \"abc\" is not a number.");
  for (const char* bad : {"inf", "nan", "NaN", "0x1p3", "1.0e", "--1", "1e999", ",,1"}) {
    const std::string message = LoadErrorOf(WithRow(table, 300, std::string("150 1 1 1 1 ") + bad));
    EXPECT_NE(message.find("test.data, row 300 (line 300)"), std::string::npos) << bad << ": " << message;
    EXPECT_NE(message.find("is not a number"), std::string::npos) << bad << ": " << message;
  }
}

TEST(ReadAttenuationTable, RefusalsCarryTheirKindAndLine) {
  try {
    Read(WithRow(test::ConstantTable(1.0), 17, "8.5 1 abc 1 1 1"));
    ADD_FAILURE() << "no error";
  } catch (const TableLoadError& error) {
    EXPECT_EQ(error.Fault(), TableFault::NotANumber);
    EXPECT_EQ(error.Line(), 17);
  }
  try {
    Read("");
    ADD_FAILURE() << "no error";
  } catch (const TableLoadError& error) {
    EXPECT_EQ(error.Fault(), TableFault::TooShort);
  }
}

TEST(ReadAttenuationTable, FewerThan6000NumbersNameTheRowWhereTheTableEnds) {
  EXPECT_EQ(LoadErrorOf(""), "test.data: the table ends in row 1 after 0 of 6000 numbers.");
  EXPECT_EQ(LoadErrorOf(test::TableText(test::ConstantTable(1.0), 999)),
            "test.data: the table ends in row 1000 after 5994 of 6000 numbers.");
  // a blank energy field in an exactly 1000-row file leaves one number short
  EXPECT_EQ(LoadErrorOf(WithRow(test::ConstantTable(1.0), 2, "          1 1 1 1 1")),
            "test.data: the table ends in row 1000 after 5999 of 6000 numbers.");
}

}  // namespace
}  // namespace kestrix
