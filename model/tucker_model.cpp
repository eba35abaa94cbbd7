#include "tucker_model.h"

#include <cmath>

#include "bremsstrahlung_kernel.h"

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
  ComputeSampleEmission(SpectrumModel::Tucker, T0, cosecTheta, table, phaseEmission);
}

}  // namespace kestrix
