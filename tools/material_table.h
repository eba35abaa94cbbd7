#pragma once
// Material files of the arbitrary filters: partial mass attenuation coefficients of
// an element or of a NIST compound from xraylib, tabulated on a log-spaced energy
// grid from 1 keV to 600 keV plus two rows at every absorption edge in between.

#include <string>
#include <vector>

namespace kestrix::tools {

/// An element (atomicNumber > 0), an entry of xraylib's NIST compound list, or (formula) a chemical
/// formula such as "Cd0.9Zn0.1Te" in nistName.
struct MaterialSource {
  int atomicNumber = 0;
  std::string nistName;
  bool formula = false;
  /// density [g/cm3] in place of xraylib's (amorphous selenium, a mixed crystal); 0: xraylib's
  double density = 0;
};

/// One element of a material and its share of the mass.
struct Constituent {
  int atomicNumber = 0;
  double massFraction = 0;  /// [1]
};

struct PartialCoefficients {
  double rayleigh = 0;  /// coherent scattering [cm2/g]
  double compton = 0;   /// incoherent scattering [cm2/g]
  double photo = 0;     /// photoabsorption [cm2/g]
  double Total() const { return rayleigh + compton + photo; }
};

struct MaterialRow {
  double energyMeV = 0;  /// photon energy [MeV]
  PartialCoefficients partials;
};

/// Density [g/cm3] of the element or compound, as xraylib gives it.
double MaterialDensity(const MaterialSource& source);

/// xraylib's partial coefficients at one photon energy [keV].
PartialCoefficients PartialsAt(const MaterialSource& source, double energyKeV);

/// Atomic numbers of the element or of the compound's constituents.
std::vector<int> ConstituentElements(const MaterialSource& source);

/// The elements of the material with their mass fractions.
std::vector<Constituent> Composition(const MaterialSource& source);

/// Energies [keV], ascending, of the K, L1-L3 and M1-M5 edges of the elements that lie
/// in (lowKeV, highKeV]. Each is the energy where xraylib's photoabsorption data jump,
/// found next to the tabulated edge energy (EdgeEnergy), since the two differ by up to
/// a few tenths of a percent; throws XraylibError when no jump is found there.
std::vector<double> AbsorptionEdges(const std::vector<int>& atomicNumbers, double lowKeV, double highKeV);

/// Rows of a material file: 1 keV to 600 keV, log-spaced, with every edge from
/// AbsorptionEdges as two rows at one energy (just below, just above), and further rows
/// where near-edge structure bends the curve between grid rows (at most 120 rows in
/// all). Energies and coefficients are rounded as the file writes them. Throws
/// std::runtime_error when the grid and edge rows alone exceed 120.
std::vector<MaterialRow> BuildMaterialRows(const MaterialSource& source);

/// The complete file: description line, density, row count, then one row per line of
/// energy [MeV], the three partials, total with and total without coherent scattering
/// [cm2/g]; CR LF line ends.
std::string FormatMaterialFile(const std::string& description, double density,
                               const std::vector<MaterialRow>& rows);

/// Largest relative difference between the log-log interpolated total of the rows and
/// xraylib's total, over every whole keV from 1 to 500 and the log midpoint of every
/// pair of neighbouring rows.
double WorstInterpolationError(const MaterialSource& source, const std::vector<MaterialRow>& rows);

}  // namespace kestrix::tools
