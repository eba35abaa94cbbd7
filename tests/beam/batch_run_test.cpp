// The command-line run against the desktop program's calculation path and the real Quillon:
// B_SPCTL.temp and HVL_S2.temp must agree byte for byte.

#include "batch_run.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include <gtest/gtest.h>

#include "absolute_output.h"
#include "atomic_file.h"
#include "attenuation_table.h"
#include "beam_figures.h"
#include "beam_output.h"
#include "cli_test_files.h"
#include "entry_texts.h"
#include "input_number.h"
#include "json_writer.h"
#include "material_file.h"
#include "export_table.h"
#include "text_report.h"

namespace kestrix {
namespace {

using test::ReadBytes;
using test::ScratchFolder;

/// the settings of the entries as typed into the main window
RunSettings Settings(SpectrumModel model, const RunInputTexts& entries,
                     RectificationType type = RectificationType::ConstantPotential,
                     DisplayQuantity quantity = DisplayQuantity::PhotonNumber) {
  return RunSettings{model, ParseRunEntries(entries), type, quantity};
}

struct Case {
  const char* name;
  RunInputTexts texts;  /// the main window's boxes
  RunSettings settings;
  std::vector<FilterRequest> filters;
};

Case MakeCase(const char* name, SpectrumModel model, const RunInputTexts& entries,
              RectificationType type = RectificationType::ConstantPotential,
              DisplayQuantity quantity = DisplayQuantity::PhotonNumber, std::vector<FilterRequest> filters = {}) {
  return Case{name, entries, Settings(model, entries, type, quantity), std::move(filters)};
}

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases{
      MakeCase("defaults", SpectrumModel::Tucker, {"200", "20", "3", "5", "0", "0"}),
      MakeCase("birch_12_peak", SpectrumModel::Birch, {"80", "12", "1", "2", "2", "0"}, RectificationType::ThreePhase12Peak),
      MakeCase("limited_voltage_single_phase", SpectrumModel::Tucker, {"350", "17.5", "3", "5", "0", "0.5"},
               RectificationType::SinglePhaseFullWave),
      MakeCase("lowest_voltage_replaced_inherent", SpectrumModel::Tucker, {"25", "20", "0", "0", "0", "0"}),
      MakeCase("birch_without_inherent_energy", SpectrumModel::Birch, {"100", "20", "0", "0", "1", "0"},
               RectificationType::ConstantPotential, DisplayQuantity::Energy),
      MakeCase("tin_filter", SpectrumModel::Tucker, {"150", "20", "3", "5", "0", "0"},
               RectificationType::ConstantPotential, DisplayQuantity::PhotonNumber, {{test::DeliveredTin(), 0.2}}),
  };
  return cases;
}

/// What the desktop program's "Graph Draw" leaves in folder: its own sequence of model calls,
/// then the exchange file saved as the main window saves it.
void DesktopCalculation(const Case& c, const std::filesystem::path& folder) {
  CalculationState calculation;
  calculation.LoadAttenuationTable(test::DeliveredTable());
  for (const FilterRequest& filter : c.filters) {
    const MaterialFile material = LoadMaterialFile(filter.path);
    AddArbitraryFilter(calculation.filters, ArbitraryFilterCoefficientsFor(material),
                       filter.thicknessMm * 0.1);  // the thickness box in mm, times 0.1
  }
  const RunInputs inputs = ReadRunInputs(c.texts, c.settings.model);
  ComputePhotonSpectrum(inputs, c.settings.model, c.settings.waveform, calculation);
  const ExchangeSpectrum relative = RelativePhotonSpectrum(calculation, inputs.kVp);
  SaveFileAtomically((folder / kSpectrumExchangeFile).string(),
                     [&relative](std::ostream& out) { WriteSpectrumExchange(out, relative); });
}

class DesktopAgreement : public ::testing::TestWithParam<std::size_t> {};

TEST_P(DesktopAgreement, ExchangeFilesEqualTheDesktopRunAndQuillonByteForByte) {
  const Case& c = Cases()[GetParam()];
  SCOPED_TRACE(c.name);

  ScratchFolder desktop;
  DesktopCalculation(c, desktop.path());
  std::filesystem::copy_file(test::DeliveredTable(), desktop / "MUs_202202.data");
  const test::ProgramRun quillon = test::RunProgramIn(desktop.path(), QUILLON_PATH);
  ASSERT_EQ(quillon.exitStatus, 0) << quillon.err;
  const std::string desktopSpectrum = ReadBytes(desktop / kSpectrumExchangeFile);
  const std::string quillonResults = ReadBytes(desktop / kResultFile);
  ASSERT_EQ(desktopSpectrum.size(), 10200u);
  ASSERT_EQ(quillonResults.size(), 49u);

  BatchRun batch(test::DeliveredTable(), c.filters);
  const RunOutcome outcome = batch.Run(c.settings);
  EXPECT_EQ(outcome.exchangeFileText, desktopSpectrum);
  EXPECT_EQ(outcome.resultFileText, quillonResults);

  ScratchFolder cli;
  SaveExchangeFiles(cli.path().string(), outcome);
  EXPECT_EQ(ReadBytes(cli / kSpectrumExchangeFile), desktopSpectrum);
  EXPECT_EQ(ReadBytes(cli / kResultFile), quillonResults);
  EXPECT_FALSE(std::filesystem::exists(cli / "MUs_202202.data"));

  // the figures are the values the main window reads back from HVL_S2.temp
  std::istringstream results(quillonResults);
  const EngineResults shown = ReadResultFile(results, kResultFile);
  ASSERT_TRUE(outcome.results);
  EXPECT_EQ(outcome.results->hvlAlMm, shown.hvlAlMm);
  EXPECT_EQ(outcome.results->effectiveEnergyAlKeV, shown.effectiveEnergyAlKeV);
  EXPECT_EQ(outcome.results->hvlCuMm, shown.hvlCuMm);
  EXPECT_EQ(outcome.results->effectiveEnergyCuKeV, shown.effectiveEnergyCuKeV);
  EXPECT_EQ(outcome.results->photonsPerMm2PerCkg, shown.photonsPerMm2PerCkg);

  // a photon-number table is what "Data Save" writes from the desktop's exchange file
  std::istringstream exchange(desktopSpectrum);
  const ExchangeSpectrum exported = ReadSpectrumExchangeList(exchange, kSpectrumExchangeFile);
  EXPECT_EQ(outcome.exchange, exported);
  if (c.settings.quantity == DisplayQuantity::PhotonNumber) {
    SpectrumTableOptions options;
    options.separator = TableSeparator::Space;
    options.unit = TableEnergyUnit::MeV;
    options.normalisation = TableNormalisation::TotalOne;
    options.valueNotation = TableNotation::Exponential;
    std::ostringstream fromDesktop, fromCli;
    WriteSpectrumTable(fromDesktop, BuildSpectrumTable(exported, options, '.'));
    WriteSpectrumTable(fromCli, TableOf(outcome, options));
    EXPECT_EQ(fromCli.str(), fromDesktop.str());
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, DesktopAgreement, ::testing::Range<std::size_t>(0, 6),
                         [](const auto& info) { return std::string(Cases()[info.param].name); });

TEST(BatchRun, ReportsEachCorrectionAndTheEntriesUsed) {
  BatchRun batch(test::DeliveredTable(), {});
  const RunOutcome high = batch.Run(Settings(SpectrumModel::Tucker, {"350", "20", "3", "5", "1", "0.2"}));
  ASSERT_EQ(high.corrections.size(), 1u);
  EXPECT_EQ(high.corrections[0], "tube voltage 350 kV is above 300 kV: 300 kV used");
  EXPECT_EQ(high.used.tubeVoltageKV, 300);
  EXPECT_EQ(high.used.addedAluminiumMm, 1);
  EXPECT_EQ(high.used.addedCopperMm, 0.2);

  const RunOutcome low = batch.Run(Settings(SpectrumModel::Tucker, {"29.5", "20", "0", "0", "0", "0"}));
  ASSERT_EQ(low.corrections.size(), 2u);
  EXPECT_EQ(low.corrections[0], "tube voltage 29.5 kV is at or below 30 kV: 30 kV used");
  EXPECT_EQ(low.corrections[1],
            "inherent filtration 0 mm Be + 0 mm Al eq. is not possible with Tucker's model (the sum must be "
            "positive): 0 mm Be and 0.5 mm Al eq. used");
  EXPECT_EQ(low.used.berylliumMm, 0);
  EXPECT_EQ(low.used.aluminiumEquivalentMm, 0.5);

  // Birch accepts no inherent filtration, but not a negative one
  EXPECT_TRUE(batch.Run(Settings(SpectrumModel::Birch, {"100", "20", "0", "0", "0", "0"})).corrections.empty());
  const RunOutcome negative = batch.Run(Settings(SpectrumModel::Birch, {"100", "20", "-1", "0.5", "0", "0"}));
  ASSERT_EQ(negative.corrections.size(), 1u);
  EXPECT_NE(negative.corrections[0].find("Birch's model (the sum must be zero or more)"), std::string::npos);

  EXPECT_TRUE(batch.Run(Settings(SpectrumModel::Tucker, {"30.5", "20", "3", "5", "0", "0"})).corrections.empty());
  // 30 kV stays 30 kV: the desktop rewrites the box, but nothing changes
  const RunOutcome thirty = batch.Run(Settings(SpectrumModel::Tucker, {"30", "20", "3", "5", "0", "0"}));
  EXPECT_TRUE(thirty.corrections.empty());
  EXPECT_EQ(thirty.used.tubeVoltageKV, 30);
}

TEST(BatchRun, TinFilterHardensTheBeam) {
  BatchRun plain(test::DeliveredTable(), {});
  BatchRun tin(test::DeliveredTable(), {{test::DeliveredTin(), 0.5}});
  ASSERT_EQ(tin.Filters().size(), 1u);
  EXPECT_NE(tin.Filters()[0].description.find("Sn"), std::string::npos);
  EXPECT_EQ(tin.Filters()[0].thicknessMm, 0.5);

  const RunSettings settings = Settings(SpectrumModel::Tucker, {"150", "20", "3", "5", "0", "0"});
  const RunOutcome without = plain.Run(settings);
  const RunOutcome with = tin.Run(settings);
  EXPECT_NE(with.exchangeFileText, without.exchangeFileText);
  ASSERT_TRUE(with.results && without.results);
  EXPECT_GT(*with.results->hvlAlMm, *without.results->hvlAlMm);
  EXPECT_GT(*with.results->hvlCuMm, *without.results->hvlCuMm);
  EXPECT_GT(*with.results->effectiveEnergyAlKeV, *without.results->effectiveEnergyAlKeV);

  // a zero thickness leaves the spectrum as it was
  BatchRun none(test::DeliveredTable(), {{test::DeliveredTin(), 0.0}});
  EXPECT_EQ(none.Run(settings).exchangeFileText, without.exchangeFileText);
}

TEST(BatchRun, TabulatedQuantityFollowsTheChoiceWhileTheExchangeFileStaysPhotonNumber) {
  BatchRun batch(test::DeliveredTable(), {});
  const RunInputTexts entries{"120", "20", "3", "5", "0", "0"};
  const RunOutcome photon = batch.Run(Settings(SpectrumModel::Tucker, entries));
  const RunOutcome energy = batch.Run(
      Settings(SpectrumModel::Tucker, entries, RectificationType::ConstantPotential, DisplayQuantity::Energy));
  const RunOutcome exposure = batch.Run(
      Settings(SpectrumModel::Tucker, entries, RectificationType::ConstantPotential, DisplayQuantity::Exposure));
  EXPECT_EQ(energy.exchangeFileText, photon.exchangeFileText);
  EXPECT_EQ(exposure.resultFileText, photon.resultFileText);
  EXPECT_EQ(photon.tabulated, photon.exchange);
  for (const RunOutcome* o : {&energy, &exposure}) {
    EXPECT_NE(o->tabulated, photon.tabulated);
    EXPECT_EQ(*std::max_element(o->tabulated.begin(), o->tabulated.end()), 1.0);
  }
  // the energy spectrum is the photon spectrum times the energy, both relative to their peaks
  int peak = 1;
  for (int i = 1; i <= 600; ++i) {
    if (energy.tabulated[i] == 1.0) peak = i;
  }
  for (const int i : {40, 100, 200}) {
    EXPECT_NEAR(energy.tabulated[i], photon.tabulated[i] * i / (photon.tabulated[peak] * peak), 2e-4) << i;
  }
}

TEST(BatchRun, ALayerBelowTheFirstStepIsNotReportedAsTooThick) {
  BatchRun batch(test::DeliveredTable(), {});
  // 30 kV without any filter: the first 0.1 mm of aluminium already takes most of the air kerma,
  // and extrapolating below that step gives no positive thickness
  const RunOutcome soft = batch.Run(Settings(SpectrumModel::Birch, {"30", "60", "0", "0", "0", "0"}));
  ASSERT_TRUE(soft.results);
  ASSERT_FALSE(soft.results->hvlAlMm);
  EXPECT_EQ(MissingFigureReason(soft, 0),
            "the air-kerma transmission falls below 50 % within the first 0.1 mm step of aluminium, too steeply "
            "to interpolate a layer");
  // copper's first step is 0.01 mm, thin enough for this beam
  EXPECT_TRUE(soft.results->hvlCuMm);
}

TEST(BatchRun, RefusedInputsAndUnusableFilesThrowClearErrors) {
  BatchRun batch(test::DeliveredTable(), {});
  try {
    batch.Run(Settings(SpectrumModel::Tucker, {"100", "0", "3", "5", "0", "0"}));
    FAIL() << "angle 0 accepted";
  } catch (const RunError& error) {
    EXPECT_NE(std::string(error.what()).find("Target angle 0 degrees"), std::string::npos);
  }
  try {
    batch.Run(Settings(SpectrumModel::Tucker, {"30", "20", "3", "5", "0", "1000"}));
    FAIL() << "everything absorbed, yet accepted";
  } catch (const RunError& error) {
    EXPECT_NE(std::string(error.what()).find("Everything is absorbed"), std::string::npos);
  }
  // the object stays usable after a refused run
  EXPECT_TRUE(batch.Run(Settings(SpectrumModel::Tucker, {"100", "20", "3", "5", "0", "0"})).results);

  ScratchFolder folder;
  EXPECT_THROW(BatchRun((folder / "missing.data").string(), {}), TableLoadError);
  test::WriteBytes(folder / "short.data", ReadBytes(test::DeliveredTable()).substr(0, 5000));
  EXPECT_THROW(BatchRun((folder / "short.data").string(), {}), TableLoadError);
  EXPECT_THROW(BatchRun(test::DeliveredTable(), {{(folder / "none.ele").string(), 1}}), MaterialFileError);
  test::WriteBytes(folder / "bad.ele", "Broken\n7.31\n1\n");
  EXPECT_THROW(BatchRun(test::DeliveredTable(), {{(folder / "bad.ele").string(), 1}}), MaterialFileError);
}

TEST(BatchRun, ExchangeFilesNeedAWritableFolder) {
  BatchRun batch(test::DeliveredTable(), {});
  const RunOutcome outcome = batch.Run(Settings(SpectrumModel::Tucker, {"100", "20", "3", "5", "0", "0"}));
  ScratchFolder folder;
  EXPECT_THROW(SaveExchangeFiles((folder / "no" / "such").string(), outcome), std::runtime_error);
  // a trailing slash names the same folder
  SaveExchangeFiles(folder.path().string() + "/", outcome);
  EXPECT_EQ(ReadBytes(folder / kSpectrumExchangeFile), outcome.exchangeFileText);
}

TEST(BatchRun, ExtendedFiguresAgreeWithTheEngineAndHardenWithFiltration) {
  BatchRun batch(test::DeliveredTable(), {});
  const RunOutcome bare = batch.Run(Settings(SpectrumModel::Tucker, {"100", "20", "3", "5", "0", "0"}));
  const RunOutcome filtered = batch.Run(Settings(SpectrumModel::Tucker, {"100", "20", "3", "5", "0", "0.5"}));
  for (const RunOutcome* run : {&bare, &filtered}) {
    ASSERT_TRUE(run->results && run->results->hvlAlMm && run->results->hvlCuMm);
    // the engine steps in single precision; both stay within its field's resolution and 1 %
    EXPECT_NEAR(*run->extended.values[kHvl1Al], *run->results->hvlAlMm, 0.01 * *run->results->hvlAlMm);
    EXPECT_NEAR(*run->extended.values[kHvl1Cu], *run->results->hvlCuMm, 0.01 * *run->results->hvlCuMm);
  }
  EXPECT_GT(*filtered.extended.values[kHvl1Al], *bare.extended.values[kHvl1Al]);
  EXPECT_GT(*filtered.extended.values[kHomogeneityAl], *bare.extended.values[kHomogeneityAl]);
  EXPECT_GT(*filtered.extended.values[kMeanEnergy], *bare.extended.values[kMeanEnergy]);
}

/// The energy above copper's K edge (8.98 keV) and below kVp where the log-log interpolated copper
/// coefficient of the table equals ln 2 / layer, found by bisection in double precision [keV].
double CopperEnergyAboveTheEdge(double layerMm, double kVp) {
  std::ifstream file(test::DeliveredTable(), std::ios::binary);
  const AttenuationTable table = ReadAttenuationTable(file, "table");
  const double muEffective = std::log(2.0) / (layerMm * 0.1);
  auto mu = [&table](double keV) {  // grid index i holds 0.5 i keV
    const int i = static_cast<int>(std::floor(keV * 2));
    const double t = (std::log(keV) - std::log(0.5 * i)) / (std::log(0.5 * (i + 1)) - std::log(0.5 * i));
    return std::exp(std::log(table.muCu[i]) + t * (std::log(table.muCu[i + 1]) - std::log(table.muCu[i])));
  };
  double low = 9.0, high = kVp;  // 9 keV is the first grid energy above the edge
  EXPECT_GT(mu(low), muEffective);
  EXPECT_LT(mu(high), muEffective);
  for (int step = 0; step < 60; ++step) {
    const double middle = 0.5 * (low + high);
    (mu(middle) > muEffective ? low : high) = middle;
  }
  return low;
}

TEST(BatchRun, SoftBeamsHaveTheirCopperEffectiveEnergyAboveTheKEdge) {
  BatchRun batch(test::DeliveredTable(), {});
  // H-30 (30 kV, 1 mm Be, 0.5 mm Al) and a 35 kV beam, whose copper layer's coefficient is also reached
  // below the edge, and a 40 kV beam whose coefficient lies below the edge's foot (one solution)
  const std::vector<std::pair<SpectrumModel, RunInputTexts>> beams{
      {SpectrumModel::Tucker, {"30", "20", "1", "0.5", "0", "0"}},
      {SpectrumModel::Physics, {"30", "20", "1", "0.5", "0", "0"}},
      {SpectrumModel::Birch, {"35", "20", "1", "0.5", "0", "0"}},
      {SpectrumModel::Tucker, {"40", "20", "1", "1", "0", "0"}},
  };
  for (const auto& [model, texts] : beams) {
    const RunOutcome run = batch.Run(Settings(model, texts));
    ASSERT_TRUE(run.results && run.results->effectiveEnergyCuKeV && run.extended.values[kHvl1Cu]) << texts.tubeVoltage;
    const double energy = *run.results->effectiveEnergyCuKeV;
    EXPECT_GT(energy, 8.98) << texts.tubeVoltage;
    // the engine's single-precision stepped layer against the root of the transmission curve
    EXPECT_NEAR(energy, CopperEnergyAboveTheEdge(*run.extended.values[kHvl1Cu], std::stod(texts.tubeVoltage)),
                0.01 * energy)
        << texts.tubeVoltage;
  }
}

TEST(BatchRun, FitRoundTripReturnsTheAddedAluminium) {
  BatchRun batch(test::DeliveredTable(), {});
  const RunSettings withTwo = Settings(SpectrumModel::Birch, {"80", "20", "1", "1", "2.000", "0"});
  const double hvl = *batch.Run(withTwo).extended.values[kHvl1Al];
  RunSettings start = withTwo;
  start.entries.addedAluminiumMm = 7;  // the fit replaces the entry, whatever it held
  const FitOutcome fitted = batch.Fit(start, {FittedEntry::AddedAluminium, LayerMaterial::Aluminium, hvl});
  EXPECT_NEAR(fitted.fit.thicknessMm, 2.0, 0.002);
  EXPECT_EQ(fitted.settings.entries.addedAluminiumMm, fitted.fit.thicknessMm);
  EXPECT_DOUBLE_EQ(*fitted.outcome.extended.values[kHvl1Al], fitted.fit.hvl1Mm);
  EXPECT_EQ(fitted.outcome.used.addedAluminiumMm, fitted.fit.thicknessMm);

  // the same beam from its copper layer, by the inherent aluminium equivalent
  const double hvlCu = *batch.Run(withTwo).extended.values[kHvl1Cu];
  const FitOutcome inherent =
      batch.Fit(Settings(SpectrumModel::Birch, {"80", "20", "1", "0", "2", "0"}),
                {FittedEntry::InherentAluminiumEquivalent, LayerMaterial::Copper, hvlCu});
  EXPECT_NEAR(inherent.fit.thicknessMm, 1.0, 0.002);
}

TEST(BatchRun, FitRefusesUnreachableTargetsWithTheRange) {
  BatchRun batch(test::DeliveredTable(), {});
  const RunSettings settings = Settings(SpectrumModel::Tucker, {"70", "20", "3", "5", "0", "0"});
  try {
    batch.Fit(settings, {FittedEntry::AddedCopper, LayerMaterial::Aluminium, 1.0});
    FAIL() << "a layer softer than the unfiltered beam was fitted";
  } catch (const FiltrationFitError& error) {
    const std::string message = error.what();
    EXPECT_EQ(message.rfind("target HVL1 1 mm Al cannot be reached: added copper of 0 to 100 mm gives HVL1 ", 0), 0u) << message;
    EXPECT_EQ(error.thickestMm, 100);
    EXPECT_GT(*error.thinnestHvl1Mm, 3);
  }
  try {
    batch.Fit(Settings(SpectrumModel::Tucker, {"30", "20", "3", "5", "0", "0"}),
              {FittedEntry::AddedCopper, LayerMaterial::Copper, 1.0});
    FAIL() << "a 30 kV beam reached 1 mm Cu";
  } catch (const FiltrationFitError& error) {
    // thick copper absorbs a 30 kV beam entirely, so the range ends before 100 mm
    EXPECT_LT(error.thickestMm, 100);
    EXPECT_GT(error.thickestMm, 1);
    EXPECT_NE(std::string(error.what()).find(ShortestDecimal(error.thickestMm) + " mm gives HVL1"), std::string::npos)
        << error.what();
  }
  EXPECT_THROW(batch.Fit(Settings(SpectrumModel::Tucker, {"70", "0", "3", "5", "0", "0"}),
                         {FittedEntry::AddedAluminium, LayerMaterial::Aluminium, 4}),
               RunError);
}

QualityOutcome RealiseQuality(const std::string& name, const RunSettings& base) {
  static const std::vector<RadiationQuality> qualities =
      LoadRadiationQualities(DataFileBeside(test::DeliveredTable(), kRadiationQualitiesFile));
  const QualityPlan plan = PlanQuality(*FindRadiationQuality(qualities, name), base, {}, test::DeliveredTable());
  BatchRun batch(test::DeliveredTable(), plan.filters);
  return RunQuality(batch, plan);
}

TEST(BatchRun, RqrQualityFitsTheAddedAluminiumOrIsRefusedByAHardTube) {
  const QualityOutcome rqr5 = RealiseQuality("RQR5", Settings(SpectrumModel::Tucker, {"100", "20", "1", "0.5", "9", "1"}));
  ASSERT_TRUE(rqr5.fit);
  EXPECT_EQ(rqr5.outcome.used.tubeVoltageKV, 70);
  EXPECT_EQ(rqr5.outcome.used.addedCopperMm, 0);
  EXPECT_EQ(rqr5.outcome.used.berylliumMm, 1);
  EXPECT_NEAR(*rqr5.outcome.extended.values[kHvl1Al], 2.58, 0.003 * 2.58);
  EXPECT_GT(rqr5.fit->fit.thicknessMm, 0);

  try {
    RealiseQuality("RQR5", Settings(SpectrumModel::Tucker, {"200", "20", "3", "5", "0", "0"}));
    FAIL() << "the default tube realised RQR5";
  } catch (const QualityRefusal& refusal) {
    EXPECT_EQ(std::string(refusal.what()).rfind("RQR5 (70 kV, nominal HVL1 2.58 mm Al) cannot be realised with the "
                                                "inherent filtration 3 mm Be + 5 mm Al eq.: without added aluminium "
                                                "the beam already has HVL1 3.3", 0), 0u)
        << refusal.what();
  }
}

TEST(BatchRun, RqaAndRqtAddTheirFilterToTheRealisedRqrAtTheSameVoltage) {
  const RunSettings tube = Settings(SpectrumModel::Tucker, {"100", "20", "1", "2.5", "9", "1"});
  const QualityOutcome rqr5 = RealiseQuality("RQR5", tube);
  const QualityOutcome rqa5 = RealiseQuality("RQA5", tube);
  ASSERT_TRUE(rqa5.fit);
  EXPECT_EQ(rqa5.fit->fit.thicknessMm, rqr5.fit->fit.thicknessMm);
  EXPECT_EQ(rqa5.outcome.used.tubeVoltageKV, 70);
  EXPECT_EQ(rqa5.outcome.used.addedAluminiumMm, rqr5.fit->fit.thicknessMm + 21);
  EXPECT_EQ(rqa5.outcome.used.addedCopperMm, 0);
  EXPECT_EQ(rqa5.settings.entries.addedAluminiumMm, rqa5.outcome.used.addedAluminiumMm);

  const QualityOutcome rqt9 = RealiseQuality("RQT9", tube);
  EXPECT_EQ(rqt9.outcome.used.tubeVoltageKV, 120);
  EXPECT_EQ(rqt9.outcome.used.addedAluminiumMm, rqt9.fit->fit.thicknessMm);
  EXPECT_EQ(rqt9.outcome.used.addedCopperMm, 0.25);

  // the beams so made come within 3 % of the standard's nominal layers (the tube voltage is not
  // adjusted to them)
  for (const auto& [name, nominal] : std::vector<std::pair<std::string, double>>{
           {"RQA2", 2.2}, {"RQA5", 6.8}, {"RQA10", 13.3}, {"RQT8", 6.9}, {"RQT10", 10.1}}) {
    EXPECT_NEAR(*RealiseQuality(name, tube).outcome.extended.values[kHvl1Al], nominal, 0.03 * nominal) << name;
  }
  try {
    RealiseQuality("RQA5", Settings(SpectrumModel::Tucker, {"200", "20", "3", "5", "0", "0"}));
    FAIL() << "the default tube realised RQA5";
  } catch (const QualityRefusal& refusal) {
    EXPECT_EQ(std::string(refusal.what()).rfind("RQA5 (70 kV, realised from RQR5 whose nominal HVL1 is 2.58 mm Al)", 0), 0u)
        << refusal.what();
  }
}

TEST(BatchRun, RqaMCarriesItsRqrMBasesMolybdenumFilterAndMeetsItsNominalLayer) {
  // a mammography tube: 1 mm Be window, no aluminium, 20 degree target, physics model
  const RunSettings tube = Settings(SpectrumModel::Physics, {"28", "20", "1", "0", "0", "0"});
  for (const auto& [rqr, rqa, nominal] : std::vector<std::tuple<std::string, std::string, double>>{
           {"RQR-M1", "RQA-M1", 0.56}, {"RQR-M2", "RQA-M2", 0.60}, {"RQR-M3", "RQA-M3", 0.62}, {"RQR-M4", "RQA-M4", 0.68}}) {
    const QualityOutcome base = RealiseQuality(rqr, tube);
    const QualityOutcome added = RealiseQuality(rqa, tube);
    ASSERT_EQ(added.plan.filters.size(), 1u) << rqa;  // the base's 0.032 mm Mo
    EXPECT_EQ(added.plan.filters[0].thicknessMm, 0.032);
    EXPECT_EQ(added.settings.entries.target, TargetMaterial::Molybdenum);
    ASSERT_TRUE(added.fit);
    EXPECT_EQ(added.fit->fit.thicknessMm, base.fit->fit.thicknessMm);  // the base's fit, Mo filter in
    EXPECT_NEAR(added.outcome.used.addedAluminiumMm, base.fit->fit.thicknessMm + 2, 1e-9);
    // IEC 61267's nominal layer of the quality so made, within 5 % (nothing fitted to it)
    EXPECT_NEAR(*added.outcome.extended.values[kHvl1Al], nominal, 0.05 * nominal) << rqa;
  }
}

TEST(BatchRun, TubeFitRecoversAluminiumEquivalentAndAngleFromTwoLayersAtThreeVoltages) {
  BatchRun batch(test::DeliveredTable(), {});
  const RunSettings truth = Settings(SpectrumModel::Tucker, {"80", "12", "1", "2.7", "0", "0"});
  std::vector<TubeMeasurement> measurements;
  for (const double kV : {60.0, 80.0, 100.0}) {
    RunSettings at = truth;
    at.entries.tubeVoltageKV = kV;
    const ExtendedBeamQuality q = batch.Run(at).extended;
    TubeMeasurement m;
    m.tubeVoltageKV = kV;
    m.layersMm[0] = q.values[kHvl1Al];
    m.layersMm[1] = q.values[kHvl2Al];
    measurements.push_back(m);
  }
  // started from the main window's 5 mm Al eq. and 20 degrees
  const RunSettings start = Settings(SpectrumModel::Tucker, {"120", "20", "1", "5", "0", "0"});
  const TubeFitOutcome tube =
      FitTubeInputs(batch, start, measurements, {TubeInput::InherentAluminiumEquivalent, TubeInput::TargetAngle});
  EXPECT_NEAR(tube.fit.inputs[static_cast<std::size_t>(TubeInput::InherentAluminiumEquivalent)], 2.7, 0.01);
  EXPECT_NEAR(tube.fit.inputs[static_cast<std::size_t>(TubeInput::TargetAngle)], 12, 0.5);
  EXPECT_LT(tube.fit.rmsDeviationPercent, 0.01);
  // the settings hold the fitted inputs at the voltage given, ready to predict another voltage
  EXPECT_EQ(tube.settings.entries.tubeVoltageKV, 120);
  EXPECT_EQ(tube.settings.entries.aluminiumEquivalentMm,
            tube.fit.inputs[static_cast<std::size_t>(TubeInput::InherentAluminiumEquivalent)]);
  EXPECT_EQ(tube.settings.entries.berylliumMm, 1);

  measurements[0].tubeVoltageKV = 20;
  EXPECT_THROW(FitTubeInputs(batch, start, measurements, {TubeInput::InherentAluminiumEquivalent}), TubeFitError);
}

TEST(BatchRun, TubeFitRecoversTheGeneratorsVoltageOffsetWithAnUncertaintyThatCoversIt) {
  BatchRun batch(test::DeliveredTable(), {});
  // the generator gives 3 kV more than its dial says; the layers scatter by +-0.4 %
  const RunSettings truth = Settings(SpectrumModel::Tucker, {"80", "20", "1", "2.5", "0", "0"});
  std::vector<TubeMeasurement> measurements;
  int sign = 1;
  for (const double kV : {50.0, 70.0, 90.0, 110.0, 130.0}) {
    RunSettings at = truth;
    at.entries.tubeVoltageKV = kV + 3;
    const ExtendedBeamQuality q = batch.Run(at).extended;
    TubeMeasurement m;
    m.tubeVoltageKV = kV;
    m.layersMm[0] = *q.values[kHvl1Al] * (1 + 0.004 * sign);
    m.layersMm[1] = *q.values[kHvl2Al] * (1 - 0.004 * sign);
    sign = -sign;
    measurements.push_back(m);
  }
  const RunSettings start = Settings(SpectrumModel::Tucker, {"100", "20", "1", "4", "0", "0"});
  const TubeFitOutcome tube = FitTubeInputs(batch, start, measurements,
                                            {TubeInput::KvOffset, TubeInput::InherentAluminiumEquivalent}, 0.2);
  const double offset = tube.fit.inputs[static_cast<std::size_t>(TubeInput::KvOffset)];
  EXPECT_NEAR(offset, 3, 0.3);
  ASSERT_TRUE(tube.fit.uncertainties[0] && tube.fit.uncertainties[1]);
  // a coverage factor of 2 takes in the truth
  EXPECT_LT(std::fabs(offset - 3), 2 * *tube.fit.uncertainties[0]) << *tube.fit.uncertainties[0];
  EXPECT_LT(std::fabs(tube.fit.inputs[0] - 2.5), 2 * *tube.fit.uncertainties[1]) << *tube.fit.uncertainties[1];
  EXPECT_TRUE(tube.fit.converged);
  EXPECT_LE(tube.fit.evaluations, kMaximumTubeFitEvaluations);
  // 0.4 % scatter is beyond the 0.2 % stated: the fit says so
  ASSERT_EQ(tube.fit.warnings.size(), 1u);
  EXPECT_NE(tube.fit.warnings[0].find("exceeds the measurements' uncertainty of 0.2 %"), std::string::npos);
  // the tube at a nominal voltage is computed at that voltage plus the offset
  EXPECT_EQ(tube.SettingsAt(100).entries.tubeVoltageKV, 100 + offset);
}

TEST(BatchRun, IsoQualitySetsVoltageAndWholeFiltration) {
  const QualityOutcome n120 = RealiseQuality("N-120", Settings(SpectrumModel::Birch, {"200", "20", "3", "5", "2", "0"}));
  EXPECT_FALSE(n120.fit);
  EXPECT_EQ(n120.plan.filters.size(), 1u);
  EXPECT_EQ(n120.plan.filters[0].path, DataFileBeside(test::DeliveredTable(), "Sn.ele"));
  const UsedEntries& used = n120.outcome.used;
  EXPECT_EQ(used.tubeVoltageKV, 120);
  EXPECT_EQ(used.berylliumMm, 1);
  EXPECT_EQ(used.aluminiumEquivalentMm, 4);
  EXPECT_EQ(used.addedAluminiumMm, 0);
  EXPECT_EQ(used.addedCopperMm, 5);

  const std::vector<FilterRequest> three(3, FilterRequest{test::DeliveredTin(), 1});
  const std::vector<RadiationQuality> qualities =
      LoadRadiationQualities(DataFileBeside(test::DeliveredTable(), kRadiationQualitiesFile));
  EXPECT_THROW(PlanQuality(*FindRadiationQuality(qualities, "N-120"), {}, three, test::DeliveredTable()),
               RadiationQualityError);
  EXPECT_EQ(DataFileBeside("MUs_202202.data", "Sn.ele"), "Sn.ele");
}

// Above 300 kV the physics model's run carries its spectra on the whole grid: the figures from every
// photon, the engine's figures absent for want of an exchange file, and nothing saved.
TEST(BatchRun, A450kVPhysicsRunCarriesTheWholeSpectrumWithoutExchangeFiles) {
  BatchRun batch(test::DeliveredTable(), {});
  const RunSettings settings = Settings(SpectrumModel::Physics, {"450", "20", "3", "5", "0", "0"});
  const RunOutcome outcome = batch.Run(settings);
  EXPECT_EQ(outcome.lastBin, 900);
  EXPECT_EQ(outcome.used.tubeVoltageKV, 450);
  EXPECT_EQ(*std::max_element(outcome.photonSpectrumOnGrid.begin(), outcome.photonSpectrumOnGrid.end()), 1.0);
  EXPECT_GT(outcome.photonSpectrumOnGrid[899], 0);  // photons up to 449.5 keV, none beyond the tube voltage
  for (int i = 901; i <= kGridLast; ++i) ASSERT_EQ(outcome.photonSpectrumOnGrid[i], 0) << i;
  double above = 0;
  for (int i = kExchangeLast + 1; i <= 900; ++i) above += outcome.photonSpectrumOnGrid[i];
  EXPECT_GT(above, 0.1);  // the part the exchange bins would have lost
  // the table is the spectrum rounded to five decimals, its first 600 bins the exchange view
  for (int i = 1; i <= 900; ++i) ASSERT_NEAR(outcome.tabulatedOnGrid[i], outcome.photonSpectrumOnGrid[i], 5e-6) << i;
  for (int i = 1; i <= kExchangeLast; ++i) ASSERT_EQ(outcome.exchange[i], outcome.tabulatedOnGrid[i]) << i;

  // the engine's figures and its files are absent, with the reason
  EXPECT_FALSE(outcome.results);
  EXPECT_TRUE(outcome.exchangeFileText.empty());
  EXPECT_EQ(outcome.engineError, kBeyondExchangeReason);
  for (std::size_t k = 0; k < FigureFields().size(); ++k) {
    EXPECT_FALSE(FigureValue(outcome, k));
    EXPECT_EQ(MissingFigureReason(outcome, k), kBeyondExchangeReason);
  }
  ScratchFolder folder;
  EXPECT_THROW(SaveExchangeFiles(folder.path().string(), outcome), std::runtime_error);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), std::filesystem::directory_iterator()), 0);

  // the extended figures of the whole spectrum, finite and harder than at 300 kV
  std::ifstream file(test::DeliveredTable(), std::ios::binary);
  const AttenuationTable table = ReadAttenuationTable(file, "table");
  const ExtendedBeamQuality whole = ComputeExtendedBeamQualityOnGrid(outcome.photonSpectrumOnGrid, table);
  const RunOutcome at300 = batch.Run(Settings(SpectrumModel::Physics, {"300", "20", "3", "5", "0", "0"}));
  for (std::size_t f = 0; f < kExtendedFigureCount; ++f) {
    ASSERT_TRUE(outcome.extended.values[f]) << outcome.extended.missing[f];
    EXPECT_TRUE(std::isfinite(*outcome.extended.values[f])) << f;
    EXPECT_EQ(*outcome.extended.values[f], *whole.values[f]) << f;
  }
  EXPECT_GT(*outcome.extended.values[kHvl1Cu], *at300.extended.values[kHvl1Cu]);
  EXPECT_GT(*outcome.extended.values[kMeanEnergy], *at300.extended.values[kMeanEnergy]);
  ASSERT_TRUE(batch.Extended(settings));
  EXPECT_EQ(batch.Extended(settings)->values[kHvl1Al], outcome.extended.values[kHvl1Al]);

  // air kerma and fluence per mAs: those of ComputeAbsoluteOutput on the whole absolute spectrum
  ASSERT_TRUE(outcome.absoluteSpectrum && outcome.output.airKermaMicroGrayPerMas);
  const AbsoluteOutput absolute = ComputeAbsoluteOutput(*outcome.absoluteSpectrum, 1000, table);
  EXPECT_EQ(*outcome.output.airKermaMicroGrayPerMas,
            RoundToSignificantDigits(absolute.airKermaMicroGrayPerMas, kFigureSignificantDigits));
  EXPECT_EQ(*outcome.output.photonFluencePerMasPerMm2,
            RoundToSignificantDigits(absolute.photonFluencePerMasPerMm2, kFigureSignificantDigits));
  EXPECT_GT(*outcome.output.airKermaMicroGrayPerMas, 1.5 * *at300.output.airKermaMicroGrayPerMas);
  // the per-mAs spectrum reaches the top bin too
  EXPECT_GT(FluencePerMasSpectrum(*outcome.absoluteSpectrum, 1000)[899], 0);
}

// At and below 300 kV a physics run keeps the exchange files' 600 bins; just above, the figures go
// on smoothly from the whole spectrum while the engine's stop.
TEST(BatchRun, ThePhysicsRunsFiguresGoOnSmoothlyAcross300kV) {
  BatchRun batch(test::DeliveredTable(), {});
  const RunOutcome at300 = batch.Run(Settings(SpectrumModel::Physics, {"300", "20", "3", "5", "0", "0"}));
  const RunOutcome above = batch.Run(Settings(SpectrumModel::Physics, {"301", "20", "3", "5", "0", "0"}));
  EXPECT_EQ(at300.lastBin, kExchangeLast);
  EXPECT_TRUE(at300.results);
  EXPECT_EQ(at300.exchangeFileText.size(), 10200u);
  ASSERT_TRUE(at300.absoluteSpectrum);
  for (int i = kExchangeLast + 1; i <= kGridLast; ++i) ASSERT_EQ((*at300.absoluteSpectrum)[i], 0) << i;
  EXPECT_EQ(above.lastBin, 602);
  EXPECT_FALSE(above.results);
  for (std::size_t f = 0; f < kExtendedFigureCount; ++f) {
    EXPECT_NEAR(*above.extended.values[f], *at300.extended.values[f], 0.01 * *at300.extended.values[f]) << f;
  }
  EXPECT_NEAR(*above.output.airKermaMicroGrayPerMas, *at300.output.airKermaMicroGrayPerMas,
              0.02 * *at300.output.airKermaMicroGrayPerMas);
}

TEST(BatchRun, VoltageTextReadsBackExactly) {
  for (const double kV : {30.0, 30.1, 100.0, 299.9, 150.25}) {
    EXPECT_EQ(ParseLeadingNumber(VoltageText(kV)), kV);
  }
  EXPECT_EQ(VoltageText(120), "120");
}

}  // namespace
}  // namespace kestrix
