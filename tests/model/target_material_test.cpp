// The target materials by their element symbols, and their constants.

#include "target_material.h"

#include <gtest/gtest.h>

#include "target_constants.h"
#include "tungsten_target.h"

namespace kestrix {
namespace {

TEST(TargetMaterial, EachSymbolNamesItsTargetAndNoOtherTextDoes) {
  ASSERT_EQ(TargetMaterials().front(), TargetMaterial::Tungsten);
  for (const TargetMaterial target : TargetMaterials()) EXPECT_EQ(TargetFromSymbol(TargetSymbol(target)), target);
  EXPECT_EQ(TargetFromSymbol("mo"), TargetMaterial::Molybdenum);
  EXPECT_EQ(TargetFromSymbol("w"), TargetMaterial::Tungsten);
  EXPECT_EQ(TargetFromSymbol("Ag"), TargetMaterial::Silver);
  EXPECT_EQ(TargetFromSymbol("au"), TargetMaterial::Gold);
  EXPECT_EQ(TargetMaterials().size(), 5u);
  for (const char* other : {"", "MO", "Mo ", "Cu", "tungsten", "74", "AU", "gold", "Silver"}) EXPECT_FALSE(TargetFromSymbol(other)) << other;
}

TEST(TargetConstants, TungstenKeepsItsConstantsAndTheOthersHaveTheirOwn) {
  const TargetConstants& w = ConstantsOf(TargetMaterial::Tungsten);
  EXPECT_EQ(w.atomicNumber, 74);
  EXPECT_EQ(w.atomsPerVolume, tungsten::kAtomsPerVolume);  // the very same number: tungsten's results unchanged
  EXPECT_EQ(w.meanExcitationEnergy, tungsten::kMeanExcitationEnergy);
  const TargetConstants& mo = ConstantsOf(TargetMaterial::Molybdenum);
  const TargetConstants& rh = ConstantsOf(TargetMaterial::Rhodium);
  EXPECT_EQ(mo.atomicNumber, 42);
  EXPECT_EQ(rh.atomicNumber, 45);
  EXPECT_EQ(mo.meanExcitationEnergy, 0.424);  // ICRU 37
  EXPECT_EQ(rh.meanExcitationEnergy, 0.449);
  EXPECT_NEAR(mo.atomsPerVolume, 6.41e22, 0.01e22);
  EXPECT_NEAR(rh.atomsPerVolume, 7.26e22, 0.01e22);
  // silver and gold: ICRU 37's I (470 and 790 eV), xraylib's densities 10.5 and 19.3 g/cm3
  const TargetConstants& ag = ConstantsOf(TargetMaterial::Silver);
  const TargetConstants& au = ConstantsOf(TargetMaterial::Gold);
  EXPECT_EQ(ag.atomicNumber, 47);
  EXPECT_EQ(au.atomicNumber, 79);
  EXPECT_EQ(ag.meanExcitationEnergy, 0.470);
  EXPECT_EQ(au.meanExcitationEnergy, 0.790);
  EXPECT_NEAR(ag.atomsPerVolume, 5.86e22, 0.01e22);  // 10.5 g/cm3 * N_A / 107.87 g/mol
  EXPECT_NEAR(au.atomsPerVolume, 5.90e22, 0.01e22);  // 19.3 g/cm3 * N_A / 196.97 g/mol
}

}  // namespace
}  // namespace kestrix
