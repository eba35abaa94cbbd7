// A detector layer behind a run: the delivered material found by its name with its K-shell data, any
// other material file without them, and the figures per mAs of an absolute model only.

#include "detector_run.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "cli_test_files.h"

namespace kestrix {
namespace {

std::string DataFolder() { return std::filesystem::path(test::DeliveredTable()).parent_path().string(); }

TEST(DetectorRun, DeliveredMaterialIsFoundByNameWithItsFluorescence) {
  const std::string path = DetectorMaterialIn("CdTe", DataFolder());
  EXPECT_EQ(std::filesystem::path(path).filename(), "CdTe.mix");
  EXPECT_EQ(DetectorMaterialIn("a-Se", DataFolder()), (std::filesystem::path(DataFolder()) / "a-Se.mix").string());
  EXPECT_EQ(DetectorMaterialIn("Unobtainium", DataFolder()), "Unobtainium");
  EXPECT_EQ(DetectorMaterialIn("my/CsI", DataFolder()), "my/CsI");
  const std::string fluorescence = (std::filesystem::path(DataFolder()) / kDetectorFluorescenceFile).string();
  const DetectorLayer cdte = LoadDetectorLayer(path, 1, std::nullopt, fluorescence);
  EXPECT_TRUE(cdte.compositionKnown);
  ASSERT_EQ(cdte.fluorescence.size(), 2u);
  EXPECT_EQ(cdte.fluorescence[0].symbol, "Cd");
  EXPECT_NEAR(cdte.fluorescence[0].kEdgeKeV, 26.71, 0.01);
  const DetectorLayer aluminium = LoadDetectorLayer(DetectorMaterialIn("Al", DataFolder()), 1, std::nullopt, fluorescence);
  EXPECT_FALSE(aluminium.compositionKnown);
  EXPECT_THROW(LoadDetectorLayer("Unobtainium", 1, std::nullopt, fluorescence), MaterialFileError);
}

TEST(DetectorRun, FiguresPerMasComeOnlyWithAnAbsoluteModelAndEscapeLowersTheAbsorbedEnergy) {
  BatchRun batch(test::DeliveredTable(), {});
  RunSettings settings{SpectrumModel::Physics, RunEntries{70, 20, 1, 2.5, 21, 0}, RectificationType::ConstantPotential,
                       DisplayQuantity::PhotonNumber};
  const RunOutcome physics = batch.Run(settings);
  const std::string fluorescence = (std::filesystem::path(DataFolder()) / kDetectorFluorescenceFile).string();
  const std::string csi = DetectorMaterialIn("CsI", DataFolder());
  DetectorLayer layer = LoadDetectorLayer(csi, 0.6, std::nullopt, fluorescence);
  const DetectorOutcome withEscape = ComputeDetectorOutcome(physics, layer, "CsI", 1000);
  ASSERT_TRUE(withEscape.detectedPhotonsPerMasPerMm2);
  EXPECT_NEAR(*withEscape.detectedPhotonsPerMasPerMm2,
              withEscape.quantumDetectionEfficiency * *physics.output.photonFluencePerMasPerMm2,
              1e-6 * *withEscape.detectedPhotonsPerMasPerMm2);
  // without its composition the same layer keeps the K photons: more absorbed energy, the same count
  layer.fluorescence.clear();
  layer.compositionKnown = false;
  const DetectorOutcome kept = ComputeDetectorOutcome(physics, layer, "CsI", 1000);
  EXPECT_GT(kept.absorbedEnergyFraction, withEscape.absorbedEnergyFraction);
  EXPECT_EQ(kept.quantumDetectionEfficiency, withEscape.quantumDetectionEfficiency);
  EXPECT_EQ(kept.fluorescenceEscape.rfind("not treated", 0), 0u);
  // the inverse square acts on the figures per mAs only
  const DetectorOutcome far = ComputeDetectorOutcome(physics, layer, "CsI", 2000);
  EXPECT_NEAR(*far.absorbedEnergyKeVPerMasPerMm2 * 4, *kept.absorbedEnergyKeVPerMasPerMm2,
              1e-6 * *kept.absorbedEnergyKeVPerMasPerMm2);

  settings.model = SpectrumModel::Tucker;
  const DetectorOutcome relative = ComputeDetectorOutcome(batch.Run(settings), layer, "CsI", 1000);
  EXPECT_FALSE(relative.detectedPhotonsPerMasPerMm2);
  EXPECT_NE(relative.missing.find("relative"), std::string::npos);
  EXPECT_THROW(ComputeDetectorOutcome(physics, layer, "CsI", 0), std::invalid_argument);
}

}  // namespace
}  // namespace kestrix
