#include "model_list.h"

#include <string>

#include "beam_settings.h"
#include "decimal_text.h"
#include "emission_models.h"
#include "json_writer.h"

namespace kestrix {

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
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

}  // namespace kestrix
