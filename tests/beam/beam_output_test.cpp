// Absolute output: unit conversion checked by hand on one line, the inverse square, and the reasons
// given for a relative model and a bad distance.

#include "beam_output.h"

#include <cmath>
#include <stdexcept>

#include <gtest/gtest.h>

#include "tolerance.h"

namespace kestrix {
namespace {

/// one photon per keV per sr per electron in the 60 keV bin, none elsewhere
PhotonSpectrum SixtyKeVLine() {
  PhotonSpectrum spectrum{};
  spectrum[120] = 1.0;
  return spectrum;
}

AttenuationTable AirOnly(double muEnAir) {
  AttenuationTable table;
  table.muEnAir.fill(muEnAir);
  return table;
}

TEST(BeamOutput, OneLineGivesFluenceAndKermaAsComputedByHand) {
  const BeamOutput output = ComputeBeamOutput(SixtyKeVLine(), 1000, AirOnly(0.03));
  // 6.2415e15 electrons per mAs, 0.5 keV bin, 1e6 mm2 per sr at 1 m
  const double photonsPerMm2 = 1e-3 / 1.602176634e-19 * 0.5 / 1e6;
  ASSERT_TRUE(output.photonFluencePerMasPerMm2);
  EXPECT_REL_NEAR(*output.photonFluencePerMasPerMm2, photonsPerMm2, 1e-8);
  // per cm2 x 60 keV in J x mu_en/rho [cm2/g] x 1000 g/kg, in uGy
  const double microGray = photonsPerMm2 * 100 * 60 * 1.602176634e-16 * 0.03 * 1000 * 1e6;
  ASSERT_TRUE(output.airKermaMicroGrayPerMas);
  EXPECT_REL_NEAR(*output.airKermaMicroGrayPerMas, microGray, 1e-8);
  EXPECT_EQ(output.distanceMm, 1000);
  EXPECT_EQ(output.missing, "");
  // water and soft tissue: the same photons with NIST's mu_en/rho at 60 keV, 0.03190 and 0.03264 cm2/g
  ASSERT_TRUE(output.waterKermaMicroGrayPerMas && output.tissueKermaMicroGrayPerMas);
  EXPECT_REL_NEAR(*output.waterKermaMicroGrayPerMas, microGray * 0.03190 / 0.03, 1e-8);
  EXPECT_REL_NEAR(*output.tissueKermaMicroGrayPerMas, microGray * 0.03264 / 0.03, 1e-8);
}

TEST(BeamOutput, FallsWithTheInverseSquareOfTheDistance) {
  const AttenuationTable table = AirOnly(0.05);
  const BeamOutput near = ComputeBeamOutput(SixtyKeVLine(), 500, table);
  const BeamOutput far = ComputeBeamOutput(SixtyKeVLine(), 2000, table);
  EXPECT_REL_NEAR(*near.airKermaMicroGrayPerMas / *far.airKermaMicroGrayPerMas, 16.0, 1e-8);
  EXPECT_REL_NEAR(*near.photonFluencePerMasPerMm2 / *far.photonFluencePerMasPerMm2, 16.0, 1e-8);
  const PhotonSpectrum perMas = FluencePerMasSpectrum(SixtyKeVLine(), 2000);
  EXPECT_REL_NEAR(perMas[120] * 0.5, *far.photonFluencePerMasPerMm2, 1e-8);
}

TEST(BeamOutput, RelativeModelsAndBadDistancesGiveNoFigures) {
  const BeamOutput relative = RelativeModelOutput("tucker", 750);
  EXPECT_FALSE(relative.airKermaMicroGrayPerMas);
  EXPECT_FALSE(relative.photonFluencePerMasPerMm2);
  EXPECT_FALSE(relative.waterKermaMicroGrayPerMas || relative.tissueKermaMicroGrayPerMas);
  EXPECT_EQ(relative.distanceMm, 750);
  EXPECT_NE(relative.missing.find("tucker model is relative"), std::string::npos) << relative.missing;
  for (const double distance : {0.0, -1.0, std::nan(""), HUGE_VAL, 1e-200, 0.999}) {
    EXPECT_THROW(ComputeBeamOutput(SixtyKeVLine(), distance, AirOnly(0.03)), std::invalid_argument) << distance;
  }
  // the nearest distance is given with its reason; from it up, every figure is finite
  try {
    CheckDistance(1e-200);
    ADD_FAILURE() << "1e-200 mm was accepted";
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(error.what(),
                 "the distance from the focal spot must be a number of millimetres from 1 mm up (the focal spot is "
                 "not a point: nearer, its output does not fall with the inverse square), not 1e-200 mm");
  }
  for (const double distance : {kMinimumDistanceMm, 1e300}) {
    const BeamOutput output = ComputeBeamOutput(SixtyKeVLine(), distance, AirOnly(0.03));
    ASSERT_TRUE(output.airKermaMicroGrayPerMas && output.photonFluencePerMasPerMm2) << distance;
    EXPECT_TRUE(std::isfinite(*output.airKermaMicroGrayPerMas) && std::isfinite(*output.photonFluencePerMasPerMm2));
  }
  PhotonSpectrum broken = SixtyKeVLine();
  broken[200] = -1;
  EXPECT_FALSE(ComputeBeamOutput(broken, 1000, AirOnly(0.03)).airKermaMicroGrayPerMas);
  EXPECT_FALSE(ComputeBeamOutput(broken, 1000, AirOnly(0.03)).waterKermaMicroGrayPerMas);
}

}  // namespace
}  // namespace kestrix
