#include "transmission_emission.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "characteristic_lines.h"
#include "electron_stopping_power.h"
#include "electron_transmission.h"
#include "synthetic_transmission.h"
#include "target_constants.h"

namespace kestrix {
namespace {

const AttenuationTable& DeliveredTable() {
  static const AttenuationTable table = [] {
    std::ifstream in(std::string(KESTRIX_DELIVERED_DATA) + "/" + kAttenuationTableFile);
    return ReadAttenuationTable(in, kAttenuationTableFile);
  }();
  return table;
}

/// the synthetic electron table (synthetic_transmission.h): the tests below hold for any table
std::shared_ptr<const ElectronTransmission> SyntheticElectrons() {
  static const auto table = std::make_shared<const ElectronTransmission>(test::SyntheticTransmissionNumbers());
  return table;
}

TransmissionEmissionModel Model(double layerUm, TransmissionWindow window = TransmissionWindow::Diamond,
                                double windowMm = 0.3, bool lines = true) {
  return TransmissionEmissionModel({layerUm, window, windowMm}, lines, SyntheticElectrons());
}

double Total(const GridArray& emission, int first = 0) {
  double sum = 0;
  for (int i = first; i <= kGridLast; ++i) sum += emission[i];
  return sum;
}

// --- the layer's bremsstrahlung ---

TEST(TransmissionEmission, AThinLayerEmitsInProportionToItsThickness) {
  for (const double kVp : {40.0, 100.0, 250.0}) {
    const double thin = Total(Model(0.02).SampleParts(kVp, 1, DeliveredTable()).layer);
    const double twice = Total(Model(0.04).SampleParts(kVp, 1, DeliveredTable()).layer);
    EXPECT_GT(thin, 0);
    EXPECT_NEAR(twice / thin, 2.0, 0.06) << kVp;
  }
}

TEST(TransmissionEmission, BeyondTheElectronsRangeAThickerLayerOnlyAttenuates) {
  // at 60 kV the electrons stop within 0.8 R_W = 5.4 um: every bin of the layer's bremsstrahlung
  // falls with exp(-mu_W dt c) as the layer grows beyond it
  const double kVp = 60, c = 1.2;
  const TransmissionParts first = Model(8).SampleParts(kVp, c, DeliveredTable());
  for (const double layer : {10.0, 20.0}) {
    const TransmissionParts thicker = Model(layer).SampleParts(kVp, c, DeliveredTable());
    for (int i = 2; i < TopBinFor(kVp); ++i) {
      const double expected = first.layer[i] * std::exp(-DeliveredTable().muW[i] * (layer - 8) * 1e-4 * c);
      ASSERT_NEAR(thicker.layer[i], expected, 1e-10 * first.layer[i]) << layer << " um, bin " << i;
      ASSERT_LE(thicker.lines[i], first.lines[i] * (1 + 1e-12)) << layer << " um, bin " << i;
    }
    EXPECT_EQ(Total(thicker.window), 0.0);
  }
}

TEST(TransmissionEmission, TheSpectrumEndsAtTheTubeVoltage) {
  for (const double kVp : {20.0, 47.5, 100.0, 300.0}) {
    const TransmissionParts parts = Model(1).SampleParts(kVp, 1, DeliveredTable());
    const int top = TopBinFor(kVp);
    for (int i = top + 1; i <= kGridLast; ++i) {
      ASSERT_EQ(parts.layer[i] + parts.window[i] + parts.lines[i], 0.0) << kVp << " kV, bin " << i;
    }
    EXPECT_GT(parts.layer[top - 1], 0.0) << kVp;
    EXPECT_EQ(parts.layer[0] + parts.layer[1], 0.0);
  }
}

TEST(TransmissionEmission, PerElectronAsTheReflectionModelIs) {
  // a few um of tungsten at 100 kV: of the order of the thick target's 1e-3 keV/sr per electron
  const double total = Total(Model(5).SampleParts(100, 1, DeliveredTable()).layer) * kKeVPerGridIndex;
  EXPECT_GT(total, 1e-4);
  EXPECT_LT(total, 1e-1);
}

// --- the window ---

TEST(TransmissionEmission, WindowBremsstrahlungGrowsWithItsAtomicNumber) {
  // a thin layer: most electrons stop in the window; above 40 keV the window absorbs little, so its
  // emission follows the radiative yield, roughly in proportion to Z (4, 6, 13)
  const auto windowAbove40 = [](TransmissionWindow window) {
    return Total(Model(0.1, window, 0.5).SampleParts(150, 1, DeliveredTable()).window, 80);
  };
  const double beryllium = windowAbove40(TransmissionWindow::Beryllium);
  const double diamond = windowAbove40(TransmissionWindow::Diamond);
  const double aluminium = windowAbove40(TransmissionWindow::Aluminium);
  EXPECT_GT(beryllium, 0);
  EXPECT_GT(diamond / beryllium, 1.2);
  EXPECT_LT(diamond / beryllium, 2.0);
  EXPECT_GT(aluminium / diamond, 1.6);
  EXPECT_LT(aluminium / diamond, 3.0);
}

TEST(TransmissionEmission, AThickerWindowAttenuatesTheWholeBeam) {
  const TransmissionParts thin = Model(1, TransmissionWindow::Beryllium, 0.5).SampleParts(100, 1, DeliveredTable());
  const TransmissionParts thick = Model(1, TransmissionWindow::Beryllium, 2.5).SampleParts(100, 1, DeliveredTable());
  for (int i = 2; i < 200; ++i) {
    const double through = std::exp(-DeliveredTable().muBe[i] * 0.2);
    ASSERT_NEAR(thick.layer[i], thin.layer[i] * through, 1e-10 * thin.layer[i]) << i;
    ASSERT_NEAR(thick.lines[i], thin.lines[i] * through, 1e-10 * thin.lines[i] + 1e-300) << i;
    ASSERT_NEAR(thick.window[i], thin.window[i] * through, 1e-10 * thin.window[i] + 1e-300) << i;
  }
}

// --- off the central ray ---

TEST(TransmissionPathFactor, IsSymmetricInBothAnglesAndTheirSigns) {
  EXPECT_EQ(TransmissionPathFactor(0, 0), 1.0);
  EXPECT_EQ(TransmissionPathFactor(12, 30), TransmissionPathFactor(30, 12));
  EXPECT_EQ(TransmissionPathFactor(-12, 30), TransmissionPathFactor(12, 30));
  EXPECT_EQ(TransmissionPathFactor(12, -30), TransmissionPathFactor(12, 30));
  EXPECT_NEAR(TransmissionPathFactor(60, 0), 2.0, 1e-12);
}

TEST(TransmissionPathFactor, RefusesAnglesBeyondTheLimitOrNotFinite) {
  EXPECT_THROW(TransmissionPathFactor(61, 0), std::invalid_argument);
  EXPECT_THROW(TransmissionPathFactor(0, -61), std::invalid_argument);
  EXPECT_THROW(TransmissionPathFactor(std::nan(""), 0), std::invalid_argument);
}

TEST(TransmissionEmission, OffTheAxisTheSameAlongAndAcross) {
  const TransmissionEmissionModel model = Model(2);
  const TransmissionParts along = model.SampleParts(120, TransmissionPathFactor(25, 0), DeliveredTable());
  const TransmissionParts across = model.SampleParts(120, TransmissionPathFactor(0, -25), DeliveredTable());
  EXPECT_EQ(along.layer, across.layer);
  EXPECT_EQ(along.lines, across.lines);
  // off the axis the longer path through tungsten and window takes more of the lowest energies
  const TransmissionParts central = model.SampleParts(120, 1, DeliveredTable());
  EXPECT_LT(along.layer[30] / along.layer[180], central.layer[30] / central.layer[180]);
}

// --- the lines ---

TEST(TransmissionEmission, TungstenLinesAtTheirEnergies) {
  const int kAlpha1 = NearestGridIndex(59.318), lAlpha1 = NearestGridIndex(8.398);
  const TransmissionParts below = Model(3).SampleParts(60, 1, DeliveredTable());   // below the K edge
  const TransmissionParts above = Model(3).SampleParts(100, 1, DeliveredTable());
  EXPECT_GT(below.lines[lAlpha1], 0);
  EXPECT_EQ(below.lines[kAlpha1], 0);
  EXPECT_GT(above.lines[kAlpha1], 0);
  EXPECT_GT(above.lines[lAlpha1], 0);
  // a K line stands well above the bremsstrahlung under it
  EXPECT_GT(above.lines[kAlpha1], above.layer[kAlpha1]);
  // nothing between the lines
  for (const int bin : {40, 80, 100, 150}) EXPECT_EQ(above.lines[bin], 0.0) << bin;
  EXPECT_EQ(Total(Model(3, TransmissionWindow::Diamond, 0.3, false).SampleParts(100, 1, DeliveredTable()).lines), 0.0);
}

TEST(TransmissionEmission, SampleEmissionsAreTheSumOfTheParts) {
  const TransmissionEmissionModel model = Model(1.5, TransmissionWindow::Aluminium, 1.0);
  std::vector<GridArray> emissions;
  model.SampleEmissions({80, 120}, 1.1, DeliveredTable(), emissions);
  ASSERT_EQ(emissions.size(), 2u);
  const TransmissionParts parts = model.SampleParts(120, 1.1, DeliveredTable());
  for (int i = 0; i <= kGridLast; ++i) EXPECT_EQ(emissions[1][i], parts.layer[i] + parts.window[i] + parts.lines[i]);
}

// --- bad input ---

TEST(TransmissionRefusal, NamesWhatCannotBeComputed) {
  const TransmissionTarget good{1, TransmissionWindow::Diamond, 0.3};
  EXPECT_EQ(TransmissionRefusal(SpectrumModel::Physics, TargetMaterial::Tungsten, good, 130), std::nullopt);
  EXPECT_EQ(TransmissionRefusal(SpectrumModel::Tucker, TargetMaterial::Tungsten, TransmissionTarget{}, 100), std::nullopt);
  const auto refusal = [](SpectrumModel model, TargetMaterial target, TransmissionTarget t, double kVp) {
    return TransmissionRefusal(model, target, t, kVp).value_or("");
  };
  EXPECT_NE(refusal(SpectrumModel::Tucker, TargetMaterial::Tungsten, good, 100).find("physics model only"), std::string::npos);
  EXPECT_NE(refusal(SpectrumModel::Physics, TargetMaterial::Molybdenum, good, 100).find("tungsten"), std::string::npos);
  for (const double layer : {std::nan(""), HUGE_VAL, 0.001, 2000.0}) {
    EXPECT_NE(refusal(SpectrumModel::Physics, TargetMaterial::Tungsten, {layer, TransmissionWindow::Diamond, 0.3}, 100)
                  .find("um thick"),
              std::string::npos)
        << layer;
  }
  for (const double window : {std::nan(""), 0.0, -1.0, HUGE_VAL}) {
    EXPECT_NE(refusal(SpectrumModel::Physics, TargetMaterial::Tungsten, {1, TransmissionWindow::Beryllium, window}, 100)
                  .find("Be window"),
              std::string::npos)
        << window;
  }
  for (const double kVp : {19.9, 300.1, std::nan("")}) {
    EXPECT_NE(refusal(SpectrumModel::Physics, TargetMaterial::Tungsten, good, kVp).find("20 to 300 kV"), std::string::npos)
        << kVp;
  }
}

TEST(TransmissionRefusal, AWindowThinnerThanTheElectronsRangeGivesBothNumbers) {
  const double range = WindowCsdaRangeMm(TransmissionWindow::Diamond, 300);
  const std::string text =
      TransmissionRefusal(SpectrumModel::Physics, TargetMaterial::Tungsten, {1, TransmissionWindow::Diamond, 0.1}, 300)
          .value_or("");
  EXPECT_NE(text.find("0.1 mm"), std::string::npos) << text;
  EXPECT_NE(text.find("300 kV, 0.2697 mm"), std::string::npos) << text << " " << range;
  EXPECT_NE(text.find("at least 0.2698 mm"), std::string::npos) << text;  // rounded up: enough as shown
  EXPECT_NE(text.find("would leave the window"), std::string::npos) << text;
  EXPECT_EQ(TransmissionRefusal(SpectrumModel::Physics, TargetMaterial::Tungsten,
                                {1, TransmissionWindow::Diamond, range * 1.0001}, 300),
            std::nullopt);
}

TEST(TransmissionEmissionModel, RefusesLayersAndInputsItCannotCompute) {
  EXPECT_THROW(Model(0), std::invalid_argument);
  EXPECT_THROW(Model(5000), std::invalid_argument);
  EXPECT_THROW(Model(1, TransmissionWindow::Diamond, 0), std::invalid_argument);
  const TransmissionEmissionModel model = Model(1);
  std::vector<GridArray> emissions;
  EXPECT_THROW(model.SampleEmissions({100}, 0.5, DeliveredTable(), emissions), std::invalid_argument);
  EXPECT_THROW(model.SampleEmissions({100}, std::nan(""), DeliveredTable(), emissions), std::invalid_argument);
  EXPECT_THROW(model.SampleEmissions({310}, 1, DeliveredTable(), emissions), std::out_of_range);
  EXPECT_EQ(model.MinimumVoltage(), 20);
  EXPECT_EQ(model.MaximumVoltage(), 300);
  EXPECT_TRUE(model.IsAbsolute());
}

// --- the window materials' ranges ---

TEST(WindowCsdaRange, AluminiumAsEstarGivesIt) {
  // NIST ESTAR, aluminium, 100 keV: CSDA range 1.862e-2 g/cm2 (its radiative loss and density effect
  // are below 0.2 % here)
  const double density = WindowConstantsOf(TransmissionWindow::Aluminium).density;
  EXPECT_NEAR(WindowCsdaRangeMm(TransmissionWindow::Aluminium, 100) * 0.1 * density, 1.862e-2, 0.015 * 1.862e-2);
  EXPECT_EQ(WindowConstantsOf(TransmissionWindow::Diamond).density, 3.51);
  // the electron Monte Carlo's own range of diamond at 100 keV, the unit of its window track: 45.8 um
  EXPECT_NEAR(WindowCsdaRangeMm(TransmissionWindow::Diamond, 100) * 1e3, 45.8, 0.3);
  // the table against the integral itself
  EXPECT_NEAR(WindowCsdaRangeMm(TransmissionWindow::Beryllium, 137),
              CollisionCsdaRange(WindowConstantsOf(TransmissionWindow::Beryllium), 137) * 10, 1e-5 * WindowCsdaRangeMm(TransmissionWindow::Beryllium, 137));
  for (const TransmissionWindow window : TransmissionWindows()) {
    EXPECT_LT(WindowCsdaRangeMm(window, 50), WindowCsdaRangeMm(window, 100));
  }
  EXPECT_NEAR(TungstenCsdaRangeUm(100), CsdaRange(100.0) * 1e4, 1e-9);
  EXPECT_GT(WindowCsdaRangeMm(TransmissionWindow::Aluminium, 400), WindowCsdaRangeMm(TransmissionWindow::Aluminium, 300));
}

// --- the delivered tables ---

TEST(TransmissionEmission, NeverNotANumberWithTheDeliveredTables) {
  for (const double c : {1.0, 1.7}) {  // outermost: each path factor's shape functions once
    for (const TransmissionWindow window : TransmissionWindows()) {
      for (double layer = 0.1; layer <= 20.0; layer *= 2.2) {
        const TransmissionEmissionModel model({layer, window, 3.0}, true);
        for (double kVp = 20; kVp <= 300; kVp += 35) {
          const TransmissionParts parts = model.SampleParts(kVp, c, DeliveredTable());
          for (int i = 0; i <= kGridLast; ++i) {
            const double value = parts.layer[i] + parts.window[i] + parts.lines[i];
            ASSERT_TRUE(std::isfinite(value) && parts.layer[i] >= 0 && parts.window[i] >= 0 && parts.lines[i] >= 0)
                << TransmissionWindowName(window) << " " << layer << " um " << kVp << " kV bin " << i;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace kestrix
