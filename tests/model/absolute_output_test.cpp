#include "absolute_output.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include <gtest/gtest.h>

#include "synthetic_table.h"
#include "tolerance.h"

namespace kestrix {
namespace {

TEST(AbsoluteOutput, OneBinByHand) {
  AttenuationTable table = test::ConstantTable(0.0);
  table.muEnAir[120] = 0.2;  // 60 keV [cm2/g]
  GridArray photons{};
  photons[120] = 1e-3;  // photons per keV per sr per electron
  const AbsoluteOutput output = ComputeAbsoluteOutput(photons, 1000, table);
  // 1e-3 * 0.5 keV photons per sr per electron, 1 sr = 1e6 mm2 at 1 m, 6.2415e15 electrons per mAs
  const double perElectronPerMm2 = 1e-3 * 0.5 / 1e6;
  EXPECT_REL_NEAR(output.photonFluencePerMasPerMm2, perElectronPerMm2 * kElectronsPerMilliampereSecond, 1e-14);
  // kerma = fluence [1/cm2] * E * mu_en/rho, keV/g -> uGy
  const double kerma = perElectronPerMm2 * 100 * 60 * 0.2 * 1.602176634e-13 * 1e6 * kElectronsPerMilliampereSecond;
  EXPECT_REL_NEAR(output.airKermaMicroGrayPerMas, kerma, 1e-14);
  EXPECT_EQ(output.distanceMm, 1000.0);
  EXPECT_REL_NEAR(kElectronsPerMilliampereSecond, 6.241509074e15, 1e-9);
}

TEST(AbsoluteOutput, KermaAndFluenceFallWithTheInverseSquare) {
  const AttenuationTable table = test::PlausibleTable();
  GridArray photons{};
  for (int i = 20; i <= 200; ++i) photons[i] = 1e-4 * std::exp(-0.02 * i);
  const AbsoluteOutput near = ComputeAbsoluteOutput(photons, 500, table);
  const AbsoluteOutput far = ComputeAbsoluteOutput(photons, 1500, table);
  EXPECT_REL_NEAR(near.airKermaMicroGrayPerMas / far.airKermaMicroGrayPerMas, 9.0, 1e-12);
  EXPECT_REL_NEAR(near.photonFluencePerMasPerMm2 / far.photonFluencePerMasPerMm2, 9.0, 1e-12);
}

TEST(AbsoluteOutput, RefusesABadDistanceOrSpectrum) {
  const AttenuationTable table = test::PlausibleTable();
  GridArray photons{};
  photons[100] = 1e-4;
  for (const double bad : {0.0, -10.0, std::numeric_limits<double>::infinity(), std::nan("")}) {
    EXPECT_THROW(ComputeAbsoluteOutput(photons, bad, table), std::invalid_argument) << bad;
  }
  photons[50] = -1;
  EXPECT_THROW(ComputeAbsoluteOutput(photons, 1000, table), std::invalid_argument);
  photons[50] = std::nan("");
  EXPECT_THROW(ComputeAbsoluteOutput(photons, 1000, table), std::invalid_argument);
}

}  // namespace
}  // namespace kestrix
