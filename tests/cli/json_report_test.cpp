// The --json document: well-formed, the expected keys, the inputs as used, no NaN.

#include "json_report.h"

#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "beam_figures.h"
#include "cli_test_files.h"
#include "json_check.h"

namespace kestrix {
namespace {

using test::JsonValue;

std::set<std::string> Keys(const JsonValue& object) {
  return std::set<std::string>(object.memberOrder.begin(), object.memberOrder.end());
}

JsonValue Document(const test::ComputedRun& c) {
  std::ostringstream out;
  WriteJsonReport(out, c.options, c.filters, c.outcome);
  EXPECT_EQ(out.str().find("nan"), std::string::npos);
  EXPECT_EQ(out.str().find("inf"), std::string::npos);
  return test::ParseJson(out.str());
}

TEST(JsonReport, HoldsInputsAsUsedCorrectionsResultsAndSpectrum) {
  const test::ComputedRun c = test::ComputeRun({"--kv", "300", "--be", "0", "--al-eq", "0", "--cu", "0.25", "--waveform", "12-peak",
                              "--filter", test::DeliveredTin() + ":0.05", "--json"});
  const JsonValue doc = Document(c);
  EXPECT_EQ(Keys(doc), (std::set<std::string>{"program", "inputs", "corrections", "results", "spectrum"}));
  EXPECT_EQ(doc["program"].text, "kestrix-cli");

  const JsonValue& inputs = doc["inputs"];
  EXPECT_EQ(Keys(inputs), (std::set<std::string>{"model", "target", "characteristic_lines", "off_axis_deg", "transmission",
                                                 "model_voltage_range_kV",
                                                 "tube_voltage_kV",
                                                 "target_angle_degrees", "beryllium_mm",
                                                 "aluminium_equivalent_mm", "added_aluminium_mm", "added_copper_mm",
                                                 "waveform", "quantity", "filters", "attenuation_table"}));
  EXPECT_EQ(inputs["model"].text, "tucker");
  EXPECT_EQ(inputs["target"].text, "W");
  EXPECT_TRUE(inputs["characteristic_lines"].boolean);
  EXPECT_EQ(inputs["tube_voltage_kV"].number, 300);
  ASSERT_EQ(inputs["model_voltage_range_kV"].items.size(), 2u);
  EXPECT_EQ(inputs["model_voltage_range_kV"].items[0].number, 30);
  EXPECT_EQ(inputs["model_voltage_range_kV"].items[1].number, 300);
  EXPECT_EQ(inputs["beryllium_mm"].number, 0);
  EXPECT_EQ(inputs["aluminium_equivalent_mm"].number, 0.5);
  EXPECT_EQ(inputs["added_copper_mm"].number, 0.25);
  EXPECT_EQ(inputs["waveform"].text, "12-peak");
  EXPECT_EQ(inputs["quantity"].text, "photon");
  ASSERT_EQ(inputs["filters"].items.size(), 1u);
  EXPECT_EQ(inputs["filters"].items[0]["file"].text, test::DeliveredTin());
  EXPECT_EQ(inputs["filters"].items[0]["thickness_mm"].number, 0.05);
  EXPECT_EQ(inputs["filters"].items[0]["description"].text, c.filters[0].description);

  ASSERT_EQ(doc["corrections"].items.size(), 1u);  // the inherent filtration's; a voltage is never corrected
  EXPECT_EQ(doc["corrections"].items[0].text.rfind("inherent filtration 0 mm Be", 0), 0u);

  const JsonValue& results = doc["results"];
  EXPECT_EQ(Keys(results), (std::set<std::string>{"hvl_al_mm", "effective_energy_al_keV", "hvl_cu_mm",
                                                  "effective_energy_cu_keV", "photons_per_mm2_per_Ckg", "missing",
                                                  "extended", "output"}));
  EXPECT_EQ(results["hvl_al_mm"].number, *c.outcome.results->hvlAlMm);
  EXPECT_EQ(results["photons_per_mm2_per_Ckg"].number, *c.outcome.results->photonsPerMm2PerCkg);
  EXPECT_TRUE(results["missing"].members.empty());

  const JsonValue& spectrum = doc["spectrum"];
  EXPECT_EQ(spectrum["energy_unit"].text, "keV");
  EXPECT_EQ(spectrum["normalisation"].text, "max");
  ASSERT_EQ(spectrum["energy"].items.size(), 600u);
  ASSERT_EQ(spectrum["value"].items.size(), 600u);
  EXPECT_EQ(spectrum["energy"].items[0].number, 0.5);
  EXPECT_EQ(spectrum["energy"].items[599].number, 300);
  for (int i = 1; i <= 600; ++i) EXPECT_EQ(spectrum["value"].items[i - 1].number, c.outcome.exchange[i]) << i;
}

TEST(JsonReport, ExtendedFiguresWithNullAndReasonWhenMissing) {
  test::ComputedRun c = test::ComputeRun({"--kv", "100", "--no-table", "--json"});
  c.outcome.extended.values[kHvl2Cu].reset();
  c.outcome.extended.missing[kHvl2Cu] = "the reason";
  const JsonValue extended = Document(c)["results"]["extended"];
  EXPECT_EQ(extended.memberOrder,
            (std::vector<std::string>{"hvl1_al_mm", "hvl2_al_mm", "homogeneity_al", "hvl1_cu_mm", "hvl2_cu_mm",
                                      "homogeneity_cu", "mean_energy_keV", "kerma_mean_energy_keV", "missing"}));
  EXPECT_EQ(extended["hvl1_al_mm"].number, *c.outcome.extended.values[kHvl1Al]);
  EXPECT_EQ(extended["kerma_mean_energy_keV"].number, *c.outcome.extended.values[kKermaMeanEnergy]);
  EXPECT_EQ(extended["hvl2_cu_mm"].kind, JsonValue::Kind::Null);
  EXPECT_EQ(Keys(extended["missing"]), std::set<std::string>{"hvl2_cu_mm"});
  EXPECT_EQ(extended["missing"]["hvl2_cu_mm"].text, "the reason");
}

TEST(JsonReport, FitAndQualityTellHowTheInputsCameAbout) {
  test::ComputedRun c = test::ComputeRun({"--kv", "70", "--be", "1", "--al-eq", "0.5", "--no-table", "--json"});
  BatchRun batch(test::DeliveredTable(), {});
  const FitOutcome fit = batch.Fit(SettingsFor(c.options),
                                   {FittedEntry::AddedAluminium, LayerMaterial::Aluminium, 2.58});
  RadiationQuality quality;
  quality.name = "RQR5";
  quality.standard = "IEC 61267";
  quality.tubeVoltageKV = 70;
  quality.nominalHvl1AlMm = 2.58;
  c.outcome = fit.outcome;
  std::ostringstream out;
  WriteJsonReport(out, c.options, c.filters, c.outcome, ReportExtras{&fit, &quality});
  const JsonValue doc = test::ParseJson(out.str());
  EXPECT_EQ(doc["fit"]["entry"].text, "al");
  EXPECT_EQ(doc["fit"]["thickness_mm"].number, fit.fit.thicknessMm);
  EXPECT_EQ(doc["fit"]["target"]["hvl1_al_mm"].number, 2.58);
  EXPECT_EQ(doc["fit"]["reached"]["hvl1_al_mm"].number, fit.fit.hvl1Mm);
  EXPECT_EQ(doc["inputs"]["added_aluminium_mm"].number, fit.fit.thicknessMm);
  EXPECT_EQ(doc["quality"]["name"].text, "RQR5");
  EXPECT_EQ(doc["quality"]["beryllium_mm"].kind, JsonValue::Kind::Null);
  EXPECT_EQ(doc["quality"]["nominal_hvl1_al_mm"].number, 2.58);
  EXPECT_EQ(doc["quality"]["based_on"].kind, JsonValue::Kind::Null);
}

TEST(JsonReport, ShiftJisMaterialDescriptionIsWrittenInUtf8) {
  const std::string sample = std::string(KESTRIX_TEST_DATA) + "/aluminium_alloy_cp932.ele";
  const test::ComputedRun c = test::ComputeRun({"--filter", sample + ":1", "--json"});
  const std::string description = "アルミニウム合金 ① (Al 97%～)";
  std::ostringstream out;
  WriteJsonReport(out, c.options, c.filters, c.outcome);
  EXPECT_NE(out.str().find(description), std::string::npos);
  EXPECT_EQ(Document(c)["inputs"]["filters"].items[0]["description"].text, description);
}

TEST(JsonReport, MissingFiguresAreNullWithAReason) {
  test::ComputedRun c = test::ComputeRun({"--kv", "80", "--no-table", "--json"});
  c.outcome.results.reset();
  c.outcome.engineError = "the spectrum holds no non-zero photon number at 5.5 keV or above";
  const JsonValue doc = Document(c);
  EXPECT_FALSE(doc.Has("spectrum"));
  const JsonValue& results = doc["results"];
  for (const FigureField& field : FigureFields()) {
    EXPECT_EQ(results[field.key].kind, JsonValue::Kind::Null);
    EXPECT_EQ(results["missing"][field.key].text,
              "the engine cannot weigh this spectrum: the spectrum holds no non-zero photon number at 5.5 keV or above");
  }
}

TEST(JsonReport, MeVSpectrumWithTotalNormalisation) {
  const JsonValue doc = Document(test::ComputeRun({"--kv", "50", "--unit", "MeV", "--normalise", "total", "--no-figures"}));
  EXPECT_FALSE(doc.Has("results"));
  const JsonValue& spectrum = doc["spectrum"];
  EXPECT_EQ(spectrum["energy"].items[2].number, 0.0015);
  double total = 0;
  for (const JsonValue& value : spectrum["value"].items) total += value.number;
  EXPECT_NEAR(total, 1.0, 1e-12);
}

TEST(JsonReport, SweepListsOneRunPerVoltage) {
  const CliOptions options = ParseCommandLine({"--sweep", "30:50:10", "--json"});
  BatchRun batch(test::DeliveredTable(), {});
  const std::vector<RunOutcome> outcomes = test::SweepOutcomes(options, batch);
  std::ostringstream out;
  WriteSweepJson(out, options, batch.Filters(), outcomes);
  const JsonValue doc = test::ParseJson(out.str());
  EXPECT_EQ(Keys(doc), (std::set<std::string>{"program", "inputs", "runs"}));
  EXPECT_FALSE(doc["inputs"].Has("tube_voltage_kV"));
  EXPECT_EQ(doc["inputs"]["sweep"]["from_kV"].number, 30);
  EXPECT_EQ(doc["inputs"]["sweep"]["step_kV"].number, 10);
  ASSERT_EQ(doc["runs"].items.size(), 3u);
  // the lower end of the range itself is no correction
  EXPECT_EQ(doc["runs"].items[0]["tube_voltage_kV"].number, 30);
  EXPECT_TRUE(doc["runs"].items[0]["corrections"].items.empty());
  EXPECT_EQ(doc["runs"].items[2]["tube_voltage_kV"].number, 50);
  EXPECT_TRUE(doc["runs"].items[2]["corrections"].items.empty());
  EXPECT_EQ(doc["runs"].items[1]["results"]["hvl_cu_mm"].number, *outcomes[1].results->hvlCuMm);
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(doc["runs"].items[k]["results"]["extended"]["hvl2_al_mm"].number, *outcomes[k].extended.values[kHvl2Al]);
  }
}

}  // namespace
}  // namespace kestrix
