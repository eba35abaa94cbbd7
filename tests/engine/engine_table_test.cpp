// The engine's table read: columns, rows 1..600 only, and every kind of bad file.

#include "engine_table.h"

#include <sstream>

#include <gtest/gtest.h>

#include "engine_test_files.h"
#include "tolerance.h"

namespace kestrix {
namespace {

std::string ErrorOf(const std::string& text) {
  std::istringstream in(text);
  try {
    ReadEngineTable(in, "MUs_202202.data");
  } catch (const EngineInputError& error) {
    return error.what();
  }
  return "";
}

TEST(ReadEngineTable, TakesAluminiumCopperAndAirColumns) {
  std::istringstream in(test::TableText());
  const EngineTable table = ReadEngineTable(in, "t");
  for (const int i : {1, 2, 100, 600}) {
    const double keV = 0.5 * i;
    EXPECT_REL_NEAR(table.muAl[i], test::SyntheticMuAl(keV), 1e-5);
    EXPECT_REL_NEAR(table.muCu[i], test::SyntheticMuCu(keV), 1e-5);
    EXPECT_REL_NEAR(table.muEnAir[i], test::SyntheticMuEnAir(keV), 1e-5);
  }
  EXPECT_EQ(table.muAl[0], 0.0f);
}

TEST(ReadEngineTable, EnergyUnitAndRowsAfter600DoNotMatter) {
  std::string text = test::TableText();
  std::istringstream plainInput(text);
  const EngineTable plain = ReadEngineTable(plainInput, "t");
  // Energies in keV rather than MeV and garbage after row 600 change nothing.
  for (int i = 1; i <= 600; ++i) text.replace(76 * (i - 1), 9, test::TableRow(500.0 * i, 1, 1, 1, 1, 1).substr(0, 9));
  text = text.substr(0, 600 * 76) + "garbage that is no table row\r\n";
  std::istringstream changedInput(text);
  const EngineTable changed = ReadEngineTable(changedInput, "t");
  EXPECT_EQ(changed.muAl, plain.muAl);
  EXPECT_EQ(changed.muCu, plain.muCu);
  EXPECT_EQ(changed.muEnAir, plain.muEnAir);
}

// The same faults the calculation's reader refuses, on the same lines, so both read one table or none.
TEST(ReadEngineTable, ValuesNoTableCanHoldAreRefusedNamingTheLine) {
  const std::string good = test::TableText();
  const auto row = [&good](int i) { return good.substr(76 * (i - 1), 76); };
  const auto expectRefused = [](const std::string& text, const std::string& part) {
    const std::string message = ErrorOf(text);
    EXPECT_NE(message.find(part), std::string::npos) << message;
  };
  std::string negativeAir = good;
  negativeAir.replace(76 * 119, 74, test::TableRow(60.0, 1, 1, 1, 1, -0.025));
  expectRefused(negativeAir, "MUs_202202.data, line 120: the air coefficient -0.025 (column 6) is not a positive number");
  std::string zeroAluminium = good;
  zeroAluminium.replace(76 * 9, 74, test::TableRow(5.0, 1, 0, 1, 1, 1));
  expectRefused(zeroAluminium, "line 10: the aluminium coefficient 0 (column 3)");
  expectRefused(good.substr(0, 76 * 40) + row(42) + row(41) + good.substr(76 * 42), "line 42: the energy");
  expectRefused(good.substr(0, 76 * 301) + row(301) + good.substr(76 * 301), "line 302: the row repeats the previous one");
  expectRefused(good.substr(0, 76 * 10) + "  \r\n" + good.substr(76 * 10), "line 11: the line is blank");
  std::string blankEnergy = good;
  blankEnergy.replace(76 * 4, 9, 9, ' ');
  expectRefused(blankEnergy, "line 5: the energy 0 is not a positive number");
}

TEST(ReadEngineTable, TheDeliveredTablePassesEveryCheck) {
  std::istringstream in(test::ReadBytes(std::string(KESTRIX_DELIVERED_DATA) + "/MUs_202202.data"));
  const EngineTable table = ReadEngineTable(in, "MUs_202202.data");
  EXPECT_EQ(table.muAl[1], 1.82058E+04f);
  EXPECT_EQ(table.muEnAir[600], 2.87200E-02f) << "row 600 of the delivered table";
}

TEST(ReadEngineTable, LinesEndedByLineFeedOnlyReadAlike) {
  std::string text = test::TableText();
  std::istringstream crlf(text);
  std::string lf;
  for (const char c : text) {
    if (c != '\r') lf += c;
  }
  std::istringstream lfInput(lf);
  EXPECT_EQ(ReadEngineTable(crlf, "t").muCu, ReadEngineTable(lfInput, "t").muCu);
}

TEST(ReadEngineTable, BareIntegerCoefficientGetsFiveImpliedDecimals) {
  std::string text = test::TableText();
  text.replace(76 * 9 + 22, 13, "       123456");  // row 10, aluminium column
  std::istringstream in(text);
  EXPECT_FLOAT_EQ(ReadEngineTable(in, "t").muAl[10], 1.23456f);
}

TEST(ReadEngineTable, ShortFileNamesTheLastLine) {
  const std::string text = test::TableText().substr(0, 599 * 76);
  EXPECT_NE(ErrorOf(text).find("MUs_202202.data ends after line 599"), std::string::npos) << ErrorOf(text);
  EXPECT_NE(ErrorOf("").find("ends after line 0"), std::string::npos);
}

TEST(ReadEngineTable, FieldThatIsNotANumberNamesFileLineAndField) {
  std::string text = test::TableText();
  text.replace(76 * 41 + 50, 3, "abc");  // row 42, beryllium column: dropped, but still read
  const std::string message = ErrorOf(text);
  EXPECT_NE(message.find("MUs_202202.data, line 42: field 5"), std::string::npos) << message;
}

}  // namespace
}  // namespace kestrix
