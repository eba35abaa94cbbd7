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

TEST(ReadEngineTable, EnergyColumnAndRowsAfter600DoNotMatter) {
  std::string text = test::TableText();
  std::istringstream plainInput(text);
  const EngineTable plain = ReadEngineTable(plainInput, "t");
  // Wrong energies, a blank energy field and garbage after row 600 change nothing.
  text.replace(0, 9, "9.999E+09");
  text.replace(76, 9, "         ");
  text = text.substr(0, 600 * 76) + "garbage that is no table row\r\n";
  std::istringstream changedInput(text);
  const EngineTable changed = ReadEngineTable(changedInput, "t");
  EXPECT_EQ(changed.muAl, plain.muAl);
  EXPECT_EQ(changed.muCu, plain.muCu);
  EXPECT_EQ(changed.muEnAir, plain.muEnAir);
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
