// Beam.detector: the response of a detector layer behind the beam, as kestrix-cli --detector gives it.

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <filesystem>

#include "bindings.h"
#include "decimal_text.h"
#include "detector_run.h"

namespace py = pybind11;

namespace kestrix::python {
namespace {

py::object Optional(const std::optional<double>& value) {
  return value ? py::object(py::float_(*value)) : py::object(py::none());
}

py::array_t<double> ReadOnlyArray(const std::vector<double>& numbers) {
  py::array_t<double> array(static_cast<py::ssize_t>(numbers.size()));
  std::copy(numbers.begin(), numbers.end(), array.mutable_data());
  array.attr("setflags")(py::arg("write") = false);
  return array;
}

/// results.detector of kestrix-cli's JSON, with the absorbed-energy spectrum as arrays
py::dict DetectorDict(const DetectorOutcome& detector) {
  py::dict figures;
  figures["material"] = detector.material;
  figures["description"] = detector.description;
  figures["thickness_mm"] = detector.thicknessMm;
  figures["threshold_keV"] = Optional(detector.thresholdKeV);
  figures[kDetectorQdeKey] = detector.quantumDetectionEfficiency;
  figures[kDetectorAbsorbedFractionKey] = detector.absorbedEnergyFraction;
  figures[kDistanceKey] = detector.distanceMm;
  figures[kDetectorAbsorbedEnergyKey] = Optional(detector.absorbedEnergyKeVPerMasPerMm2);
  figures[kDetectorPhotonsKey] = Optional(detector.detectedPhotonsPerMasPerMm2);
  figures["fluorescence_escape"] = detector.fluorescenceEscape;
  py::dict missing;
  if (!detector.missing.empty()) {
    missing[kDetectorAbsorbedEnergyKey] = detector.missing;
    missing[kDetectorPhotonsKey] = detector.missing;
  }
  figures["missing"] = missing;
  std::vector<double> energy(kExchangeLast);
  std::vector<double> absorbed(kExchangeLast);
  for (int i = 1; i <= kExchangeLast; ++i) {
    energy[i - 1] = i / 2.0;
    absorbed[i - 1] = detector.absorbedEnergyKeV[i];
  }
  figures["energy_keV"] = ReadOnlyArray(energy);
  figures["absorbed_energy_keV"] = ReadOnlyArray(absorbed);
  return figures;
}

}  // namespace

void BindDetector(py::module_& module) {
  py::object beamClass = module.attr("Beam");
  const auto detector = [](const py::object& beam, const py::object& material, const py::object& thickness,
                           const py::object& threshold, const py::object& distance) {
    const std::string name = PathText("material", material);
    const double thicknessMm = CheckedNumber("thickness_mm", NumberArgument("thickness_mm", thickness, "mm"));
    if (!(thicknessMm > 0)) throw std::invalid_argument("thickness_mm: " + ShortestDecimal(thicknessMm) + " mm is not positive");
    std::optional<double> thresholdKeV;
    if (!threshold.is_none()) {
      thresholdKeV = CheckedNumber("threshold_keV", NumberArgument("threshold_keV", threshold, "keV"));
      if (!(*thresholdKeV >= 0)) throw std::invalid_argument("threshold_keV: " + ShortestDecimal(*thresholdKeV) + " keV is negative");
    }
    const double distanceMm = CheckedNumber("distance_mm", NumberArgument("distance_mm", distance, "mm"));
    CheckDistance(distanceMm);
    const BeamArguments arguments = ArgumentsFromKeywords("detector", beam.attr("inputs").cast<py::dict>(),
                                                          BeamArguments{}, BeamKeywords());
    DetectorOutcome outcome;
    {
      py::gil_scoped_release release;
      const BeamRequest request = ResolveBeam(arguments);
      BatchRun batch(request.tablePath, request.filters);
      const RunOutcome run = batch.Run(request.settings);
      const std::string path = DetectorMaterialIn(name, DataFolder());
      const std::string fluorescence = (std::filesystem::u8path(DataFolder()) / kDetectorFluorescenceFile).u8string();
      outcome = ComputeDetectorOutcome(run, LoadDetectorLayer(path, thicknessMm, thresholdKeV, fluorescence), name,
                                       distanceMm);
    }
    return DetectorDict(outcome);
  };
  py::setattr(beamClass, "detector",
              py::cpp_function(detector, py::name("detector"), py::is_method(beamClass),
                               py::sibling(py::getattr(beamClass, "detector", py::none())), py::arg("material"),
                               py::arg("thickness_mm"), py::arg("threshold_keV") = py::none(),
                               py::arg("distance_mm") = kDefaultDistanceMm,
                               "detector(material, thickness_mm, threshold_keV=None, distance_mm=1000)\n\n"
                               "A detector layer of material (a delivered name: 'CsI', 'Gd2O2S', 'CdTe', 'CdZnTe', 'Si',\n"
                               "'a-Se', 'Ge', 'NaI', or any material file) thickness_mm thick [mm] behind the beam, at\n"
                               "normal incidence, counting photons that deposit at least threshold_keV [keV]: keyed as\n"
                               "kestrix-cli's JSON results.detector (quantum_detection_efficiency, absorbed_energy_fraction,\n"
                               "and for the physics model absorbed_energy_keV_per_mAs_per_mm2 and\n"
                               "detected_photons_per_mAs_per_mm2 at distance_mm [mm]), with the absorbed-energy spectrum:\n"
                               "energy_keV and absorbed_energy_keV, the energy absorbed from each bin's photons per\n"
                               "incident photon [keV]."));
}

}  // namespace kestrix::python
