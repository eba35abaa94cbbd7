// Reading energy/value tables and interpolating them log-log, edges included.

#include "log_log_table.h"

#include <cmath>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "tolerance.h"

namespace kestrix::tools {
namespace {

constexpr int kMuEnColumn = 2;

LogLogTable ReadText(const std::string& text, int column = 1) {
  std::istringstream in(text);
  return ReadEnergyValueTable(in, "table.tsv", column);
}

TEST(LogLogTable, ProjectCopyOfNistAirTableReadsAllRows) {
  std::ifstream in(KESTRIX_TOOLS_SOURCE "/nist_air_dry.tsv");
  ASSERT_TRUE(in);
  const LogLogTable air = ReadEnergyValueTable(in, "nist_air_dry.tsv", kMuEnColumn);
  ASSERT_EQ(air.Rows().size(), 27u);
  // A tabulated energy gives its own row; the Ar K edge (3.2029 keV) takes the row above it.
  EXPECT_REL_NEAR(air.ValueAt(1.0e-3), 3599.0, 1e-12);
  EXPECT_REL_NEAR(air.ValueAt(2.0e-2), 0.5389, 1e-12);
  EXPECT_REL_NEAR(air.ValueAt(3.2029e-3), 146.0, 1e-12);
  EXPECT_LT(air.ValueAt(3.2029e-3 * (1 - 1e-9)), 133.0 * 1.0001);
}

TEST(LogLogTable, InterpolatesStraightLinesInLogLog) {
  const LogLogTable table = ReadText("1 100\n4 1\n");
  // Geometric midpoint of the energies gives the geometric mean of the values.
  EXPECT_REL_NEAR(table.ValueAt(2.0), 10.0, 1e-12);
  // Outside the table the end segments are extended.
  EXPECT_REL_NEAR(table.ValueAt(0.5), 1000.0, 1e-12);
  EXPECT_REL_NEAR(table.ValueAt(8.0), 0.1, 1e-12);
}

TEST(LogLogTable, EdgeSplitsTheCurve) {
  // Edge at 2: below it the curve runs 1 -> 2 on the first row pair, above it 2 -> 4.
  const LogLogTable table = ReadText("# comment\n\n1 8\n2 1\n2 16\n4 2\n");
  EXPECT_REL_NEAR(table.ValueAt(std::sqrt(2.0)), std::sqrt(8.0), 1e-12);
  EXPECT_REL_NEAR(table.ValueAt(2.0), 16.0, 1e-12);
  EXPECT_REL_NEAR(table.ValueAt(std::sqrt(8.0)), std::sqrt(32.0), 1e-12);
  EXPECT_REL_NEAR(table.ValueAt(2.0 * (1 - 1e-12)), 1.0, 1e-9);
}

TEST(LogLogTable, RefusesMalformedTablesNamingSourceAndLine) {
  const struct {
    const char* text;
    const char* expectedInMessage;
  } cases[] = {
      {"1 100\n2 abc\n", "line 2"},
      {"1 100\n2\n", "line 2"},
      {"1 100\n2 1e999\n", "line 2"},
      {"2 100\n1 10\n", "lower energy"},
      {"1 100\n2 50\n2 60\n2 70\n3 10\n", "third row"},
      {"1 100\n2 0\n", "not positive"},
      {"1 100\n", "at least two rows"},
      {"", "at least two rows"},
      {"1 100\n1 200\n2 10\n", "start or end with an edge"},
  };
  for (const auto& c : cases) {
    try {
      ReadText(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const TableReadError& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find("table.tsv"), std::string::npos) << message;
      EXPECT_NE(message.find(c.expectedInMessage), std::string::npos) << message;
    }
  }
}

TEST(LogLogTable, RefusesNonPositiveEnergyQueries) {
  const LogLogTable table = ReadText("1 100\n4 1\n");
  EXPECT_THROW(table.ValueAt(0.0), std::invalid_argument);
  EXPECT_THROW(table.ValueAt(-1.0), std::invalid_argument);
}

}  // namespace
}  // namespace kestrix::tools
