#pragma once
// A detector layer behind a computed beam: its material file with the K-shell data of a delivered
// detector material, and the figures every front end reports: quantum detection efficiency, absorbed
// energy fraction and, for a model with absolute output, absorbed energy and counted photons per mAs
// and mm2 at the distance.

#include <optional>
#include <string>

#include "batch_run.h"
#include "detector_response.h"

namespace kestrix {

/// JSON and Python keys of the detector figures
inline constexpr const char* kDetectorQdeKey = "quantum_detection_efficiency";
inline constexpr const char* kDetectorAbsorbedFractionKey = "absorbed_energy_fraction";
inline constexpr const char* kDetectorAbsorbedEnergyKey = "absorbed_energy_keV_per_mAs_per_mm2";
inline constexpr const char* kDetectorPhotonsKey = "detected_photons_per_mAs_per_mm2";

/// The layer of materialPath (a material file) thicknessMm thick [mm], with the K-shell data that
/// fluorescencePath (DetectorFluorescence.tsv) holds under the material file's name, if any. Throws
/// MaterialFileError for the material file, DetectorError for an unreadable or faulty fluorescence
/// file (one that is absent leaves the composition unknown).
DetectorLayer LoadDetectorLayer(const std::string& materialPath, double thicknessMm, std::optional<double> thresholdKeV,
                                const std::string& fluorescencePath);

/// The detector's figures for one beam.
struct DetectorOutcome {
  std::string material;                 /// as the user named it ("CsI", a file path)
  std::string description;              /// the material file's first line
  double thicknessMm = 0;               /// [mm]
  std::optional<double> thresholdKeV;   /// [keV]
  double quantumDetectionEfficiency = 0;  /// counted per incident photon [1]
  double absorbedEnergyFraction = 0;      /// absorbed per incident energy [1]
  double distanceMm = 0;                  /// distance of the layer from the focal spot [mm]
  std::optional<double> absorbedEnergyKeVPerMasPerMm2;  /// [keV/(mAs mm2)]
  std::optional<double> detectedPhotonsPerMasPerMm2;    /// [1/(mAs mm2)]
  std::string missing;  /// why the two figures per mAs are missing (empty when given)
  /// how the escape of the layer's K fluorescence was treated, in one sentence
  std::string fluorescenceEscape;
  /// per grid index 1..600: energy absorbed from that bin's photons per incident photon [keV]
  PhotonSpectrum absorbedEnergyKeV{};
};

/// The figures of layer (named materialName) behind the beam of outcome, the figures per mAs at
/// distanceMm [mm] when the model is absolute. Throws DetectorError as ComputeDetectorResponse and
/// DetectorFiguresOf do, std::invalid_argument for a distance CheckDistance refuses.
DetectorOutcome ComputeDetectorOutcome(const RunOutcome& outcome, const DetectorLayer& layer,
                                       const std::string& materialName, double distanceMm);

/// The material file of a detector named without a file: NAME.ele or NAME.mix in folder; name itself
/// when it has an extension or a folder, or when folder holds neither file.
std::string DetectorMaterialIn(const std::string& name, const std::string& folder);

}  // namespace kestrix
