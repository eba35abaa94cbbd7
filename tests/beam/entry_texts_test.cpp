// Typed entries read into a run's inputs: the voltage limits, the millimetre conversion and the
// replacement of an impossible inherent filtration.

#include "entry_texts.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "tolerance.h"

namespace kestrix {
namespace {

RunInputTexts Texts(const std::string& kV, const std::string& angle = "20", const std::string& be = "3",
                    const std::string& alEq = "5", const std::string& al = "0", const std::string& cu = "0") {
  return RunInputTexts{kV, angle, be, alEq, al, cu};
}

TEST(ReadRunInputs, TubeVoltageIsLimitedTo30To300) {
  struct Case {
    const char* text;
    double kVp;
    const char* shown;  // nullptr: the entry stays as typed
  };
  for (const Case& c : {Case{"350", 300, "300"}, Case{"300", 300, nullptr}, Case{"299.5", 299.5, nullptr},
                        Case{"30.5", 30.5, nullptr}, Case{"30", 30, "30"}, Case{"20", 30, "30"},
                        Case{"abc", 30, "30"}, Case{"", 30, "30"}, Case{"-5", 30, "30"}, Case{"1e999", 300, "300"},
                        Case{" 120kV", 120, nullptr}}) {
    const RunInputs inputs = ReadRunInputs(Texts(c.text), SpectrumModel::Tucker);
    EXPECT_EQ(inputs.kVp, c.kVp) << c.text;
    if (c.shown) {
      EXPECT_EQ(inputs.tubeVoltageText, std::string(c.shown)) << c.text;
    } else {
      EXPECT_FALSE(inputs.tubeVoltageText) << c.text;
    }
  }
}

TEST(ReadRunInputs, MillimetresBecomeCentimetres) {
  const RunInputs inputs = ReadRunInputs(Texts("100", "12.5", "3", "5", "2", "0.5"), SpectrumModel::Tucker);
  EXPECT_EQ(inputs.targetAngleDegrees, 12.5);
  EXPECT_REL_NEAR(inputs.filters.tBe, 0.3, 1e-15);
  EXPECT_REL_NEAR(inputs.filters.tAlInh, 0.5, 1e-15);
  EXPECT_REL_NEAR(inputs.filters.tAlAdd, 0.2, 1e-15);
  EXPECT_REL_NEAR(inputs.filters.tCu, 0.05, 1e-15);
  EXPECT_FALSE(inputs.inherentFiltrationReplaced);
}

TEST(ReadRunInputs, ImpossibleInherentFiltrationIsReplacedByHalfAMillimetreOfAluminium) {
  const RunInputs tucker = ReadRunInputs(Texts("100", "20", "0", "0"), SpectrumModel::Tucker);
  EXPECT_TRUE(tucker.inherentFiltrationReplaced);
  EXPECT_EQ(tucker.filters.tBe, 0.0);
  EXPECT_EQ(tucker.filters.tAlInh, 0.05);

  const RunInputs birch = ReadRunInputs(Texts("100", "20", "0", "0"), SpectrumModel::Birch);
  EXPECT_FALSE(birch.inherentFiltrationReplaced);  // Birch accepts no inherent filtration
  EXPECT_EQ(birch.filters.tBe, 0.0);
  EXPECT_EQ(birch.filters.tAlInh, 0.0);

  const RunInputs negative = ReadRunInputs(Texts("100", "20", "-1", "0.5"), SpectrumModel::Birch);
  EXPECT_TRUE(negative.inherentFiltrationReplaced);
  EXPECT_EQ(negative.filters.tAlInh, 0.05);
  EXPECT_EQ(negative.filters.tBe, 0.0);

  // only the sum is checked
  const RunInputs mixed = ReadRunInputs(Texts("100", "20", "-1", "2"), SpectrumModel::Tucker);
  EXPECT_FALSE(mixed.inherentFiltrationReplaced);
  EXPECT_REL_NEAR(mixed.filters.tBe, -0.1, 1e-15);
}

TEST(ParseRunEntries, EachBoxGivesTheNumberItStartsWith) {
  const RunEntries entries = ParseRunEntries(RunInputTexts{" 120kV", "12.5", "abc", "", "1e999", "-0.5mm"});
  EXPECT_EQ(entries.tubeVoltageKV, 120);
  EXPECT_EQ(entries.targetAngleDegrees, 12.5);
  EXPECT_EQ(entries.berylliumMm, 0);
  EXPECT_EQ(entries.aluminiumEquivalentMm, 0);
  EXPECT_EQ(entries.addedAluminiumMm, HUGE_VAL);
  EXPECT_EQ(entries.addedCopperMm, -0.5);
}

}  // namespace
}  // namespace kestrix
