// Fitting one entry's thickness to a first half-value layer, on layer curves whose answer is known.

#include "filtration_fit.h"

#include <string>

#include <gtest/gtest.h>

namespace kestrix {
namespace {

std::string FitMessage(const LayerForThickness& layer, const FitRequest& request) {
  try {
    FitFiltration(layer, request);
  } catch (const FiltrationFitError& error) {
    return error.what();
  }
  return "";
}

TEST(FiltrationFit, FindsTheThicknessToAThousandthOfAMillimetre) {
  int calls = 0;
  const LayerForThickness layer = [&calls](double mm) -> std::optional<double> {
    ++calls;
    return 1.0 + 0.05 * mm;
  };
  const FiltrationFit fit = FitFiltration(layer, {FittedEntry::AddedAluminium, LayerMaterial::Aluminium, 2.0});
  EXPECT_DOUBLE_EQ(fit.thicknessMm, 20.0);
  EXPECT_DOUBLE_EQ(fit.hvl1Mm, 2.0);
  EXPECT_LT(calls, 40);

  const FiltrationFit odd = FitFiltration(layer, {FittedEntry::AddedCopper, LayerMaterial::Copper, 1.0 + 0.05 * 12.3456});
  EXPECT_DOUBLE_EQ(odd.thicknessMm, 12.346) << "the nearest whole thousandth";
}

TEST(FiltrationFit, TargetsOutsideTheRangeAreRefusedWithTheRange) {
  const LayerForThickness layer = [](double mm) -> std::optional<double> { return 1.0 + 0.05 * mm; };
  EXPECT_EQ(FitMessage(layer, {FittedEntry::AddedAluminium, LayerMaterial::Aluminium, 0.5}),
            "target HVL1 0.5 mm Al cannot be reached: added aluminium of 0 to 100 mm gives HVL1 1 to 6 mm Al");
  EXPECT_EQ(FitMessage(layer, {FittedEntry::AddedCopper, LayerMaterial::Copper, 7}),
            "target HVL1 7 mm Cu cannot be reached: added copper of 0 to 100 mm gives HVL1 1 to 6 mm Cu");
  EXPECT_EQ(FitMessage(layer, {FittedEntry::AddedCopper, LayerMaterial::Copper, -1}),
            "target HVL1 -1 mm Cu is not a positive layer");
  try {
    FitFiltration(layer, {FittedEntry::AddedAluminium, LayerMaterial::Aluminium, 0.5});
    FAIL();
  } catch (const FiltrationFitError& error) {
    EXPECT_DOUBLE_EQ(*error.thinnestHvl1Mm, 1.0);
    EXPECT_DOUBLE_EQ(*error.thickestHvl1Mm, 6.0);
  }
}

TEST(FiltrationFit, MessagesShowTheLayersAsExactlyAsTheFitComparesThem) {
  const LayerForThickness layer = [](double mm) -> std::optional<double> { return 1.23456789 + 0.05 * mm; };
  EXPECT_EQ(FitMessage(layer, {FittedEntry::AddedAluminium, LayerMaterial::Aluminium, 1e-6}),
            "target HVL1 1e-06 mm Al cannot be reached: added aluminium of 0 to 100 mm gives HVL1 1.23456789 to "
            "6.23456789 mm Al");
  // a target just inside the range shown is reached, one just outside is refused
  EXPECT_EQ(FitMessage(layer, {FittedEntry::AddedAluminium, LayerMaterial::Aluminium, 1.23456789}), "");
  EXPECT_NE(FitMessage(layer, {FittedEntry::AddedAluminium, LayerMaterial::Aluminium, 1.2345678}), "");
}

TEST(FiltrationFit, TheRangeEndsWhereTheBeamIsAbsorbed) {
  const LayerForThickness layer = [](double mm) -> std::optional<double> {
    if (mm > 40) return std::nullopt;
    return 1.0 + 0.05 * mm;
  };
  const std::string message = FitMessage(layer, {FittedEntry::InherentAluminiumEquivalent, LayerMaterial::Aluminium, 3.5});
  EXPECT_NE(message.find("inherent aluminium equivalent of 0 to 40 mm gives HVL1 1 to 3 mm Al"), std::string::npos)
      << message;
  EXPECT_NEAR(FitFiltration(layer, {FittedEntry::AddedAluminium, LayerMaterial::Aluminium, 2.9}).thicknessMm, 38, 1e-9);

  const LayerForThickness never = [](double) -> std::optional<double> { return std::nullopt; };
  EXPECT_EQ(FitMessage(never, {FittedEntry::AddedAluminium, LayerMaterial::Aluminium, 2}),
            "the beam has no first half-value layer in Al even with 0 mm of added aluminium, so HVL1 2 mm Al cannot "
            "be reached");
}

}  // namespace
}  // namespace kestrix
