#include "calculation_run.h"

#include <cmath>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "input_number.h"
#include "synthetic_table.h"
#include "tolerance.h"

namespace kestrix {
namespace {

/// the entries as the main window's boxes would give them
RunEntries Texts(const std::string& kV, const std::string& angle = "20", const std::string& be = "3",
                 const std::string& alEq = "5", const std::string& al = "0", const std::string& cu = "0") {
  return RunEntries{ParseLeadingNumber(kV), ParseLeadingNumber(angle), ParseLeadingNumber(be),
                    ParseLeadingNumber(alEq), ParseLeadingNumber(al), ParseLeadingNumber(cu)};
}

TEST(CosecantOfTargetAngle, RefusesAnglesWithoutAPositiveSine) {
  EXPECT_REL_NEAR(CosecantOfTargetAngle(20), 2.923806768666969, 1e-14);
  EXPECT_REL_NEAR(CosecantOfTargetAngle(90), 1.0, 1e-12);
  for (const double degrees : {0.0, 180.0, -20.0, 200.0, 360.0, -180.0, std::nan(""), HUGE_VAL}) {
    EXPECT_THROW(CosecantOfTargetAngle(degrees), RunError) << degrees;
  }
  try {
    CosecantOfTargetAngle(0);
    FAIL();
  } catch (const RunError& error) {
    EXPECT_EQ(error.Reason(), RunRefusal::TargetAngle);
    EXPECT_EQ(error.Value(), 0.0);
    EXPECT_STREQ(error.what(),
                 "Target angle 0 degrees is not usable: its sine must be positive (use an angle between 0 and 180 "
                 "degrees).");
  }
}

class ComputePhotonSpectrumTest : public ::testing::Test {
 protected:
  ComputePhotonSpectrumTest() {
    state.table = test::PlausibleTable();
    state.tableLoaded = true;
  }
  RunInputs Inputs(const RunEntries& entries, SpectrumModel model = SpectrumModel::Tucker) {
    return CorrectRunEntries(entries, model);
  }
  CalculationState state;
};

TEST_F(ComputePhotonSpectrumTest, ConstantPotential100kVPeaksAtOneAndEndsBelow100keV) {
  // Birch without inherent filtration, so that no low-energy bin is absorbed to 0
  const RunInputs inputs = Inputs(Texts("100", "20", "0", "0"), SpectrumModel::Birch);
  ComputePhotonSpectrum(inputs, SpectrumModel::Birch, RectificationType::ConstantPotential, state);
  EXPECT_GT(state.SpectrumPeak, 0.0);
  const auto relative = RelativePhotonSpectrum(state, inputs.kVp);
  EXPECT_EQ(relative[1], 0.0);
  double largest = 0;
  for (int i = 2; i <= 199; ++i) {
    ASSERT_GT(relative[i], 0.0) << "bin " << i;
    largest = std::max(largest, relative[i]);
  }
  for (int i = 200; i <= kExchangeLast; ++i) ASSERT_EQ(relative[i], 0.0) << "bin " << i;
  EXPECT_EQ(largest, 1.0);
}

TEST_F(ComputePhotonSpectrumTest, EveryWaveformAndModelGivesFiniteNonNegativeBins) {
  for (const auto model : {SpectrumModel::Tucker, SpectrumModel::Birch}) {
    for (const auto type : {RectificationType::ConstantPotential, RectificationType::ThreePhase12Peak,
                            RectificationType::SinglePhaseFullWave}) {
      for (const char* kV : {"30", "70.5", "200.5", "300"}) {
        ComputePhotonSpectrum(Inputs(Texts(kV, "7"), model), model, type, state);
        for (int i = 0; i <= kGridLast; ++i) {
          ASSERT_TRUE(std::isfinite(state.SpectrumBins[i]) && state.SpectrumBins[i] >= 0) << kV << " bin " << i;
        }
      }
    }
  }
}

TEST_F(ComputePhotonSpectrumTest, TuckerReplacesMissingInherentFiltrationBirchDoesNot) {
  ComputePhotonSpectrum(Inputs(Texts("100", "20", "0", "0")), SpectrumModel::Tucker,
                        RectificationType::ConstantPotential, state);
  const GridArray replaced = state.SpectrumBins;
  ComputePhotonSpectrum(Inputs(Texts("100", "20", "0", "0.5")), SpectrumModel::Tucker,
                        RectificationType::ConstantPotential, state);
  EXPECT_EQ(replaced, state.SpectrumBins);

  ComputePhotonSpectrum(Inputs(Texts("100", "20", "0", "0"), SpectrumModel::Birch), SpectrumModel::Birch,
                        RectificationType::ConstantPotential, state);
  const GridArray unfiltered = state.SpectrumBins;
  ComputePhotonSpectrum(Inputs(Texts("100", "20", "0", "0.5"), SpectrumModel::Birch), SpectrumModel::Birch,
                        RectificationType::ConstantPotential, state);
  EXPECT_GT(unfiltered[10], state.SpectrumBins[10]);
}

TEST_F(ComputePhotonSpectrumTest, RefusedRunsLeaveTheLastSpectrumAsItWas) {
  ComputePhotonSpectrum(Inputs(Texts("100")), SpectrumModel::Tucker, RectificationType::ConstantPotential, state);
  const AttenuationTable table = state.table;
  const GridArray lastBins = state.SpectrumBins;
  const double lastPeak = state.SpectrumPeak;

  EXPECT_THROW(ComputePhotonSpectrum(Inputs(Texts("100", "0")), SpectrumModel::Tucker,
                                     RectificationType::ConstantPotential, state),
               RunError);
  EXPECT_EQ(state.SpectrumBins, lastBins);
  EXPECT_EQ(state.SpectrumPeak, lastPeak);

  try {
    ComputePhotonSpectrum(Inputs(Texts("100", "20", "3", "5", "0", "100000")), SpectrumModel::Tucker,
                          RectificationType::ConstantPotential, state);
    FAIL() << "100 m of copper absorb everything";
  } catch (const RunError& error) {
    EXPECT_EQ(error.Reason(), RunRefusal::EverythingAbsorbed);
    EXPECT_NE(std::string(error.what()).find("Everything is absorbed"), std::string::npos) << error.what();
  }
  EXPECT_EQ(state.SpectrumBins, lastBins);
  EXPECT_EQ(state.SpectrumPeak, lastPeak);

  // an infinite negative thickness would give infinite bins
  EXPECT_THROW(ComputePhotonSpectrum(Inputs(Texts("100", "20", "3", "5", "0", "-1e999")), SpectrumModel::Tucker,
                                     RectificationType::ConstantPotential, state),
               RunError);
  EXPECT_EQ(state.SpectrumBins, lastBins);
  EXPECT_EQ(state.table.muW, table.muW);
  EXPECT_TRUE(state.tableLoaded);
}

TEST_F(ComputePhotonSpectrumTest, AnAcceptedSpectrumStaysFiniteInEveryDisplayQuantity) {
  // A negative added aluminium raises the low-energy bins; find the most negative thickness
  // whose photon spectrum the run still accepts.
  double accepted = 0, refused = -100;  // [mm Al]
  for (int step = 0; step < 60; ++step) {
    const double middle = 0.5 * (accepted + refused);
    try {
      ComputePhotonSpectrum(Inputs(Texts("100", "20", "0", "0", std::to_string(middle)), SpectrumModel::Birch),
                            SpectrumModel::Birch, RectificationType::ConstantPotential, state);
      accepted = middle;
    } catch (const RunError&) {
      refused = middle;
    }
  }
  const RunInputs inputs = Inputs(Texts("100", "20", "0", "0", std::to_string(accepted)), SpectrumModel::Birch);
  ComputePhotonSpectrum(inputs, SpectrumModel::Birch, RectificationType::ConstantPotential, state);
  const GridArray photons = state.SpectrumBins;
  const double photonPeak = state.SpectrumPeak;
  for (const auto quantity : {DisplayQuantity::Exposure, DisplayQuantity::Energy}) {
    state.SpectrumBins = photons;
    state.SpectrumPeak = photonPeak;
    ApplyDisplayQuantity(quantity, inputs.kVp, state);
    EXPECT_TRUE(std::isfinite(state.SpectrumPeak)) << static_cast<int>(quantity) << " at " << accepted << " mm Al";
    for (int i = 2; i <= 200; ++i) {
      ASSERT_TRUE(std::isfinite(state.SpectrumBins[i])) << static_cast<int>(quantity) << " bin " << i;
    }
  }
}

TEST_F(ComputePhotonSpectrumTest, AGrazingTargetAngleAbsorbsEverythingWithoutAnyFilter) {
  // no filter at all (Birch accepts no inherent filtration): the target itself absorbs the beam
  try {
    ComputePhotonSpectrum(Inputs(Texts("100", "1e-9", "0", "0"), SpectrumModel::Birch), SpectrumModel::Birch,
                          RectificationType::ConstantPotential, state);
    FAIL() << "a target angle of 1e-9 degrees lets no photon out";
  } catch (const RunError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("Everything is absorbed"), std::string::npos) << message;
    EXPECT_NE(message.find("target angle"), std::string::npos) << message;
  }
}

TEST_F(ComputePhotonSpectrumTest, NeedsALoadedTable) {
  CalculationState empty;
  EXPECT_THROW(ComputePhotonSpectrum(Inputs(Texts("100")), SpectrumModel::Tucker,
                                     RectificationType::ConstantPotential, empty),
               RunError);
}

TEST_F(ComputePhotonSpectrumTest, DisplayQuantitiesMultiplyByEnergyAndAirCoefficient) {
  const RunInputs inputs = Inputs(Texts("150"));
  ComputePhotonSpectrum(inputs, SpectrumModel::Tucker, RectificationType::ThreePhase12Peak, state);
  const GridArray photons = state.SpectrumBins;
  const double photonPeak = state.SpectrumPeak;
  const auto relative = RelativePhotonSpectrum(state, inputs.kVp);

  ApplyDisplayQuantity(DisplayQuantity::PhotonNumber, inputs.kVp, state);
  EXPECT_EQ(state.SpectrumBins, photons);
  EXPECT_EQ(state.SpectrumPeak, photonPeak);

  ApplyDisplayQuantity(DisplayQuantity::Energy, inputs.kVp, state);
  double peak = 0;
  for (int i = 2; i <= 300; ++i) {
    ASSERT_REL_NEAR(state.SpectrumBins[i], photons[i] * 0.5 * i, 1e-15) << "bin " << i;
    peak = std::max(peak, state.SpectrumBins[i]);
  }
  EXPECT_EQ(state.SpectrumPeak, peak);

  state.SpectrumBins = photons;
  ApplyDisplayQuantity(DisplayQuantity::Exposure, inputs.kVp, state);
  peak = 0;
  for (int i = 2; i <= 300; ++i) {
    ASSERT_REL_NEAR(state.SpectrumBins[i], photons[i] * state.table.muEnAir[i] * 0.5 * i, 1e-15) << "bin " << i;
    peak = std::max(peak, state.SpectrumBins[i]);
  }
  EXPECT_EQ(state.SpectrumPeak, peak);
  EXPECT_NE(state.SpectrumPeak, photonPeak);
  // the exchange spectrum is the photon number whatever is displayed
  EXPECT_EQ(relative[150], photons[150] / photonPeak);
}

TEST_F(ComputePhotonSpectrumTest, TheDeliveredTableGivesAPlausibleDefaultSpectrum) {
  state.LoadAttenuationTable(std::string(KESTRIX_DELIVERED_DATA) + "/" + kAttenuationTableFile);
  const RunInputs inputs = Inputs(Texts("100"));
  ComputePhotonSpectrum(inputs, SpectrumModel::Tucker, RectificationType::ConstantPotential, state);
  int peakBin = 2;
  for (int i = 2; i <= 199; ++i) {
    if (state.SpectrumBins[i] == state.SpectrumPeak) peakBin = i;
  }
  // 3 mm Be + 5 mm Al at 100 kV: the strongest bin is a K line (58 or 59.5 keV)
  EXPECT_TRUE(peakBin == 116 || peakBin == 119) << peakBin;
  EXPECT_LT(state.SpectrumBins[20], 1e-6 * state.SpectrumPeak);  // 10 keV is filtered away
}

}  // namespace
}  // namespace kestrix

namespace kestrix {
namespace {

// --- transmission targets ---

class TransmissionRunTest : public ::testing::Test {
 protected:
  TransmissionRunTest() { state.LoadAttenuationTable(std::string(KESTRIX_DELIVERED_DATA) + "/" + kAttenuationTableFile); }
  static RunEntries Transmission(double kV, double layerUm, double windowMm = 0.3, double angle = 20) {
    RunEntries entries = Texts("100", "20", "0", "0");
    entries.tubeVoltageKV = kV;
    entries.targetAngleDegrees = angle;
    entries.transmission = {layerUm, TransmissionWindow::Diamond, windowMm};
    return entries;
  }
  CalculationState state;
};

TEST_F(TransmissionRunTest, TheTargetAngleTakesNoPart) {
  ComputePhotonSpectrum(CorrectRunEntries(Transmission(100, 2, 0.3, 20), SpectrumModel::Physics), SpectrumModel::Physics,
                        RectificationType::ConstantPotential, state);
  const GridArray at20 = state.SpectrumBins;
  // an angle the reflection target refuses changes nothing either
  ComputePhotonSpectrum(CorrectRunEntries(Transmission(100, 2, 0.3, 0), SpectrumModel::Physics), SpectrumModel::Physics,
                        RectificationType::ConstantPotential, state);
  EXPECT_EQ(state.SpectrumBins, at20);
  EXPECT_GT(state.SpectrumPeak, 0);
  // and it is not the reflection target's spectrum
  ComputePhotonSpectrum(CorrectRunEntries(Transmission(100, 0), SpectrumModel::Physics), SpectrumModel::Physics,
                        RectificationType::ConstantPotential, state);
  EXPECT_NE(state.SpectrumBins, at20);
}

TEST_F(TransmissionRunTest, VoltagesAreCorrectedIntoTwentyToThreeHundredKilovolts) {
  const RunInputs high = CorrectRunEntries(Transmission(450, 2, 1.0), SpectrumModel::Physics);
  EXPECT_EQ(high.kVp, 300);
  EXPECT_EQ(high.tubeVoltageText, std::optional<std::string>("300"));
  EXPECT_EQ(high.transmission, (TransmissionTarget{2, TransmissionWindow::Diamond, 1.0}));
  EXPECT_EQ(CorrectRunEntries(Transmission(450, 0), SpectrumModel::Physics).kVp, 450);  // the reflection target's range
}

TEST_F(TransmissionRunTest, ARefusedTargetLeavesTheLastSpectrum) {
  ComputePhotonSpectrum(CorrectRunEntries(Transmission(100, 2), SpectrumModel::Physics), SpectrumModel::Physics,
                        RectificationType::ConstantPotential, state);
  const GridArray last = state.SpectrumBins;
  const double peak = state.SpectrumPeak;
  for (const RunEntries& entries : {Transmission(300, 2, 0.1), Transmission(100, -1), Transmission(100, std::nan("")),
                                    Transmission(100, 2, 0)}) {
    try {
      ComputePhotonSpectrum(CorrectRunEntries(entries, SpectrumModel::Physics), SpectrumModel::Physics,
                            RectificationType::ConstantPotential, state);
      ADD_FAILURE() << "not refused: " << entries.transmission.layerUm << " um, " << entries.transmission.windowMm << " mm";
    } catch (const RunError& error) {
      EXPECT_EQ(error.Reason(), RunRefusal::Transmission);
      EXPECT_EQ(std::string(error.what()).rfind("The transmission target cannot be computed: ", 0), 0u) << error.what();
    }
    EXPECT_EQ(state.SpectrumBins, last);
    EXPECT_EQ(state.SpectrumPeak, peak);
  }
  // the formula models compute no transmission target
  EXPECT_THROW(ComputePhotonSpectrum(CorrectRunEntries(Transmission(100, 2), SpectrumModel::Tucker), SpectrumModel::Tucker,
                                     RectificationType::ConstantPotential, state),
               RunError);
}

TEST_F(TransmissionRunTest, OffTheAxisSymmetricAndTheFiltersCrossedObliquely) {
  RunEntries along = Transmission(120, 3, 0.5);
  along.addedAluminiumMm = 2;
  along.offAxisAlongDegrees = -20;
  RunEntries across = along;
  across.offAxisAlongDegrees = 0;
  across.offAxisAcrossDegrees = 20;
  ComputePhotonSpectrum(CorrectRunEntries(along, SpectrumModel::Physics), SpectrumModel::Physics,
                        RectificationType::ConstantPotential, state);
  const GridArray first = state.SpectrumBins;
  ComputePhotonSpectrum(CorrectRunEntries(across, SpectrumModel::Physics), SpectrumModel::Physics,
                        RectificationType::ConstantPotential, state);
  EXPECT_EQ(state.SpectrumBins, first);
  RunEntries beyond = along;
  beyond.offAxisAlongDegrees = 70;
  EXPECT_THROW(ComputePhotonSpectrum(CorrectRunEntries(beyond, SpectrumModel::Physics), SpectrumModel::Physics,
                                     RectificationType::ConstantPotential, state),
               RunError);
}

TEST_F(TransmissionRunTest, EveryWaveformFinite) {
  for (const RectificationType type : {RectificationType::ConstantPotential, RectificationType::ThreePhase12Peak,
                                       RectificationType::SinglePhaseFullWave}) {
    for (const double kV : {20.0, 80.0, 300.0}) {  // the low samples of a waveform lie below the table's 20 keV
      ComputePhotonSpectrum(CorrectRunEntries(Transmission(kV, 1, 0.3), SpectrumModel::Physics), SpectrumModel::Physics,
                            type, state);
      for (int i = 2; i <= TopBinFor(kV); ++i) {
        ASSERT_TRUE(std::isfinite(state.SpectrumBins[i]) && state.SpectrumBins[i] >= 0) << kV << " kV, bin " << i;
      }
      EXPECT_GT(state.SpectrumPeak, 0);
    }
  }
}

}  // namespace
}  // namespace kestrix
