#include "model_list.h"

#include <string>

#include "beam_inputs.h"
#include "beam_settings.h"
#include "decimal_text.h"
#include "emission_models.h"
#include "json_writer.h"

namespace kestrix {
namespace {

/// a tungsten transmission target, to ask a model whether it computes one
RunEntries TransmissionEntries() {
  RunEntries entries;
  entries.transmission.layerUm = 1;
  entries.transmission.windowMm = 10;  // thicker than the electrons' range in any window material
  return entries;
}

/// true when `model` computes a transmission target
bool ComputesTransmission(SpectrumModel model) {
  return !TransmissionTubeRefusal(model, TransmissionEntries(), RunVoltageRange(model, TransmissionEntries()).lowest);
}

/// the window materials' names with `separator` between them
std::string WindowList(const char* separator) {
  std::string list;
  for (const TransmissionWindow window : TransmissionWindows()) {
    list += (list.empty() ? "" : separator) + std::string(TransmissionWindowName(window));
  }
  return list;
}

}  // namespace

void WriteModelList(std::ostream& out) {
  out << "# model   target  tube voltage    output\n";
  for (const SpectrumModel model : SpectrumModels()) {
    for (const TargetMaterial target : ModelTargets(model)) {
      const VoltageRange range = ModelVoltageRange(model, target);
      std::string line = ModelKeyword(model);
      line.resize(10, ' ');
      line += TargetSymbol(target);
      line.resize(18, ' ');
      line += ShortestDecimal(range.lowest) + " to " + ShortestDecimal(range.highest) + " kV";
      line.resize(34, ' ');
      line += EmissionModelFor(model).IsAbsolute() ? "absolute" : "relative";
      out << line << '\n';
    }
  }
  // the transmission target: one model, one layer material, three windows
  for (const SpectrumModel model : SpectrumModels()) {
    if (!ComputesTransmission(model)) continue;
    const VoltageRange range = RunVoltageRange(model, TransmissionEntries());
    out << "# transmission target (--target-thickness, --target-window): " << ModelKeyword(model) << ", W layer on "
        << WindowList(", ") << ", " << ShortestDecimal(range.lowest) << " to " << ShortestDecimal(range.highest)
        << " kV\n";
  }
}

void WriteModelListJson(std::ostream& out) {
  JsonWriter json(out);
  json.BeginObject();
  json.Key("program");
  json.String("kestrix-cli");
  json.Key("models");
  json.BeginArray();
  for (const SpectrumModel model : SpectrumModels()) {
    json.BeginObject();
    json.Key("model");
    json.String(ModelKeyword(model));
    json.Key("absolute");
    json.Bool(EmissionModelFor(model).IsAbsolute());
    json.Key("targets");
    json.BeginArray();
    for (const TargetMaterial target : ModelTargets(model)) {
      const VoltageRange range = ModelVoltageRange(model, target);
      json.BeginObject();
      json.Key("target");
      json.String(TargetSymbol(target));
      json.Key("lowest_kV");
      json.Number(range.lowest);
      json.Key("highest_kV");
      json.Number(range.highest);
      json.EndObject();
    }
    json.EndArray();
    // {"target", "windows", "lowest_kV", "highest_kV"}, null for a model without transmission targets
    json.Key("transmission");
    if (!ComputesTransmission(model)) {
      json.Null();
    } else {
      const VoltageRange range = RunVoltageRange(model, TransmissionEntries());
      json.BeginObject();
      json.Key("target");
      json.String(TargetSymbol(TargetMaterial::Tungsten));
      json.Key("windows");
      json.BeginArray(true);
      for (const TransmissionWindow window : TransmissionWindows()) json.String(TransmissionWindowName(window));
      json.EndArray();
      json.Key("lowest_kV");
      json.Number(range.lowest);
      json.Key("highest_kV");
      json.Number(range.highest);
      json.EndObject();
    }
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

}  // namespace kestrix
