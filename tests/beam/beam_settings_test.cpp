// The words of the choices: every word reads back to its choice, in any case, and nothing else does.

#include "beam_settings.h"

#include <gtest/gtest.h>

#include "emission_models.h"

namespace kestrix {
namespace {

TEST(Keywords, EveryChoiceReadsBackFromItsWordInAnyCase) {
  for (const SpectrumModel model : SpectrumModels()) {
    EXPECT_EQ(ModelOfKeyword(ModelKeyword(model)), model);
  }
  EXPECT_EQ(ModelOfKeyword("Tucker"), SpectrumModel::Tucker);
  for (const RectificationType type : {RectificationType::ConstantPotential, RectificationType::ThreePhase12Peak,
                                       RectificationType::SinglePhaseFullWave}) {
    EXPECT_EQ(WaveformOfKeyword(WaveformKeyword(type)), type);
  }
  for (const DisplayQuantity quantity : {DisplayQuantity::PhotonNumber, DisplayQuantity::Exposure, DisplayQuantity::Energy}) {
    EXPECT_EQ(QuantityOfKeyword(QuantityKeyword(quantity)), quantity);
  }
  EXPECT_EQ(WaveformOfKeyword("12-PEAK"), RectificationType::ThreePhase12Peak);
}

TEST(Keywords, OtherWordsAreNoChoice) {
  for (const char* word : {"", "tuck", "birch ", "constant-potential", "dose"}) {
    EXPECT_FALSE(ModelOfKeyword(word)) << word;
    EXPECT_FALSE(WaveformOfKeyword(word)) << word;
    EXPECT_FALSE(QuantityOfKeyword(word)) << word;
  }
  EXPECT_EQ(ModelKeywordList(), "tucker | birch | physics");
}

TEST(ModelDescription, NamesTheTubeUnlessTungstenWithLinesAndThePointOnlyOffTheCentralRay) {
  RunEntries entries;
  EXPECT_EQ(ModelDescription(SpectrumModel::Physics, TargetMaterial::Tungsten, entries), "physics");
  EXPECT_EQ(ModelDescription(SpectrumModel::Physics, TargetMaterial::Rhodium, entries), "physics (Rh target)");
  entries.characteristicLines = false;
  entries.offAxisAcrossDegrees = -2.5;
  EXPECT_TRUE(IsOffAxis(entries));
  EXPECT_EQ(ModelDescription(SpectrumModel::Physics, TargetMaterial::Tungsten, entries),
            "physics (W target, bremsstrahlung alone (no characteristic lines)) "
            "(off axis 0 degrees along (positive towards the cathode), -2.5 degrees across)");
  EXPECT_EQ(TubeDescription(TargetMaterial::Gold, true), "Au target");
}

TEST(TransmissionDescription, NamesTheLayerItsWindowAndTheWindowsThickness) {
  RunEntries entries;
  EXPECT_EQ(TransmissionDescription(TargetMaterial::Tungsten, entries.transmission), "");
  EXPECT_FALSE(TubeIsNamed(TargetMaterial::Tungsten, entries));
  EXPECT_EQ(TubeDescription(TargetMaterial::Tungsten, entries), "W target");
  entries.transmission = {1, TransmissionWindow::Diamond, 0.3};
  EXPECT_TRUE(TubeIsNamed(TargetMaterial::Tungsten, entries));
  EXPECT_EQ(TransmissionDescription(TargetMaterial::Tungsten, entries.transmission),
            "W transmission target, 1 um on 0.3 mm diamond");
  EXPECT_EQ(ModelDescription(SpectrumModel::Physics, TargetMaterial::Tungsten, entries),
            "physics (W transmission target, 1 um on 0.3 mm diamond)");
  entries.transmission = {0.25, TransmissionWindow::Beryllium, 0.1 + 0.2};
  entries.characteristicLines = false;
  // numbers in the shortest form that reads back
  EXPECT_EQ(TubeDescription(TargetMaterial::Tungsten, entries),
            "W transmission target, 0.25 um on 0.30000000000000004 mm Be, bremsstrahlung alone (no characteristic lines)");
  entries.transmission.window = TransmissionWindow::Aluminium;
  entries.characteristicLines = true;
  EXPECT_EQ(TubeDescription(TargetMaterial::Tungsten, entries), "W transmission target, 0.25 um on 0.30000000000000004 mm Al");
}

}  // namespace
}  // namespace kestrix
