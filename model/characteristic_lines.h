#pragma once
// K and L lines of the target (tungsten unless a target is named): atomic data and the inner-shell
// ionisation cross sections for electron impact.
//
// Atomic data (edges, fluorescence yields, line energies and radiative rates, Coster-Kronig
// probabilities and each shell's share of the photoabsorption in the total attenuation) come from
// xraylib through tools/physics/generate_tungsten_lines.cpp and are compiled in from
// data/physics/tungsten_lines.txt (molybdenum_lines.txt, rhodium_lines.txt, which also hold the
// target's attenuation coefficient).

#include <array>
#include <vector>

#include "target_material.h"

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
  /// the delivered data of the target; throws std::logic_error when the compiled-in table is malformed
  explicit TungstenShells(TargetMaterial target = TargetMaterial::Tungsten);

  const ShellData& Shell(AtomicShell shell) const { return shells_[shell]; }
  /// Coster-Kronig probabilities: an L1 vacancy moves to L2 (f12) or L3 (f13), an L2 one to L3 (f23) [1]
  double F12() const { return f12_; }
  double F13() const { return f13_; }
  double F23() const { return f23_; }
  /// photoabsorption in the shell over total attenuation at grid index i [1]; 0 below the table,
  /// the last tabulated value above it
  double PhotoabsorptionShare(AtomicShell shell, int gridIndex) const;
  /// the target's own linear attenuation coefficient at grid index i [1/cm]; empty for tungsten,
  /// whose coefficient is the attenuation table's
  const std::vector<double>& Attenuation() const { return attenuation_; }

 private:
  std::array<ShellData, kShellCount> shells_;
  double f12_ = 0, f13_ = 0, f23_ = 0;
  int firstIndex_ = 0;
  std::vector<std::array<double, kShellCount>> shares_;
  std::vector<double> attenuation_;  // by grid index from 0, 0 below the first tabulated one [1/cm]
};

/// the delivered data, built once
const TungstenShells& TungstenAtomicShells();

/// the delivered data of a target, built once
const TungstenShells& AtomicShellsOf(TargetMaterial target);

/// Electron-impact ionisation cross section of a tungsten shell at kinetic energy T [keV] [cm2], 0 at
/// or below the shell's edge: the analytical formulas of Bote, Salvat, Jablonski and Powell, At. Data
/// Nucl. Data Tables 95 (2009) 871, fitted to distorted-wave Born calculations (as in PENELOPE),
///   U <= 16: sigma = 4 pi a0^2 (U - 1) / U^2 [A1 + A2 U + A3 / (1 + U) + A4 / (1 + U)^3 + A5 / (1 + U)^5]^2,
///   U > 16:  sigma = 4 pi a0^2 Anlj / beta^2 U / (U + Be) [(2 ln x - beta^2)(1 + G1 / x) + G2
///            + G3 sqrt(mc^2 / (T + mc^2)) + G4 / x],  x = p / mc,
/// U = T / E_edge, with the tungsten parameters compiled in from data/physics/ionisation_bote_salvat_W.txt.
double ElectronImpactIonisation(AtomicShell shell, double T);

/// the same for a shell of the target's element, with its own parameters (ionisation_bote_salvat_Mo.txt, _Rh) [cm2]
double ElectronImpactIonisation(TargetMaterial target, AtomicShell shell, double T);

/// grid index whose photon energy is nearest to E [keV]
int NearestGridIndex(double E);

}  // namespace kestrix
