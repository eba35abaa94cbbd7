#pragma once
// The response of a detector layer to a beam at normal incidence: the share of each energy's photons
// that interact (quantum detection efficiency), that are counted above an energy threshold, and the
// share of their energy the layer absorbs. First interactions only: a photoabsorption deposits the
// photon's energy less the K fluorescence of the layer's own elements that escapes through either
// face; a Compton scattering deposits the electron's mean energy (Klein-Nishina) and its scattered
// photon leaves; coherent scattering deposits nothing. Electrons stop where they are made.

#include <istream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "beam_quality.h"
#include "material_file.h"

namespace kestrix {

/// the K-shell data of the delivered detector materials, generated beside the material files
inline constexpr const char* kDetectorFluorescenceFile = "DetectorFluorescence.tsv";

/// A detector layer or its data that cannot be used; the text says which and why.
class DetectorError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// The K fluorescence of one element of a detector material.
struct FluorescingElement {
  std::string symbol;
  double kEdgeKeV = 0;  /// [keV]
  /// (line energy [keV], line photons per K vacancy [1]): K-alpha and K-beta
  std::vector<std::pair<double, double>> lines;
  /// (photon energy [keV], K-shell photoabsorptions of the element per photoabsorption in the
  /// material [1]) in ascending energy, from just above the edge
  std::vector<std::pair<double, double>> shares;

  /// the share at energyKeV: 0 below the edge, linear between rows, the last row's beyond [1]
  double ShareAt(double energyKeV) const;
};

/// K fluorescence by material file name ("CsI.mix").
using DetectorFluorescence = std::map<std::string, std::vector<FluorescingElement>>;

/// Reads DetectorFluorescence.tsv: '#' lines, then tab-separated rows "line", file, element, K edge
/// [keV], line energy [keV], photons per vacancy, and "share", file, element, energy [keV], share.
/// Throws DetectorError naming sourceName and the line for a row of another kind or field count, a
/// value that is not a number, a share outside 0 to 1 or out of energy order.
DetectorFluorescence ReadDetectorFluorescence(std::istream& in, const std::string& sourceName);

/// A detector layer.
struct DetectorLayer {
  MaterialFile material;
  double thicknessMm = 0;               /// [mm]
  std::optional<double> thresholdKeV;   /// counting threshold of the deposited energy [keV]
  /// the material's fluorescing elements; empty when its composition is not known (any material file
  /// other than a delivered detector material), and then no fluorescence escapes
  std::vector<FluorescingElement> fluorescence;
  bool compositionKnown = false;
};

/// The layer's response per photon energy, by grid index 1..600.
struct DetectorResponse {
  PhotonSpectrum interacting{};    /// share of the photons that interact at all [1]
  PhotonSpectrum counted{};        /// share counted: interacting, or with a threshold depositing at least it [1]
  PhotonSpectrum absorbedShare{};  /// share of the photons' energy absorbed [1]
};

/// Throws DetectorError for a thickness that is not positive and finite, a threshold that is negative
/// or not finite, or a material file whose coefficients cannot be interpolated.
DetectorResponse ComputeDetectorResponse(const DetectorLayer& layer);

/// The layer's figures for one beam.
struct DetectorFigures {
  double quantumDetectionEfficiency = 0;  /// counted photons per incident photon [1]
  double absorbedEnergyFraction = 0;      /// absorbed energy per incident energy [1]
  /// per grid index 1..600: energy absorbed from that bin's photons per incident photon of the whole
  /// beam [keV]; the sum is the mean absorbed energy per incident photon
  PhotonSpectrum absorbedEnergyKeV{};
};

/// The figures of the beam `photons` (photon number per bin, any positive scale). Throws
/// DetectorError for a spectrum without photons.
DetectorFigures DetectorFiguresOf(const PhotonSpectrum& photons, const DetectorResponse& response);

}  // namespace kestrix
