// Fixed-column layout of one attenuation table row, "(E9.3,5E13.5)".

#include "attenuation_row.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include <gtest/gtest.h>

namespace kestrix::tools {
namespace {

TEST(FormatEnergyE93, WritesNineCharactersInNormalisedForm) {
  EXPECT_EQ(FormatEnergyE93(0.5), "0.500E+00");
  EXPECT_EQ(FormatEnergyE93(1.0), "0.100E+01");
  EXPECT_EQ(FormatEnergyE93(69.5), "0.695E+02");
  EXPECT_EQ(FormatEnergyE93(500.0), "0.500E+03");
  EXPECT_EQ(FormatEnergyE93(0.001234), "0.123E-02");
  // Rounding to three digits that carries into the exponent.
  EXPECT_EQ(FormatEnergyE93(99.99), "0.100E+03");
}

TEST(FormatAttenuationRow, FillsSeventyFourColumnsWithBlankSeparatedFields) {
  const std::string row = FormatAttenuationRow(30.0, {438.719, 3.04546, 97.7927, 0.331198, 0.1537});
  EXPECT_EQ(row, "0.300E+02  4.38719E+02  3.04546E+00  9.77927E+01  3.31198E-01  1.53700E-01");
  EXPECT_EQ(row.size(), static_cast<std::size_t>(kAttenuationRowWidth));
}

TEST(FormatAttenuationRow, RefusesValuesThatAreNotFinitePositiveNumbers) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (double bad : {nan, inf, 0.0, -1.0}) {
    EXPECT_THROW(FormatAttenuationRow(1.0, {1, 1, bad, 1, 1}), std::invalid_argument) << bad;
    EXPECT_THROW(FormatAttenuationRow(bad, {1, 1, 1, 1, 1}), std::invalid_argument) << bad;
  }
}

}  // namespace
}  // namespace kestrix::tools
