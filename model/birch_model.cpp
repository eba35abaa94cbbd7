#include "birch_model.h"

#include "bremsstrahlung_kernel.h"
#include "model_codes.h"

namespace kestrix {

void BirchEmission(double T0, double cosecTheta, const AttenuationTable& table, GridArray& phaseEmission) {
  ComputeSampleEmission(SpectrumModel::Birch, T0, cosecTheta, table, phaseEmission);
}

}  // namespace kestrix
