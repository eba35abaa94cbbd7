// The double-precision beam-quality figures: layers as roots of the air-kerma transmission,
// homogeneity, mean energies, and missing figures with their reasons.

#include "beam_quality.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "synthetic_table.h"
#include "tolerance.h"

namespace kestrix {
namespace {

PhotonSpectrum Empty() { return PhotonSpectrum{}; }

/// equal photon numbers from 20 to 100 keV
PhotonSpectrum Flat() {
  PhotonSpectrum spectrum{};
  for (int i = 40; i <= 200; ++i) spectrum[i] = 1.0;
  return spectrum;
}

PhotonSpectrum Filtered(PhotonSpectrum spectrum, const GridArray& mu, double thicknessMm) {
  for (int i = 1; i <= kExchangeLast; ++i) spectrum[i] *= std::exp(-mu[i] * 0.1 * thicknessMm);
  return spectrum;
}

// The figures come from the spectrum's shape: values at the bottom of double's range (whose
// products with the weights would be lost) give those of ordinary values, a power of two no change.
TEST(ExtendedBeamQuality, TinyValuesGiveTheFiguresOfTheirShape) {
  const AttenuationTable table = test::PlausibleTable();
  PhotonSpectrum tiny{}, halved{};
  for (int i = 40; i <= 200; ++i) {
    tiny[i] = std::ldexp(1.0, -1060);  // about 1e-319
    halved[i] = 0.5;
  }
  const ExtendedBeamQuality ones = ComputeExtendedBeamQuality(Flat(), table);
  EXPECT_EQ(ComputeExtendedBeamQuality(tiny, table).values, ones.values);
  EXPECT_EQ(ComputeExtendedBeamQuality(halved, table).values, ones.values);
}

TEST(ExtendedBeamQuality, SingleEnergyGivesEqualLayersOfLnTwoOverMu) {
  const AttenuationTable table = test::PlausibleTable();
  PhotonSpectrum spectrum = Empty();
  spectrum[120] = 0.37;  // 60 keV, any scale
  const ExtendedBeamQuality q = ComputeExtendedBeamQuality(spectrum, table);
  const double alMm = std::log(2.0) / table.muAl[120] * 10;
  const double cuMm = std::log(2.0) / table.muCu[120] * 10;
  EXPECT_REL_NEAR(*q.values[kHvl1Al], alMm, 1e-6);
  EXPECT_REL_NEAR(*q.values[kHvl2Al], alMm, 1e-6);
  EXPECT_REL_NEAR(*q.values[kHomogeneityAl], 1.0, 1e-6);
  EXPECT_REL_NEAR(*q.values[kHvl1Cu], cuMm, 1e-6);
  EXPECT_REL_NEAR(*q.values[kHvl2Cu], cuMm, 1e-6);
  EXPECT_REL_NEAR(*q.values[kHomogeneityCu], 1.0, 1e-6);
  EXPECT_DOUBLE_EQ(*q.values[kMeanEnergy], 60.0);
  EXPECT_DOUBLE_EQ(*q.values[kKermaMeanEnergy], 60.0);
  EXPECT_EQ(*q.FirstHalfValueLayerMm(LayerMaterial::Copper), *q.values[kHvl1Cu]);
}

TEST(ExtendedBeamQuality, LayersAreTheExactHalfAndQuarterPointsOfAMixedBeam) {
  const AttenuationTable table = test::PlausibleTable();
  const ExtendedBeamQuality q = ComputeExtendedBeamQuality(Flat(), table);
  // transmission recomputed independently at the reported thicknesses
  const auto transmission = [&](double mm) {
    double all = 0, through = 0;
    for (int i = kFirstKermaGridIndex; i <= kExchangeLast; ++i) {
      const double w = Flat()[i] * PhotonEnergy(i) * table.muEnAir[i];
      all += w;
      through += w * std::exp(-table.muAl[i] * 0.1 * mm);
    }
    return through / all;
  };
  EXPECT_NEAR(transmission(*q.values[kHvl1Al]), 0.5, 1e-7);
  EXPECT_NEAR(transmission(*q.values[kHvl1Al] + *q.values[kHvl2Al]), 0.25, 1e-7);
  // a polychromatic beam hardens: the second layer is thicker
  EXPECT_LT(*q.values[kHomogeneityAl], 1.0);
  EXPECT_REL_NEAR(*q.values[kMeanEnergy], 60.0, 1e-12);
}

TEST(ExtendedBeamQuality, FiguresCarryNineSignificantDigits) {
  // so that the last-bit differences of two systems' mathematical libraries never show in a report
  const ExtendedBeamQuality q = ComputeExtendedBeamQuality(Filtered(Flat(), test::PlausibleTable().muCu, 0.37),
                                                           test::PlausibleTable());
  for (std::size_t figure = 0; figure < kExtendedFigureCount; ++figure) {
    ASSERT_TRUE(q.values[figure]) << figure;
    char nine[32];
    std::snprintf(nine, sizeof nine, "%.8e", *q.values[figure]);
    EXPECT_EQ(*q.values[figure], std::strtod(nine, nullptr)) << figure << ": " << nine;
  }
  // and no fewer below 1: the homogeneity coefficients keep their ninth digit
  for (const ExtendedFigure figure : {kHomogeneityAl, kHomogeneityCu}) {
    ASSERT_LT(*q.values[figure], 1.0);
    char eight[32];
    std::snprintf(eight, sizeof eight, "%.7e", *q.values[figure]);
    EXPECT_NE(*q.values[figure], std::strtod(eight, nullptr)) << figure << ": " << eight;
  }
}

TEST(ExtendedBeamQuality, AddedFiltrationRaisesTheLayerAndTheHomogeneity) {
  const AttenuationTable table = test::PlausibleTable();
  const ExtendedBeamQuality bare = ComputeExtendedBeamQuality(Flat(), table);
  const ExtendedBeamQuality hardened = ComputeExtendedBeamQuality(Filtered(Flat(), table.muAl, 2.0), table);
  EXPECT_GT(*hardened.values[kHvl1Al], *bare.values[kHvl1Al]);
  EXPECT_GT(*hardened.values[kHomogeneityAl], *bare.values[kHomogeneityAl]);
  EXPECT_GT(*hardened.values[kHvl1Cu], *bare.values[kHvl1Cu]);
  EXPECT_GT(*hardened.values[kHomogeneityCu], *bare.values[kHomogeneityCu]);
  EXPECT_GT(*hardened.values[kMeanEnergy], *bare.values[kMeanEnergy]);
  // behind its own first layer a beam's next layer is its second one
  const ExtendedBeamQuality twoHalves = ComputeExtendedBeamQuality(Filtered(Flat(), table.muAl, *bare.values[kHvl1Al]), table);
  EXPECT_REL_NEAR(*twoHalves.values[kHvl1Al], *bare.values[kHvl2Al], 1e-6);
}

TEST(ExtendedBeamQuality, BeamsWithoutKermaOrBeyondOneHundredMillimetresHaveReasonsInsteadOfValues) {
  const AttenuationTable table = test::PlausibleTable();
  const ExtendedBeamQuality none = ComputeExtendedBeamQuality(Empty(), table);
  for (std::size_t f = 0; f < kExtendedFigureCount; ++f) {
    EXPECT_FALSE(none.values[f]) << ExtendedFigureFields()[f].key;
    EXPECT_FALSE(none.missing[f].empty()) << ExtendedFigureFields()[f].key;
  }
  EXPECT_EQ(none.missing[kMeanEnergy], "the spectrum holds no photons");

  PhotonSpectrum soft = Empty();
  soft[10] = 1.0;  // 5 keV: photons, but below the kerma weights
  const ExtendedBeamQuality belowKerma = ComputeExtendedBeamQuality(soft, table);
  EXPECT_DOUBLE_EQ(*belowKerma.values[kMeanEnergy], 5.0);
  EXPECT_EQ(belowKerma.missing[kHvl1Al], "the spectrum gives no positive air kerma at or above 5.5 keV");

  // 1/cm in aluminium: the layer is 6.9 mm; a thousandth of that in copper: 693 mm
  AttenuationTable thin = test::ConstantTable(1.0);
  thin.muCu.fill(0.001);
  PhotonSpectrum line = Empty();
  line[100] = 1.0;
  const ExtendedBeamQuality beyond = ComputeExtendedBeamQuality(line, thin);
  EXPECT_TRUE(beyond.values[kHvl1Al]);
  EXPECT_FALSE(beyond.values[kHvl1Cu]);
  EXPECT_EQ(beyond.missing[kHvl1Cu], "the air-kerma transmission stays above 50 % through 100 mm of copper");
  EXPECT_EQ(beyond.missing[kHomogeneityCu], "there is no first half-value layer in copper");

  // at 50 keV copper passes 60 % of the kerma freely: no first layer; at 100 keV 40 %: no quarter
  PhotonSpectrum three = Empty();
  three[100] = 3.0;  // 50 keV, 60 % of the kerma (weight 3 x 50)
  three[200] = 1.0;  // 100 keV, 40 %
  AttenuationTable freeAtFifty = test::ConstantTable(1.0);
  freeAtFifty.muCu[100] = 0;
  const ExtendedBeamQuality quarterless = ComputeExtendedBeamQuality(three, freeAtFifty);
  EXPECT_FALSE(quarterless.values[kHvl1Cu]);
  freeAtFifty.muCu[100] = 1.0;
  freeAtFifty.muCu[200] = 0;
  const ExtendedBeamQuality halfOnly = ComputeExtendedBeamQuality(three, freeAtFifty);
  ASSERT_TRUE(halfOnly.values[kHvl1Cu]);
  EXPECT_FALSE(halfOnly.values[kHvl2Cu]);
  EXPECT_EQ(halfOnly.missing[kHvl2Cu],
            "the air-kerma transmission stays above 25 % through 100 mm of copper beyond the first layer");
  EXPECT_EQ(halfOnly.missing[kHomogeneityCu], "there is no second half-value layer in copper");
}

// The whole-grid figures are those of the exchange bins for a beam that ends at 300 keV, bit for bit,
// and take in the photons above 300 keV when there are any.
TEST(ExtendedBeamQuality, OnTheWholeGridTheFiguresTakeInThePhotonsAbove300keV) {
  const AttenuationTable table = test::PlausibleTable();
  GridArray grid{};
  const PhotonSpectrum flat = Flat();
  std::copy(flat.begin(), flat.end(), grid.begin());
  EXPECT_EQ(ComputeExtendedBeamQualityOnGrid(grid, table).values, ComputeExtendedBeamQuality(flat, table).values);
  // a single line at 400 keV: layers of ln 2 / mu there, the mean energy 400 keV
  GridArray high{};
  high[800] = 2.5;
  const ExtendedBeamQuality q = ComputeExtendedBeamQualityOnGrid(high, table);
  EXPECT_REL_NEAR(*q.values[kHvl1Cu], std::log(2.0) / table.muCu[800] * 10, 1e-6);
  EXPECT_REL_NEAR(*q.values[kHvl2Al], std::log(2.0) / table.muAl[800] * 10, 1e-6);
  EXPECT_DOUBLE_EQ(*q.values[kMeanEnergy], 400.0);
  // added to the flat beam it hardens it
  for (int i = 40; i <= 200; ++i) high[i] = 1.0;
  EXPECT_GT(*ComputeExtendedBeamQualityOnGrid(high, table).values[kHvl1Al], *ComputeExtendedBeamQuality(flat, table).values[kHvl1Al]);
}

}  // namespace
}  // namespace kestrix
