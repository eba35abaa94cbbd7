// The direction of a point off the central ray: the ray's angle to the target surface and its path
// through flat filters; and the spectra of the run that uses them.

#include "off_axis.h"

#include <cmath>

#include <gtest/gtest.h>

#include "calculation_run.h"
#include "synthetic_table.h"
#include "tolerance.h"

namespace kestrix {
namespace {

constexpr double kPi = 3.14159265358979323846;

TEST(OffAxisGeometry, TheRayLeavesTheSurfaceAtTheTargetAnglePlusAlongReducedByAcross) {
  const OffAxisGeometry central = OffAxisGeometryOf(20, 0, 0);
  EXPECT_REL_NEAR(central.cosecTakeOff, 1 / std::sin(20 * kPi / 180), 1e-15);
  EXPECT_EQ(central.pathFactor, 1.0);
  // towards the cathode the ray leaves more steeply, towards the anode it grazes the surface (the heel)
  EXPECT_REL_NEAR(OffAxisGeometryOf(20, 8, 0).cosecTakeOff, 1 / std::sin(28 * kPi / 180), 1e-14);
  EXPECT_REL_NEAR(OffAxisGeometryOf(20, -8, 0).cosecTakeOff, 1 / std::sin(12 * kPi / 180), 1e-14);
  // across: sin(theta) = cos(across) sin(target angle), the same on either side
  EXPECT_REL_NEAR(OffAxisGeometryOf(20, 0, 30).cosecTakeOff, 1 / (std::cos(kPi / 6) * std::sin(20 * kPi / 180)), 1e-14);
  EXPECT_EQ(OffAxisGeometryOf(12, 5, 30).cosecTakeOff, OffAxisGeometryOf(12, 5, -30).cosecTakeOff);
  // the oblique path through a flat filter: 1 / (cos(along) cos(across))
  EXPECT_REL_NEAR(OffAxisGeometryOf(20, 60, 0).pathFactor, 2.0, 1e-14);
  EXPECT_REL_NEAR(OffAxisGeometryOf(20, 10, -20).pathFactor, 1 / (std::cos(kPi / 18) * std::cos(kPi / 9)), 1e-14);
}

TEST(OffAxisGeometry, PointsBehindTheSurfaceOrFarOffTheRayAreRefused) {
  EXPECT_FALSE(OffAxisRefusal(20, -19, 60));
  EXPECT_EQ(OffAxisRefusal(20, -20, 0).value_or("").rfind("the point lies behind the target surface", 0), 0u);
  EXPECT_TRUE(OffAxisRefusal(12, -15, 0));
  for (const double bad : {61.0, -61.0, std::nan(""), HUGE_VAL}) {
    EXPECT_TRUE(OffAxisRefusal(20, 0, bad)) << bad;
    EXPECT_TRUE(OffAxisRefusal(20, bad, 0)) << bad;
  }
  EXPECT_THROW(OffAxisGeometryOf(20, -30, 0), std::invalid_argument);
}

class OffAxisRunTest : public ::testing::Test {
 protected:
  OffAxisRunTest() {
    state.table = test::PlausibleTable();
    state.tableLoaded = true;
  }
  /// the photon spectrum of 100 kV, 1 mm Be + 2.5 mm Al, at the point [degrees]
  GridArray Spectrum(double along, double across, SpectrumModel model = SpectrumModel::Physics) {
    RunEntries entries{100, 12, 1, 2.5, 0, 0};
    entries.offAxisAlongDegrees = along;
    entries.offAxisAcrossDegrees = across;
    ComputePhotonSpectrum(CorrectRunEntries(entries, model), model, RectificationType::ConstantPotential, state);
    return state.SpectrumBins;
  }
  static double Sum(const GridArray& bins) {
    double sum = 0;
    for (const double value : bins) sum += value;
    return sum;
  }
  CalculationState state;
};

TEST_F(OffAxisRunTest, ZeroIsTheCentralRaySymmetricAcrossAndFallingTowardsTheAnode) {
  RunEntries central{100, 12, 1, 2.5, 0, 0};
  ComputePhotonSpectrum(CorrectRunEntries(central, SpectrumModel::Physics), SpectrumModel::Physics,
                        RectificationType::ConstantPotential, state);
  const GridArray onAxis = state.SpectrumBins;
  EXPECT_EQ(Spectrum(0, 0), onAxis);
  EXPECT_EQ(Spectrum(0, 15), Spectrum(0, -15));
  // the heel effect: the output falls towards the anode (negative along), more steeply the nearer the surface
  const double anode = Sum(Spectrum(-6, 0)), middle = Sum(onAxis), cathode = Sum(Spectrum(6, 0));
  EXPECT_LT(anode, middle);
  EXPECT_LT(middle, cathode);
  EXPECT_GT(middle - anode, cathode - middle);
  // the formula models see the same ray
  EXPECT_LT(Sum(Spectrum(-6, 0, SpectrumModel::Tucker)), Sum(Spectrum(6, 0, SpectrumModel::Tucker)));
}

TEST_F(OffAxisRunTest, TheRayCrossesTheFiltersObliquely) {
  // across 40 degrees: the take-off of sin = cos(40) sin(12) and every filter 1 / cos(40) thicker; the
  // central ray of a target angle with that sine through the thicker filters is the same spectrum
  const double c = std::cos(40 * kPi / 180);
  const double angle = std::asin(c * std::sin(12 * kPi / 180)) * 180 / kPi;
  RunEntries equivalent{100, angle, 1 / c, 2.5 / c, 0, 0};
  RunInputs inputs = CorrectRunEntries(equivalent, SpectrumModel::Physics);
  ComputePhotonSpectrum(inputs, SpectrumModel::Physics, RectificationType::ConstantPotential, state);
  const GridArray expected = state.SpectrumBins;
  const GridArray off = Spectrum(0, 40);
  // (the run converts the equivalent angle with its own rounded pi: a few parts in a million)
  for (int i = 10; i <= 200; ++i) EXPECT_REL_NEAR(off[i], expected[i], 1e-4) << i;
  // a refused point leaves the material filters' thicknesses as they were
  state.filters.thickness[1] = 0.1;
  EXPECT_THROW(Spectrum(-12, 0), RunError);
  EXPECT_EQ(state.filters.thickness[1], 0.1);
}

}  // namespace
}  // namespace kestrix
