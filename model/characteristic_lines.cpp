#include "characteristic_lines.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <utility>

#include "energy_grid.h"
#include "tungsten_target.h"

namespace kestrix {

namespace embedded {
extern const double kTungstenLines[];
extern const std::size_t kTungstenLinesCount;
extern const double kMolybdenumLines[];
extern const std::size_t kMolybdenumLinesCount;
extern const double kRhodiumLines[];
extern const std::size_t kRhodiumLinesCount;
extern const double kSilverLines[];
extern const std::size_t kSilverLinesCount;
extern const double kGoldLines[];
extern const std::size_t kGoldLinesCount;
extern const double kBoteSalvatTungsten[];
extern const std::size_t kBoteSalvatTungstenCount;
extern const double kBoteSalvatMolybdenum[];
extern const std::size_t kBoteSalvatMolybdenumCount;
extern const double kBoteSalvatRhodium[];
extern const std::size_t kBoteSalvatRhodiumCount;
extern const double kBoteSalvatSilver[];
extern const std::size_t kBoteSalvatSilverCount;
extern const double kBoteSalvatGold[];
extern const std::size_t kBoteSalvatGoldCount;
}  // namespace embedded

TungstenShells::TungstenShells(TargetMaterial target) {
  const std::array<std::pair<const double*, std::size_t>, kTargetCount> tables{{
      {embedded::kTungstenLines, embedded::kTungstenLinesCount},
      {embedded::kMolybdenumLines, embedded::kMolybdenumLinesCount},
      {embedded::kRhodiumLines, embedded::kRhodiumLinesCount},
      {embedded::kSilverLines, embedded::kSilverLinesCount},
      {embedded::kGoldLines, embedded::kGoldLinesCount},
  }};
  const double* const data = ForTarget(target, tables).first;
  const std::size_t count = ForTarget(target, tables).second;
  std::size_t at = 0;
  const auto next = [&]() {
    if (at >= count) throw std::logic_error("tungsten lines: table too short");
    return data[at++];
  };
  if (next() != kShellCount) throw std::logic_error("tungsten lines: other shells than K, L1, L2, L3");
  for (ShellData& shell : shells_) {
    shell.edge = next();
    shell.fluorescenceYield = next();
    shell.electrons = static_cast<int>(next());
    const int lines = static_cast<int>(next());
    for (int l = 0; l < lines; ++l) {
      const double energy = next();
      shell.lines.push_back({energy, next()});
    }
  }
  f12_ = next();
  f13_ = next();
  f23_ = next();
  firstIndex_ = static_cast<int>(next());
  const int lastIndex = static_cast<int>(next());
  const std::size_t shareValues = static_cast<std::size_t>(lastIndex - firstIndex_ + 1) * kShellCount;
  if (lastIndex < firstIndex_ || count - at < shareValues) {
    throw std::logic_error("target lines: photoabsorption table of the wrong length");
  }
  for (int i = firstIndex_; i <= lastIndex; ++i) {
    std::array<double, kShellCount> row{};
    for (double& share : row) share = next();
    shares_.push_back(row);
  }
  if (target == TargetMaterial::Tungsten) {
    if (at != count) throw std::logic_error("tungsten lines: values after the photoabsorption table");
    return;
  }
  // the target's own attenuation coefficient, by grid index
  const int firstAttenuation = static_cast<int>(next());
  const int lastAttenuation = static_cast<int>(next());
  if (firstAttenuation < 0 || lastAttenuation != kGridLast ||
      count - at != static_cast<std::size_t>(lastAttenuation - firstAttenuation + 1)) {
    throw std::logic_error("target lines: attenuation table of the wrong length");
  }
  attenuation_.assign(kGridSize, 0.0);
  for (int i = firstAttenuation; i <= lastAttenuation; ++i) attenuation_[i] = next();
}

double TungstenShells::PhotoabsorptionShare(AtomicShell shell, int gridIndex) const {
  if (gridIndex < firstIndex_) return 0.0;
  const std::size_t k = static_cast<std::size_t>(gridIndex - firstIndex_);
  return k < shares_.size() ? shares_[k][shell] : shares_.back()[shell];
}

const TungstenShells& TungstenAtomicShells() { return AtomicShellsOf(TargetMaterial::Tungsten); }

const TungstenShells& AtomicShellsOf(TargetMaterial target) {
  static const TungstenShells tungstenData(TargetMaterial::Tungsten);
  static const TungstenShells molybdenum(TargetMaterial::Molybdenum);
  static const TungstenShells rhodium(TargetMaterial::Rhodium);
  static const TungstenShells silver(TargetMaterial::Silver);
  static const TungstenShells gold(TargetMaterial::Gold);
  switch (target) {
    case TargetMaterial::Molybdenum: return molybdenum;
    case TargetMaterial::Rhodium: return rhodium;
    case TargetMaterial::Silver: return silver;
    case TargetMaterial::Gold: return gold;
    default: return tungstenData;
  }
}

namespace {

/// parameters of one shell in the compiled-in Bote-Salvat table
struct BoteSalvatShell {
  double edge;  // [keV]
  double Be, Anlj;
  std::array<double, 4> G;
  std::array<double, 5> A;
};

using BoteSalvatTable = std::array<BoteSalvatShell, kShellCount>;

BoteSalvatTable ReadBoteSalvat(const double* data, std::size_t count) {
  constexpr std::size_t kPerShell = 12;
  if (count != 1 + kShellCount * kPerShell || data[0] != kShellCount) {
    throw std::logic_error("Bote-Salvat table: layout differs from the program's");
  }
  BoteSalvatTable result{};
  for (int s = 0; s < kShellCount; ++s) {
    const double* p = data + 1 + s * kPerShell;
    result[s] = {p[0] * 1e-3, p[1], p[2], {p[3], p[4], p[5], p[6]}, {p[7], p[8], p[9], p[10], p[11]}};
  }
  return result;
}

const BoteSalvatTable& BoteSalvatShells(TargetMaterial target) {
  static const BoteSalvatTable tungstenShells =
      ReadBoteSalvat(embedded::kBoteSalvatTungsten, embedded::kBoteSalvatTungstenCount);
  static const BoteSalvatTable molybdenum =
      ReadBoteSalvat(embedded::kBoteSalvatMolybdenum, embedded::kBoteSalvatMolybdenumCount);
  static const BoteSalvatTable rhodium = ReadBoteSalvat(embedded::kBoteSalvatRhodium, embedded::kBoteSalvatRhodiumCount);
  static const BoteSalvatTable silver = ReadBoteSalvat(embedded::kBoteSalvatSilver, embedded::kBoteSalvatSilverCount);
  static const BoteSalvatTable gold = ReadBoteSalvat(embedded::kBoteSalvatGold, embedded::kBoteSalvatGoldCount);
  switch (target) {
    case TargetMaterial::Molybdenum: return molybdenum;
    case TargetMaterial::Rhodium: return rhodium;
    case TargetMaterial::Silver: return silver;
    case TargetMaterial::Gold: return gold;
    default: return tungstenShells;
  }
}

}  // namespace

double ElectronImpactIonisation(AtomicShell shell, double T) {
  return ElectronImpactIonisation(TargetMaterial::Tungsten, shell, T);
}

double ElectronImpactIonisation(TargetMaterial target, AtomicShell shell, double T) {
  constexpr double kBohrRadius = 5.29177210903e-9;  // [cm]
  const BoteSalvatShell& p = BoteSalvatShells(target)[shell];
  const double U = T / p.edge;
  if (!(U > 1.0)) return 0.0;
  double reduced;  // sigma / (4 pi a0^2)
  if (U <= 16.0) {
    const double v = 1.0 / (1.0 + U);
    const double fit = p.A[0] + p.A[1] * U + v * (p.A[2] + v * v * (p.A[3] + v * v * p.A[4]));
    reduced = (U - 1.0) * (fit / U) * (fit / U);
  } else {
    const double mc2 = tungsten::kElectronRestEnergy;
    const double beta2 = tungsten::BetaSquared(T);
    const double x = std::sqrt(T * (T + 2.0 * mc2)) / mc2;
    const double fit = (2.0 * std::log(x) - beta2) * (1.0 + p.G[0] / x) + p.G[1] + p.G[2] * std::sqrt(mc2 / (T + mc2)) +
                       p.G[3] / x;
    reduced = p.Anlj / beta2 * U / (U + p.Be) * fit;
  }
  return 4.0 * tungsten::kPi * kBohrRadius * kBohrRadius * reduced;
}

int NearestGridIndex(double E) { return static_cast<int>(std::lround(E / kKeVPerGridIndex)); }

}  // namespace kestrix
