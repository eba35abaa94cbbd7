#include "detector_run.h"

#include <filesystem>
#include <sstream>

#include "decimal_text.h"
#include "file_system.h"
#include "material_file.h"

namespace kestrix {

DetectorLayer LoadDetectorLayer(const std::string& materialPath, double thicknessMm, std::optional<double> thresholdKeV,
                                const std::string& fluorescencePath) {
  DetectorLayer layer;
  layer.material = LoadMaterialFile(materialPath);
  layer.thicknessMm = thicknessMm;
  layer.thresholdKeV = thresholdKeV;
  std::error_code error;
  if (!std::filesystem::is_regular_file(std::filesystem::u8path(fluorescencePath), error)) return layer;
  std::istringstream in;
  try {
    in = std::istringstream(ReadFileBytes(fluorescencePath), std::ios::binary);
  } catch (const FileSystemError& failure) {
    throw DetectorError(failure.what());
  }
  const DetectorFluorescence table = ReadDetectorFluorescence(in, fluorescencePath);
  const auto found = table.find(std::filesystem::u8path(materialPath).filename().u8string());
  if (found != table.end()) {
    layer.fluorescence = found->second;
    layer.compositionKnown = true;
  }
  return layer;
}

DetectorOutcome ComputeDetectorOutcome(const RunOutcome& outcome, const DetectorLayer& layer,
                                       const std::string& materialName, double distanceMm) {
  CheckDistance(distanceMm);
  if (outcome.lastBin > kExchangeLast) {
    // the response is computed on the exchange files' bins; a beam with photons above them would lose them
    throw DetectorError("the detector response is computed to 300 keV, so a beam above 300 kV (" +
                        ShortestDecimal(PhotonEnergy(outcome.lastBin)) + " keV) has no detector figures");
  }
  const DetectorResponse response = ComputeDetectorResponse(layer);
  const DetectorFigures figures = DetectorFiguresOf(outcome.photonSpectrum, response);
  DetectorOutcome detector;
  detector.material = materialName;
  detector.description = layer.material.description;
  detector.thicknessMm = layer.thicknessMm;
  detector.thresholdKeV = layer.thresholdKeV;
  detector.quantumDetectionEfficiency = figures.quantumDetectionEfficiency;
  detector.absorbedEnergyFraction = figures.absorbedEnergyFraction;
  detector.absorbedEnergyKeV = figures.absorbedEnergyKeV;
  detector.distanceMm = distanceMm;
  if (layer.compositionKnown) {
    std::string elements;
    for (const FluorescingElement& element : layer.fluorescence) elements += (elements.empty() ? "" : ", ") + element.symbol;
    detector.fluorescenceEscape = "K fluorescence of " + elements +
                                  " escaping through either face is subtracted from the absorbed energy";
  } else {
    detector.fluorescenceEscape =
        "not treated: the material file does not give its composition, so all photoabsorbed energy stays in the layer";
  }
  if (!outcome.absoluteSpectrum) {
    detector.missing = outcome.output.missing;
    return detector;
  }
  // photons per keV per sr per electron, to photons per bin per mm2 per mAs at the distance
  const double scale = kKeVPerGridIndex * kElectronsPerMilliampereSecond / (distanceMm * distanceMm);
  double energy = 0;
  double photons = 0;
  for (int i = 1; i <= kExchangeLast; ++i) {
    const double fluence = (*outcome.absoluteSpectrum)[i] * scale;
    energy += fluence * PhotonEnergy(i) * response.absorbedShare[i];
    photons += fluence * response.counted[i];
  }
  detector.absorbedEnergyKeVPerMasPerMm2 = RoundToSignificantDigits(energy, kFigureSignificantDigits);
  detector.detectedPhotonsPerMasPerMm2 = RoundToSignificantDigits(photons, kFigureSignificantDigits);
  return detector;
}

std::string DetectorMaterialIn(const std::string& name, const std::string& folder) {
  const std::filesystem::path path = std::filesystem::u8path(name);
  if (name.empty() || path.has_parent_path() || path.has_extension()) return name;
  std::error_code error;
  for (const char* extension : {".ele", ".mix"}) {
    const std::filesystem::path file = std::filesystem::u8path(folder) / std::filesystem::u8path(name + extension);
    if (std::filesystem::is_regular_file(file, error)) return file.u8string();
  }
  return name;
}

}  // namespace kestrix
