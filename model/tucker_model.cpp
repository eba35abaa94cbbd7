#include "tucker_model.h"

#include <cmath>

namespace kestrix {

double ThomsonWhiddingtonConstant(double T0) {
  using namespace anode_coefficients;
  return (((kThomsonWhiddington0 + kThomsonWhiddington1 * T0) - kThomsonWhiddington2 * std::pow(T0, 2)) +
          kThomsonWhiddington3 * std::pow(T0, 3)) -
         kThomsonWhiddington4 * std::pow(T0, 4);
}

double ElectronPathLength(double T0, double T, double C, double cosecTheta) {
  // depth where the electron has slowed from T0 to T, stretched by the exit angle
  return (T0 * T0 - T * T) / (anode_coefficients::kTargetDensity * C) * cosecTheta;
}

double CharacteristicRatio(double T0, SpectrumModel model) {
  using namespace anode_coefficients;
  if (!(T0 > kKLineThreshold)) return 0.0;
  double R = (std::sqrt(kKRatioA * T0 - kKRatioB) - kKRatioC) / kKRatioD;
  if (model == SpectrumModel::Tucker && T0 > tucker_coefficients::kKRatioCapVoltage) R = tucker_coefficients::kKRatioCap;
  return R;
}

void AddKLines(double T0, double R, GridArray& phaseEmission) {
  using namespace anode_coefficients;
  if (!(T0 > kKLineThreshold)) return;
  double sum = 0;
  const int top = TopBinFor(T0);
  for (int i = 2; i <= top; ++i) sum += phaseEmission[i];
  const double total = sum * R * kPercent;
  for (const KLine& line : kKLines) phaseEmission[line.bin] += total * line.fraction;
}

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

}  // namespace kestrix
