// Monte Carlo sources: lines taken out of their bins, the formats named and refused, and every
// format keeping the spectrum's photons and mean energy.

#include "monte_carlo_source.h"

#include <limits>
#include <sstream>

#include <gtest/gtest.h>

#include "energy_grid.h"

namespace kestrix {
namespace {

/// a continuum falling linearly from 1 keV to 100 keV with lines in the bins of 59.5 and 67 keV
ExchangeSpectrum WithTwoLines() {
  ExchangeSpectrum photons{};
  for (int i = 2; i <= 200; ++i) photons[i] = 300.0 - i;
  photons[119] += 40;
  photons[134] += 10;
  return photons;
}

TEST(SourceLines, ALineIsWhatItsBinHoldsAboveTheStraightLineOfItsNeighbours) {
  const SourceSpectrum source = SeparateLines(WithTwoLines(), {116, 119, 134, 138});
  ASSERT_EQ(source.lines.size(), 2u);  // 116 and 138 hold nothing above the continuum
  EXPECT_DOUBLE_EQ(source.lines[0].energyKeV, 59.5);
  EXPECT_DOUBLE_EQ(source.lines[0].photons, 40);
  EXPECT_DOUBLE_EQ(source.lines[1].energyKeV, 67.0);
  EXPECT_DOUBLE_EQ(source.lines[1].photons, 10);
  EXPECT_DOUBLE_EQ(source.continuum[119], 300.0 - 119);
  EXPECT_DOUBLE_EQ(source.continuum[116], 300.0 - 116);
  // neighbouring line bins are bridged by the nearest bins without a line
  ExchangeSpectrum adjacent = WithTwoLines();
  adjacent[120] += 5;
  const SourceSpectrum bridged = SeparateLines(adjacent, {119, 120});
  ASSERT_EQ(bridged.lines.size(), 2u);
  EXPECT_NEAR(bridged.lines[1].photons, 5, 1e-12);
}

TEST(SourceLines, UnusableSpectraAreRefused) {
  ExchangeSpectrum photons = WithTwoLines();
  photons[50] = -1;
  EXPECT_THROW(SeparateLines(photons, {}), SourceSpectrumError);
  photons[50] = std::numeric_limits<double>::infinity();
  EXPECT_THROW(SeparateLines(photons, {}), SourceSpectrumError);
  EXPECT_THROW(SeparateLines(ExchangeSpectrum{}, {}), SourceSpectrumError);
  std::ostringstream out;
  EXPECT_THROW(WriteSource(out, SourceFormat::Mcnp, SourceSpectrum{}, "empty"), SourceSpectrumError);
}

TEST(SourceLines, TheTargetsLinesByModel) {
  EXPECT_TRUE(TungstenLineBins(SpectrumModel::Tucker, 70).empty());
  EXPECT_EQ(TungstenLineBins(SpectrumModel::Birch, 150), (std::vector<int>{116, 119, 134, 138}));
  const std::vector<int> physics = TungstenLineBins(SpectrumModel::Physics, 100);
  EXPECT_GT(physics.size(), 4u);
  EXPECT_GE(physics.front(), 15);  // L lines from 7.5 keV
  EXPECT_LE(physics.front(), 23);
  for (const int bin : TungstenLineBins(SpectrumModel::Physics, 60)) EXPECT_LT(bin, 30);  // no K lines below the edge
}

TEST(SourceFormats, KeywordsReadWithoutRegardToCase) {
  EXPECT_EQ(SourceFormats().size(), 7u);
  for (const SourceFormat format : SourceFormats()) {
    EXPECT_EQ(SourceFormatOfKeyword(SourceFormatKeyword(format)), format);
  }
  EXPECT_EQ(SourceFormatOfKeyword("EGSnrc"), SourceFormat::Egsnrc);
  EXPECT_FALSE(SourceFormatOfKeyword("fluka"));
  EXPECT_EQ(SourceFormatKeywordList(), "egsnrc | geant4 | gate | mcnp | penelope | topas | phits");
}

TEST(SourceFormats, EveryFormatNamesItsBeamOnOneLine) {
  const SourceSpectrum source = SeparateLines(WithTwoLines(), {119, 134});
  for (const SourceFormat format : SourceFormats()) {
    std::ostringstream out;
    WriteSource(out, format, source, "beam\nwith a line end");
    const std::string text = out.str();
    EXPECT_NE(text.find("beam with a line end"), std::string::npos) << SourceFormatKeyword(format);
    EXPECT_EQ(text.back(), '\n');
  }
}

TEST(SourceFormats, ATransmissionTargetsTitleHasNoTargetAngle) {
  SpectrumDescription d;
  d.model = "physics (W transmission target, 1 um on 0.3 mm diamond)";
  d.tubeVoltageKV = 100;
  d.targetAngleDegrees = 20;
  d.waveform = "constant";
  EXPECT_EQ(SourceTitle(d).rfind("physics (W transmission target, 1 um on 0.3 mm diamond) model, 100 kV, target angle 20 "
                                 "degrees, constant waveform; ",
                                 0),
            0u);
  d.transmission = true;
  EXPECT_EQ(SourceTitle(d).rfind("physics (W transmission target, 1 um on 0.3 mm diamond) model, 100 kV, constant waveform; ", 0),
            0u)
      << SourceTitle(d);
}

}  // namespace
}  // namespace kestrix
