#include "cli_options.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "beam_output.h"
#include "beam_inputs.h"
#include "emission_models.h"
#include "input_number.h"
#include "off_axis.h"
#include "transmission_emission.h"
#include "json_writer.h"
#include "message_text.h"

namespace kestrix {
namespace {

std::string Lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

/// a keyword as the options compare it: case ignored, "_" read as "-" (per_mas is per-mas)
std::string Keyword(std::string text) {
  text = Lowercase(text);
  std::replace(text.begin(), text.end(), '_', '-');
  return text;
}

/// true when text is written as a decimal number: sign, digits with at most one point, exponent
bool WrittenAsNumber(const std::string& text) {
  std::size_t k = text.find_first_not_of("+-") == 1 ? 1 : 0;
  const std::size_t digitsStart = k;
  bool digits = false;
  for (; k < text.size() && (std::isdigit(static_cast<unsigned char>(text[k])) || text[k] == '.'); ++k) {
    digits = digits || text[k] != '.';
  }
  if (!digits || std::count(text.begin() + digitsStart, text.begin() + k, '.') > 1) return false;
  if (k == text.size()) return true;
  if (text[k] != 'e' && text[k] != 'E') return false;
  if (++k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
  return k < text.size() && text.find_first_not_of("0123456789", k) == std::string::npos;
}

/// value must be one number and nothing else ("1e3" and "-2" are numbers, "12abc", "inf" and "" are not)
double StrictNumber(const std::string& option, const std::string& value) {
  const std::optional<double> number = ParseWholeNumber(value);
  if (!number && WrittenAsNumber(value)) {
    throw UsageError("option " + option + ": " + QuotedExcerpt(value) + " is out of range (too large or too small to hold)");
  }
  if (!number) throw UsageError("option " + option + ": " + QuotedExcerpt(value) + " is not a number");
  return *number;
}

/// a file or folder name, which must not be empty
std::string PathValue(const std::string& option, const std::string& value, const char* what) {
  if (value.empty()) throw UsageError("option " + option + ": the " + what + " is empty");
  return value;
}

/// value checked as a number and kept as typed, so that the run converts exactly what the user wrote
std::string NumberText(const std::string& option, const std::string& value) {
  StrictNumber(option, value);
  return value;
}

/// a thickness [mm]: a number that is not negative, kept as typed
std::string ThicknessText(const std::string& option, const std::string& value) {
  if (StrictNumber(option, value) < 0) {
    throw UsageError("option " + option + ": " + QuotedExcerpt(value) + " is a negative thickness (0 mm or more)");
  }
  return value;
}

template <typename Choice>
Choice OneOf(const std::string& option, const std::string& value,
             const std::vector<std::pair<const char*, Choice>>& choices) {
  const std::string wanted = Keyword(value);
  std::string names;
  for (const auto& [name, choice] : choices) {
    if (wanted == Keyword(name)) return choice;
    names += names.empty() ? name : std::string(" | ") + name;
  }
  throw UsageError("option " + option + ": " + QuotedExcerpt(value) + " is not one of " + names);
}

/// "physics" or the words of every model with absolute output, for a message
std::string AbsoluteModelList() {
  std::string list;
  for (const SpectrumModel model : SpectrumModels()) {
    if (EmissionModelFor(model).IsAbsolute()) list += (list.empty() ? "" : ", ") + std::string(ModelKeyword(model));
  }
  return list.empty() ? "none is built in" : list;
}

/// every model the library offers, by its keyword
std::vector<std::pair<const char*, SpectrumModel>> ModelChoices() {
  std::vector<std::pair<const char*, SpectrumModel>> choices;
  for (const SpectrumModel model : SpectrumModels()) choices.emplace_back(ModelKeyword(model), model);
  return choices;
}

FilterRequest ParseFilter(const std::string& value) {
  const std::size_t colon = value.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == value.size()) {
    throw UsageError("option --filter: " + QuotedExcerpt(value) + " is not FILE:MM (a material file, a colon, a thickness in mm)");
  }
  FilterRequest filter;
  filter.path = value.substr(0, colon);
  filter.thicknessMm = StrictNumber("--filter", value.substr(colon + 1));
  if (filter.thicknessMm < 0) {
    throw UsageError("option --filter: " + QuotedExcerpt(value) + " has a negative thickness (0 mm or more)");
  }
  return filter;
}

VoltageSweep ParseSweep(const std::string& value) {
  const std::size_t first = value.find(':');
  const std::size_t second = first == std::string::npos ? std::string::npos : value.find(':', first + 1);
  if (second == std::string::npos || value.find(':', second + 1) != std::string::npos) {
    throw UsageError("option --sweep: " + QuotedExcerpt(value) + " is not FROM:TO:STEP (tube voltages in kV)");
  }
  VoltageSweep sweep;
  sweep.fromKV = StrictNumber("--sweep", value.substr(0, first));
  sweep.toKV = StrictNumber("--sweep", value.substr(first + 1, second - first - 1));
  sweep.stepKV = StrictNumber("--sweep", value.substr(second + 1));
  if (!(sweep.stepKV > 0)) throw UsageError("option --sweep: the step must be positive");
  if (sweep.toKV < sweep.fromKV) throw UsageError("option --sweep: TO must not be below FROM");
  if ((sweep.toKV - sweep.fromKV) / sweep.stepKV >= kMaximumSweepRuns) {
    throw UsageError("option --sweep: more than " + std::to_string(kMaximumSweepRuns) + " voltages");
  }
  return sweep;
}

DetectorOption ParseDetector(const std::string& value) {
  const std::size_t colon = value.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == value.size()) {
    throw UsageError("option --detector: " + QuotedExcerpt(value) +
                     " is not MATERIAL:MM[,THRESHOLD] (a material, a colon, a thickness in mm, a threshold in keV)");
  }
  DetectorOption detector;
  detector.material = value.substr(0, colon);
  detector.path = detector.material;
  const std::string numbers = value.substr(colon + 1);
  const std::size_t comma = numbers.find(',');
  detector.thicknessMm = StrictNumber("--detector", numbers.substr(0, comma));
  if (!(detector.thicknessMm > 0)) throw UsageError("option --detector: the thickness must be positive [mm]");
  if (comma != std::string::npos) {
    detector.thresholdKeV = StrictNumber("--detector", numbers.substr(comma + 1));
    if (!(*detector.thresholdKeV >= 0)) throw UsageError("option --detector: the threshold must be 0 keV or more");
  }
  return detector;
}

/// --target-thickness UM: the tungsten layer [um], positive
double ParseLayer(const std::string& value) {
  const double um = StrictNumber("--target-thickness", value);
  if (!(um > 0)) throw UsageError("option --target-thickness: the layer thickness must be positive [um], not " + value);
  return um;
}

/// "diamond | Be | Al"
std::string WindowNameList() {
  std::string names;
  for (const TransmissionWindow window : TransmissionWindows()) {
    names += (names.empty() ? "" : " | ") + std::string(TransmissionWindowName(window));
  }
  return names;
}

/// --target-window MATERIAL:MM: the window under the layer and its thickness [mm], positive
void ParseWindow(TransmissionTarget& transmission, const std::string& value) {
  const std::size_t colon = value.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == value.size()) {
    throw UsageError("option --target-window: " + QuotedExcerpt(value) + " is not MATERIAL:MM (" + WindowNameList() +
                     ", a colon, the window's thickness in mm)");
  }
  const std::optional<TransmissionWindow> window = TransmissionWindowFromName(value.substr(0, colon));
  if (!window) {
    throw UsageError("option --target-window: " + QuotedExcerpt(value.substr(0, colon)) + " is not one of " +
                     WindowNameList());
  }
  const double mm = StrictNumber("--target-window", value.substr(colon + 1));
  if (!(mm > 0)) {
    throw UsageError("option --target-window: the window thickness must be positive [mm], not " + value.substr(colon + 1));
  }
  transmission.window = *window;
  transmission.windowMm = mm;
}

UncertaintyRequest ParseUncertainty(const std::string& value) {
  UncertaintyRequest request;
  std::set<std::string> seen;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = value.find(',', start);
    const std::string item = value.substr(start, end - start);
    const std::size_t equals = item.find('=');
    const std::string key = Lowercase(item.substr(0, equals == std::string::npos ? item.size() : equals));
    const std::string number = equals == std::string::npos ? std::string() : item.substr(equals + 1);
    const std::string name = key == "al_eq" ? "al-eq" : key;
    if (equals == std::string::npos || (name != "kv" && name != "al-eq" && name != "angle" && name != "samples" &&
                                        name != "seed")) {
      throw UsageError("option --uncertainty: " + QuotedExcerpt(item) +
                       " is not one of kv=KV, al-eq=MM, angle=DEG, samples=N, seed=S");
    }
    if (!seen.insert(name).second) throw UsageError("option --uncertainty: " + name + " is given twice");
    if (name == "samples" || name == "seed") {
      const bool digits = !number.empty() && number.size() <= 19 && number.find_first_not_of("0123456789") == std::string::npos;
      if (!digits) throw UsageError("option --uncertainty: " + name + " " + QuotedExcerpt(number) + " is not a whole number");
      const unsigned long long whole = std::stoull(number);
      if (name == "seed") {
        if (whole > kLargestUncertaintySeed) throw UsageError("option --uncertainty: the seed must be below 2^53");
        request.seed = whole;
      } else if (whole < 2 || whole > static_cast<unsigned long long>(kMaximumUncertaintySamples)) {
        throw UsageError("option --uncertainty: samples must be 2 to " + std::to_string(kMaximumUncertaintySamples));
      } else {
        request.samples = static_cast<int>(whole);
      }
    } else {
      const double u = StrictNumber("--uncertainty", number);
      if (!(u >= 0)) throw UsageError("option --uncertainty: the standard uncertainty of " + name + " must be 0 or more");
      (name == "kv" ? request.kvUncertainty : name == "angle" ? request.angleUncertainty : request.alEqUncertainty) = u;
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return request;
}

std::vector<TubeInput> ParseVaried(const std::string& value) {
  std::vector<TubeInput> varied;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = value.find(',', start);
    const std::string name = value.substr(start, end - start);
    const std::optional<TubeInput> input = TubeInputNamed(name);
    if (!input) throw UsageError("option --vary: " + QuotedExcerpt(name) + " is not one of al-eq | al | cu | angle | kv-offset");
    if (std::find(varied.begin(), varied.end(), *input) != varied.end()) {
      throw UsageError("option --vary: " + ExcerptText(name) + " is named twice");
    }
    varied.push_back(*input);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  if (varied.size() > 3) throw UsageError("option --vary: at most three inputs");
  return varied;
}

void SetTarget(CliOptions& options, LayerMaterial material, const std::string& option, const std::string& value) {
  const double target = StrictNumber(option, value);
  if (!(target > 0)) throw UsageError("option " + option + ": the target layer must be positive");
  FitRequest& fit = options.fit ? *options.fit : options.fit.emplace();
  fit.material = material;
  fit.targetHvl1Mm = target;
}

using ValueHandler = std::function<void(CliOptions&, const std::string&)>;
using FlagHandler = std::function<void(CliOptions&)>;

const std::map<std::string, ValueHandler>& ValueOptions() {
  static const std::map<std::string, ValueHandler> options{
      {"--model",
       [](CliOptions& o, const std::string& v) {
         o.model = OneOf<SpectrumModel>("--model", v, ModelChoices());
       }},
      {"--kv", [](CliOptions& o, const std::string& v) { o.entries.tubeVoltage = NumberText("--kv", v); }},
      {"--off-axis",
       [](CliOptions& o, const std::string& v) {
         const std::size_t comma = v.find(',');
         o.offAxisAlongDegrees = StrictNumber("--off-axis", v.substr(0, comma));
         o.offAxisAcrossDegrees = comma == std::string::npos ? 0.0 : StrictNumber("--off-axis", v.substr(comma + 1));
       }},
      {"--target",
       [](CliOptions& o, const std::string& v) {
         std::vector<std::pair<const char*, TargetMaterial>> targets;
         for (const TargetMaterial target : TargetMaterials()) targets.emplace_back(TargetSymbol(target), target);
         o.target = OneOf<TargetMaterial>("--target", v, targets);
       }},
      {"--angle", [](CliOptions& o, const std::string& v) { o.entries.targetAngle = NumberText("--angle", v); }},
      {"--target-thickness", [](CliOptions& o, const std::string& v) { o.transmission.layerUm = ParseLayer(v); }},
      {"--target-window", [](CliOptions& o, const std::string& v) { ParseWindow(o.transmission, v); }},
      {"--be", [](CliOptions& o, const std::string& v) { o.entries.beryllium = ThicknessText("--be", v); }},
      {"--al-eq", [](CliOptions& o, const std::string& v) { o.entries.aluminiumEquivalent = ThicknessText("--al-eq", v); }},
      {"--al", [](CliOptions& o, const std::string& v) { o.entries.addedAluminium = ThicknessText("--al", v); }},
      {"--cu", [](CliOptions& o, const std::string& v) { o.entries.addedCopper = ThicknessText("--cu", v); }},
      {"--waveform",
       [](CliOptions& o, const std::string& v) {
         o.waveform = OneOf<RectificationType>("--waveform", v,
                                               {{"constant", RectificationType::ConstantPotential},
                                                {"12-peak", RectificationType::ThreePhase12Peak},
                                                {"single-phase", RectificationType::SinglePhaseFullWave}});
       }},
      {"--quantity",
       [](CliOptions& o, const std::string& v) {
         o.quantity = OneOf<DisplayQuantity>("--quantity", v,
                                             {{"photon", DisplayQuantity::PhotonNumber},
                                              {"exposure", DisplayQuantity::Exposure},
                                              {"energy", DisplayQuantity::Energy}});
       }},
      {"--filter",
       [](CliOptions& o, const std::string& v) {
         if (o.filters.size() >= static_cast<std::size_t>(kArbitraryFilterSlots)) {
           throw UsageError("option --filter: at most " + std::to_string(kArbitraryFilterSlots) + " filters");
         }
         o.filters.push_back(ParseFilter(v));
       }},
      {"--table",
       [](CliOptions& o, const std::string& v) {
         o.attenuationTablePath = v;
         o.attenuationTableGiven = true;
       }},
      {"--separator",
       [](CliOptions& o, const std::string& v) {
         o.tableOptions.separator = OneOf<TableSeparator>(
             "--separator", v, {{"comma", TableSeparator::Comma}, {"space", TableSeparator::Space}});
       }},
      {"--unit",
       [](CliOptions& o, const std::string& v) {
         o.tableOptions.unit =
             OneOf<TableEnergyUnit>("--unit", v, {{"keV", TableEnergyUnit::KeV}, {"MeV", TableEnergyUnit::MeV}});
       }},
      {"--normalise",
       [](CliOptions& o, const std::string& v) {
         o.perMas = Keyword(v) == "per-mas";
         o.tableOptions.normalisation =
             o.perMas ? TableNormalisation::MaximumOne
                      : OneOf<TableNormalisation>("--normalise", v,
                                                  {{"max", TableNormalisation::MaximumOne},
                                                   {"total", TableNormalisation::TotalOne},
                                                   {"per-mas", TableNormalisation::MaximumOne}});
       }},
      {"--distance",
       [](CliOptions& o, const std::string& v) {
         o.distanceMm = StrictNumber("--distance", v);
         try {
           CheckDistance(o.distanceMm);
         } catch (const std::invalid_argument& error) {
           throw UsageError(std::string("option --distance: ") + error.what());
         }
       }},
      {"--energy-notation",
       [](CliOptions& o, const std::string& v) {
         o.tableOptions.energyNotation = OneOf<TableNotation>(
             "--energy-notation", v, {{"plain", TableNotation::Plain}, {"exp", TableNotation::Exponential}});
       }},
      {"--value-notation",
       [](CliOptions& o, const std::string& v) {
         o.tableOptions.valueNotation = OneOf<TableNotation>(
             "--value-notation", v, {{"plain", TableNotation::Plain}, {"exp", TableNotation::Exponential}});
       }},
      {"--exchange",
       [](CliOptions& o, const std::string& v) {
         o.exchangeFolder = PathValue("--exchange", v, "folder name (\".\" is the working folder)");
       }},
      {"--save", [](CliOptions& o, const std::string& v) { o.savePath = PathValue("--save", v, "file name"); }},
      {"--sweep", [](CliOptions& o, const std::string& v) { o.sweep = ParseSweep(v); }},
      {"--fit",
       [](CliOptions& o, const std::string& v) {
         FitRequest& fit = o.fit ? *o.fit : o.fit.emplace();
         fit.entry = OneOf<FittedEntry>("--fit", v,
                                        {{"al-eq", FittedEntry::InherentAluminiumEquivalent},
                                         {"al", FittedEntry::AddedAluminium},
                                         {"cu", FittedEntry::AddedCopper}});
       }},
      {"--target-hvl-al", [](CliOptions& o, const std::string& v) { SetTarget(o, LayerMaterial::Aluminium, "--target-hvl-al", v); }},
      {"--target-hvl-cu", [](CliOptions& o, const std::string& v) { SetTarget(o, LayerMaterial::Copper, "--target-hvl-cu", v); }},
      {"--quality", [](CliOptions& o, const std::string& v) { o.quality = v; }},
      {"--fit-tube", [](CliOptions& o, const std::string& v) { o.tubeMeasurementsPath = v; }},
      {"--vary", [](CliOptions& o, const std::string& v) { o.varied = ParseVaried(v); }},
      {"--spectrum", [](CliOptions& o, const std::string& v) { o.measuredPath = PathValue("--spectrum", v, "file name"); }},
      {"--export",
       [](CliOptions& o, const std::string& v) {
         o.exportFormat = SourceFormatOfKeyword(v);
         if (!o.exportFormat) {
           throw UsageError("option --export: \"" + v + "\" is not one of " + SourceFormatKeywordList());
         }
       }},
      {"--detector", [](CliOptions& o, const std::string& v) { o.detector = ParseDetector(v); }},
      {"--uncertainty", [](CliOptions& o, const std::string& v) { o.uncertainty = ParseUncertainty(v); }},
      {"--uncertainty-percent",
       [](CliOptions& o, const std::string& v) {
         o.tubeUncertaintyPercent = StrictNumber("--uncertainty-percent", v);
         if (!(*o.tubeUncertaintyPercent > 0)) {
           throw UsageError("option --uncertainty-percent: the measurements' uncertainty must be positive [%]");
         }
       }},
  };
  return options;
}

const std::map<std::string, FlagHandler>& FlagOptions() {
  static const std::map<std::string, FlagHandler> options{
      {"--help", [](CliOptions& o) { o.help = true; }},
      {"--version", [](CliOptions& o) { o.version = true; }},
      {"-h", [](CliOptions& o) { o.help = true; }},
      {"--json", [](CliOptions& o) { o.json = true; }},
      {"--no-table", [](CliOptions& o) { o.printTable = false; }},
      {"--no-figures", [](CliOptions& o) { o.printFigures = false; }},
      {"--list-qualities", [](CliOptions& o) { o.listQualities = true; }},
      {"--list-models", [](CliOptions& o) { o.listModels = true; }},
      {"--no-lines", [](CliOptions& o) { o.characteristicLines = false; }},
      {"--csv", [](CliOptions& o) { o.csv = true; }},
      {"--header", [](CliOptions& o) { o.header = true; }},
  };
  return options;
}

void CheckFitAndQuality(const std::set<std::string>& seen) {
  const bool fit = seen.count("--fit") != 0;
  const bool al = seen.count("--target-hvl-al") != 0;
  const bool cu = seen.count("--target-hvl-cu") != 0;
  if (al && cu) throw UsageError("options --target-hvl-al and --target-hvl-cu cannot be combined: fit to one layer");
  if (fit && !al && !cu) throw UsageError("option --fit needs --target-hvl-al MM or --target-hvl-cu MM");
  if (!fit && (al || cu)) {
    throw UsageError(std::string("option ") + (al ? "--target-hvl-al" : "--target-hvl-cu") +
                     " needs --fit al-eq|al|cu (the entry to fit)");
  }
  if (seen.count("--quality") == 0) return;
  for (const char* set : {"--fit", "--kv", "--al", "--cu"}) {
    if (seen.count(set) != 0) {
      throw UsageError(std::string("option --quality cannot be combined with ") + set +
                       " (the quality sets the tube voltage and the added filters)");
    }
  }
}

void CheckTubeFit(const std::set<std::string>& seen) {
  const bool fit = seen.count("--fit-tube") != 0;
  const bool vary = seen.count("--vary") != 0;
  if (fit && !vary) throw UsageError("option --fit-tube needs --vary (the inputs to fit, e.g. al-eq,angle)");
  if (vary && !fit) throw UsageError("option --vary needs --fit-tube FILE (the measured layers)");
  if (seen.count("--uncertainty-percent") != 0 && !fit) {
    throw UsageError("option --uncertainty-percent needs --fit-tube FILE (the measured layers it describes)");
  }
  if (!fit) return;
  for (const char* other : {"--sweep", "--fit", "--quality", "--list-qualities"}) {
    if (seen.count(other) != 0) throw UsageError(std::string("option --fit-tube cannot be combined with ") + other);
  }
}

/// the start of a message refusing the transmission target itself
const std::string kTransmissionOptions = "options --target-thickness, --target-window: ";

/// a transmission target: both its options and no target angle
void CheckTransmission(const CliOptions& options, const std::set<std::string>& seen) {
  const bool layer = seen.count("--target-thickness") != 0;
  const bool window = seen.count("--target-window") != 0;
  if (layer && !window) {
    throw UsageError("option --target-thickness needs --target-window MATERIAL:MM (the window the layer lies on: " +
                     WindowNameList() + ")");
  }
  if (window && !layer) throw UsageError("option --target-window needs --target-thickness UM (the tungsten layer on it)");
  if (!layer) return;
  if (seen.count("--angle") != 0) {
    throw UsageError("option --angle cannot be combined with --target-thickness: a transmission target has no target "
                     "angle (the beam leaves through the window along the electrons' direction)");
  }
  if (seen.count("--quality") != 0) {
    throw UsageError("option --quality cannot be combined with --target-thickness: a quality's tube is a reflection "
                     "target at its target angle");
  }
  if (std::find(options.varied.begin(), options.varied.end(), TubeInput::TargetAngle) != options.varied.end()) {
    throw UsageError("option --vary: a transmission target has no target angle to fit");
  }
  if (options.uncertainty && options.uncertainty->angleUncertainty != 0) {
    throw UsageError("option --uncertainty: a transmission target has no target angle to sample");
  }
}

void CheckCombinations(const CliOptions& options, const std::set<std::string>& seen) {
  CheckFitAndQuality(seen);
  CheckTubeFit(seen);
  if (options.perMas && !EmissionModelFor(options.model).IsAbsolute()) {
    throw UsageError(std::string("option --normalise per-mas needs a model with absolute output (") +
                     AbsoluteModelList() + "); the " + ModelKeyword(options.model) + " model is relative");
  }
  if (options.perMas && options.quantity != DisplayQuantity::PhotonNumber) {
    throw UsageError("option --normalise per-mas tabulates photon numbers: it cannot be combined with --quantity " +
                     std::string(QuantityKeyword(options.quantity)));
  }
  if (options.listQualities) {
    for (const char* other : {"--sweep", "--fit", "--quality"}) {
      if (seen.count(other) != 0) {
        throw UsageError(std::string("option --list-qualities cannot be combined with ") + other);
      }
    }
  }
  if (options.measuredPath) {
    for (const char* other : {"--model", "--kv", "--angle", "--target-thickness", "--target-window", "--be", "--al-eq", "--al", "--cu", "--waveform", "--filter",
                              "--quantity", "--sweep", "--fit", "--quality", "--fit-tube", "--header", "--list-qualities"}) {
      if (seen.count(other) != 0) {
        throw UsageError(std::string("option --spectrum cannot be combined with ") + other +
                         " (the file gives the photon spectrum itself)");
      }
    }
    if (options.perMas) throw UsageError("option --spectrum cannot be combined with --normalise per-mas (a measured spectrum is relative)");
  }
  if (options.exportFormat && !options.savePath) {
    throw UsageError("option --export needs --save FILE (the Monte Carlo source file to write)");
  }
  // (the central ray leaves the target angle to the run, which judges it with its own message)
  if ((options.offAxisAlongDegrees != 0 || options.offAxisAcrossDegrees != 0) && !options.transmission.IsTransmission()) {
    if (const auto refusal = OffAxisRefusal(StrictNumber("--angle", options.entries.targetAngle),
                                            options.offAxisAlongDegrees, options.offAxisAcrossDegrees)) {
      throw UsageError("option --off-axis: " + *refusal);
    }
  }
  // a transmission target's point off the axis has no target surface to lie behind, only its angles' limits
  if (options.transmission.IsTransmission()) {
    try {
      TransmissionPathFactor(options.offAxisAlongDegrees, options.offAxisAcrossDegrees);
    } catch (const std::invalid_argument& refusal) {
      throw UsageError(std::string("option --off-axis: ") + refusal.what());
    }
  }
  if (const auto refusal = TubeRefusal(options.model, options.target, options.characteristicLines)) {
    throw UsageError(std::string("option ") + (options.target != TargetMaterial::Tungsten ? "--target" : "--no-lines") +
                     ": " + *refusal);
  }
  CheckTransmission(options, seen);
  RunEntries tube;  // the target and transmission target whose voltages are checked
  tube.target = options.target;
  tube.transmission = options.transmission;
  // a single run is refused outside the model's range like a sweep, not corrected as the desktop does;
  // the default 200 kV too when the target's range does not reach it
  const bool voltageOfTheRun = seen.count("--kv") != 0 || (seen.count("--quality") == 0 && seen.count("--fit-tube") == 0);
  if (voltageOfTheRun && !options.sweep) {
    const double kiloVolts = StrictNumber("--kv", options.entries.tubeVoltage);
    std::optional<std::string> refusal = VoltageRefusal(kiloVolts, options.model, options.target);
    if (!refusal) refusal = TransmissionVoltageRefusal(kiloVolts, options.model, tube);
    if (refusal) {
      throw UsageError((seen.count("--kv") != 0 ? "option --kv: " : "the default tube voltage: ") + *refusal +
                       (seen.count("--kv") != 0 ? "" : " (give --kv)"));
    }
    if (const auto refusal = TransmissionTubeRefusal(options.model, tube, kiloVolts)) {
      throw UsageError(kTransmissionOptions + *refusal);
    }
  }
  if (options.csv && options.json) throw UsageError("options --csv and --json cannot be combined");
  if (options.csv && !options.printFigures && !options.listQualities) {
    throw UsageError("options --csv and --no-figures cannot be combined: --csv prints the figures");
  }
  if (!options.sweep) return;
  for (const char* alone : {"--kv", "--exchange", "--save", "--fit", "--header", "--detector", "--uncertainty"}) {
    if (seen.count(alone) != 0) throw UsageError(std::string("option --sweep cannot be combined with ") + alone);
  }
  // every voltage of a sweep must lie in the model's range
  for (const double kiloVolts : options.sweep->Voltages()) {
    std::optional<std::string> refusal = VoltageRefusal(kiloVolts, options.model, options.target);
    if (!refusal) refusal = TransmissionVoltageRefusal(kiloVolts, options.model, tube);
    if (refusal) throw UsageError("option --sweep: " + *refusal);
    if (const auto refused = TransmissionTubeRefusal(options.model, tube, kiloVolts)) {
      throw UsageError("option --sweep: " + *refused);
    }
  }
}

}  // namespace

RunSettings SettingsFor(const CliOptions& options) {
  RunSettings settings{options.model, ParseRunEntries(options.entries), options.waveform, options.quantity,
                       options.distanceMm};
  settings.entries.target = options.target;
  settings.entries.characteristicLines = options.characteristicLines;
  settings.entries.offAxisAlongDegrees = options.offAxisAlongDegrees;
  settings.entries.offAxisAcrossDegrees = options.offAxisAcrossDegrees;
  settings.entries.transmission = options.transmission;
  return settings;
}

std::pair<double, double> TubeVoltageRange(SpectrumModel model) {
  const VoltageRange range = ModelVoltageRange(model);
  return {range.lowest, range.highest};
}

std::vector<double> VoltageSweep::Voltages() const {
  std::vector<double> voltages;
  const double count = std::floor((toKV - fromKV) / stepKV + 1e-9);
  for (int k = 0; k <= static_cast<int>(count); ++k) {
    const double voltage = fromKV + k * stepKV;
    // Rounding off the sum's last bits would overflow for a voltage near the largest double.
    const double rounded = std::round(voltage * 1e9) / 1e9;
    voltages.push_back(std::isfinite(rounded) ? rounded : voltage);
  }
  return voltages;
}

CliOptions ParseCommandLine(const std::vector<std::string>& arguments) {
  CliOptions options;
  std::set<std::string> seen;
  for (std::size_t k = 0; k < arguments.size(); ++k) {
    std::string name = arguments[k];
    std::optional<std::string> value;
    const std::size_t equals = name.find('=');
    if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    if (const auto flag = FlagOptions().find(name); flag != FlagOptions().end()) {
      if (value) throw UsageError("option " + name + " takes no value");
      flag->second(options);
      seen.insert(name);
      continue;
    }
    const auto handler = ValueOptions().find(name);
    if (handler == ValueOptions().end()) {
      if (name.rfind("-", 0) == 0 && name.size() > 1) throw UsageError("unknown option " + ExcerptText(name) + " (see --help)");
      throw UsageError("unexpected argument " + QuotedExcerpt(name) + " (every value belongs to an option; see --help)");
    }
    if (!value) {
      if (k + 1 >= arguments.size()) throw UsageError("option " + name + " needs a value");
      value = arguments[++k];
    }
    if (name != "--filter" && !seen.insert(name).second) throw UsageError("option " + name + " is given twice");
    seen.insert(name);
    handler->second(options, *value);
  }
  CheckCombinations(options, seen);
  options.inherentFiltrationGiven = seen.count("--be") != 0 || seen.count("--al-eq") != 0;
  options.targetGiven = seen.count("--target") != 0;
  options.voltageGiven = seen.count("--kv") != 0;
  return options;
}

std::string UsageText() {
  std::string text = R"(Usage: kestrix-cli [options]

Computes the photon spectrum of a tungsten-target X-ray tube with the desktop program's
calculation (relative with Tucker's or Birch's formula; with the physics model in photons per
electron, with the air kerma and fluence per mAs at --distance) and prints it as a table,
followed by the beam-quality figures of the half-value-layer engine (Quillon). Numbers use "."
as the decimal point.

Tube and filtration (the main window's entries):
@MODEL OPTION@  --kv KV                     tube voltage [kV] (default 200), inside the model's range
                              for the target (tucker, birch: 30 to 300 kV; physics: 20 to
                              500 kV, with Mo, Rh, Ag or Au 20 to 50 kV; see --list-models); a
                              voltage outside it is refused (exit status 2), not corrected
  --target W|Mo|Rh|Ag|Au      the target's (anode's) material (default W); Mo, Rh, Ag and Au with
                              the physics model only
  --no-lines                  bremsstrahlung alone, without the characteristic K and L lines
                              (physics model only)
  --off-axis ALONG[,ACROSS]   a point off the central ray [degrees, each -60 to 60]: ALONG the
                              anode-cathode axis, positive towards the cathode (the heel effect:
                              the output falls towards the anode), ACROSS it (default 0); the
                              filters are flat, so the ray crosses them obliquely
  --angle DEG                 target angle [degrees] (default 20); its sine must be positive
  --target-thickness UM       a transmission target instead of the thick reflection target: a
                              tungsten layer UM thick [um] on the window the beam leaves through,
                              along the electrons' direction (physics model, W, 20 to 300 kV;
                              no --angle or --quality); needs --target-window
  --target-window MATERIAL:MM the window under the layer: diamond, Be or Al, MM thick [mm], at
                              least the electrons' range in it at the tube voltage
  --be MM                     inherent filtration, beryllium window [mm Be] (default 3)
  --al-eq MM                  inherent filtration, aluminium equivalent [mm Al] (default 5);
                              when both are 0 with tucker they become 0 mm Be and 0.5 mm Al
                              (reported on stderr)
  --al MM                     added aluminium filter [mm Al] (default 0)
  --cu MM                     added copper filter [mm Cu] (default 0); no thickness may be
                              negative
  --waveform constant|12-peak|single-phase
                              tube voltage waveform (default constant potential)
  --filter FILE:MM            filter of any material from a material file (*.ele, *.mix)
                              with its thickness [mm]; up to three times; a file named without
                              a folder and not in the working folder is taken from the delivered
                              data, and a bare material name (Sn, PMMA, Water) means its
                              delivered file (Sn.ele, PMMA.mix, Water.mix)
  --table FILE                attenuation table (default MUs_202202.data in the working folder, else the
                              delivered one of the installation; each data file is looked up so
                              on its own, RadiationQualities.tsv too)

Spectrum table (the data export's formats):
  --quantity photon|exposure|energy
                              tabulated quantity relative to its peak (default photon, which
                              is exactly the desktop program's data export)
  --separator comma|space     ", " or two blanks between the columns (default comma)
  --unit keV|MeV              photon energy unit (default keV)
  --normalise max|total|per-mas
                              maximum = 1 or total = 1 (default max); per-mas (or per_mas):
                              photons per keV per mm2 per mAs at --distance (models with
                              absolute output only)
  --energy-notation plain|exp energy as 0000.0 (keV) / 0.0000 (MeV) or 0.000E+00 (default plain)
  --value-notation plain|exp  value as 0.00000 or 0.0000E+00 (default plain)
  --save FILE                 also write the table to FILE exactly as the data export does
                              (CR LF line ends)
  --header                    put '#' lines before the table (on standard output and in
                              --save): model, kV, angle, waveform, every filtration entry and
                              filter, quantity, normalisation, energy unit and what a value
                              stands for (the 0.5 keV bin centred on its energy; per bin or per keV)
  --export FORMAT             with --save: write the photon spectrum (whatever --quantity) as the
                              source of a Monte Carlo code instead of the table: egsnrc, geant4,
                              gate, mcnp, penelope, topas or phits (docs/spectrum_files.md)
  --spectrum FILE             the figures, table, --save and --exchange of a measured photon
                              spectrum instead of a model beam: rows energy_keV,value (photons
                              per keV, any scale; '#' lines skipped) put onto the 0.5 keV grid
                              keeping each row's photons; not with the tube and filter options

Output:
  --no-table                  leave out the spectrum table
  --no-figures                leave out the beam-quality figures: HVL Al [mm], effective
                              energy Al [keV], HVL Cu [mm], effective energy Cu [keV],
                              photons per mm2 per C/kg
  --json                      print inputs (as used) and results as one JSON object
  --exchange DIR              write B_SPCTL.temp and HVL_S2.temp into folder DIR, byte for
                              byte as the desktop program and Quillon write them
  --sweep FROM:TO:STEP        one calculation per tube voltage FROM, FROM+STEP, ... TO [kV];
                              prints one line of figures per voltage (no spectrum tables);
                              every voltage must lie in the model's range (as for --kv: a
                              sweep is not corrected); with --quality N-... or H-... the
                              quality's filtration; not with --kv, --exchange, --save, --fit,
                              --fit-tube or --header
  --csv                       the figures as a plain comma-separated table instead (one row,
                              or one per voltage of a sweep; no spectrum table), its first row
                              the JSON keys (tube_voltage_kV, hvl_al_mm, ...), an empty field
                              where a figure cannot be given; with --list-qualities the list
  --distance MM               distance from the focal spot of the absolute output: air kerma and
                              photon fluence per mAs (default 1000, at least 1: the focal spot is
                              not a point); only the inverse square, so give the air in between
                              as a filter (--filter Air.mix:MM)
  --list-models               list the models with their tube-voltage ranges and targets
                              (with --json as one JSON object)
  -h, --help                  this text
  --version                   the program's version

Filtration fitted to a measured first half-value layer:
  --fit al-eq|al|cu           the entry whose thickness is fitted (0 to 100 mm, to 0.001 mm):
                              inherent Al equivalent, added Al or added Cu; the other
                              entries stay as given, and the fitted beam is reported,
                              saved and written to the exchange files
  --target-hvl-al MM          the measured first half-value layer [mm Al]
  --target-hvl-cu MM          the measured first half-value layer [mm Cu]

Tube commissioned from layers measured at several voltages:
  --fit-tube FILE             comma-separated measurements: a header row with kv and any of
                              hvl1_al_mm, hvl2_al_mm, hvl1_cu_mm, hvl2_cu_mm, then one row per
                              tube voltage [kV] with the layers [mm] (an empty field: not
                              measured)
  --vary LIST                 the inputs fitted, one to three of al-eq, al, cu, angle,
                              kv-offset (the generator's deviation from the nominal voltage
                              [kV]) separated by commas (least squares on the relative
                              deviations, starting from the values given, the offset from 0);
                              the report is that of the fitted tube at --kv (default: the
                              highest measured voltage) plus the offset, with each
                              measurement's deviation and each input's standard uncertainty
  --uncertainty-percent P     the measurements' relative standard uncertainty [%]: a warning
                              on stderr when the fit's rms deviation exceeds it

Uncertainty of every figure:
  --uncertainty kv=KV,al-eq=MM,angle=DEG[,samples=N,seed=S]
                              standard uncertainties of the tube voltage [kV], the inherent
                              aluminium equivalent [mm] and the target angle [degrees] (any may
                              be left out: 0), sampled from normal distributions (a draw outside
                              an input's range is drawn again; samples 1000, seed 1 unless
                              given): each figure's mean, standard deviation and 95 % interval,
                              the same for a seed on every system, and the spread between the
                              models at the inputs as given

Detector layer behind the beam:
  --detector MATERIAL:MM[,KEV]
                              a layer of a delivered detector material (CsI, Gd2O2S, CdTe,
                              CdZnTe, Si, a-Se, Ge, NaI) or any material file, MM thick [mm],
                              at normal incidence, with a counting threshold [keV]: quantum
                              detection efficiency, absorbed energy fraction and, with the
                              physics model, absorbed energy [keV] and counted photons per mAs
                              and mm2 at --distance (the escape of the delivered materials' K
                              fluorescence treated; see docs/detector.md)

Standard radiation qualities (RadiationQualities.tsv beside --table, else in the working folder or
the delivered data):
  --quality NAME              e.g. N-100, H-60, RQR5, RQA5, RQT9: sets the tube voltage and the
                              filtration; N and H also the inherent filtration (Be and Al of
                              the definition, material filters Sn.ele, Pb.ele beside the
                              table); RQR keeps --be and --al-eq and fits the added aluminium
                              to the quality's nominal first half-value layer; RQA and RQT
                              realise the RQR of their voltage so, then add their aluminium
                              or copper (the layer reached is shown beside the nominal one)
  --list-qualities            list the qualities and their definitions

Text output: lines starting with "# " describe the inputs and give the figures; the
other lines are the table. A figure that the engine cannot give is shown as asterisks,
as in HVL_S2.temp, and as null with a reason in JSON. After the engine's five figures
come the double-precision figures: HVL1 and HVL2 in Al and Cu [mm], homogeneity
coefficients HVL1/HVL2, fluence-weighted and air-kerma-weighted mean energy [keV]
("none" with the reason when a figure cannot be given; in JSON under results.extended).

Exit status: 0 success, 1 calculation or file error, 2 bad command line.
)";
  // the option line names every model the library offers
  std::string models;
  for (const SpectrumModel model : SpectrumModels()) models += (models.empty() ? "" : "|") + std::string(ModelKeyword(model));
  std::string line = "  --model " + models;
  line += line.size() < 30 ? std::string(30 - line.size(), ' ') : "\n" + std::string(30, ' ');
  text.replace(text.find("@MODEL OPTION@"), 14, line + "spectrum model (default tucker)\n");
  return text;
}

}  // namespace kestrix
