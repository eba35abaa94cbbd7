#include "reference_emission.h"

#include <cmath>

#include "birch_model.h"
#include "tucker_model.h"

namespace kestrix::reference {

void TuckerEmission(double T0, double cosecTheta, const AttenuationTable& table, GridArray& phaseEmission) {
  using namespace anode_coefficients;
  using namespace tucker_coefficients;
  const double C = ThomsonWhiddingtonConstant(T0);
  const int top = TopBinFor(T0);
  for (int i = 2; i <= top; ++i) {
    const double E = PhotonEnergy(i);
    double S = 0;
    for (double T = E; T <= T0; T += kElectronEnergyStep) {
      const double x = E / T;
      const double A = kPrefactor0 + kPrefactor1 * E;
      const double B = 1 - kShape1 * x + kShape2 * std::pow(x, 2) - kShape3 * std::pow(x, 3) + kShape4 * std::pow(x, 4);
      const double P = kStopping0 * std::exp(-kStopping1 * T) + kStopping2;
      const double d = ElectronPathLength(T0, T, C, cosecTheta);
      S = S + (1 + kElectronRestEnergy / T) * (A * B) / P * std::exp(-table.muW[i] * d);
    }
    phaseEmission[i] = S;
  }
  AddKLines(T0, CharacteristicRatio(T0, SpectrumModel::Tucker), phaseEmission);
}

void BirchEmission(double T0, double cosecTheta, const AttenuationTable& table, GridArray& phaseEmission) {
  using namespace anode_coefficients;
  using namespace birch_coefficients;
  const double C = ThomsonWhiddingtonConstant(T0);
  const int top = TopBinFor(T0);
  for (int i = 2; i <= top; ++i) {
    const double E = PhotonEnergy(i);
    double S = 0;
    for (double T = E; T <= T0; T += kElectronEnergyStep) {
      const double x = E / T;
      const double Q = kCrossSection0 - kCrossSection1 * x + kCrossSection2 * x * x + kCrossSection3 * x * x * x -
                       kCrossSection4 * x * x * x * x;
      const double d = ElectronPathLength(T0, T, C, cosecTheta);
      S = S + (1 + T / kElectronRestEnergy) * Q * std::exp(-table.muW[i] * d);
    }
    phaseEmission[i] = S;
  }
  AddKLines(T0, CharacteristicRatio(T0, SpectrumModel::Birch), phaseEmission);
}

void SynthesizeSpectrum(SpectrumModel model, double kVp, double cosecTheta, RectificationType type,
                        const FilterSet& filters, CalculationState& state) {
  const AttenuationTable& table = state.table;
  const SampleEmission emission = [&](std::size_t, double T0, GridArray& phaseEmission) {
    if (model == SpectrumModel::Tucker) {
      reference::TuckerEmission(T0, cosecTheta, table, phaseEmission);
    } else {
      reference::BirchEmission(T0, cosecTheta, table, phaseEmission);
    }
  };
  AverageWaveformSamples(kVp, WaveformSamples(type), emission, state.PhaseEmission, state.SpectrumBins);
  ApplyFiltration(kVp, filters, table, state.filters, state.SpectrumBins);
}

}  // namespace kestrix::reference
