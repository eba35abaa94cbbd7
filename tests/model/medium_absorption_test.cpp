// The NIST coefficients of water and soft tissue on the grid, and the kerma they give.

#include "medium_absorption.h"

#include <cmath>

#include <gtest/gtest.h>

#include "absolute_output.h"
#include "synthetic_table.h"
#include "tolerance.h"

namespace kestrix {
namespace {

TEST(MediumAbsorption, TheTablesRowsAndLogLogBetweenThem) {
  const GridArray& water = MediumEnergyAbsorption(KermaMedium::Water);
  const GridArray& tissue = MediumEnergyAbsorption(KermaMedium::SoftTissue);
  // rows of Hubbell and Seltzer's Table 4 fall on the grid as they stand
  EXPECT_DOUBLE_EQ(water[2], 4.065e3);     // 1 keV
  EXPECT_DOUBLE_EQ(water[20], 4.944);      // 10 keV
  EXPECT_DOUBLE_EQ(water[200], 2.546e-2);  // 100 keV
  EXPECT_DOUBLE_EQ(tissue[120], 3.264e-2);  // 60 keV
  EXPECT_DOUBLE_EQ(tissue[1000], 3.269e-2);  // 500 keV
  EXPECT_DOUBLE_EQ(water[1], water[2]);    // below the table: its first row
  // 45 keV, halfway in log E between 40 and 50 keV
  const double t = std::log(45.0 / 40) / std::log(50.0 / 40);
  EXPECT_REL_NEAR(water[90], std::exp(std::log(6.947e-2) + t * std::log(4.223e-2 / 6.947e-2)), 1e-14);
  // 3.5 keV lies below tissue's K edge of potassium (3.6074 keV), 4 keV above it
  const double below = std::log(3.5 / 3.0) / std::log(3.6074 / 3.0);
  EXPECT_REL_NEAR(tissue[7], std::exp(std::log(1.819e2) + below * std::log(1.061e2 / 1.819e2)), 1e-14);
  for (int i = 2; i < 1000; ++i) EXPECT_GT(tissue[i], 0);
}

TEST(MediumAbsorption, KermaOfAnyMediumIsTheAirKermaTimesItsCoefficientRatio) {
  AttenuationTable table = test::ConstantTable(0.0);
  for (int i = 1; i <= kGridLast; ++i) table.muEnAir[i] = 0.03;
  GridArray photons{};
  photons[120] = 1e-3;  // one bin at 60 keV
  const AbsoluteOutput one = ComputeAbsoluteOutput(photons, 1000, table);
  EXPECT_REL_NEAR(one.waterKermaMicroGrayPerMas, one.airKermaMicroGrayPerMas * 3.190e-2 / 0.03, 1e-14);
  EXPECT_REL_NEAR(one.tissueKermaMicroGrayPerMas, one.airKermaMicroGrayPerMas * 3.264e-2 / 0.03, 1e-14);
  photons[40] = 2e-3;  // and 20 keV, where water absorbs far more than at 60 keV
  const AbsoluteOutput two = ComputeAbsoluteOutput(photons, 500, table);
  const double water = (1e-3 * 60 * 3.190e-2 + 2e-3 * 20 * 5.503e-1) / ((1e-3 * 60 + 2e-3 * 20) * 0.03);
  EXPECT_REL_NEAR(two.waterKermaMicroGrayPerMas / two.airKermaMicroGrayPerMas, water, 1e-13);
}

}  // namespace
}  // namespace kestrix
