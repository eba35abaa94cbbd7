// One engine run on the files of a folder: the result file, and every failure leaving it untouched.

#include "quillon_run.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "engine_table.h"
#include "engine_test_files.h"
#include "file_system.h"

namespace kestrix {
namespace {

using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

std::string SpectrumFile(const ExchangeSpectrum& spectrum) {
  std::ostringstream out;
  WriteSpectrumExchange(out, spectrum);
  return out.str();
}

class RunEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(folder_ / kEngineTableFile, test::TableText());
    WriteBytes(folder_ / kSpectrumExchangeFile, SpectrumFile(test::SmoothSpectrum(120.0)));
  }

  // Runs the engine expecting a failure whose message holds every part of expected; the earlier
  // result file must survive byte for byte and no temporary file may be left behind.
  void ExpectFailure(std::initializer_list<std::string> expected) {
    const std::string earlier = " 1.111\r\n 22.22\r\n 0.333\r\n 44.44\r\n     5555555555.\r\n";
    WriteBytes(folder_ / kResultFile, earlier);
    const int entries = folder_.EntryCount();
    try {
      RunEngine(folder_.path().string());
      ADD_FAILURE() << "the run succeeded";
    } catch (const std::exception& error) {
      for (const std::string& part : expected) EXPECT_NE(std::string(error.what()).find(part), std::string::npos) << error.what();
    }
    EXPECT_EQ(ReadBytes(folder_ / kResultFile), earlier);
    EXPECT_EQ(folder_.EntryCount(), entries);
  }

  ScratchFolder folder_;
};

TEST_F(RunEngineTest, WritesTheFiveResultLines) {
  const EngineResults results = RunEngine(folder_.path().string());
  const std::string file = ReadBytes(folder_ / kResultFile);
  EXPECT_EQ(file.size(), 49u);
  std::ostringstream expected;
  WriteResultFile(expected, results);
  EXPECT_EQ(file, expected.str());
  ASSERT_TRUE(results.hvlAlMm && results.hvlCuMm && results.photonsPerMm2PerCkg);
  EXPECT_EQ(folder_.EntryCount(), 3);
}

// Saves of the pair killed before their renames left temporary files; the next run removes them.
TEST_F(RunEngineTest, RemovesTheTemporariesOfKilledSaves) {
  WriteBytes(folder_ / "HVL_S2.temp.tmp421", " 1.111\r\n");
  WriteBytes(folder_ / "B_SPCTL.temp.tmp77", "0000.5, 0.00000\r\n");
  RunEngine(folder_.path().string());
  EXPECT_EQ(folder_.EntryCount(), 3);
}

// A flat spectrum written as 1.00E-45 (below single precision's normal range) weighs as 1.00000 does.
TEST_F(RunEngineTest, TinyValuesInTheSpectrumFileGiveTheLayersOfTheirShape) {
  const auto flat = [](const char* value) {
    std::string text;
    char row[32];
    for (int i = 1; i <= kExchangeRows; ++i) {
      std::snprintf(row, sizeof row, "%06.1f,%8s\r\n", 0.5 * i, i <= 300 ? value : " 0.00000");
      text += row;
    }
    return text;
  };
  WriteBytes(folder_ / kSpectrumExchangeFile, flat(" 1.00000"));
  const EngineResults ones = RunEngine(folder_.path().string());
  WriteBytes(folder_ / kSpectrumExchangeFile, flat("1.00E-45"));
  const EngineResults tiny = RunEngine(folder_.path().string());
  ASSERT_TRUE(ones.hvlAlMm && tiny.hvlAlMm && ones.hvlCuMm && tiny.hvlCuMm);
  EXPECT_NEAR(*tiny.hvlAlMm, *ones.hvlAlMm, 1e-5 * *ones.hvlAlMm);
  EXPECT_NEAR(*tiny.hvlCuMm, *ones.hvlCuMm, 1e-5 * *ones.hvlCuMm);
}

TEST_F(RunEngineTest, MissingTableNamesIt) {
  std::filesystem::remove(folder_ / kEngineTableFile);
  ExpectFailure({"MUs_202202.data", "No such file"});
}

TEST_F(RunEngineTest, MissingSpectrumNamesIt) {
  std::filesystem::remove(folder_ / kSpectrumExchangeFile);
  ExpectFailure({"B_SPCTL.temp", "No such file"});
}

TEST_F(RunEngineTest, ShortTableNamesItsLastLine) {
  WriteBytes(folder_ / kEngineTableFile, test::TableText().substr(0, 76 * 450));
  ExpectFailure({"MUs_202202.data ends after line 450"});
}

TEST_F(RunEngineTest, ShortSpectrumNamesItsLastLine) {
  WriteBytes(folder_ / kSpectrumExchangeFile, SpectrumFile(test::SmoothSpectrum(120.0)).substr(0, 17 * 300));
  ExpectFailure({"B_SPCTL.temp ends after line 300"});
}

TEST_F(RunEngineTest, GarbledSpectrumNamesLineAndField) {
  std::string text = SpectrumFile(test::SmoothSpectrum(120.0));
  text.replace(17 * 99 + 9, 1, "x");
  WriteBytes(folder_ / kSpectrumExchangeFile, text);
  ExpectFailure({"B_SPCTL.temp, line 100: field 3"});
}

TEST_F(RunEngineTest, SpectrumWithoutAnyPhotonIsRefused) {
  WriteBytes(folder_ / kSpectrumExchangeFile, SpectrumFile(ExchangeSpectrum{}));
  ExpectFailure({"no non-zero photon number"});
}

TEST_F(RunEngineTest, SpectrumEndingBelowFiveAndAHalfKeVIsRefused) {
  WriteBytes(folder_ / kSpectrumExchangeFile, SpectrumFile(test::SingleLine(10)));
  ExpectFailure({"5.5 keV"});
}

TEST_F(RunEngineTest, NegativePhotonNumberIsRefusedNamingTheLine) {
  std::string text = SpectrumFile(test::SmoothSpectrum(120.0));
  text.replace(17 * 299 + 8, 7, "-0.2500");
  WriteBytes(folder_ / kSpectrumExchangeFile, text);
  ExpectFailure({"B_SPCTL.temp, line 300", "-0.25000 is negative"});
}

TEST_F(RunEngineTest, WaitsForTheFolderLockOfAnotherSave) {
  // another save holds the lock for 150 ms (a lock belongs to the thread that takes it)
  std::atomic<bool> held{false};
  std::thread other([this, &held] {
    FolderLock lock(folder_.path().u8string(), std::chrono::milliseconds(0));
    held = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  });
  while (!held) std::this_thread::yield();
  const auto start = std::chrono::steady_clock::now();
  RunEngine(folder_.path().u8string());
  other.join();
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  EXPECT_EQ(ReadBytes(folder_ / kResultFile).size(), 49u);
}

}  // namespace
}  // namespace kestrix
