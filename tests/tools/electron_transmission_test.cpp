// The electron Monte Carlo's transmission geometry (electron_transport --transmission): a tungsten
// layer on a semi-infinite window. Its table's layout, the thick limit (the layer's tally is the
// reflection table), the energy bookkeeping, the backscatter of the bare windows against measured
// values, the electrons passing a layer against Tabata's transmission curve, and the refusal of bad
// input. Small electron counts and the screened Rutherford elastic scattering keep the runs short.

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;

using kestrix::test::Quoted;
using kestrix::test::ReadBytes;

int ExitStatus(const std::string& commandLine) {
  const int status = std::system((commandLine + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/// runs the Monte Carlo with `arguments` after the output file; its exit status
int RunMonteCarlo(const fs::path& output, const std::string& arguments) {
  return ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(output.string()) + " " + arguments);
}

/// every number of a table, comments skipped
std::vector<double> Numbers(const fs::path& path) {
  std::ifstream in(path);
  std::string line;
  std::vector<double> numbers;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream items(line);
    double x;
    while (items >> x) numbers.push_back(x);
  }
  return numbers;
}

/// the value after `key` in the n-th block comment ("# T0 = ...") of a transmission table
double BlockValue(const fs::path& path, int block, const std::string& key) {
  std::ifstream in(path);
  std::string line;
  int seen = -1;
  while (std::getline(in, line)) {
    if (line.rfind("# T0 = ", 0) != 0) continue;
    if (++seen != block) continue;
    const std::size_t at = line.find(key);
    if (at == std::string::npos) return -1;
    return std::stod(line.substr(at + key.size()));
  }
  return -1;
}

constexpr int kEnergyCells = 32, kDirectionCells = 8, kLayerCells = 6, kWindowCells = 2;
constexpr std::size_t kLayerValues = kLayerCells * kEnergyCells * kDirectionCells;
constexpr std::size_t kWindowValues = kWindowCells * kEnergyCells * kDirectionCells;
constexpr std::size_t kBlockValues = 3 + kLayerValues + kWindowValues;

/// one block of a transmission table: its three figures and the track of the layer and the window
struct Block {
  double backscattered, intoWindow, layerEnergy;
  std::vector<double> layer, window;
  double LayerTrack() const {
    double sum = 0;
    for (const double x : layer) sum += x;
    return sum;
  }
  double WindowTrack() const {
    double sum = 0;
    for (const double x : window) sum += x;
    return sum;
  }
};

/// the blocks of a transmission table, T0 outer, tau inner; empty when the layout is not the agreed one
std::vector<Block> Blocks(const fs::path& path) {
  const std::vector<double> n = Numbers(path);
  if (n.size() < 7 || n[2] != kLayerCells || n[3] != kEnergyCells || n[4] != kDirectionCells || n[5] != kWindowCells ||
      n[6] != 1.0)
    return {};
  const std::size_t nodes = static_cast<std::size_t>(n[0]), thicknesses = static_cast<std::size_t>(n[1]);
  const std::size_t first = 7 + nodes + thicknesses;
  if (n.size() != first + nodes * thicknesses * kBlockValues) return {};
  std::vector<Block> blocks;
  for (std::size_t b = 0; b < nodes * thicknesses; ++b) {
    const auto at = n.begin() + static_cast<std::ptrdiff_t>(first + b * kBlockValues);
    blocks.push_back({at[0], at[1], at[2], std::vector<double>(at + 3, at + 3 + kLayerValues),
                      std::vector<double>(at + 3 + kLayerValues, at + kBlockValues)});
  }
  return blocks;
}

TEST(ElectronTransmission, WritesTheAgreedLayoutReproduciblyAndNamesHowItWasMade) {
  kestrix::test::ScratchFolder scratch;
  const fs::path first = scratch / "first.txt", second = scratch / "second.txt";
  const std::string arguments = "30 --straggling --transmission Be --thicknesses 0.01,0.2 --nodes 20,50";
  ASSERT_EQ(RunMonteCarlo(first, arguments), 0);
  ASSERT_EQ(RunMonteCarlo(second, arguments), 0);
  EXPECT_TRUE(ReadBytes(first) == ReadBytes(second));
  const std::vector<double> n = Numbers(first);
  ASSERT_GE(n.size(), 11u);
  EXPECT_EQ(std::vector<double>(n.begin(), n.begin() + 11), (std::vector<double>{2, 2, 6, 32, 8, 2, 1, 20, 50, 0.01, 0.2}));
  const std::vector<Block> blocks = Blocks(first);
  ASSERT_EQ(blocks.size(), 4u);
  for (const Block& block : blocks) {
    for (const double x : block.layer) ASSERT_GE(x, 0.0);
    for (const double x : block.window) ASSERT_GE(x, 0.0);
    EXPECT_GE(block.backscattered, 0.0);
    EXPECT_LE(block.intoWindow, 1.0);
  }
  const std::string text = ReadBytes(first);
  EXPECT_NE(text.find("# Made by: electron_transport OUTPUT 30 --straggling --transmission Be --thicknesses 0.01,0.2 "
                      "--nodes 20,50 (seed 20260105, std::mt19937_64)."),
            std::string::npos);
  EXPECT_NE(text.find("# T0 = 50 keV, t/R = 0.2: "), std::string::npos);
  EXPECT_NE(text.find("on a window of Be filling z >= t (Z = 4, 1.848 g/cm3, I = 63.7 eV)"), std::string::npos);
  EXPECT_FALSE(fs::exists(scratch / "first.txt.tmp"));
  // another seed, other numbers
  ASSERT_EQ(RunMonteCarlo(second, arguments + " --seed 3"), 0);
  EXPECT_FALSE(ReadBytes(first) == ReadBytes(second));
}

TEST(ElectronTransmission, AThickLayerIsTheReflectionTarget) {
  // tau = 1.5: no electron reaches the window, and the layer's tally is the reflection table's
  // (another random sequence: equal within the noise of 2500 electrons)
  kestrix::test::ScratchFolder scratch;
  const fs::path thick = scratch / "thick.txt", reflection = scratch / "reflection.txt";
  ASSERT_EQ(RunMonteCarlo(thick, "2500 --straggling --transmission Al --thicknesses 1.5 --nodes 30"), 0);
  ASSERT_EQ(RunMonteCarlo(reflection, "2500 --straggling --nodes 30"), 0);
  const std::vector<Block> blocks = Blocks(thick);
  ASSERT_EQ(blocks.size(), 1u);
  const Block& layer = blocks[0];
  EXPECT_EQ(layer.intoWindow, 0.0);
  EXPECT_EQ(layer.WindowTrack(), 0.0);
  // the reflection table: 24 depth cells of 0.025 R
  const std::vector<double> r = Numbers(reflection);
  ASSERT_EQ(r.size(), 6u + 24 * 32 * 8);
  double total = 0, moment = 0, firstQuarter = 0, secondQuarter = 0;
  for (int j = 0; j < 24; ++j) {
    for (int k = 0; k < 32 * 8; ++k) {
      const double x = r[6 + j * 256 + k];
      total += x;
      moment += x * (j + 0.5) * 0.025;
      if (j < 10) firstQuarter += x;
      else if (j < 20) secondQuarter += x;
    }
  }
  // the layer's cells are 1.5 / 6 = 0.25 R deep
  double layerFirst = 0, layerSecond = 0;
  for (std::size_t k = 0; k < 256; ++k) {
    layerFirst += layer.layer[k];
    layerSecond += layer.layer[256 + k];
  }
  EXPECT_NEAR(layer.LayerTrack() / total, 1.0, 0.03);
  EXPECT_NEAR(layerFirst / firstQuarter, 1.0, 0.03);
  EXPECT_NEAR(layerSecond / secondQuarter, 1.0, 0.08);
  EXPECT_NEAR(BlockValue(thick, 0, "its mean depth ") / (moment / total), 1.0, 0.04);
  std::ifstream in(reflection);
  std::string line;
  double backscattered = -1;
  const std::string key = "# T0 = 30 keV: backscattered fraction ";
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) backscattered = std::stod(line.substr(key.size()));
  // 2500 electrons: each fraction within 0.010, their difference within 0.014 (1 sigma)
  EXPECT_NEAR(layer.backscattered, backscattered, 0.045);
}

TEST(ElectronTransmission, EveryElectronsEnergyIsAccountedFor) {
  // deposited in the layer and the window, carried out backwards and radiated add up to T0 (per
  // electron, so to the rounding of the file), with a thin layer where every part counts
  kestrix::test::ScratchFolder scratch;
  const fs::path thin = scratch / "thin.txt";
  ASSERT_EQ(RunMonteCarlo(thin, "400 --straggling --transmission diamond --thicknesses 0.05,0.2 --nodes 30,150"), 0);
  for (int block = 0; block < 4; ++block) {
    const double layer = BlockValue(thin, block, "deposited in the layer ");
    const double window = BlockValue(thin, block, "in the window ");
    const double out = BlockValue(thin, block, "carried out through z = 0 ");
    const double radiated = BlockValue(thin, block, "radiated ");
    EXPECT_NEAR(layer + window + out + radiated, 1.0, 3e-5) << block;
    EXPECT_NEAR(BlockValue(thin, block, "sum "), 1.0, 1e-6) << block;
    EXPECT_GT(layer, 0.05) << block;
    EXPECT_GT(window, 0.05) << block;
    EXPECT_GT(out, 0.05) << block;
    EXPECT_GT(radiated, 0.0) << block;
    EXPECT_LT(radiated, 0.01) << block;
    EXPECT_NEAR(Blocks(thin)[block].layerEnergy, layer, 1e-5) << block;
  }
}

TEST(ElectronTransmission, BareWindowsBackscatterAsMeasured) {
  // a layer of 1e-4 R leaves the window alone; normal incidence at 20-100 keV, published values:
  // carbon about 0.06-0.07, aluminium about 0.13-0.15, beryllium below carbon (the empirical formula
  // of H.-J. Hunger and L. Kuechler, Phys. Status Solidi A 56 (1979) K45, for 4-40 keV: 0.058, 0.152
  // and 0.034 at 20 keV). The screened Rutherford cross section with Z(Z + 1) of these runs gives
  // 0.057-0.064, 0.16-0.17 and 0.035-0.038 at 20-30 keV. 1500 electrons: 0.007 noise
  kestrix::test::ScratchFolder scratch;
  const fs::path carbon = scratch / "c.txt", aluminium = scratch / "al.txt", beryllium = scratch / "be.txt";
  const std::string geometry = " --thicknesses 0.0001 --nodes 30,100";
  ASSERT_EQ(RunMonteCarlo(carbon, "1500 --straggling --transmission diamond" + geometry), 0);
  ASSERT_EQ(RunMonteCarlo(aluminium, "1500 --straggling --transmission Al" + geometry), 0);
  ASSERT_EQ(RunMonteCarlo(beryllium, "1500 --straggling --transmission Be" + geometry), 0);
  for (int node = 0; node < 2; ++node) {
    const Block c = Blocks(carbon)[node], al = Blocks(aluminium)[node], be = Blocks(beryllium)[node];
    EXPECT_NEAR(c.backscattered, 0.065, 0.025) << node;
    EXPECT_NEAR(al.backscattered, 0.14, 0.03) << node;
    EXPECT_LT(be.backscattered, c.backscattered) << node;
    EXPECT_GT(be.backscattered, 0.01) << node;
    EXPECT_GT(c.intoWindow, 0.995);  // now and then one turns back within the 1e-4 R of tungsten
    EXPECT_LT(c.layerEnergy, 1e-3);
  }
}

/// the extrapolated range of electrons of T0 [keV] over their CSDA range in the element Z: the
/// empirical formula of T. Tabata, V. Moskvin, P. Andreo, V. Lazurik and Y. Rogov, Radiat. Phys. Chem.
/// 64 (2002) 161, eqs. 8-14 with the coefficients of their table 2 (10 keV - 50 MeV) [1]
double TabataExtrapolatedOverCsda(double T0, double Z) {
  constexpr double b[16] = {0,     0.2946, 0.2740, 18.4,  3.457, 1.377,  6.59,   2.414,
                            1.094, 0.05242, 0.3709, 0.958, 2.02,  1.099, 0.2808, 0.2042};
  const double t0 = T0 / 510.99895, L = std::log(Z);
  const double a1 = b[1] * std::pow(Z, b[2]), a2 = b[3] * std::pow(Z, -b[4] + b[5] * L);
  const double a3 = b[6] * std::pow(Z, -b[7] + b[8] * L), a4 = b[9] * std::pow(Z, b[10]);
  const double a5 = b[11] * std::pow(Z, -b[12] + b[13] * L), a6 = b[14] * std::pow(Z, b[15]);
  return 1.0 / (a1 + a2 / (1.0 + a3 / std::pow(t0, a4) + a5 * std::pow(t0, a6)));
}

TEST(ElectronTransmission, ThickerLayersPassFewerElectronsAsTabatasTransmissionCurveSays) {
  // the fraction of the electrons reaching the window (passing the layer, as through a free foil)
  // falls from 1 to nearly 0 between a bare window and 0.8 R of tungsten; its straight middle part,
  // extrapolated to zero, reaches Tabata's extrapolated range (0.275 R at 30 keV; the curve 0.05-0.2 R
  // fitted by a line). The backscatter rises to the thick target's and the layer keeps more energy and
  // track; from 0.4 to 0.8 R (2 % of the electrons reach 0.4 R) they change within the noise of 1500
  // electrons (0.009 R of track, 0.013 of backscatter)
  EXPECT_NEAR(TabataExtrapolatedOverCsda(30.0, 74.0), 0.275, 0.001);
  EXPECT_NEAR(TabataExtrapolatedOverCsda(300.0, 6.0), 0.882, 0.001);
  kestrix::test::ScratchFolder scratch;
  const fs::path run = scratch / "run.txt";
  const std::vector<double> taus{0.0001, 0.05, 0.1, 0.15, 0.2, 0.4, 0.8};
  ASSERT_EQ(RunMonteCarlo(run, "1500 --straggling --transmission diamond --thicknesses 0.0001,0.05,0.1,0.15,0.2,0.4,0.8 "
                               "--nodes 30"), 0);
  const std::vector<Block> blocks = Blocks(run);
  ASSERT_EQ(blocks.size(), taus.size());
  EXPECT_GT(blocks[0].intoWindow, 0.995);
  EXPECT_LT(blocks.back().intoWindow, 0.005);
  EXPECT_GT(blocks.back().backscattered, 0.4);
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (std::size_t b = 1; b <= 4; ++b) {
    sx += taus[b], sy += blocks[b].intoWindow, sxx += taus[b] * taus[b], sxy += taus[b] * blocks[b].intoWindow;
  }
  const double slope = (4 * sxy - sx * sy) / (4 * sxx - sx * sx), intercept = (sy - slope * sx) / 4;
  EXPECT_NEAR(-intercept / slope / TabataExtrapolatedOverCsda(30.0, 74.0), 1.0, 0.1);
  for (std::size_t b = 1; b < blocks.size(); ++b) {
    EXPECT_LE(blocks[b].intoWindow, blocks[b - 1].intoWindow) << b;
    EXPECT_LT(blocks[b].WindowTrack(), blocks[b - 1].WindowTrack() + 0.01) << b;
    if (b == blocks.size() - 1) {
      EXPECT_NEAR(blocks[b].backscattered, blocks[b - 1].backscattered, 0.05);
      EXPECT_NEAR(blocks[b].LayerTrack(), blocks[b - 1].LayerTrack(), 0.03);
      EXPECT_NEAR(blocks[b].layerEnergy, blocks[b - 1].layerEnergy, 0.03);
      continue;
    }
    // the backscatter is complete by 0.2 R, 0.4 R is within its noise
    if (b < 5) EXPECT_GT(blocks[b].backscattered, blocks[b - 1].backscattered) << b;
    else EXPECT_NEAR(blocks[b].backscattered, blocks[b - 1].backscattered, 0.05) << b;
    EXPECT_GT(blocks[b].layerEnergy, blocks[b - 1].layerEnergy) << b;
    EXPECT_GT(blocks[b].LayerTrack(), blocks[b - 1].LayerTrack()) << b;
  }
}

TEST(ElectronTransmission, RefusesBadWindowsThicknessesAndCombinationsAndWritesNothing) {
  kestrix::test::ScratchFolder scratch;
  const fs::path output = scratch / "refused.txt";
  for (const std::string bad :
       {"10 --transmission Cu", "10 --transmission", "10 --transmission Be --thicknesses 0.2,0.1",
        "10 --transmission Be --thicknesses 0", "10 --transmission Be --thicknesses -0.1",
        "10 --transmission Be --thicknesses 0.1,", "10 --transmission Be --thicknesses 20",
        "10 --transmission Be --thicknesses abc", "10 --thicknesses 0.1", "10 --transmission Al --mott",
        "10 --transmission Al --coulomb-screening"}) {
    EXPECT_EQ(RunMonteCarlo(output, bad), 2) << bad;
    EXPECT_FALSE(fs::exists(output)) << bad;
  }
}

}  // namespace
