// The detector layer: the exponential integral, the share of photons that interact, the escape of K
// fluorescence through the faces, Compton energy, thresholds, and the fluorescence file's reader.

#include "detector_response.h"

#include <cmath>
#include <sstream>

#include <gtest/gtest.h>

namespace kestrix {
namespace {

/// A material of constant coefficients: coherent 0.1, incoherent 0.2, photoabsorption 0.7 cm2/g, density 2.
MaterialFile Flat(double photo = 0.7) {
  MaterialFile material;
  material.description = "flat";
  material.density = 2;
  material.rows = {{0.001, 0.1, 0.2, photo, 0.3 + photo}, {0.6, 0.1, 0.2, photo, 0.3 + photo}};
  return material;
}

DetectorLayer Layer(double thicknessMm, std::optional<double> threshold = std::nullopt) {
  DetectorLayer layer;
  layer.material = Flat();
  layer.thicknessMm = thicknessMm;
  layer.thresholdKeV = threshold;
  return layer;
}

TEST(DetectorResponse, InteractingShareIsOneMinusTheTransmission) {
  const DetectorResponse response = ComputeDetectorResponse(Layer(1));
  // mu = 2 g/cm3 x 1 cm2/g over 0.1 cm
  EXPECT_NEAR(response.interacting[100], 1 - std::exp(-0.2), 1e-12);
  EXPECT_EQ(response.counted[100], response.interacting[100]);
  // photoabsorption deposits everything, Compton the electron's share, coherent scattering nothing
  EXPECT_LT(response.absorbedShare[100], 0.7 * response.interacting[100] + 0.2 * response.interacting[100]);
  EXPECT_GT(response.absorbedShare[100], 0.7 * response.interacting[100]);
  // the Compton electron takes a larger share at higher energy
  const double comptonLow = (response.absorbedShare[40] / response.interacting[40] - 0.7) / 0.2;
  const double comptonHigh = (response.absorbedShare[600] / response.interacting[600] - 0.7) / 0.2;
  // the mean share of the energy the electron takes (Klein-Nishina): 0.036 at 20 keV, 0.28 at 300 keV
  EXPECT_NEAR(comptonLow, 0.036, 0.001);
  EXPECT_NEAR(comptonHigh, 0.28, 0.02);
}

TEST(DetectorResponse, ThresholdCountsOnlyWhatDepositsEnoughAndFluorescenceEscapesAboveTheEdge) {
  // a threshold above a photon's energy counts none of its photons
  const DetectorResponse counted = ComputeDetectorResponse(Layer(1, 40.25));
  EXPECT_EQ(counted.counted[80], 0);
  EXPECT_NEAR(counted.counted[81], counted.interacting[81] * 0.7, 1e-3 * counted.interacting[81]);

  DetectorLayer layer = Layer(0.05);
  layer.compositionKnown = true;
  layer.fluorescence.push_back(FluorescingElement{"X", 30, {{25, 0.8}}, {{30, 0.8}, {300, 0.8}}});
  const DetectorResponse escaping = ComputeDetectorResponse(layer);
  const DetectorResponse kept = ComputeDetectorResponse(Layer(0.05));
  EXPECT_EQ(escaping.absorbedShare[59], kept.absorbedShare[59]);  // 29.5 keV: below the edge
  // a thin layer lets most K photons out: up to 0.8 x 0.7 x 25/30.5 of the energy goes
  const double lost = 1 - escaping.absorbedShare[61] / kept.absorbedShare[61];
  EXPECT_GT(lost, 0.3);
  EXPECT_LT(lost, 0.8 * 0.7 * 25 / 30.5 / 0.9);
  // a thick layer keeps more of them
  layer.thicknessMm = 50;
  const double thickLost = 1 - ComputeDetectorResponse(layer).absorbedShare[61] / ComputeDetectorResponse(Layer(50)).absorbedShare[61];
  EXPECT_LT(thickLost, lost);
  EXPECT_GT(thickLost, 0);
  // the escape peak lies at 30.5 - 25 keV: a 10 keV threshold drops those photons
  layer.thicknessMm = 0.05;
  layer.thresholdKeV = 10;
  EXPECT_LT(ComputeDetectorResponse(layer).counted[61], escaping.counted[61]);
}

TEST(DetectorResponse, FiguresWeighTheBeamAndRefuseWhatCannotBeUsed) {
  const DetectorResponse response = ComputeDetectorResponse(Layer(1));
  PhotonSpectrum photons{};
  photons[100] = 3;
  photons[200] = 1;
  const DetectorFigures figures = DetectorFiguresOf(photons, response);
  EXPECT_NEAR(figures.quantumDetectionEfficiency, (3 * response.counted[100] + response.counted[200]) / 4, 1e-9);
  EXPECT_NEAR(figures.absorbedEnergyFraction,
              (3 * 50 * response.absorbedShare[100] + 100 * response.absorbedShare[200]) / 250, 1e-9);
  EXPECT_NEAR(figures.absorbedEnergyKeV[200], 100 * response.absorbedShare[200] / 4, 1e-12);
  EXPECT_THROW(DetectorFiguresOf(PhotonSpectrum{}, response), DetectorError);
  EXPECT_THROW(ComputeDetectorResponse(Layer(0)), DetectorError);
  EXPECT_THROW(ComputeDetectorResponse(Layer(1, -2)), DetectorError);
}

TEST(DetectorResponse, FluorescenceFileIsReadByMaterialAndElement) {
  std::istringstream in("# comment\r\nline\tCsI.mix\tI\t33.17\t28.5\t0.72\r\nline\tCsI.mix\tI\t33.17\t31.8\t0.16\r\n"
                        "share\tCsI.mix\tI\t33.3\t0.8\r\nshare\tCsI.mix\tI\t36\t0.4\r\n");
  const DetectorFluorescence table = ReadDetectorFluorescence(in, "f.tsv");
  ASSERT_EQ(table.at("CsI.mix").size(), 1u);
  const FluorescingElement& iodine = table.at("CsI.mix")[0];
  EXPECT_EQ(iodine.kEdgeKeV, 33.17);
  EXPECT_EQ(iodine.lines.size(), 2u);
  EXPECT_EQ(iodine.ShareAt(33), 0);
  EXPECT_EQ(iodine.ShareAt(33.2), 0.8);
  EXPECT_NEAR(iodine.ShareAt(34.65), 0.6, 1e-12);
  EXPECT_EQ(iodine.ShareAt(300), 0.4);
  const auto error = [](const std::string& text) {
    std::istringstream bad(text);
    try {
      ReadDetectorFluorescence(bad, "f.tsv");
    } catch (const DetectorError& e) {
      return std::string(e.what());
    }
    return std::string("(read)");
  };
  EXPECT_EQ(error("lines\tA\tB\t1\t2\t3\n"), "f.tsv, line 1: not a line row of 6 fields or a share row of 5");
  EXPECT_EQ(error("share\tA\tB\t1\tx\n"), "f.tsv, line 1: field 5 is not a number");
  EXPECT_EQ(error("share\tA\tB\t1\t1.5\n"), "f.tsv, line 1: a share above 1");
  EXPECT_EQ(error("share\tA\tB\t2\t0.5\nshare\tA\tB\t1\t0.5\n"), "f.tsv, line 2: the energy is below the row before");
}

}  // namespace
}  // namespace kestrix
