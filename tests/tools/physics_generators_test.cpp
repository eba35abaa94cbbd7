// The physics model's generators: the line data are reproduced byte for byte; the electron Monte Carlo
// is reproducible (a small run twice gives the same file) and writes the layout the library reads.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
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

/// the first line of a file that is not a comment
std::string FirstDataLine(const fs::path& path) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] != '#') return line;
  }
  return "";
}

TEST(PhysicsGenerators, TungstenLinesAreReproducedByteForByte) {
  kestrix::test::ScratchFolder scratch;
  const fs::path output = scratch.path() / "tungsten_lines.txt";
  ASSERT_EQ(ExitStatus(Quoted(GENERATE_TUNGSTEN_LINES) + " " + Quoted(output.string())), 0);
  EXPECT_TRUE(ReadBytes(output) == ReadBytes(fs::path(KESTRIX_DELIVERED_DATA) / "physics" / "tungsten_lines.txt"));
}

TEST(PhysicsGenerators, EveryOtherTargetsLinesAreReproducedByteForByte) {
  kestrix::test::ScratchFolder scratch;
  for (const auto& [symbol, file] : {std::pair{"Mo", "molybdenum_lines.txt"}, std::pair{"Rh", "rhodium_lines.txt"},
                                     std::pair{"Ag", "silver_lines.txt"}, std::pair{"Au", "gold_lines.txt"}}) {
    const fs::path output = scratch.path() / file;
    ASSERT_EQ(ExitStatus(Quoted(GENERATE_TUNGSTEN_LINES) + " " + Quoted(output.string()) + " " + symbol), 0) << symbol;
    EXPECT_TRUE(ReadBytes(output) == ReadBytes(fs::path(KESTRIX_DELIVERED_DATA) / "physics" / file)) << symbol;
  }
  // an unknown target is refused and writes nothing
  const fs::path refused = scratch.path() / "copper_lines.txt";
  EXPECT_EQ(ExitStatus(Quoted(GENERATE_TUNGSTEN_LINES) + " " + Quoted(refused.string()) + " Cu"), 2);
  EXPECT_FALSE(fs::exists(refused));
}

TEST(PhysicsGenerators, ElectronMonteCarloIsReproducibleAndWritesTheDeliveredLayout) {
  kestrix::test::ScratchFolder scratch;
  const fs::path first = scratch.path() / "first.txt", second = scratch.path() / "second.txt";
  ASSERT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(first.string()) + " 40"), 0);
  ASSERT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(second.string()) + " 40"), 0);
  EXPECT_TRUE(ReadBytes(first) == ReadBytes(second));
  EXPECT_EQ(FirstDataLine(first),
            FirstDataLine(fs::path(KESTRIX_DELIVERED_DATA) / "physics" / "electron_penetration_W.txt"));
  EXPECT_FALSE(fs::exists(scratch.path() / "first.txt.tmp"));
}

TEST(PhysicsGenerators, ElectronMonteCarloOptionsChangeThePhysicsButNotTheLayout) {
  kestrix::test::ScratchFolder scratch;
  const fs::path plain = scratch.path() / "plain.txt", first = scratch.path() / "first.txt",
                 second = scratch.path() / "second.txt";
  ASSERT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(plain.string()) + " 40"), 0);
  ASSERT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(first.string()) + " 40 --straggling --mott"), 0);
  ASSERT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " --mott " + Quoted(second.string()) + " --straggling 40"), 0);
  EXPECT_TRUE(ReadBytes(first) == ReadBytes(second));
  EXPECT_FALSE(ReadBytes(first) == ReadBytes(plain));
  EXPECT_EQ(FirstDataLine(first), FirstDataLine(plain));
  const std::string text = ReadBytes(first);
  EXPECT_NE(text.find("times Mott's ratio"), std::string::npos);
  EXPECT_NE(text.find("hard collisions above 1 keV"), std::string::npos);
  // the partial-wave elastic cross section (tabulated here only up to the one node)
  const fs::path waves = scratch.path() / "waves.txt";
  ASSERT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(waves.string()) + " 40 --partial-waves --nodes 30"), 0);
  EXPECT_NE(ReadBytes(waves).find("Dirac partial waves"), std::string::npos);
  EXPECT_NE(ReadBytes(waves).find("OUTPUT 40 --partial-waves --nodes 30 (seed"), std::string::npos);
  // the bound shells, with and without the straggling of the soft loss, in one order in the file
  const fs::path bound = scratch.path() / "bound.txt", soft = scratch.path() / "soft.txt";
  ASSERT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(bound.string()) + " 40 --shell-binding --straggling --nodes 30"), 0);
  ASSERT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(soft.string()) +
                       " 40 --soft-straggling --straggling --shell-binding --nodes 30"), 0);
  EXPECT_NE(ReadBytes(bound).find("OUTPUT 40 --straggling --shell-binding --nodes 30 (seed"), std::string::npos);
  EXPECT_NE(ReadBytes(bound).find("bound shells"), std::string::npos);
  EXPECT_NE(ReadBytes(soft).find("OUTPUT 40 --straggling --shell-binding --soft-straggling --nodes 30 (seed"),
            std::string::npos);
  EXPECT_FALSE(ReadBytes(bound) == ReadBytes(soft));
  EXPECT_EQ(FirstDataLine(bound), FirstDataLine(soft));
}

/// the backscattered fraction the Monte Carlo wrote for the node T0 (-1 when absent)
double BackscatterOf(const fs::path& path, const std::string& T0) {
  std::ifstream in(path);
  std::string line;
  const std::string key = "# T0 = " + T0 + " keV: backscattered fraction ";
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) == 0) return std::stod(line.substr(key.size()));
  }
  return -1;
}

TEST(PhysicsGenerators, ElectronMonteCarloTakesItsNodesAndSeedAndNamesThemInTheFile) {
  kestrix::test::ScratchFolder scratch;
  const fs::path first = scratch.path() / "first.txt", second = scratch.path() / "second.txt";
  ASSERT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(first.string()) + " 40 --nodes 250,400,500"), 0);
  ASSERT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(second.string()) + " 40 --nodes 250,400,500 --seed 7"), 0);
  EXPECT_EQ(FirstDataLine(first), "3 24 32 8 0.6");
  EXPECT_FALSE(ReadBytes(first) == ReadBytes(second));
  EXPECT_NE(ReadBytes(first).find("# Made by: electron_transport OUTPUT 40 --nodes 250,400,500 (seed 20260105"),
            std::string::npos);
  EXPECT_NE(ReadBytes(second).find("--nodes 250,400,500 --seed 7 (seed 7,"), std::string::npos);
  // the file holds the node line and 3 x 24 x 32 x 8 non-negative numbers
  std::ifstream in(first);
  std::string line;
  std::vector<double> numbers;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream items(line);
    double x;
    while (items >> x) numbers.push_back(x);
  }
  ASSERT_EQ(numbers.size(), 5u + 3u + 3u * 24 * 32 * 8);
  EXPECT_EQ(numbers[5], 250);
  EXPECT_EQ(numbers[7], 500);
  for (std::size_t k = 8; k < numbers.size(); ++k) ASSERT_GE(numbers[k], 0.0);
}

TEST(PhysicsGenerators, MoliereCoulombScreeningLetsFewerElectronsBackOut) {
  // the Coulomb correction widens the screening angle roughly fivefold at 30 keV in tungsten and so
  // thins large-angle scattering: about 0.43 of the electrons come back instead of 0.51
  kestrix::test::ScratchFolder scratch;
  const fs::path plain = scratch.path() / "plain.txt", corrected = scratch.path() / "corrected.txt";
  ASSERT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(plain.string()) + " 1500 --nodes 30"), 0);
  ASSERT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(corrected.string()) +
                       " 1500 --nodes 30 --coulomb-screening"),
            0);
  const double plainBack = BackscatterOf(plain, "30"), correctedBack = BackscatterOf(corrected, "30");
  EXPECT_GT(plainBack, 0.46);
  EXPECT_LT(plainBack, 0.56);
  EXPECT_LT(correctedBack, plainBack - 0.04);
  EXPECT_NE(ReadBytes(corrected).find("Moliere's Coulomb-corrected screening"), std::string::npos);
}

TEST(PhysicsGenerators, DeliveredHighEnergyTungstenTableHasTheLayoutAndSaysHowItWasMade) {
  const fs::path path = fs::path(KESTRIX_DELIVERED_DATA) / "physics" / "electron_penetration_W_high.txt";
  const std::string text = ReadBytes(path);
  EXPECT_NE(text.find("# Made by: electron_transport OUTPUT "), std::string::npos);
  EXPECT_NE(text.find("(seed "), std::string::npos);
  std::ifstream in(path);
  std::string line;
  std::vector<double> numbers;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream items(line);
    double x;
    while (items >> x) numbers.push_back(x);
  }
  ASSERT_GE(numbers.size(), 5u);
  const auto nodes = static_cast<std::size_t>(numbers[0]);
  ASSERT_EQ(numbers.size(), 5 + nodes + nodes * 24 * 32 * 8);
  EXPECT_EQ(numbers[1], 24);
  EXPECT_EQ(numbers[4], 0.6);
  EXPECT_EQ(numbers[5], 250);  // the overlap with the PENELOPE table for a join
  EXPECT_EQ(numbers[6], 300);
  EXPECT_EQ(numbers[4 + nodes], 500);
  for (std::size_t n = 0; n < nodes; ++n) {
    // per incident electron the track is below the CSDA range (backscatter takes about a third)
    double total = 0;
    for (std::size_t k = 0; k < 24 * 32 * 8; ++k) total += numbers[5 + nodes + n * 24 * 32 * 8 + k];
    EXPECT_GT(total, 0.6) << "node " << n;
    EXPECT_LT(total, 0.8) << "node " << n;
  }
}

TEST(PhysicsGenerators, ElectronMonteCarloRefusesABadElectronCountOrOption) {
  kestrix::test::ScratchFolder scratch;
  const fs::path output = scratch.path() / "out.txt";
  EXPECT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(output.string()) + " none"), 2);
  EXPECT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(output.string()) + " 40 --oblique"), 2);
  EXPECT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(output.string()) + " 40 50"), 2);
  EXPECT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT)), 2);
  // the nodes must rise and lie in 2-700 keV; the seed must be a whole number
  for (const char* bad : {" 40 --nodes", " 40 --nodes 300,250", " 40 --nodes 300,300", " 40 --nodes 1,30",
                          " 40 --nodes 30,800", " 40 --nodes 30,,50", " 40 --nodes 30,abc", " 40 --seed",
                          " 40 --seed -1", " 40 --seed 1.5", " 40 --partial-waves --mott",
                          " 40 --partial-waves --coulomb-screening", " 40 --shell-binding",
                          " 40 --straggling --soft-straggling"}) {
    EXPECT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(output.string()) + bad), 2) << bad;
  }
  EXPECT_FALSE(fs::exists(output));
}

}  // namespace
