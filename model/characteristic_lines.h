#pragma once
// Tungsten K lines: atomic data and the K-shell ionisation cross section for electron impact.
//
// Atomic data (K edge, fluorescence yield, line energies and radiative rates, and the share of
// K-shell photoabsorption in the total attenuation) come from xraylib through
// tools/physics/generate_tungsten_lines.cpp and are compiled in from data/physics/tungsten_k_lines.txt.

#include <vector>

namespace kestrix {

struct KLine {
  double energy;         /// line energy [keV]
  double radiativeRate;  /// share of K vacancies filled by this transition with a photon, per radiative vacancy [1]
};

class TungstenKShell {
 public:
  /// the delivered data; throws std::logic_error when the compiled-in table is malformed
  TungstenKShell();

  /// K absorption edge [keV]
  double EdgeEnergy() const { return edge_; }
  /// K fluorescence yield [1]
  double FluorescenceYield() const { return yield_; }
  /// the lines Ka2, Ka1, Kb3, Kb1, Kb2 (two components)
  const std::vector<KLine>& Lines() const { return lines_; }
  /// K-shell photoabsorption over total attenuation at grid index i [1]; 0 below the edge,
  /// the last tabulated value above the table
  double PhotoabsorptionShare(int gridIndex) const;

 private:
  double edge_ = 0;
  double yield_ = 0;
  std::vector<KLine> lines_;
  int firstIndex_ = 0;
  std::vector<double> share_;
};

/// the delivered data, built once
const TungstenKShell& TungstenK();

/// K-shell ionisation cross section of tungsten for electron impact at kinetic energy T [keV] [cm2],
/// 0 at or below the edge. Casnati, Tartari and Baraldi, J. Phys. B 15 (1982) 155:
///   sigma = n_K a0^2 (R / E_K)^2 psi phi f ln(U) / U,  U = T / E_K,
///   phi = 10.57 exp(-1.736 / U + 0.317 / U^2),  psi = (E_K / R)^(-0.0318 + 0.3160 / U - 0.1135 / U^2),
///   f = (2 + I)/(2 + t) ((1 + t)/(1 + I))^2 [((I + t)(2 + t)(1 + I)^2) / (t (2 + t)(1 + I)^2 + I (2 + I))]^1.5
/// with n_K = 2, R the Rydberg energy, a0 the Bohr radius, I = E_K / mc^2 and t = T / mc^2.
double KShellIonisationCrossSection(double T);

/// grid index whose photon energy is nearest to E [keV]
int NearestGridIndex(double E);

}  // namespace kestrix
