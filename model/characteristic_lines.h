#pragma once
// Tungsten K and L lines: atomic data and the inner-shell ionisation cross sections for electron impact.
//
// Atomic data (edges, fluorescence yields, line energies and radiative rates, Coster-Kronig
// probabilities and each shell's share of the photoabsorption in the total attenuation) come from
// xraylib through tools/physics/generate_tungsten_lines.cpp and are compiled in from
// data/physics/tungsten_lines.txt.

#include <array>
#include <vector>

namespace kestrix {

/// the shells with lines, in the order of the data file
enum AtomicShell { kShellK = 0, kShellL1, kShellL2, kShellL3, kShellCount };

struct FluorescenceLine {
  double energy;         /// line energy [keV]
  double radiativeRate;  /// share of the shell's radiative transitions that give this line [1]
};

struct ShellData {
  double edge = 0;             /// absorption edge [keV]
  double fluorescenceYield = 0;  /// [1]
  int electrons = 0;           /// electrons in the filled shell
  std::vector<FluorescenceLine> lines;
};

class TungstenShells {
 public:
  /// the delivered data; throws std::logic_error when the compiled-in table is malformed
  TungstenShells();

  const ShellData& Shell(AtomicShell shell) const { return shells_[shell]; }
  /// Coster-Kronig probabilities: an L1 vacancy moves to L2 (f12) or L3 (f13), an L2 one to L3 (f23) [1]
  double F12() const { return f12_; }
  double F13() const { return f13_; }
  double F23() const { return f23_; }
  /// photoabsorption in the shell over total attenuation at grid index i [1]; 0 below the table,
  /// the last tabulated value above it
  double PhotoabsorptionShare(AtomicShell shell, int gridIndex) const;

 private:
  std::array<ShellData, kShellCount> shells_;
  double f12_ = 0, f13_ = 0, f23_ = 0;
  int firstIndex_ = 0;
  std::vector<std::array<double, kShellCount>> shares_;
};

/// the delivered data, built once
const TungstenShells& TungstenAtomicShells();

/// Electron-impact ionisation cross section of a tungsten shell at kinetic energy T [keV] [cm2], 0 at
/// or below the edge.
///  K shell: Casnati, Tartari and Baraldi, J. Phys. B 15 (1982) 155,
///   sigma = n a0^2 (R / E_K)^2 psi phi f ln(U) / U,  U = T / E_K,
///   phi = 10.57 exp(-1.736 / U + 0.317 / U^2),  psi = (E_K / R)^(-0.0318 + 0.3160 / U - 0.1135 / U^2),
///   f = (2 + I)/(2 + t) ((1 + t)/(1 + I))^2 [((I + t)(2 + t)(1 + I)^2) / (t (2 + t)(1 + I)^2 + I (2 + I))]^1.5,
///   n = 2, R the Rydberg energy, a0 the Bohr radius, I = E_K / mc^2, t = T / mc^2.
///  L subshells: Gryzinski, Phys. Rev. 138 (1965) A336,
///   sigma = n pi e^4 / E_b^2 (1 / U) ((U - 1)/(U + 1))^(3/2) [1 + (2/3)(1 - 1/(2U)) ln(2.7 + (U - 1)^(1/2))].
double ElectronImpactIonisation(AtomicShell shell, double T);

/// grid index whose photon energy is nearest to E [keV]
int NearestGridIndex(double E);

}  // namespace kestrix
