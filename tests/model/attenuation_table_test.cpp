#include "attenuation_table.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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
  for (int i = 1; i < 1000; ++i) text += std::to_string(0.5 * i) + ", 1.5e+01 ,2.0\t3.0E-01\n4\n5.,\n";
  text += "500 1 2 3 4 .5";  // the last row without a line end
  const AttenuationTable table = Read(text);
  EXPECT_EQ(table.muW[7], 15.0);
  EXPECT_EQ(table.muAl[7], 2.0);
  EXPECT_EQ(table.muCu[7], 0.3);
  EXPECT_EQ(table.muBe[7], 4.0);
  EXPECT_EQ(table.muEnAir[7], 5.0);
  EXPECT_EQ(table.muEnAir[1000], 0.5);
}

/// Fault and line of the TableLoadError that reading text raises, with its message.
struct Refusal {
  TableFault fault = TableFault::Unreadable;
  int line = 0;
  std::string message;
};

Refusal RefusalOf(const std::string& text) {
  try {
    Read(text);
  } catch (const TableLoadError& error) {
    return {error.Fault(), error.Line(), error.what()};
  }
  ADD_FAILURE() << "the table was accepted";
  return {};
}

TEST(ReadAttenuationTable, ValuesNoTableCanHoldAreRefusedNamingRowAndLine) {
  const AttenuationTable table = test::PlausibleTable();
  const std::string good = test::TableText(table);
  std::vector<std::string> lines;
  std::istringstream in(good);
  for (std::string line; std::getline(in, line);) lines.push_back(line + "\n");
  const auto joined = [](const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += part;
    return text;
  };
  const auto refusedAt = [](const std::string& text, int line, const std::string& part) {
    const Refusal refusal = RefusalOf(text);
    EXPECT_EQ(refusal.fault, TableFault::BadValue) << refusal.message;
    EXPECT_EQ(refusal.line, line) << refusal.message;
    EXPECT_NE(refusal.message.find(part), std::string::npos) << refusal.message;
  };
  // a negative air coefficient (once gave a homogeneity above 1), zero, and one beyond any table
  for (const char* air : {"-0.025", "0", "1e31"}) {
    refusedAt(WithRow(table, 120, "6.000E+01 1 1 1 1 " + std::string(air)), 120, "row 120 (line 120): the air coefficient");
  }
  // swapped rows
  std::vector<std::string> swapped = lines;
  std::swap(swapped[40], swapped[41]);
  refusedAt(joined(swapped), 42, "below the previous row's");
  // a duplicated row (the table then ends one row early, 1001 lines in all)
  std::vector<std::string> duplicated = lines;
  duplicated.insert(duplicated.begin() + 300, lines[300]);
  refusedAt(joined(duplicated), 302, "a duplicated row");
  // a blank line, which would shift only the engine's rows
  std::vector<std::string> blank = lines;
  blank.insert(blank.begin() + 10, "   \r\n");
  refusedAt(joined(blank), 11, "line 11: the line is blank");
  // a blank energy field shifts the list: caught where the shifted energies fall
  refusedAt(WithRow(table, 5, "          1 1 1 1 1"), 6, "row 5 (line 6): the energy 1 is below");
}

TEST(ReadAttenuationTable, RepeatedEnergiesOfEdgesAndRoundedPrintsAreAccepted) {
  std::string text;
  for (int i = 1; i <= 1000; ++i) {
    // three significant digits, as the delivered table prints 100.5 keV as 0.100E+03
    char energy[16];
    std::snprintf(energy, sizeof energy, "%.2E", PhotonEnergy(i));
    text += std::string(energy) + " " + std::to_string(2000.0 - i) + " 2 3 4 5\r\n";
  }
  EXPECT_EQ(Read(text).muW[202], 1798.0);
}

TEST(ReadAttenuationTable, TheDeliveredTablePassesEveryCheck) {
  std::ifstream in(std::string(KESTRIX_DELIVERED_DATA) + "/MUs_202202.data", std::ios::binary);
  ASSERT_TRUE(in);
  const AttenuationTable table = ReadAttenuationTable(in, "MUs_202202.data");
  EXPECT_EQ(table.muW[1], 1.78157E+05);
  EXPECT_EQ(table.muEnAir[1000], 2.96600E-02);
}

TEST(ReadAttenuationTable, AHugeItemIsQuotedInPartOnly) {
  const std::string huge(1 << 20, '7');
  const std::string message = LoadErrorOf(WithRow(test::ConstantTable(1.0), 3, "1.5 1 1 1 1 x" + huge));
  EXPECT_LT(message.size(), 300u);
  EXPECT_NE(message.find("test.data, row 3 (line 3): \"x777"), std::string::npos) << message;
  EXPECT_NE(message.find("... (1048577 bytes)\" is not a number"), std::string::npos) << message;
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
