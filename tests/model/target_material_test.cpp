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
  for (const char* other : {"", "MO", "Mo ", "Cu", "tungsten", "74"}) EXPECT_FALSE(TargetFromSymbol(other)) << other;
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
}

}  // namespace
}  // namespace kestrix
