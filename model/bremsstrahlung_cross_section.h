#pragma once
// Bremsstrahlung cross section of a target element from the Seltzer-Berger tables.
//
// S. M. Seltzer and M. J. Berger, Nucl. Instrum. Methods B 12 (1985) 95 and At. Data Nucl. Data
// Tables 35 (1986) 345 tabulate the scaled cross section chi(Z, T, k/T) = (beta^2 / Z^2) k dsigma/dk
// (electron-nucleus and electron-electron bremsstrahlung together) on 57 electron energies T and 32
// reduced photon energies k/T, so that
//     dsigma/dk (T, k) = (Z^2 / beta^2) chi(T, k/T) / k.
// The tables are read as they are meant to be read: linear in log T, linear in k/T. The numbers are
// compiled in from data/physics/seltzer_berger_W.txt (_Mo, _Rh for the other targets).

#include <cstddef>
#include <vector>

#include "target_material.h"

namespace kestrix {

class BremsstrahlungCrossSection {
 public:
  /// the delivered table of the target (tungsten by default)
  explicit BremsstrahlungCrossSection(TargetMaterial target = TargetMaterial::Tungsten);
  /// a table in the delivered layout (nT, nK, energies [keV], k/T, chi [mb]) of the element of this
  /// atomic number at this number of atoms per volume [1/cm3] (a transmission target's window);
  /// throws std::logic_error on a malformed table
  BremsstrahlungCrossSection(const double* data, std::size_t count, int atomicNumber, double atomsPerVolume);

  /// electron kinetic energies of the table [keV]
  const std::vector<double>& ElectronEnergies() const { return energies_; }
  /// reduced photon energies k/T of the table [1]
  const std::vector<double>& ReducedPhotonEnergies() const { return reduced_; }
  /// chi at node (row, column) [mb]
  double Node(int row, int column) const { return chi_[row * reduced_.size() + column]; }

  /// scaled cross section chi at electron energy T [keV] and k/T in [0, 1] [mb]; T is held to the
  /// table's range, k/T outside [0, 1] gives 0
  double ScaledCrossSection(double T, double reducedPhotonEnergy) const;

  /// dsigma/dk for an electron of kinetic energy T [keV] emitting a photon of energy k [keV],
  /// per atom of the target [cm2/keV]; 0 for k >= T or k <= 0
  double DifferentialCrossSection(double T, double k) const;

  /// radiative stopping power of the target, n * integral of k dsigma/dk over k from 0 to T [keV/cm]
  double RadiativeStoppingPower(double T) const;

 private:
  std::vector<double> energies_;
  std::vector<double> logEnergies_;
  std::vector<double> reduced_;
  std::vector<double> chi_;
  double z2_ = 0;              // squared atomic number [1]
  double atomsPerVolume_ = 0;  // [1/cm3]
};

/// the delivered tungsten table, built once
const BremsstrahlungCrossSection& TungstenBremsstrahlung();

/// the delivered table of a target, built once
const BremsstrahlungCrossSection& BremsstrahlungOf(TargetMaterial target);

}  // namespace kestrix
