#include "cli_options.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "beam_inputs.h"
#include "emission_models.h"
#include "input_number.h"
#include "off_axis.h"
#include "json_writer.h"
#include "message_text.h"

namespace kestrix {
namespace {

std::string Lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
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
    throw UsageError("option " + option + ": \"" + value + "\" is a negative thickness (0 mm or more)");
  }
  return value;
}

template <typename Choice>
Choice OneOf(const std::string& option, const std::string& value,
             const std::vector<std::pair<const char*, Choice>>& choices) {
  const std::string wanted = Lowercase(value);
  std::string names;
  for (const auto& [name, choice] : choices) {
    if (wanted == Lowercase(name)) return choice;
    names += names.empty() ? name : std::string(" | ") + name;
  }
  throw UsageError("option " + option + ": \"" + value + "\" is not one of " + names);
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
    throw UsageError("option --filter: \"" + value + "\" is not FILE:MM (a material file, a colon, a thickness in mm)");
  }
  FilterRequest filter;
  filter.path = value.substr(0, colon);
  filter.thicknessMm = StrictNumber("--filter", value.substr(colon + 1));
  if (filter.thicknessMm < 0) {
    throw UsageError("option --filter: \"" + value + "\" has a negative thickness (0 mm or more)");
  }
  return filter;
}

VoltageSweep ParseSweep(const std::string& value) {
  const std::size_t first = value.find(':');
  const std::size_t second = first == std::string::npos ? std::string::npos : value.find(':', first + 1);
  if (second == std::string::npos || value.find(':', second + 1) != std::string::npos) {
    throw UsageError("option --sweep: \"" + value + "\" is not FROM:TO:STEP (tube voltages in kV)");
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

std::vector<TubeInput> ParseVaried(const std::string& value) {
  std::vector<TubeInput> varied;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = value.find(',', start);
    const std::string name = value.substr(start, end - start);
    const std::optional<TubeInput> input = TubeInputNamed(name);
    if (!input) throw UsageError("option --vary: \"" + name + "\" is not one of al-eq | al | cu | angle");
    if (std::find(varied.begin(), varied.end(), *input) != varied.end()) {
      throw UsageError("option --vary: " + name + " is named twice");
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
         o.perMas = Lowercase(v) == "per-mas";
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
         if (!(o.distanceMm > 0)) throw UsageError("option --distance: the distance must be positive [mm]");
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
  if (!fit) return;
  for (const char* other : {"--sweep", "--fit", "--quality", "--list-qualities"}) {
    if (seen.count(other) != 0) throw UsageError(std::string("option --fit-tube cannot be combined with ") + other);
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
  // (the central ray leaves the target angle to the run, which judges it with its own message)
  if (options.offAxisAlongDegrees != 0 || options.offAxisAcrossDegrees != 0) {
    if (const auto refusal = OffAxisRefusal(StrictNumber("--angle", options.entries.targetAngle),
                                            options.offAxisAlongDegrees, options.offAxisAcrossDegrees)) {
      throw UsageError("option --off-axis: " + *refusal);
    }
  }
  if (const auto refusal = TubeRefusal(options.model, options.target, options.characteristicLines)) {
    throw UsageError(std::string("option ") + (options.target != TargetMaterial::Tungsten ? "--target" : "--no-lines") +
                     ": " + *refusal);
  }
  // a single run is refused outside the model's range like a sweep, not corrected as the desktop does;
  // the default 200 kV too when the target's range does not reach it
  const bool voltageOfTheRun = seen.count("--kv") != 0 || (seen.count("--quality") == 0 && seen.count("--fit-tube") == 0);
  if (voltageOfTheRun && !options.sweep) {
    const double kiloVolts = StrictNumber("--kv", options.entries.tubeVoltage);
    if (const auto refusal = VoltageRefusal(kiloVolts, options.model, options.target)) {
      throw UsageError((seen.count("--kv") != 0 ? "option --kv: " : "the default tube voltage: ") + *refusal +
                       (seen.count("--kv") != 0 ? "" : " (give --kv)"));
    }
  }
  if (options.csv && !options.sweep) throw UsageError("option --csv needs --sweep (it prints the sweep's table)");
  if (options.csv && options.json) throw UsageError("options --csv and --json cannot be combined");
  if (!options.sweep) return;
  for (const char* alone : {"--kv", "--exchange", "--save", "--fit", "--quality", "--header"}) {
    if (seen.count(alone) != 0) throw UsageError(std::string("option --sweep cannot be combined with ") + alone);
  }
  // every voltage of a sweep must lie in the model's range
  for (const double kiloVolts : options.sweep->Voltages()) {
    if (const auto refusal = VoltageRefusal(kiloVolts, options.model, options.target)) {
      throw UsageError("option --sweep: " + *refusal);
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
      if (name.rfind("-", 0) == 0 && name.size() > 1) throw UsageError("unknown option " + name + " (see --help)");
      throw UsageError("unexpected argument \"" + name + "\" (every value belongs to an option; see --help)");
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
  options.voltageGiven = seen.count("--kv") != 0;
  return options;
}

std::string UsageText() {
  std::string text = R"(Usage: kestrix-cli [options]

Computes the relative photon spectrum of a tungsten-target X-ray tube with the desktop
program's calculation and prints it as a table, followed by the beam-quality figures of
the half-value-layer engine (Quillon). Numbers use "." as the decimal point.

Tube and filtration (the main window's entries):
@MODEL OPTION@  --kv KV                     tube voltage [kV] (default 200), inside the model's range
                              for the target (tucker, birch: 30 to 300 kV; physics: 20 to
                              300 kV, with Mo or Rh 20 to 50 kV; see --list-models); a voltage
                              outside it is refused (exit status 2), not corrected
  --target W|Mo|Rh            the target's (anode's) material (default W); Mo and Rh with the
                              physics model only
  --no-lines                  bremsstrahlung alone, without the characteristic K and L lines
                              (physics model only)
  --off-axis ALONG[,ACROSS]   a point off the central ray [degrees, each -60 to 60]: ALONG the
                              anode-cathode axis, positive towards the cathode (the heel effect:
                              the output falls towards the anode), ACROSS it (default 0); the
                              filters are flat, so the ray crosses them obliquely
  --angle DEG                 target angle [degrees] (default 20); its sine must be positive
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
                              a folder and not in the working folder is taken from the delivered data
  --table FILE                attenuation table (default MUs_202202.data in the working folder, else the
                              delivered one of the installation)

Spectrum table (the data export's formats):
  --quantity photon|exposure|energy
                              tabulated quantity relative to its peak (default photon, which
                              is exactly the desktop program's data export)
  --separator comma|space     ", " or two blanks between the columns (default comma)
  --unit keV|MeV              photon energy unit (default keV)
  --normalise max|total|per-mas
                              maximum = 1 or total = 1 (default max); per-mas: photons per keV
                              per mm2 per mAs at --distance (models with absolute output only)
  --energy-notation plain|exp energy as 0000.0 (keV) / 0.0000 (MeV) or 0.000E+00 (default plain)
  --value-notation plain|exp  value as 0.00000 or 0.0000E+00 (default plain)
  --save FILE                 also write the table to FILE exactly as the data export does
                              (CR LF line ends)
  --header                    put '#' lines before the table (on standard output and in
                              --save): model, kV, angle, waveform, every filtration entry and
                              filter, quantity, normalisation and energy unit

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
                              every voltage must lie in the model's range (as for --kv);
                              not with --kv, --exchange, --save,
                              --fit, --quality or --header
  --csv                       with --sweep: a plain comma-separated table instead, its first
                              row the JSON keys (tube_voltage_kV, hvl_al_mm, ...), an empty
                              field where a figure cannot be given
  --distance MM               distance from the focal spot of the absolute output: air kerma and
                              photon fluence per mAs (default 1000); only the inverse square, so
                              give the air in between as a filter (--filter Air.mix:MM)
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
  --vary LIST                 the inputs fitted, one to three of al-eq, al, cu, angle separated
                              by commas (least squares on the relative deviations, starting
                              from the values given); the report is that of the fitted tube at
                              --kv (default: the highest measured voltage), with each
                              measurement's deviation

Standard radiation qualities (RadiationQualities.tsv beside the attenuation table):
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
