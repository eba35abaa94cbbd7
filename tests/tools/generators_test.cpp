// Rerunning the generators reproduces the delivered files byte for byte; bad
// arguments and bad input fail loudly and leave existing files alone.

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;

using kestrix::test::Quoted;
using kestrix::test::ReadBytes;
using kestrix::test::WriteBytes;

// Exit status of a command line, its output discarded.
int ExitStatus(const std::string& commandLine) {
  const int status = std::system((commandLine + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class GeneratorRun : public ::testing::Test {
 protected:
  std::vector<std::string> FileNames(const fs::path& folder, bool materialsOnly) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::string extension = entry.path().extension().string();
      const std::string name = entry.path().filename().string();
      if (!materialsOnly || extension == ".ele" || extension == ".mix" || name == "DetectorFluorescence.tsv") {
        names.push_back(name);
      }
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  kestrix::test::ScratchFolder scratch_;
  const fs::path folder_ = scratch_.path();
  const std::string airTable_ = KESTRIX_TOOLS_SOURCE "/nist_air_dry.tsv";
};

TEST_F(GeneratorRun, AttenuationTableIsReproducedByteForByte) {
  const fs::path output = folder_ / "MUs_202202.data";
  ASSERT_EQ(ExitStatus(Quoted(GENERATE_ATTENUATION_TABLE) + " " + Quoted(output.string()) + " " + Quoted(airTable_)), 0);
  EXPECT_TRUE(ReadBytes(output) == ReadBytes(fs::path(KESTRIX_DELIVERED_DATA) / "MUs_202202.data"));
  EXPECT_EQ(FileNames(folder_, false), std::vector<std::string>{"MUs_202202.data"}) << "temporary file left";
}

TEST_F(GeneratorRun, MaterialFilesAreReproducedByteForByte) {
  ASSERT_EQ(ExitStatus(Quoted(GENERATE_MATERIALS) + " " + Quoted(folder_.string())), 0);
  const std::vector<std::string> generated = FileNames(folder_, false);
  ASSERT_EQ(generated, FileNames(KESTRIX_DELIVERED_DATA, true));
  for (const std::string& name : generated) {
    EXPECT_TRUE(ReadBytes(folder_ / name) == ReadBytes(fs::path(KESTRIX_DELIVERED_DATA) / name)) << name;
  }
}

TEST_F(GeneratorRun, BadInputFailsAndLeavesTheOldTableInPlace) {
  const fs::path output = folder_ / "MUs_202202.data";
  WriteBytes(output, "old table\r\n");
  const std::string generator = Quoted(GENERATE_ATTENUATION_TABLE) + " " + Quoted(output.string()) + " ";

  EXPECT_EQ(ExitStatus(generator + Quoted((folder_ / "missing.tsv").string())), 1);
  const fs::path garbled = folder_ / "garbled.tsv";
  WriteBytes(garbled, "# energy mu mu_en\n1.0E-03 3.6E+03 3.6E+03\n2.0E-03 5.3E+02 oops\n");
  EXPECT_EQ(ExitStatus(generator + Quoted(garbled.string())), 1);
  const fs::path unordered = folder_ / "unordered.tsv";
  WriteBytes(unordered, "2.0E-03 5.3E+02 5.3E+02\n1.0E-03 3.6E+03 3.6E+03\n");
  EXPECT_EQ(ExitStatus(generator + Quoted(unordered.string())), 1);
  EXPECT_EQ(ExitStatus(Quoted(GENERATE_ATTENUATION_TABLE) + " " + Quoted(output.string())), 2) << "missing argument";

  EXPECT_EQ(ReadBytes(output), "old table\r\n");
  EXPECT_EQ(FileNames(folder_, false),
            (std::vector<std::string>{"MUs_202202.data", "garbled.tsv", "unordered.tsv"}));
}

TEST_F(GeneratorRun, UnwritableOutputFailsLoudly) {
  EXPECT_EQ(ExitStatus(Quoted(GENERATE_ATTENUATION_TABLE) + " " + Quoted((folder_ / "no" / "such" / "t.data").string()) +
                " " + Quoted(airTable_)),
            1);
  EXPECT_EQ(ExitStatus(Quoted(GENERATE_MATERIALS) + " " + Quoted((folder_ / "no-such-folder").string())), 1);
  EXPECT_EQ(ExitStatus(Quoted(GENERATE_MATERIALS)), 2) << "missing argument";
  EXPECT_TRUE(FileNames(folder_, false).empty());
}

}  // namespace
