#include "birch_model.h"

#include <cmath>

#include "model_codes.h"
#include "tucker_model.h"

namespace kestrix {

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

}  // namespace kestrix
