#include "bremsstrahlung_cross_section.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <utility>

#include "target_constants.h"
#include "tungsten_target.h"

namespace kestrix {

namespace embedded {
extern const double kSeltzerBergerTungsten[];
extern const std::size_t kSeltzerBergerTungstenCount;
extern const double kSeltzerBergerMolybdenum[];
extern const std::size_t kSeltzerBergerMolybdenumCount;
extern const double kSeltzerBergerRhodium[];
extern const std::size_t kSeltzerBergerRhodiumCount;
extern const double kSeltzerBergerSilver[];
extern const std::size_t kSeltzerBergerSilverCount;
extern const double kSeltzerBergerGold[];
extern const std::size_t kSeltzerBergerGoldCount;
}  // namespace embedded

BremsstrahlungCrossSection::BremsstrahlungCrossSection(TargetMaterial target) {
  const std::array<std::pair<const double*, std::size_t>, kTargetCount> tables{{
      {embedded::kSeltzerBergerTungsten, embedded::kSeltzerBergerTungstenCount},
      {embedded::kSeltzerBergerMolybdenum, embedded::kSeltzerBergerMolybdenumCount},
      {embedded::kSeltzerBergerRhodium, embedded::kSeltzerBergerRhodiumCount},
      {embedded::kSeltzerBergerSilver, embedded::kSeltzerBergerSilverCount},
      {embedded::kSeltzerBergerGold, embedded::kSeltzerBergerGoldCount},
  }};
  const TargetConstants& constants = ConstantsOf(target);
  *this = BremsstrahlungCrossSection(ForTarget(target, tables).first, ForTarget(target, tables).second,
                                     constants.atomicNumber, constants.atomsPerVolume);
}

BremsstrahlungCrossSection::BremsstrahlungCrossSection(const double* data, std::size_t count, int atomicNumber,
                                                       double atomsPerVolume) {
  z2_ = static_cast<double>(atomicNumber) * atomicNumber;
  atomsPerVolume_ = atomsPerVolume;
  if (count < 2) throw std::logic_error("Seltzer-Berger table: empty");
  const auto nT = static_cast<std::size_t>(data[0]);
  const auto nK = static_cast<std::size_t>(data[1]);
  if (count != 2 + nT + nK + nT * nK || nT < 2 || nK < 2) throw std::logic_error("Seltzer-Berger table: bad size");
  energies_.assign(data + 2, data + 2 + nT);
  reduced_.assign(data + 2 + nT, data + 2 + nT + nK);
  chi_.assign(data + 2 + nT + nK, data + count);
  for (const double T : energies_) logEnergies_.push_back(std::log(T));
}

double BremsstrahlungCrossSection::ScaledCrossSection(double T, double u) const {
  if (!(u >= 0.0 && u <= 1.0)) return 0.0;
  // log T between two rows, held to the table's ends
  const double logT = std::log(std::clamp(T, energies_.front(), energies_.back()));
  std::size_t r = std::upper_bound(logEnergies_.begin(), logEnergies_.end(), logT) - logEnergies_.begin();
  r = std::clamp<std::size_t>(r, 1, energies_.size() - 1) - 1;
  const double wT = (logT - logEnergies_[r]) / (logEnergies_[r + 1] - logEnergies_[r]);
  // k/T between two columns
  std::size_t c = std::upper_bound(reduced_.begin(), reduced_.end(), u) - reduced_.begin();
  c = std::clamp<std::size_t>(c, 1, reduced_.size() - 1) - 1;
  const double wK = (u - reduced_[c]) / (reduced_[c + 1] - reduced_[c]);
  const auto at = [&](std::size_t row, std::size_t column) { return chi_[row * reduced_.size() + column]; };
  const double low = at(r, c) + wK * (at(r, c + 1) - at(r, c));
  const double high = at(r + 1, c) + wK * (at(r + 1, c + 1) - at(r + 1, c));
  return low + wT * (high - low);
}

double BremsstrahlungCrossSection::DifferentialCrossSection(double T, double k) const {
  if (!(k > 0.0 && k < T)) return 0.0;
  return z2_ / tungsten::BetaSquared(T) * ScaledCrossSection(T, k / T) * tungsten::kMillibarn / k;
}

double BremsstrahlungCrossSection::RadiativeStoppingPower(double T) const {
  // n Z^2 T / beta^2 * integral of chi over k/T from 0 to 1 (trapezoids on the table's columns)
  double integral = 0;
  for (std::size_t c = 0; c + 1 < reduced_.size(); ++c) {
    integral += 0.5 * (ScaledCrossSection(T, reduced_[c]) + ScaledCrossSection(T, reduced_[c + 1])) *
                (reduced_[c + 1] - reduced_[c]);
  }
  return atomsPerVolume_ * z2_ * T / tungsten::BetaSquared(T) * integral * tungsten::kMillibarn;
}

const BremsstrahlungCrossSection& TungstenBremsstrahlung() { return BremsstrahlungOf(TargetMaterial::Tungsten); }

const BremsstrahlungCrossSection& BremsstrahlungOf(TargetMaterial target) {
  static const BremsstrahlungCrossSection tungstenTable(TargetMaterial::Tungsten);
  static const BremsstrahlungCrossSection molybdenum(TargetMaterial::Molybdenum);
  static const BremsstrahlungCrossSection rhodium(TargetMaterial::Rhodium);
  static const BremsstrahlungCrossSection silver(TargetMaterial::Silver);
  static const BremsstrahlungCrossSection gold(TargetMaterial::Gold);
  switch (target) {
    case TargetMaterial::Molybdenum: return molybdenum;
    case TargetMaterial::Rhodium: return rhodium;
    case TargetMaterial::Silver: return silver;
    case TargetMaterial::Gold: return gold;
    default: return tungstenTable;
  }
}

}  // namespace kestrix
