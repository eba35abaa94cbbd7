#pragma once
// The keyword arguments of kestrix.Beam and kestrix.sweep, checked and turned into the typed inputs
// of a batch run: material names become the delivered material files.

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "batch_run.h"
#include "beam_inputs.h"

namespace kestrix::python {

/// The arguments as Python passes them (the units of the main window).
struct BeamArguments {
  std::string model = "tucker";
  double kv = 200;       /// tube voltage [kV]
  double angle = 20;     /// target angle [degrees]
  double be = 3;         /// beryllium window [mm Be]
  double alEq = 5;       /// inherent aluminium equivalent [mm Al]
  double al = 0;         /// added aluminium [mm Al]
  double cu = 0;         /// added copper [mm Cu]
  std::string waveform = "constant";
  /// (delivered material name or path of a .ele/.mix file, thickness [mm])
  std::vector<std::pair<std::string, double>> filters;
  std::optional<std::string> table;  /// attenuation table; the delivered one when empty
  std::string target = "W";          /// the target's element symbol: W, Mo, Rh, Ag, Au
  bool lines = true;                 /// false: bremsstrahlung alone (physics model only)
  /// the point off the central ray: along the anode-cathode axis (towards the cathode), across [degrees]
  double offAxisAlong = 0;
  double offAxisAcross = 0;
  /// true when the keywords of this call gave an angle (a transmission target refuses one)
  bool angleGiven = false;
  /// a transmission target: the tungsten layer [um]; nullopt: the reflection target at angle
  std::optional<double> targetThicknessUm;
  /// the transmission target's window: (material "diamond", "Be" or "Al", thickness [mm])
  std::optional<std::pair<std::string, double>> targetWindow;
};

/// What a batch run needs for these arguments.
struct BeamRequest {
  RunSettings settings;
  std::vector<FilterRequest> filters;
  std::string tablePath;
};

/// The folder of the delivered data (attenuation table, material files), set once on import.
void SetDataFolder(const std::string& folder);
const std::string& DataFolder();

/// Checks the arguments and resolves the materials. Throws std::invalid_argument naming the
/// argument for a number that is not finite, an unknown model, target or waveform, a target or
/// lines=False the model does not offer, more than three
/// filters, a material that is neither delivered nor a material file, a negative thickness or a
/// tube voltage outside the model's range (refused, not corrected); a transmission target without
/// both its layer and its window, with a thickness that is not positive, an unknown window material,
/// a given angle or off_axis, or one the model cannot compute (TransmissionTubeRefusal).
BeamRequest ResolveBeam(const BeamArguments& arguments);

/// value itself; throws std::invalid_argument naming `argument` when it is not finite.
double CheckedNumber(const char* argument, double value);

/// the keyword of an input: "kv", "angle", "be", "al_eq", "al", "cu", "filters"
std::string InputKeyword(BeamInput input);

/// The delivered materials by name ("Sn", "PMMA") with the first line of their file.
std::map<std::string, std::string> DeliveredMaterials();

}  // namespace kestrix::python
