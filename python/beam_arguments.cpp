#include "beam_arguments.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "attenuation_table.h"
#include "beam_inputs.h"
#include "off_axis.h"
#include "transmission_emission.h"
#include "beam_settings.h"
#include "emission_models.h"
#include "material_file.h"
#include "decimal_text.h"
#include "message_text.h"

namespace kestrix::python {
namespace {

std::string& StoredDataFolder() {
  static std::string folder;
  return folder;
}

std::string Lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

bool IsMaterialFileName(const std::string& name) {
  const std::string extension = Lowercase(std::filesystem::path(name).extension().string());
  return extension == ".ele" || extension == ".mix";
}

std::string MaterialPath(const std::string& material) {
  if (IsMaterialFileName(material) || material.find('/') != std::string::npos ||
      material.find('\\') != std::string::npos) {
    return material;
  }
  std::string names;
  for (const auto& [name, description] : DeliveredMaterials()) {
    if (Lowercase(name) == Lowercase(material)) {
      for (const char* extension : {".ele", ".mix"}) {
        const std::filesystem::path path = std::filesystem::path(DataFolder()) / (name + extension);
        if (std::filesystem::exists(path)) return path.string();
      }
    }
    names += (names.empty() ? "" : ", ") + name;
  }
  throw std::invalid_argument("filters: " + QuotedExcerpt(material) + " is neither a delivered material (" + names +
                              ") nor a .ele or .mix file");
}

template <typename Choice>
Choice OneOf(const char* argument, const std::string& value, const std::vector<std::pair<std::string, Choice>>& choices) {
  std::string names;
  for (const auto& [name, choice] : choices) {
    if (Lowercase(value) == name) return choice;
    names += (names.empty() ? "" : " | ") + name;
  }
  throw std::invalid_argument(std::string(argument) + ": " + QuotedExcerpt(value) + " is not one of " + names);
}

/// "diamond | Be | Al"
std::string WindowNames() {
  std::string names;
  for (const TransmissionWindow window : TransmissionWindows()) {
    names += (names.empty() ? "" : " | ") + std::string(TransmissionWindowName(window));
  }
  return names;
}

/// the transmission target of target_thickness_um and target_window, both or neither
TransmissionTarget TransmissionOf(const BeamArguments& arguments) {
  TransmissionTarget transmission;
  if (!arguments.targetThicknessUm && !arguments.targetWindow) return transmission;
  if (!arguments.targetWindow) {
    throw std::invalid_argument("target_thickness_um: a transmission target needs target_window=(material, mm) too "
                                "(the window the layer lies on: " + WindowNames() + ")");
  }
  if (!arguments.targetThicknessUm) {
    throw std::invalid_argument("target_window: a transmission target needs target_thickness_um too (the tungsten "
                                "layer on the window [um])");
  }
  transmission.layerUm = CheckedNumber("target_thickness_um", *arguments.targetThicknessUm);
  if (!(transmission.layerUm > 0)) {
    throw std::invalid_argument("target_thickness_um: the layer thickness must be positive [um], not " +
                                ShortestDecimal(transmission.layerUm));
  }
  const auto& [material, mm] = *arguments.targetWindow;
  const std::optional<TransmissionWindow> window = TransmissionWindowFromName(material);
  if (!window) throw std::invalid_argument("target_window: " + QuotedExcerpt(material) + " is not one of " + WindowNames());
  transmission.window = *window;
  transmission.windowMm = CheckedNumber("target_window", mm);
  if (!(transmission.windowMm > 0)) {
    throw std::invalid_argument("target_window: the window thickness must be positive [mm], not " +
                                ShortestDecimal(transmission.windowMm));
  }
  return transmission;
}

}  // namespace

double CheckedNumber(const char* argument, double value) {
  if (!std::isfinite(value)) {
    throw std::invalid_argument(std::string(argument) + ": " + (std::isnan(value) ? "nan" : "an infinity") +
                                " is not a number");
  }
  return value;
}

std::string InputKeyword(BeamInput input) {
  switch (input) {
    case BeamInput::TubeVoltage: return "kv";
    case BeamInput::TargetAngle: return "angle";
    case BeamInput::Beryllium: return "be";
    case BeamInput::AluminiumEquivalent: return "al_eq";
    case BeamInput::AddedAluminium: return "al";
    case BeamInput::AddedCopper: return "cu";
    default: return "filters";
  }
}

void SetDataFolder(const std::string& folder) { StoredDataFolder() = folder; }
const std::string& DataFolder() { return StoredDataFolder(); }

BeamRequest ResolveBeam(const BeamArguments& arguments) {
  BeamRequest request;
  RunSettings& settings = request.settings;
  std::vector<std::pair<std::string, SpectrumModel>> models;
  for (const SpectrumModel model : SpectrumModels()) models.emplace_back(ModelKeyword(model), model);
  settings.model = OneOf<SpectrumModel>("model", arguments.model, models);
  settings.waveform = OneOf<RectificationType>("waveform", arguments.waveform,
                                               {{"constant", RectificationType::ConstantPotential},
                                                {"12-peak", RectificationType::ThreePhase12Peak},
                                                {"single-phase", RectificationType::SinglePhaseFullWave}});
  settings.entries = RunEntries{CheckedNumber("kv", arguments.kv),       CheckedNumber("angle", arguments.angle),
                                CheckedNumber("be", arguments.be),       CheckedNumber("al_eq", arguments.alEq),
                                CheckedNumber("al", arguments.al),       CheckedNumber("cu", arguments.cu)};
  const std::optional<TargetMaterial> target = TargetFromSymbol(arguments.target);
  if (!target) {
    std::string names;
    for (const TargetMaterial known : TargetMaterials()) names += (names.empty() ? "" : " | ") + std::string(TargetSymbol(known));
    throw std::invalid_argument("target: \"" + arguments.target + "\" is not one of " + names);
  }
  settings.entries.target = *target;
  settings.entries.characteristicLines = arguments.lines;
  if (const std::optional<std::string> refusal =
          TubeRefusal(settings.model, settings.entries.target, settings.entries.characteristicLines)) {
    throw std::invalid_argument((settings.entries.target != TargetMaterial::Tungsten ? "target: " : "lines: ") +
                                *refusal);
  }
  settings.entries.offAxisAlongDegrees = CheckedNumber("off_axis", arguments.offAxisAlong);
  settings.entries.offAxisAcrossDegrees = CheckedNumber("off_axis", arguments.offAxisAcross);
  const bool offAxis = arguments.offAxisAlong != 0 || arguments.offAxisAcross != 0;
  settings.entries.transmission = TransmissionOf(arguments);
  const bool transmission = settings.entries.transmission.IsTransmission();
  if (const std::optional<std::string> refusal =
          offAxis && !transmission
              ? OffAxisRefusal(settings.entries.targetAngleDegrees, arguments.offAxisAlong, arguments.offAxisAcross)
              : std::nullopt) {
    throw std::invalid_argument("off_axis: " + *refusal);
  }
  if (transmission) {
    if (arguments.angleGiven) {
      throw std::invalid_argument("angle: a transmission target has no target angle (the beam leaves through the window "
                                  "along the electrons' direction)");
    }
    // off the axis only the angles' own limits: there is no target surface for the point to lie behind
    try {
      TransmissionPathFactor(arguments.offAxisAlong, arguments.offAxisAcross);
    } catch (const std::invalid_argument& refusal) {
      throw std::invalid_argument(std::string("off_axis: ") + refusal.what());
    }
    // a voltage outside the range is refused below, naming kv
    const double kv = settings.entries.tubeVoltageKV;
    if (!VoltageRefusal(kv, settings.model, settings.entries.target) &&
        !TransmissionVoltageRefusal(kv, settings.model, settings.entries)) {
      if (const std::optional<std::string> refusal = TransmissionTubeRefusal(settings.model, settings.entries, kv)) {
        throw std::invalid_argument("target_thickness_um, target_window: " + *refusal);
      }
    }
  }
  if (arguments.filters.size() > static_cast<std::size_t>(kArbitraryFilterSlots)) {
    throw std::invalid_argument("filters: at most " + std::to_string(kArbitraryFilterSlots) + " filters");
  }
  for (const auto& [material, thicknessMm] : arguments.filters) {
    CheckedNumber("filters", thicknessMm);
    request.filters.push_back(FilterRequest{MaterialPath(material), thicknessMm});
  }
  request.tablePath = arguments.table ? *arguments.table
                                      : (std::filesystem::path(DataFolder()) / kAttenuationTableFile).string();
  // Python refuses what the desktop would correct: the message names the keyword
  if (const std::optional<InputRefusal> refusal = StrictInputRefusal(settings, request.filters)) {
    throw std::invalid_argument(InputKeyword(refusal->input) +
                                (refusal->input == BeamInput::FilterThickness
                                     ? ": the thickness of " + arguments.filters[refusal->filter].first
                                     : std::string()) +
                                ": " + refusal->reason);
  }
  return request;
}

std::map<std::string, std::string> DeliveredMaterials() {
  std::map<std::string, std::string> materials;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(DataFolder(), error)) {
    const std::filesystem::path& path = entry.path();
    if (!IsMaterialFileName(path.filename().string())) continue;
    materials[path.stem().string()] = LoadMaterialDescription(path.string());
  }
  return materials;
}

}  // namespace kestrix::python
