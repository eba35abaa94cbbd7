#include "characteristic_lines.h"

#include <cmath>

#include <gtest/gtest.h>

#include "energy_grid.h"
#include "tolerance.h"

namespace kestrix {
namespace {

const TungstenShells& Shells() { return TungstenAtomicShells(); }

TEST(TungstenShells, EdgesYieldsAndLinesOfTungsten) {
  EXPECT_NEAR(Shells().Shell(kShellK).edge, 69.525, 0.01);
  EXPECT_NEAR(Shells().Shell(kShellL1).edge, 12.10, 0.01);
  EXPECT_NEAR(Shells().Shell(kShellL2).edge, 11.54, 0.01);
  EXPECT_NEAR(Shells().Shell(kShellL3).edge, 10.21, 0.01);
  EXPECT_NEAR(Shells().Shell(kShellK).fluorescenceYield, 0.95, 0.01);
  EXPECT_NEAR(Shells().Shell(kShellL3).fluorescenceYield, 0.255, 0.01);
  for (int s = 0; s < kShellCount; ++s) {
    double rates = 0;
    for (const FluorescenceLine& line : Shells().Shell(static_cast<AtomicShell>(s)).lines) {
      EXPECT_LT(line.energy, Shells().Shell(static_cast<AtomicShell>(s)).edge);
      rates += line.radiativeRate;
    }
    EXPECT_GT(rates, 0.9) << s;  // the lines kept carry nearly all radiative transitions
    EXPECT_LE(rates, 1.0 + 1e-9) << s;
  }
  EXPECT_GT(Shells().F13(), Shells().F12());  // L1 vacancies mostly move to L3
}

TEST(TungstenShells, KLinesLandWhereTheFormulaModelsPlaceThem) {
  // Ka2, Ka1, Kb3, Kb1, Kb2 at 58.0, 59.5, 67.0, 67.0, 69.0 keV
  const auto& lines = Shells().Shell(kShellK).lines;
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(NearestGridIndex(lines[0].energy), 116);
  EXPECT_EQ(NearestGridIndex(lines[1].energy), 119);
  EXPECT_EQ(NearestGridIndex(lines[2].energy), 134);
  EXPECT_EQ(NearestGridIndex(lines[3].energy), 134);
  EXPECT_EQ(NearestGridIndex(lines[4].energy), 138);
  EXPECT_GT(lines[1].radiativeRate, lines[0].radiativeRate);  // Ka1 is the strongest line
}

TEST(TungstenShells, PhotoabsorptionSharesStartAtTheEdges) {
  EXPECT_EQ(Shells().PhotoabsorptionShare(kShellK, 138), 0.0);  // 69.0 keV, below the K edge
  EXPECT_GT(Shells().PhotoabsorptionShare(kShellK, 140), 0.7);  // 70 keV: most absorption is in K
  EXPECT_EQ(Shells().PhotoabsorptionShare(kShellL3, 20), 0.0);  // 10 keV, below the L3 edge
  EXPECT_GT(Shells().PhotoabsorptionShare(kShellL3, 22), 0.4);
  EXPECT_EQ(Shells().PhotoabsorptionShare(kShellL1, 23), 0.0);  // 11.5 keV, below the L1 edge
  // above 299.5 keV (no partial cross sections in xraylib) held to 300 keV, then the K shell's share of
  // all photoabsorption kept: 0.555 x (CS_Photo / CS_Total at 500 keV, 0.4326) / (at 300 keV, 0.6688)
  EXPECT_EQ(Shells().PhotoabsorptionShare(kShellK, 600), Shells().PhotoabsorptionShare(kShellK, 599));
  EXPECT_NEAR(Shells().PhotoabsorptionShare(kShellK, 1000), 0.5551 * 0.43262 / 0.66882, 2e-4);
  for (int i = 600; i < 1000; ++i) {
    EXPECT_LE(Shells().PhotoabsorptionShare(kShellK, i + 1), Shells().PhotoabsorptionShare(kShellK, i)) << i;
  }
  EXPECT_REL_NEAR(Shells().PhotoabsorptionShare(kShellL3, 1000) / Shells().PhotoabsorptionShare(kShellK, 1000),
                  Shells().PhotoabsorptionShare(kShellL3, 599) / Shells().PhotoabsorptionShare(kShellK, 599), 2e-3);
}

TEST(TungstenShells, MolybdenumAndRhodiumHaveTheirOwnEdgesLinesAndAttenuation) {
  const TungstenShells& mo = AtomicShellsOf(TargetMaterial::Molybdenum);
  const TungstenShells& rh = AtomicShellsOf(TargetMaterial::Rhodium);
  EXPECT_NEAR(mo.Shell(kShellK).edge, 20.00, 0.01);
  EXPECT_NEAR(rh.Shell(kShellK).edge, 23.22, 0.01);
  // Ka2, Ka1 of molybdenum at 17.37 and 17.48 keV, Kb1 at 19.61 keV; rhodium's Ka1 at 20.22 keV
  ASSERT_GE(mo.Shell(kShellK).lines.size(), 4u);
  EXPECT_NEAR(mo.Shell(kShellK).lines[0].energy, 17.374, 0.002);
  EXPECT_NEAR(mo.Shell(kShellK).lines[1].energy, 17.479, 0.002);
  EXPECT_NEAR(mo.Shell(kShellK).lines[3].energy, 19.607, 0.002);
  EXPECT_NEAR(rh.Shell(kShellK).lines[1].energy, 20.216, 0.002);
  EXPECT_NEAR(mo.Shell(kShellK).fluorescenceYield, 0.767, 0.005);
  // the target's own attenuation: molybdenum's jumps at its K edge (20 keV, grid index 40)
  ASSERT_EQ(mo.Attenuation().size(), static_cast<std::size_t>(kGridSize));
  EXPECT_GT(mo.Attenuation()[41], 5 * mo.Attenuation()[39]);
  EXPECT_NEAR(mo.Attenuation()[40 * 2] / 10.22, 13, 0.5);  // 40 keV: mu/rho about 13 cm2/g
  EXPECT_TRUE(TungstenAtomicShells().Attenuation().empty());  // tungsten's is the attenuation table's
  // electron impact with molybdenum's parameters: zero up to its own K edge
  EXPECT_EQ(ElectronImpactIonisation(TargetMaterial::Molybdenum, kShellK, 19.9), 0.0);
  EXPECT_GT(ElectronImpactIonisation(TargetMaterial::Molybdenum, kShellK, 30), 0.0);
  EXPECT_EQ(ElectronImpactIonisation(TargetMaterial::Tungsten, kShellL3, 30), ElectronImpactIonisation(kShellL3, 30));
}

TEST(TungstenShells, SilverAndGoldHaveTheirOwnEdgesLinesAndAttenuation) {
  // published energies (R. D. Deslattes et al., Rev. Mod. Phys. 75 (2003) 35, as the X-ray Data Booklet
  // gives them): silver's K edge 25.514 keV, Ka2 21.990, Ka1 22.163, Kb1 24.942 keV; gold's L3, L2, L1
  // edges 11.919, 13.734, 14.353 keV, La1 9.713, Lb1 11.443 keV and its K edge 80.725 keV
  const TungstenShells& ag = AtomicShellsOf(TargetMaterial::Silver);
  const TungstenShells& au = AtomicShellsOf(TargetMaterial::Gold);
  EXPECT_NEAR(ag.Shell(kShellK).edge, 25.514, 0.005);
  ASSERT_GE(ag.Shell(kShellK).lines.size(), 4u);
  EXPECT_NEAR(ag.Shell(kShellK).lines[0].energy, 21.990, 0.003);
  EXPECT_NEAR(ag.Shell(kShellK).lines[1].energy, 22.163, 0.003);
  EXPECT_NEAR(ag.Shell(kShellK).lines[3].energy, 24.942, 0.003);
  EXPECT_NEAR(au.Shell(kShellK).edge, 80.725, 0.005);
  EXPECT_NEAR(au.Shell(kShellL3).edge, 11.919, 0.005);
  EXPECT_NEAR(au.Shell(kShellL2).edge, 13.734, 0.005);
  EXPECT_NEAR(au.Shell(kShellL1).edge, 14.353, 0.005);
  bool la1 = false, lb1 = false;
  for (const auto& line : au.Shell(kShellL3).lines) la1 = la1 || std::abs(line.energy - 9.713) < 0.003;
  for (const auto& line : au.Shell(kShellL2).lines) lb1 = lb1 || std::abs(line.energy - 11.443) < 0.003;
  EXPECT_TRUE(la1);
  EXPECT_TRUE(lb1);
  // silver's attenuation jumps at its K edge (grid index 51), gold's at its L3 edge (index 23-24);
  // per cm gold attenuates more than tungsten at 40 keV (index 80): the same density, a higher Z
  ASSERT_EQ(ag.Attenuation().size(), static_cast<std::size_t>(kGridSize));
  ASSERT_EQ(au.Attenuation().size(), static_cast<std::size_t>(kGridSize));
  EXPECT_GT(ag.Attenuation()[52], 5 * ag.Attenuation()[50]);
  EXPECT_GT(au.Attenuation()[24], 2 * au.Attenuation()[23]);
  EXPECT_GT(au.Attenuation()[80], AtomicShellsOf(TargetMaterial::Molybdenum).Attenuation()[80]);
  // electron impact with each target's own parameters: zero up to its own edge
  EXPECT_EQ(ElectronImpactIonisation(TargetMaterial::Silver, kShellK, 25.4), 0.0);
  EXPECT_GT(ElectronImpactIonisation(TargetMaterial::Silver, kShellK, 30), 0.0);
  EXPECT_EQ(ElectronImpactIonisation(TargetMaterial::Gold, kShellK, 50), 0.0);
  EXPECT_GT(ElectronImpactIonisation(TargetMaterial::Gold, kShellL3, 30), 0.0);
  EXPECT_NE(ElectronImpactIonisation(TargetMaterial::Gold, kShellL3, 30), ElectronImpactIonisation(kShellL3, 30));
}

TEST(ElectronImpactIonisation, BoteSalvatValuesForTungsten) {
  // by hand from the formula and the tabulated parameters: K at 100 keV, U = 1.43496, the low-U fit
  const double U = 100.0 / 69.6891, v = 1 / (1 + U);
  const double fit = 0.000384 + 2.8e-5 * U + v * (-0.000585 + v * v * (0.00179 + v * v * -0.00403));
  const double a0 = 5.29177210903e-9;
  EXPECT_REL_NEAR(ElectronImpactIonisation(kShellK, 100), 4 * 3.14159265358979 * a0 * a0 * (U - 1) * (fit / U) * (fit / U),
                  1e-12);
  EXPECT_NEAR(ElectronImpactIonisation(kShellK, 100) / 1e-24, 5.06, 0.01);  // barn
  EXPECT_NEAR(ElectronImpactIonisation(kShellL3, 30) / 1e-24, 799, 1);
}

TEST(ElectronImpactIonisation, ZeroUpToTheEdgeThenRisingAndContinuousBetweenTheFits) {
  EXPECT_EQ(ElectronImpactIonisation(kShellK, 69.0), 0.0);
  EXPECT_EQ(ElectronImpactIonisation(kShellK, 69.6891), 0.0);
  EXPECT_GT(ElectronImpactIonisation(kShellK, 80), 0.0);
  EXPECT_LT(ElectronImpactIonisation(kShellK, 80), ElectronImpactIonisation(kShellK, 150));
  EXPECT_EQ(ElectronImpactIonisation(kShellL1, 12.0), 0.0);
  // L3 has four electrons against two in L1 and L2
  EXPECT_GT(ElectronImpactIonisation(kShellL3, 30), ElectronImpactIonisation(kShellL2, 30));
  EXPECT_GT(ElectronImpactIonisation(kShellL2, 30), ElectronImpactIonisation(kShellL1, 30));
  // the high-energy fit takes over at U = 16 with a step below 1 %
  for (const AtomicShell shell : {kShellL1, kShellL2, kShellL3}) {
    const double edges[] = {69.6891, 12.077, 11.5735, 10.2052};
    const double at = 16 * edges[shell];
    EXPECT_REL_NEAR(ElectronImpactIonisation(shell, at * (1 + 1e-9)), ElectronImpactIonisation(shell, at * (1 - 1e-9)),
                    1e-2);
  }
}

}  // namespace
}  // namespace kestrix
