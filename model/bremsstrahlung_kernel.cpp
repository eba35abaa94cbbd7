#include "bremsstrahlung_kernel.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "birch_model.h"
#include "tucker_model.h"

namespace kestrix {

namespace {

/// electron energy steps between exact recomputations of the stepped attenuation factors;
/// the stepped factor's relative rounding error stays below about spacing^2 * 1.1e-16 (4.5e-13)
constexpr int kAnchorSpacing = 64;
static_assert(kAnchorSpacing % 4 == 0, "passes of four rows must not cross a recomputation");
/// the highest electron energy index m (T = m / 2) any sample reaches
constexpr int kTopElectronIndex = kGridLast;
/// samples are spread over threads only when a run has at least this many terms
constexpr double kTermsWorthAThread = 200000;

/// W(i, m): the part of a bremsstrahlung term that depends only on the photon energy
/// E = i / 2 and the electron energy T = m / 2, for 2 <= i <= m <= kTopElectronIndex.
class CrossSectionTable {
 public:
  explicit CrossSectionTable(SpectrumModel model) : values_(RowOffset(kTopElectronIndex + 1)) {
    for (int m = 2; m <= kTopElectronIndex; ++m) {
      double* row = values_.data() + RowOffset(m);
      if (model == SpectrumModel::Tucker) {
        FillTuckerRow(0.5 * m, m, row);
      } else {
        FillBirchRow(0.5 * m, m, row);
      }
    }
  }

  /// entries for bins i = 2..m at index i - 2
  const double* Row(int m) const { return values_.data() + RowOffset(m); }

 private:
  static std::size_t RowOffset(int m) { return static_cast<std::size_t>(m - 2) * static_cast<std::size_t>(m - 1) / 2; }

  /// ((1 + 511 / T) (A B)) / P for electron energy T [keV] and the photon energies of bins 2..m
  static void FillTuckerRow(double T, int m, double* row) {
    using namespace anode_coefficients;
    using namespace tucker_coefficients;
    const double energyFactor = 1 + kElectronRestEnergy / T;
    const double P = kStopping0 * std::exp(-kStopping1 * T) + kStopping2;
    for (int i = 2; i <= m; ++i) {
      const double E = PhotonEnergy(i);
      const double x = E / T;
      const double x2 = x * x;
      const double A = kPrefactor0 + kPrefactor1 * E;
      const double B = 1 - kShape1 * x + kShape2 * x2 - kShape3 * (x2 * x) + kShape4 * (x2 * x2);
      row[i - 2] = energyFactor * (A * B) / P;
    }
  }

  /// (1 + T / 511) Q for electron energy T [keV] and the photon energies of bins 2..m
  static void FillBirchRow(double T, int m, double* row) {
    using namespace anode_coefficients;
    using namespace birch_coefficients;
    const double energyFactor = 1 + T / kElectronRestEnergy;
    for (int i = 2; i <= m; ++i) {
      const double x = PhotonEnergy(i) / T;
      const double Q = kCrossSection0 - kCrossSection1 * x + kCrossSection2 * x * x + kCrossSection3 * x * x * x -
                       kCrossSection4 * x * x * x * x;
      row[i - 2] = energyFactor * Q;
    }
  }

  std::vector<double> values_;
};

const CrossSectionTable& CrossSectionsOf(SpectrumModel model) {
  // each built on its first use, a few milliseconds once
  if (model == SpectrumModel::Tucker) {
    static const CrossSectionTable tucker(SpectrumModel::Tucker);
    return tucker;
  }
  static const CrossSectionTable birch(SpectrumModel::Birch);
  return birch;
}

/// Per-bin state of the downward sweep over the electron energies.
struct SweepState {
  GridArray attenuation;  // exp(-muW d) at the current electron energy
  GridArray step;         // factor from this electron energy to the next lower one
  GridArray stepChange;   // factor by which `step` changes from one energy to the next
  GridArray sum;          // the bin's sum so far
};

/// Adds the terms of electron energy index m to bins 2..m and steps the factors one energy down.
void AddRow(const CrossSectionTable& cross, int m, SweepState& sweep) {
  const double* __restrict w = cross.Row(m);
  double* __restrict attenuation = sweep.attenuation.data();
  double* __restrict step = sweep.step.data();
  const double* __restrict stepChange = sweep.stepChange.data();
  double* __restrict sum = sweep.sum.data();
  for (int i = 2; i <= m; ++i) {
    sum[i] += w[i - 2] * attenuation[i];
    attenuation[i] *= step[i];
    step[i] *= stepChange[i];
  }
}

/// Four rows' terms for bins 2..last, each bin's factors kept in registers for the four terms.
void AddFourRowsToBins(const double* __restrict w0, const double* __restrict w1, const double* __restrict w2,
                       const double* __restrict w3, int last, double* __restrict attenuation,
                       double* __restrict step, const double* __restrict stepChange, double* __restrict sum) {
  for (int i = 2; i <= last; ++i) {
    double f = attenuation[i];
    double s = step[i];
    const double v = stepChange[i];
    double S = sum[i];
    S += w0[i - 2] * f;
    f *= s;
    s *= v;
    S += w1[i - 2] * f;
    f *= s;
    s *= v;
    S += w2[i - 2] * f;
    f *= s;
    s *= v;
    S += w3[i - 2] * f;
    f *= s;
    s *= v;
    attenuation[i] = f;
    step[i] = s;
    sum[i] = S;
  }
}

/// AddRow for the rows m, m - 1, m - 2 and m - 3 in one pass over the bins (m >= 5). The three
/// bins above m - 3 take only the rows at or above them and are finished afterwards.
void AddFourRows(const CrossSectionTable& cross, int m, SweepState& sweep) {
  const double* const rows[] = {cross.Row(m), cross.Row(m - 1), cross.Row(m - 2), cross.Row(m - 3)};
  AddFourRowsToBins(rows[0], rows[1], rows[2], rows[3], m - 3, sweep.attenuation.data(), sweep.step.data(),
                    sweep.stepChange.data(), sweep.sum.data());
  for (int i = m - 2; i <= m; ++i) {
    double f = sweep.attenuation[i];
    double s = sweep.step[i];
    for (int r = 0; m - r >= i; ++r) {
      sweep.sum[i] += rows[r][i - 2] * f;
      f *= s;
      s *= sweep.stepChange[i];
    }
  }
}

void Bremsstrahlung(const CrossSectionTable& cross, double T0, double cosecTheta, const GridArray& muW,
                    SweepState& sweep, GridArray& emission) {
  const int top = TopBinFor(T0);
  if (top < 2) return;
  const double C = ThomsonWhiddingtonConstant(T0);
  // path out of the target per keV^2 of (T0^2 - T^2) [cm/keV^2]
  const double pathPerSquare = cosecTheta / (anode_coefficients::kTargetDensity * C);
  for (int i = 2; i <= top; ++i) {
    // exp(muW K / 2) >= 1; where it overflows the steps themselves are 0, which DBL_MAX keeps
    sweep.stepChange[i] = std::min(std::exp(muW[i] * pathPerSquare * 0.5), DBL_MAX);
    sweep.sum[i] = 0;
  }
  for (int m = top; m >= 2;) {
    if ((top - m) % kAnchorSpacing == 0) {
      const double d = ElectronPathLength(T0, 0.5 * m, C, cosecTheta);
      const double stepPath = pathPerSquare * (2 * m - 1) * 0.25;  // d(T - 0.5) - d(T)
      for (int i = 2; i <= m; ++i) {
        sweep.attenuation[i] = std::exp(-muW[i] * d);
        sweep.step[i] = std::exp(-muW[i] * stepPath);
      }
    }
    // passes of four rows start at the recomputations, since the spacing is a multiple of four
    if (m >= 5) {
      AddFourRows(cross, m, sweep);
      m -= 4;
    } else {
      AddRow(cross, m, sweep);
      m -= 1;
    }
  }
  for (int i = 2; i <= top; ++i) emission[i] = sweep.sum[i];
}

void Emission(SpectrumModel model, double T0, double cosecTheta, const AttenuationTable& table, SweepState& sweep,
              GridArray& emission) {
  Bremsstrahlung(CrossSectionsOf(model), T0, cosecTheta, table.muW, sweep, emission);
  AddKLines(T0, CharacteristicRatio(T0, model), emission);
}

void CheckVoltage(double T0) {
  if (!(T0 <= kMaximumSampleVoltage)) {
    throw std::out_of_range("Sample voltage " + std::to_string(T0) + " kV lies above the 500 keV energy grid.");
  }
}

}  // namespace

void ComputeSampleEmission(SpectrumModel model, double T0, double cosecTheta, const AttenuationTable& table,
                           GridArray& emission) {
  CheckVoltage(T0);
  auto sweep = std::make_unique<SweepState>();
  Emission(model, T0, cosecTheta, table, *sweep, emission);
}

void ComputeSampleEmissions(SpectrumModel model, const std::vector<double>& sampleVoltages, double cosecTheta,
                            const AttenuationTable& table, std::vector<GridArray>& emissions, unsigned threads) {
  for (const double T0 : sampleVoltages) CheckVoltage(T0);
  emissions.resize(sampleVoltages.size());
  CrossSectionsOf(model);  // built once, before any worker reads it

  // largest samples first, each to the least loaded thread; the work grows with (2 T0)^2 / 2
  std::vector<std::pair<double, std::size_t>> bySize;
  double allTerms = 0;
  for (std::size_t k = 0; k < sampleVoltages.size(); ++k) {
    const double bins = TopBinFor(sampleVoltages[k]);
    bySize.emplace_back(bins * bins / 2, k);
    allTerms += bins * bins / 2;
  }
  std::sort(bySize.begin(), bySize.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  threads = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(sampleVoltages.size())));
  if (allTerms < kTermsWorthAThread) threads = 1;
  std::vector<std::vector<std::size_t>> share(threads);
  std::vector<double> load(threads, 0.0);
  for (const auto& [terms, k] : bySize) {
    const std::size_t least = std::min_element(load.begin(), load.end()) - load.begin();
    share[least].push_back(k);
    load[least] += terms;
  }

  const auto run = [&](const std::vector<std::size_t>& samples) {
    auto sweep = std::make_unique<SweepState>();
    for (const std::size_t k : samples) Emission(model, sampleVoltages[k], cosecTheta, table, *sweep, emissions[k]);
  };
  std::vector<std::thread> workers;
  for (unsigned t = 1; t < threads; ++t) {
    try {
      workers.emplace_back(run, std::cref(share[t]));
    } catch (const std::system_error&) {
      run(share[t]);  // no thread to be had: the same work on this one
    }
  }
  run(share[0]);
  for (std::thread& worker : workers) worker.join();
}

}  // namespace kestrix
