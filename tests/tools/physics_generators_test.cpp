// The physics model's generators: the line data are reproduced byte for byte; the electron Monte Carlo
// is reproducible (a small run twice gives the same file) and writes the layout the library reads.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

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
}

TEST(PhysicsGenerators, ElectronMonteCarloRefusesABadElectronCountOrOption) {
  kestrix::test::ScratchFolder scratch;
  const fs::path output = scratch.path() / "out.txt";
  EXPECT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(output.string()) + " none"), 2);
  EXPECT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(output.string()) + " 40 --oblique"), 2);
  EXPECT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT) + " " + Quoted(output.string()) + " 40 50"), 2);
  EXPECT_EQ(ExitStatus(Quoted(ELECTRON_TRANSPORT)), 2);
  EXPECT_FALSE(fs::exists(output));
}

}  // namespace
