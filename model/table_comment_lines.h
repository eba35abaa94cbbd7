#pragma once
// The '#' lines that make a written spectrum describe itself: the model, the tube and every part of
// the filtration, the tabulated quantity and its normalisation. Readers of the table skip them as
// comments (numpy's and pandas' comment='#', gnuplot, spreadsheet imports).

#include <ostream>
#include <string>
#include <vector>

namespace kestrix {

/// One material filter of the beam.
struct DescribedFilter {
  std::string description;  /// e.g. the first line of its material file, "Sn  Tin  (Z=50)"
  double thicknessMm = 0;   /// [mm]
  std::string source;       /// where it came from (a file path or a delivered name); empty: not shown
};

/// What a written spectrum was computed with, in the units of the inputs.
struct SpectrumDescription {
  std::string program;            /// e.g. "kestrix-cli", "kestrix (Python)"
  std::string model;              /// "tucker", "birch"
  double tubeVoltageKV = 0;       /// [kV]
  double targetAngleDegrees = 0;  /// [degrees]
  /// a transmission target, which has no target angle (the model line names the target)
  bool transmission = false;
  std::string waveform;           /// "constant", "12-peak", "single-phase"
  double berylliumMm = 0;         /// beryllium window [mm]
  double aluminiumEquivalentMm = 0;  /// inherent aluminium equivalent [mm]
  double addedAluminiumMm = 0;    /// [mm]
  double addedCopperMm = 0;       /// [mm]
  std::vector<DescribedFilter> filters;
  std::string quantity;       /// "photon", "exposure", "energy"
  std::string normalisation;  /// "max" (peak 1) or "total" (sum 1)
  std::string energyUnit = "keV";  /// unit of the energy column
};

/// What a tabulated value of the 0.5 keV grid stands for, for the quantity ("photon", "exposure",
/// "energy") and the normalisation ("max", "total", "per_mas ..."): the bin a row covers and whether
/// its value is per bin or per keV. One sentence, without "# " and line end.
std::string BinConventionText(const std::string& quantity, const std::string& normalisation);

/// The lines, each starting with "# " and without a line end, the last one "# bins: " and
/// BinConventionText. Numbers are written in the
/// shortest form that reads back to the same double; control characters in descriptions and
/// sources become blanks so that every line stays one line.
std::vector<std::string> SpectrumHeaderLines(const SpectrumDescription& description);

/// The described spectrum as comma-separated text with "\n" line ends: the header lines, a row
/// "energy_keV,value" (energy_MeV with that unit), then one row per bin, each number in the
/// shortest form that reads back to the same double. energies and values have the same length.
void WriteDescribedSpectrum(std::ostream& out, const SpectrumDescription& description,
                            const std::vector<double>& energies, const std::vector<double>& values);

}  // namespace kestrix
