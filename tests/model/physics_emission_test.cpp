#include "physics_emission.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <optional>
#include <vector>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "absolute_output.h"
#include "beam_quality.h"
#include "material_file.h"
#include "tolerance.h"
#include "waveform_synthesis.h"

namespace kestrix {
namespace {

const AttenuationTable& DeliveredTable() {
  static const AttenuationTable table = [] {
    std::ifstream in(std::string(KESTRIX_DELIVERED_DATA) + "/" + kAttenuationTableFile);
    return ReadAttenuationTable(in, kAttenuationTableFile);
  }();
  return table;
}

const PhysicsEmissionModel& Model() {
  static const PhysicsEmissionModel model;
  return model;
}
const PhysicsEmissionModel& BremsstrahlungOnly() {
  static const PhysicsEmissionModel model(false);
  return model;
}

double Cosec(double degrees) { return 1.0 / std::sin(degrees * 3.14159265358979 / 180.0); }

/// photons per keV per sr per electron, constant potential, after Be, Al and the arbitrary filters
GridArray Filtered(const PhysicsEmissionModel& model, double kVp, double beMm, double alMm, double cuMm,
                   const ArbitraryFilterSet& arbitrary = {}, double angle = 20) {
  GridArray emission{};
  model.SampleEmission(kVp, Cosec(angle), DeliveredTable(), emission);
  const FilterSet filters{beMm / 10, alMm / 10, 0, cuMm / 10};
  ApplyFiltration(kVp, filters, DeliveredTable(), arbitrary, emission);
  return emission;
}

ExtendedBeamQuality Quality(const GridArray& photons) {
  PhotonSpectrum spectrum{};
  for (int i = 1; i <= kExchangeLast; ++i) spectrum[i] = photons[i];
  return ComputeExtendedBeamQuality(spectrum, DeliveredTable());
}

TEST(BremsstrahlungShapeFunction, IsNormalisedOverTheSphereAndIsTheDipoleFormForA1B0) {
  for (const auto& [A, B, C] : {std::array<double, 3>{0.02, 0.09, 0.41}, {1.0, 0.0, 0.55}, {0.05, 0.01, 0.0}}) {
    double integral = 0;
    const int steps = 200000;
    for (int s = 0; s < steps; ++s) {
      const double mu = -1.0 + (s + 0.5) * 2.0 / steps;
      integral += 2.0 * 3.14159265358979 * BremsstrahlungShapeFunction(A, B, C, mu) * 2.0 / steps;
    }
    EXPECT_NEAR(integral, 1.0, 1e-6) << A << " " << B << " " << C;
  }
  // A = 1, B = 0: the Lorentz-transformed (1 + cos^2) dipole, 3 (1 - b^2) / (16 pi) [1/d^2 + (mu - b)^2 / d^4]
  const double b = 0.5, mu = 0.3, d = 1 - b * mu;
  EXPECT_REL_NEAR(BremsstrahlungShapeFunction(1, 0, b, mu),
                  3 * (1 - b * b) / (16 * 3.14159265358979323846) * (1 / (d * d) + (mu - b) * (mu - b) / (d * d * d * d)),
                  1e-14);
}

TEST(OutwardAbsorbedShare, IsOneMinusE2AndTheMeanOverTheOutwardHemisphere) {
  // (the share is interpolated in a table: within 2e-5)
  // 1 - E2(x) from tabulated E2 (Abramowitz & Stegun table 5.1): E2(0.1) = 0.722545, E2(1) = 0.148496, E2(5) = 0.000996
  EXPECT_NEAR(OutwardAbsorbedShare(0.1), 1 - 0.7225450221, 2e-5);
  EXPECT_NEAR(OutwardAbsorbedShare(1.0), 1 - 0.1484955068, 2e-5);
  EXPECT_NEAR(OutwardAbsorbedShare(5.0), 1 - 0.0009964690, 2e-5);
  // the same as the mean of 1 - exp(-x / eta) over eta in (0, 1], integrated directly
  for (const double x : {0.003, 0.07, 0.6, 2.5}) {
    double mean = 0;
    const int steps = 200000;
    for (int s = 0; s < steps; ++s) mean += (1 - std::exp(-x / ((s + 0.5) / steps))) / steps;
    EXPECT_NEAR(OutwardAbsorbedShare(x), mean, 2e-5) << x;
  }
  EXPECT_EQ(OutwardAbsorbedShare(0), 0);
  EXPECT_EQ(OutwardAbsorbedShare(1e3), 1);
  EXPECT_LT(OutwardAbsorbedShare(0.2), OutwardAbsorbedShare(0.21));
}

TEST(PhysicsEmissionModel, AnAbsoluteModelNamedPhysicsFor20To500kV) {
  EXPECT_STREQ(Model().Keyword(), "physics");
  EXPECT_TRUE(Model().IsAbsolute());
  EXPECT_EQ(Model().MinimumVoltage(), 20);
  EXPECT_EQ(Model().MaximumVoltage(), 500);
}

TEST(PhysicsEmissionModel, FillsBinsTwoToTheTubeVoltageWithFiniteNonNegativeValues) {
  for (const double kV : {30.0, 87.3, 150.0, 300.0}) {
    GridArray emission;
    emission.fill(-1.0);
    Model().SampleEmission(kV, Cosec(20), DeliveredTable(), emission);
    const int top = TopBinFor(kV);
    for (int i = 0; i <= kGridLast; ++i) {
      if (i < 2 || i > top) {
        EXPECT_EQ(emission[i], 0.0) << kV << " " << i;
      } else {
        EXPECT_TRUE(std::isfinite(emission[i]) && emission[i] >= 0) << kV << " " << i;
      }
    }
    EXPECT_GT(emission[top - 2], 0.0) << kV;  // emission reaches the top of the spectrum
  }
}

TEST(PhysicsEmissionModel, SampleEmissionsComputesEachSampleAlone) {
  const std::vector<double> voltages{45, 120, 80};
  std::vector<GridArray> emissions;
  Model().SampleEmissions(voltages, Cosec(12), DeliveredTable(), emissions);
  ASSERT_EQ(emissions.size(), 3u);
  for (std::size_t k = 0; k < voltages.size(); ++k) {
    GridArray alone{};
    Model().SampleEmission(voltages[k], Cosec(12), DeliveredTable(), alone);
    for (int i = 0; i <= kGridLast; ++i) EXPECT_EQ(emissions[k][i], alone[i]);
  }
}

/// The figures of a waveform's spectrum (extended figures, air kerma and fluence per mAs at 1 m) from
/// its samples' emissions, after `filters`.
std::vector<double> WaveformFigures(double kVp, RectificationType type, const std::vector<GridArray>& emissions,
                                    const FilterSet& filters) {
  GridArray phase{}, bins{};
  AverageWaveformSamples(
      kVp, WaveformSamples(type), [&](std::size_t k, double, GridArray& out) { out = emissions[k]; }, phase, bins);
  ApplyFiltration(kVp, filters, DeliveredTable(), ArbitraryFilterSet{}, bins);
  std::vector<double> figures;
  for (const std::optional<double>& value : Quality(bins).values) figures.push_back(value.value_or(-1.0));
  const AbsoluteOutput output = ComputeAbsoluteOutput(bins, 1000.0, DeliveredTable());
  figures.push_back(output.airKermaMicroGrayPerMas);
  figures.push_back(output.photonFluencePerMasPerMm2);
  return figures;
}

std::vector<double> SampleVoltages(double kVp, RectificationType type) {
  std::vector<double> voltages;
  for (const WaveformSample& sample : WaveformSamples(type)) voltages.push_back(SampleVoltage(kVp, sample.phaseDegrees));
  return voltages;
}

TEST(PhysicsEmissionModel, ASpectrumIsTheSameWhateverWasComputedBeforeIt) {
  // the shape function towards an angle is kept and grown with the voltage: no earlier run may show
  const PhysicsEmissionModel fresh, used;
  GridArray first{}, again{}, scratch{};
  fresh.SampleEmission(150, Cosec(17), DeliveredTable(), first);
  used.SampleEmission(30, Cosec(17), DeliveredTable(), scratch);   // fewer energies of the data at that angle
  used.SampleEmission(150, Cosec(17), DeliveredTable(), again);
  EXPECT_EQ(first, again);
  used.SampleEmission(300, Cosec(9), DeliveredTable(), scratch);   // another angle, more energies
  used.SampleEmission(150, Cosec(17), DeliveredTable(), again);
  EXPECT_EQ(first, again);
  std::vector<GridArray> waveform;
  used.SampleEmissions({40, 150}, Cosec(17), DeliveredTable(), waveform);
  EXPECT_EQ(first, waveform[1]);
}

TEST(PhysicsEmissionModel, WaveformEmissionsGiveTheFiguresOfEverySampleComputedAloneTo1e4) {
  // the hard cases: 12-peak just above the tungsten K edge, single-phase across it, at 30 and
  // 300 kV, a molybdenum tube, steep and shallow targets, light and heavy filtration
  struct Case {
    TargetMaterial target;
    double kVp;
    RectificationType type;
    double angle;
  };
  const Case cases[] = {{TargetMaterial::Tungsten, 72, RectificationType::ThreePhase12Peak, 12},
                        {TargetMaterial::Tungsten, 75, RectificationType::SinglePhaseFullWave, 20},
                        {TargetMaterial::Tungsten, 70, RectificationType::SinglePhaseFullWave, 6},
                        {TargetMaterial::Tungsten, 30, RectificationType::SinglePhaseFullWave, 12},
                        {TargetMaterial::Tungsten, 300, RectificationType::SinglePhaseFullWave, 45},
                        {TargetMaterial::Tungsten, 300, RectificationType::ThreePhase12Peak, 20},
                        {TargetMaterial::Molybdenum, 28, RectificationType::SinglePhaseFullWave, 12},
                        {TargetMaterial::Rhodium, 36, RectificationType::ThreePhase12Peak, 20}};
  const FilterSet light{0.08, 0.05, 0, 0}, heavy{0.3, 0.5, 0.2, 0.05};
  const PhysicsEmissionModel molybdenum(TargetMaterial::Molybdenum, true), rhodium(TargetMaterial::Rhodium, true);
  for (const Case& c : cases) {
    const PhysicsEmissionModel& model = c.target == TargetMaterial::Molybdenum ? molybdenum
                                        : c.target == TargetMaterial::Rhodium  ? rhodium
                                                                               : Model();
    const std::vector<double> voltages = SampleVoltages(c.kVp, c.type);
    std::vector<GridArray> alone, shared;
    model.SampleEmissions(voltages, Cosec(c.angle), DeliveredTable(), alone);
    model.WaveformEmissions(voltages, Cosec(c.angle), DeliveredTable(), shared);
    ASSERT_EQ(shared.size(), voltages.size());
    // the highest sample is a node, computed exactly
    for (int i = 0; i <= kGridLast; ++i) ASSERT_EQ(shared.back()[i], alone.back()[i]) << c.kVp << " kV, bin " << i;
    for (const FilterSet& filters : {light, heavy}) {
      const std::vector<double> exact = WaveformFigures(c.kVp, c.type, alone, filters);
      const std::vector<double> fast = WaveformFigures(c.kVp, c.type, shared, filters);
      for (std::size_t f = 0; f < exact.size(); ++f) {
        EXPECT_GT(exact[f], 0.0);
        EXPECT_NEAR(fast[f] / exact[f], 1.0, 1e-4)
            << TargetSymbol(c.target) << " " << c.kVp << " kV, " << c.angle << " deg, figure " << f
            << (filters.tCu > 0 ? " heavy" : " light");
      }
    }
  }
}

TEST(PhysicsEmissionModel, WaveformEmissionsOfOneSampleOrBadInputAreThoseOfSampleEmissions) {
  std::vector<GridArray> alone, shared;
  Model().SampleEmissions({120}, Cosec(15), DeliveredTable(), alone);
  Model().WaveformEmissions({120}, Cosec(15), DeliveredTable(), shared);
  ASSERT_EQ(shared.size(), 1u);
  EXPECT_EQ(shared[0], alone[0]);
  // samples that emit nothing stay zero; repeated voltages get the same emission
  Model().WaveformEmissions({0.5, 80, 80, 100}, Cosec(15), DeliveredTable(), shared);
  ASSERT_EQ(shared.size(), 4u);
  for (const double value : shared[0]) EXPECT_EQ(value, 0.0);
  EXPECT_EQ(shared[1], shared[2]);
  EXPECT_THROW(Model().WaveformEmissions({100, 501}, Cosec(15), DeliveredTable(), shared), std::out_of_range);
  EXPECT_THROW(Model().WaveformEmissions({100, 90}, 0.5, DeliveredTable(), shared), std::invalid_argument);
  EXPECT_THROW(Model().WaveformEmissions({100, 90}, std::nan(""), DeliveredTable(), shared), std::invalid_argument);
}

TEST(PhysicsEmissionModel, RefusesAVoltageAboveTheGridOrATargetAngleOutside0To90Degrees) {
  std::vector<GridArray> emissions;
  EXPECT_THROW(Model().SampleEmissions({100, 501}, Cosec(20), DeliveredTable(), emissions), std::out_of_range);
  EXPECT_THROW(Model().SampleEmissions({100}, 0.5, DeliveredTable(), emissions), std::invalid_argument);
  EXPECT_THROW(Model().SampleEmissions({100}, std::nan(""), DeliveredTable(), emissions), std::invalid_argument);
}

/// photons of the K lines over all photons, with 2 mm Al
double KLineShare(double kV) {
  const GridArray with = Filtered(Model(), kV, 1, 2, 0);
  const GridArray without = Filtered(BremsstrahlungOnly(), kV, 1, 2, 0);
  double lines = 0, all = 0;
  for (int i = 2; i <= TopBinFor(kV); ++i) {
    all += with[i];
    if (i >= 100) lines += with[i] - without[i];
  }
  return lines / all;
}

TEST(PhysicsEmissionModel, CharacteristicShareRisesAboveTheKEdge) {
  EXPECT_EQ(KLineShare(65), 0.0);  // below the 69.5 keV edge
  const double at80 = KLineShare(80), at150 = KLineShare(150);
  EXPECT_GT(at80, 0.0);
  EXPECT_GT(at150, at80);
  // the K lines sit on their grid bins only
  const GridArray with = Filtered(Model(), 150, 1, 2, 0);
  const GridArray without = Filtered(BremsstrahlungOnly(), 150, 1, 2, 0);
  for (int i = 100; i <= 300; ++i) {
    const bool line = i == 116 || i == 119 || i == 134 || i == 138;
    if (line) {
      EXPECT_GT(with[i], 1.05 * without[i]) << i;
    } else {
      EXPECT_EQ(with[i], without[i]) << i;
    }
  }
  // L lines appear at 30 kV already
  const GridArray l30 = Filtered(Model(), 30, 1, 0, 0);
  const GridArray b30 = Filtered(BremsstrahlungOnly(), 30, 1, 0, 0);
  EXPECT_GT(l30[17], 1.5 * b30[17]);  // La at 8.5 keV
}

TEST(PhysicsEmissionModel, MoreFiltrationLowersTheOutputAndHardensTheBeam) {
  const GridArray light = Filtered(Model(), 100, 1, 2, 0);
  const GridArray heavy = Filtered(Model(), 100, 1, 4, 0.2);
  const AbsoluteOutput lightOutput = ComputeAbsoluteOutput(light, 1000, DeliveredTable());
  const AbsoluteOutput heavyOutput = ComputeAbsoluteOutput(heavy, 1000, DeliveredTable());
  EXPECT_LT(heavyOutput.airKermaMicroGrayPerMas, 0.8 * lightOutput.airKermaMicroGrayPerMas);
  EXPECT_LT(heavyOutput.photonFluencePerMasPerMm2, lightOutput.photonFluencePerMasPerMm2);
  EXPECT_GT(*Quality(heavy).values[kHvl1Al], *Quality(light).values[kHvl1Al]);
  EXPECT_GT(*Quality(heavy).values[kMeanEnergy], *Quality(light).values[kMeanEnergy]);
}

TEST(PhysicsEmissionModel, OutputRisesWithTheTubeVoltage) {
  double previous = 0;
  for (const double kV : {40.0, 60.0, 80.0, 120.0, 200.0}) {
    const double kerma = ComputeAbsoluteOutput(Filtered(Model(), kV, 1, 3, 0), 1000, DeliveredTable()).airKermaMicroGrayPerMas;
    EXPECT_GT(kerma, previous) << kV;
    previous = kerma;
  }
}

TEST(PhysicsEmissionModel, ASteeperTargetAngleAttenuatesTheSoftPhotonsMore) {
  GridArray steep{}, wide{};
  BremsstrahlungOnly().SampleEmission(100, Cosec(8), DeliveredTable(), steep);
  BremsstrahlungOnly().SampleEmission(100, Cosec(30), DeliveredTable(), wide);
  EXPECT_LT(steep[30] / wide[30], steep[180] / wide[180]);  // 15 keV against 90 keV
  EXPECT_LT(steep[30], wide[30]);
}

TEST(PhysicsEmissionModel, AShallowerTakeOffSeesTheInwardElectronsMoreFromTheSide) {
  // The electrons run into the target; the central ray leaves at the target angle above the surface,
  // so it makes the angle 90 degrees + alpha with the inward normal. At 250 keV, where tungsten hardly
  // attenuates, a smaller angle looks at the forward-peaked emission more from the side: more photons.
  GridArray steep{}, wide{};
  BremsstrahlungOnly().SampleEmission(300, Cosec(8), DeliveredTable(), steep);
  BremsstrahlungOnly().SampleEmission(300, Cosec(30), DeliveredTable(), wide);
  EXPECT_GT(steep[500], 1.05 * wide[500]);
}

TEST(PhysicsEmissionModel, TheEmissionAtOneAngleDoesNotDependOnTheAnglesComputedBefore) {
  GridArray first{}, between{}, again{};
  Model().SampleEmission(120, Cosec(12), DeliveredTable(), first);
  Model().SampleEmission(120, Cosec(20), DeliveredTable(), between);
  Model().SampleEmission(120, Cosec(12), DeliveredTable(), again);
  EXPECT_EQ(first, again);
  EXPECT_NE(first, between);
}

TEST(PhysicsEmissionModel, AirKermaAgreesWithPublishedModelResults) {
  // Omar, Andreo and Poludniowski, Med. Phys. 47 (2020) 4763: 100 kV, 12 degrees, 3 mm Be + 5.25 mm Al
  // and 1 m of air, bremsstrahlung only: about 56.5 uGy/mAs at 1 m
  ArbitraryFilterSet air;
  AddArbitraryFilter(air, ArbitraryFilterCoefficientsFor(LoadMaterialFile(std::string(KESTRIX_DELIVERED_DATA) + "/Air.mix")),
                     100.0);
  const GridArray photons = Filtered(BremsstrahlungOnly(), 100, 3, 5.25, 0, air, 12);
  EXPECT_REL_NEAR(ComputeAbsoluteOutput(photons, 1000, DeliveredTable()).airKermaMicroGrayPerMas, 56.5, 0.06);
}

const PhysicsEmissionModel& Molybdenum() {
  static const PhysicsEmissionModel model(TargetMaterial::Molybdenum, true);
  return model;
}

ArbitraryFilterSet MaterialFilter(const char* file, double mm) {
  ArbitraryFilterSet filters;
  AddArbitraryFilter(filters, ArbitraryFilterCoefficientsFor(LoadMaterialFile(std::string(KESTRIX_DELIVERED_DATA) + "/" + file)),
                     mm / 10);
  return filters;
}

TEST(PhysicsEmissionModel, TungstenByNameIsTheDefaultModelToTheLastDigit) {
  const PhysicsEmissionModel named(TargetMaterial::Tungsten, true);
  for (const double kVp : {30.0, 87.5, 300.0}) {
    GridArray a{}, b{};
    Model().SampleEmission(kVp, Cosec(20), DeliveredTable(), a);
    named.SampleEmission(kVp, Cosec(20), DeliveredTable(), b);
    EXPECT_EQ(a, b) << kVp;
  }
}

TEST(PhysicsEmissionModel, AMolybdenumTargetHasItsOwnRangeAndItsKLinesAtItsOwnEnergies) {
  EXPECT_EQ(Molybdenum().MinimumVoltage(), 20);
  EXPECT_EQ(Molybdenum().MaximumVoltage(), 50);
  const PhysicsEmissionModel alone(TargetMaterial::Molybdenum, false);
  GridArray lines{}, bremsstrahlung{};
  Molybdenum().SampleEmission(30, Cosec(20), DeliveredTable(), lines);
  alone.SampleEmission(30, Cosec(20), DeliveredTable(), bremsstrahlung);
  // Ka1 and Ka2 at 17.4-17.5 keV (bin 35), Kb at 19.6 and 20.0 keV (bins 39, 40); L lines at 2.0-2.8 keV
  for (int i = 2; i <= 60; ++i) {
    const bool line = i == 35 || i == 39 || i == 40 || (i >= 4 && i <= 6);
    if (!line) {
      EXPECT_EQ(lines[i], bremsstrahlung[i]) << i;
    }
  }
  EXPECT_GT(lines[35], 5 * bremsstrahlung[35]);  // the Ka lines stand far above the continuum
  EXPECT_GT(lines[39], bremsstrahlung[39]);
  // below its K edge molybdenum's own absorption shapes the continuum, not tungsten's
  GridArray tungsten{};
  BremsstrahlungOnly().SampleEmission(30, Cosec(20), DeliveredTable(), tungsten);
  EXPECT_LT(bremsstrahlung[45] / bremsstrahlung[38], tungsten[45] / tungsten[38]);  // the Mo K edge at 20 keV
  // rhodium: its Ka lines at 20.1-20.2 keV (bin 40), none at molybdenum's 17.5 keV
  const PhysicsEmissionModel rhodium(TargetMaterial::Rhodium, true), rhodiumAlone(TargetMaterial::Rhodium, false);
  GridArray rh{}, rhAlone{};
  rhodium.SampleEmission(30, Cosec(20), DeliveredTable(), rh);
  rhodiumAlone.SampleEmission(30, Cosec(20), DeliveredTable(), rhAlone);
  EXPECT_GT(rh[40], 5 * rhAlone[40]);
  EXPECT_EQ(rh[35], rhAlone[35]);
}

TEST(PhysicsEmissionModel, SilverAndGoldTargetsHaveTheirRangeAndTheirLinesAtTheirOwnEnergies) {
  const PhysicsEmissionModel silver(TargetMaterial::Silver, true), silverAlone(TargetMaterial::Silver, false);
  const PhysicsEmissionModel gold(TargetMaterial::Gold, true), goldAlone(TargetMaterial::Gold, false);
  for (const PhysicsEmissionModel* model : {&silver, &gold}) {
    EXPECT_EQ(model->MinimumVoltage(), 20);
    EXPECT_EQ(model->MaximumVoltage(), 50);
  }
  GridArray ag{}, agAlone{}, au{}, auAlone{};
  silver.SampleEmission(30, Cosec(20), DeliveredTable(), ag);
  silverAlone.SampleEmission(30, Cosec(20), DeliveredTable(), agAlone);
  // silver: Ka2 and Ka1 at 21.99 and 22.16 keV (bin 44), Kb at 24.9-25.5 keV (bins 50, 51), L lines at
  // 2.6-3.8 keV (bins 5 to 8); nothing at molybdenum's or rhodium's Ka
  for (int i = 2; i <= 60; ++i) {
    const bool line = i == 44 || i == 50 || i == 51 || (i >= 5 && i <= 8);
    if (!line) {
      EXPECT_EQ(ag[i], agAlone[i]) << i;
    }
  }
  EXPECT_GT(ag[44], 2 * agAlone[44]);  // 30 kV is only 1.2 times its K edge
  EXPECT_GT(ag[50], agAlone[50]);
  // gold at 50 kV: its L lines from La at 9.6-9.7 keV (bin 19) to the L1 lines at 13.8 keV (bin 28);
  // no K line below its K edge at 80.7 keV
  gold.SampleEmission(50, Cosec(20), DeliveredTable(), au);
  goldAlone.SampleEmission(50, Cosec(20), DeliveredTable(), auAlone);
  for (int i = 2; i <= 100; ++i) {
    if (i < 16 || i > 28) {
      EXPECT_EQ(au[i], auAlone[i]) << i;
    }
  }
  EXPECT_GT(au[19], 3 * auAlone[19]);  // La1, La2
  EXPECT_GT(au[23], auAlone[23]);      // Lb1, Lb2
  // below its L3 edge (11.9 keV) gold absorbs less than above it: the continuum steps down there
  EXPECT_GT(auAlone[23] / auAlone[25], 1.2);
  // gold's continuum is the stronger, by about the ratio of the atomic numbers (79 / 47)
  GridArray agAt50{};
  silverAlone.SampleEmission(50, Cosec(20), DeliveredTable(), agAt50);
  double goldTotal = 0, silverTotal = 0;
  for (int i = 60; i <= 100; ++i) goldTotal += auAlone[i], silverTotal += agAt50[i];
  EXPECT_GT(goldTotal / silverTotal, 1.3);
  EXPECT_LT(goldTotal / silverTotal, 2.0);
}

TEST(PhysicsEmissionModel, MammographyQualitiesMeetTheirNominalHalfValueLayers) {
  // IEC 61267 RQR-M1 to RQR-M4: Mo/Mo, 0.032 mm Mo, nominal HVL1 0.28, 0.31, 0.33, 0.36 mm Al; a 1 mm
  // beryllium window and a 20 degree target
  const struct {
    double kVp, nominal;
  } qualities[] = {{25, 0.28}, {28, 0.31}, {30, 0.33}, {35, 0.36}};
  for (const auto& q : qualities) {
    const GridArray photons = Filtered(Molybdenum(), q.kVp, 1, 0, 0, MaterialFilter("Mo.ele", 0.032));
    const std::optional<double> hvl = Quality(photons).FirstHalfValueLayerMm(LayerMaterial::Aluminium);
    ASSERT_TRUE(hvl) << q.kVp;
    EXPECT_REL_NEAR(*hvl, q.nominal, 0.05) << q.kVp << " kV";
  }
}

TEST(PhysicsEmissionModel, AMolybdenumBeamsAirKermaAgreesWithSpekPysComputationOfThePublishedModel) {
  // Omar, Andreo and Poludniowski's molybdenum beam (Med. Phys. 47 (2020) 4763): 35 kV, 1 mm Be +
  // 0.032 mm Mo + 1000 mm of air, bremsstrahlung only, air kerma per mAs at 1 m. Their model as SpekPy
  // computes it: 51.94 uGy/mAs at 12 degrees, the value SpekPy 2.0.10's test suite keeps for this beam
  // with their full model (kqp), and SpekPy 2.0.6 with its default model (casim, 0.2 keV bins):
  // 51.03 uGy/mAs and HVL1 0.3132 mm Al at 12 degrees, 52.32 uGy/mAs at 20 degrees
  static const PhysicsEmissionModel bremsstrahlung(TargetMaterial::Molybdenum, false);
  ArbitraryFilterSet filters = MaterialFilter("Mo.ele", 0.032);
  AddArbitraryFilter(filters, ArbitraryFilterCoefficientsFor(LoadMaterialFile(std::string(KESTRIX_DELIVERED_DATA) + "/Air.mix")),
                     100.0);
  const GridArray at12 = Filtered(bremsstrahlung, 35, 1, 0, 0, filters, 12);
  const double kerma12 = ComputeAbsoluteOutput(at12, 1000, DeliveredTable()).airKermaMicroGrayPerMas;
  EXPECT_REL_NEAR(kerma12, 51.94, 0.05);
  EXPECT_REL_NEAR(kerma12, 51.03, 0.05);
  const std::optional<double> hvl = Quality(at12).FirstHalfValueLayerMm(LayerMaterial::Aluminium);
  ASSERT_TRUE(hvl);
  EXPECT_REL_NEAR(*hvl, 0.3132, 0.05);
  const GridArray at20 = Filtered(bremsstrahlung, 35, 1, 0, 0, filters, 20);
  EXPECT_REL_NEAR(ComputeAbsoluteOutput(at20, 1000, DeliveredTable()).airKermaMicroGrayPerMas, 52.32, 0.05);
}

TEST(PhysicsEmissionModel, ATungstenTubeBehindMolybdenumMeetsTheBipmMeasuredHalfValueLayers) {
  // the BIPM's tungsten tube: 20 degree target, 3 mm Be, 0.06 mm Mo, 500 mm of air to the measuring
  // point, constant potential; measured HVL1 [mm Al] (Kessler and Burns, Rapport BIPM 2018)
  const struct {
    double kVp, measured;
  } beams[] = {{23, 0.332}, {25, 0.342}, {28, 0.355}, {30, 0.364}, {35, 0.388}, {40, 0.417}, {50, 0.489}};
  ArbitraryFilterSet filters = MaterialFilter("Mo.ele", 0.06);
  AddArbitraryFilter(filters, ArbitraryFilterCoefficientsFor(LoadMaterialFile(std::string(KESTRIX_DELIVERED_DATA) + "/Air.mix")),
                     50.0);
  for (const auto& beam : beams) {
    const GridArray photons = Filtered(Model(), beam.kVp, 3, 0, 0, filters);
    const std::optional<double> hvl = Quality(photons).FirstHalfValueLayerMm(LayerMaterial::Aluminium);
    ASSERT_TRUE(hvl) << beam.kVp;
    EXPECT_REL_NEAR(*hvl, beam.measured, 0.05) << beam.kVp << " kV";
  }
}

TEST(PhysicsEmissionModel, ARunReachesTheTablesHighestVoltage) {
  EXPECT_EQ(Model().TableMaximumVoltage(), 500);
  EXPECT_EQ(Model().MaximumVoltage(), 500);  // a run carries its spectra on the whole grid
  EXPECT_EQ(Molybdenum().TableMaximumVoltage(), 50);
  EXPECT_EQ(Molybdenum().MaximumVoltage(), 50);
}

/// figures of a constant-potential beam on the whole grid: HVL1, HVL2 in Al and Cu [mm], air kerma per
/// mAs at 1 m [uGy]
std::array<double, 5> WholeGridFigures(double kVp, double beMm, double alMm, double cuMm, const ArbitraryFilterSet& extra = {}) {
  const GridArray photons = Filtered(Model(), kVp, beMm, alMm, cuMm, extra);
  const ExtendedBeamQuality q = ComputeExtendedBeamQualityOnGrid(photons, DeliveredTable());
  const double kerma = ComputeAbsoluteOutput(photons, 1000, DeliveredTable()).airKermaMicroGrayPerMas;
  return {q.values[kHvl1Al].value_or(NAN), q.values[kHvl2Al].value_or(NAN), q.values[kHvl1Cu].value_or(NAN),
          q.values[kHvl2Cu].value_or(NAN), kerma};
}

// PENELOPE's electrons to 300 keV, the own Monte Carlo's above, joined at 300 keV: the figures of
// the beams from 290 to 310 kV in 1 kV steps follow their trend, no second difference above 0.3 %
// (a step between two tables of 2 % in the track would show as one of about 1 %).
TEST(PhysicsEmissionModel, FiguresChangeSmoothlyWhereTheElectronTablesJoinAt300kV) {
  std::vector<std::array<double, 5>> figures;
  for (int kV = 290; kV <= 310; ++kV) figures.push_back(WholeGridFigures(kV, 3, 4, 1));
  const char* names[] = {"HVL1 Al", "HVL2 Al", "HVL1 Cu", "HVL2 Cu", "air kerma"};
  for (std::size_t f = 0; f < 5; ++f) {
    double largest = 0;
    for (std::size_t k = 1; k + 1 < figures.size(); ++k) {
      ASSERT_TRUE(std::isfinite(figures[k][f])) << names[f] << " " << 290 + k;
      const double second = figures[k - 1][f] - 2 * figures[k][f] + figures[k + 1][f];
      EXPECT_LT(std::fabs(second) / figures[k][f], 0.003) << names[f] << " at " << 290 + k << " kV";
      largest = std::max(largest, std::fabs(second) / figures[k][f]);
    }
    std::printf("%s 290-310 kV: largest second difference %.2e of the value, at 300 kV %.2e\n", names[f], largest,
                std::fabs(figures[9][f] - 2 * figures[10][f] + figures[11][f]) / figures[10][f]);
    // and they rise with the voltage through the join
    EXPECT_GT(figures.back()[f], figures.front()[f]) << names[f];
  }
}

// A 450 kV beam behind 3 mm of tin and 1 mm of lead: every figure finite, the spectrum ending at 450 keV.
TEST(PhysicsEmissionModel, A450kVBeamThroughTinAndLeadHasFiniteFiguresAndEndsAt450keV) {
  ArbitraryFilterSet filters = MaterialFilter("Sn.ele", 3);
  AddArbitraryFilter(filters, ArbitraryFilterCoefficientsFor(LoadMaterialFile(std::string(KESTRIX_DELIVERED_DATA) + "/Pb.ele")), 0.1);
  const GridArray photons = Filtered(Model(), 450, 0, 0, 0, filters);
  for (int i = 0; i <= kGridLast; ++i) ASSERT_TRUE(photons[i] >= 0 && std::isfinite(photons[i])) << i;
  EXPECT_GT(photons[899], 0);  // 449.5 keV
  for (int i = 901; i <= kGridLast; ++i) EXPECT_EQ(photons[i], 0) << i;
  const ExtendedBeamQuality q = ComputeExtendedBeamQualityOnGrid(photons, DeliveredTable());
  for (std::size_t f = 0; f < kExtendedFigureCount; ++f) {
    ASSERT_TRUE(q.values[f]) << f << ": " << q.missing[f];
    EXPECT_TRUE(std::isfinite(*q.values[f])) << f;
  }
  // lead leaves the hard part: the mean energy between the lead K edge (88 keV) and the top
  EXPECT_GT(*q.values[kMeanEnergy], 200);
  EXPECT_LT(*q.values[kMeanEnergy], 400);
  EXPECT_GT(*q.values[kHvl1Cu], 3);
  const AbsoluteOutput output = ComputeAbsoluteOutput(photons, 1000, DeliveredTable());
  EXPECT_TRUE(output.airKermaMicroGrayPerMas > 0 && std::isfinite(output.airKermaMicroGrayPerMas));
  // the same beam at 300 kV gives much less: the photons above 300 keV carry most of its kerma
  const GridArray at300 = Filtered(Model(), 300, 0, 0, 0, filters);
  EXPECT_GT(output.airKermaMicroGrayPerMas, 3 * ComputeAbsoluteOutput(at300, 1000, DeliveredTable()).airKermaMicroGrayPerMas);
  std::printf("450 kV, 3 mm Sn + 1 mm Pb, 20 degrees: HVL1 Al %.4g HVL2 Al %.4g HVL1 Cu %.4g HVL2 Cu %.4g mm, "
              "mean %.4g keV, air kerma %.4g uGy/mAs at 1 m\n",
              *q.values[kHvl1Al], *q.values[kHvl2Al], *q.values[kHvl1Cu], *q.values[kHvl2Cu], *q.values[kMeanEnergy],
              output.airKermaMicroGrayPerMas);
}

}  // namespace
}  // namespace kestrix
