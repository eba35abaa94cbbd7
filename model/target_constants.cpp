#include "target_constants.h"

#include "tungsten_target.h"

namespace kestrix {
namespace {

TargetConstants Constants(int z, double molarMass, double density, double meanExcitationEnergy) {
  return {z, molarMass, density, meanExcitationEnergy, density * tungsten::kAvogadro / molarMass};
}

}  // namespace

const TargetConstants& ConstantsOf(TargetMaterial target) {
  static const TargetConstants tungstenConstants{tungsten::kAtomicNumber, tungsten::kMolarMass, tungsten::kDensity,
                                                 tungsten::kMeanExcitationEnergy, tungsten::kAtomsPerVolume};
  static const TargetConstants molybdenum = Constants(42, 95.95, 10.22, 0.424);
  static const TargetConstants rhodium = Constants(45, 102.9055, 12.41, 0.449);
  static const TargetConstants silver = Constants(47, 107.8682, 10.5, 0.470);
  static const TargetConstants gold = Constants(79, 196.96657, 19.3, 0.790);
  switch (target) {
    case TargetMaterial::Molybdenum: return molybdenum;
    case TargetMaterial::Rhodium: return rhodium;
    case TargetMaterial::Silver: return silver;
    case TargetMaterial::Gold: return gold;
    default: return tungstenConstants;
  }
}

const TargetConstants& WindowConstantsOf(TransmissionWindow window) {
  static const TargetConstants diamond = Constants(6, 12.011, 3.51, 0.081);
  static const TargetConstants beryllium = Constants(4, 9.0121831, 1.848, 0.0637);
  static const TargetConstants aluminium = Constants(13, 26.9815385, 2.699, 0.166);
  switch (window) {
    case TransmissionWindow::Beryllium: return beryllium;
    case TransmissionWindow::Aluminium: return aluminium;
    default: return diamond;
  }
}

}  // namespace kestrix
