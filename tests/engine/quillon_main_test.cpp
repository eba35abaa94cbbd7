// The real Quillon program in a scratch working directory: console text, exit status, result file.

#include <algorithm>
#include <sstream>

#include <gtest/gtest.h>

#include "engine_table.h"
#include "engine_test_files.h"
#include "exchange_files.h"
#include "quillon_run.h"

namespace kestrix {
namespace {

using test::ProgramRun;
using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

// Runs Quillon without arguments with workingDirectory as its working directory.
test::ProgramRun RunQuillonIn(const std::filesystem::path& workingDirectory) {
  return test::RunProgramIn(workingDirectory, QUILLON_PATH);
}

// Console text with its line ends as "\n": a Windows console program ends its lines with CR LF.
std::string ConsoleLines(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

std::string SpectrumFile(const ExchangeSpectrum& spectrum) {
  std::ostringstream out;
  WriteSpectrumExchange(out, spectrum);
  return out.str();
}

TEST(Quillon, WritesTheResultFileAndTheConsoleLines) {
  ScratchFolder work;
  WriteBytes(work / kEngineTableFile, test::TableText());
  WriteBytes(work / kSpectrumExchangeFile, SpectrumFile(test::SmoothSpectrum(100.0)));
  const ProgramRun run = RunQuillonIn(work.path());
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(ConsoleLines(run.out), "  ***\nStop - Program terminated.\n");
  EXPECT_EQ(run.err, "");
  const std::string file = ReadBytes(work / kResultFile);
  ASSERT_EQ(file.size(), 49u);

  // The program and the library give the same bytes.
  ScratchFolder again;
  WriteBytes(again / kEngineTableFile, test::TableText());
  WriteBytes(again / kSpectrumExchangeFile, SpectrumFile(test::SmoothSpectrum(100.0)));
  RunEngine(again.path().string());
  EXPECT_EQ(ReadBytes(again / kResultFile), file);
}

TEST(Quillon, SecondRunInTheSameFolderReplacesTheResultFile) {
  ScratchFolder work;
  WriteBytes(work / kEngineTableFile, test::TableText());
  WriteBytes(work / kSpectrumExchangeFile, SpectrumFile(test::SmoothSpectrum(100.0)));
  ASSERT_EQ(RunQuillonIn(work.path()).exitStatus, 0);
  const std::string first = ReadBytes(work / kResultFile);

  WriteBytes(work / kSpectrumExchangeFile, SpectrumFile(test::SmoothSpectrum(200.0)));
  const ProgramRun second = RunQuillonIn(work.path());
  ASSERT_EQ(second.exitStatus, 0) << second.err;
  const std::string replaced = ReadBytes(work / kResultFile);
  EXPECT_EQ(replaced.size(), 49u);
  EXPECT_NE(replaced, first);
  EXPECT_EQ(work.EntryCount(), 3) << "no temporary file is left";
}

TEST(Quillon, FailureKeepsTheEarlierResultFile) {
  ScratchFolder work;
  WriteBytes(work / kEngineTableFile, test::TableText());
  std::string spectrum = SpectrumFile(test::SmoothSpectrum(100.0));
  spectrum.replace(17 * 41 + 10, 2, "??");
  WriteBytes(work / kSpectrumExchangeFile, spectrum);
  const std::string earlier = " 2.345\r\n 49.87\r\n 0.123\r\n 62.31\r\n   34560000000.\r\n";
  WriteBytes(work / kResultFile, earlier);

  const ProgramRun run = RunQuillonIn(work.path());
  EXPECT_GT(run.exitStatus, 0);
  EXPECT_NE(run.err.find("B_SPCTL.temp, line 42"), std::string::npos) << run.err;
  EXPECT_EQ(run.out.find("Stop"), std::string::npos);
  EXPECT_EQ(ReadBytes(work / kResultFile), earlier);
  EXPECT_EQ(work.EntryCount(), 3);
}

TEST(Quillon, NegativePhotonNumbersAndRawBytesAreRefusedEscaped) {
  ScratchFolder work;
  WriteBytes(work / kEngineTableFile, test::TableText());
  const std::string earlier = " 2.345\r\n 49.87\r\n 0.123\r\n 62.31\r\n   34560000000.\r\n";
  const std::string spectrum = SpectrumFile(test::SmoothSpectrum(100.0));
  std::string negative = spectrum;
  negative.replace(17 * 99 + 8, 7, "-0.5000");  // line 100
  std::string raw = spectrum;
  raw.replace(17 * 41 + 8, 5, "\x1b[2J");  // line 42: a terminal's "clear screen"
  for (const std::string& file : {negative, raw}) {
    WriteBytes(work / kSpectrumExchangeFile, file);
    WriteBytes(work / kResultFile, earlier);
    const ProgramRun run = RunQuillonIn(work.path());
    EXPECT_GT(run.exitStatus, 0);
    EXPECT_EQ(ReadBytes(work / kResultFile), earlier) << "HVL_S2.temp untouched";
    EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << run.err;
    EXPECT_EQ(work.EntryCount(), 3);
  }
  WriteBytes(work / kSpectrumExchangeFile, negative);
  EXPECT_NE(RunQuillonIn(work.path()).err.find("B_SPCTL.temp, line 100: the relative photon number -0.50000 is negative"),
            std::string::npos);
  WriteBytes(work / kSpectrumExchangeFile, raw);
  EXPECT_NE(RunQuillonIn(work.path()).err.find("\\x1b[2J"), std::string::npos);
}

TEST(Quillon, WithoutATableInTheFolderTheDeliveredOneIsRead) {
  // The build tree keeps the delivered data in <build>/share/kestrix beside <build>/bin, as an installation does.
  ScratchFolder empty;
  const ProgramRun run = RunQuillonIn(empty.path());
  EXPECT_GT(run.exitStatus, 0);
  EXPECT_NE(run.err.find("B_SPCTL.temp"), std::string::npos) << run.err;
  EXPECT_EQ(empty.EntryCount(), 0);

  ScratchFolder bare, withTable;
  std::filesystem::copy_file(std::filesystem::path(KESTRIX_DELIVERED_DATA) / kEngineTableFile, withTable / kEngineTableFile);
  for (const ScratchFolder* work : {&bare, &withTable}) {
    WriteBytes(*work / kSpectrumExchangeFile, SpectrumFile(test::SmoothSpectrum(100.0)));
    ASSERT_EQ(RunQuillonIn(work->path()).exitStatus, 0) << RunQuillonIn(work->path()).err;
  }
  EXPECT_EQ(ReadBytes(bare / kResultFile), ReadBytes(withTable / kResultFile));
  EXPECT_EQ(bare.EntryCount(), 2) << "the table is read where it is, not copied";
}

TEST(Quillon, RunsOnTheDeliveredTable) {
  const std::filesystem::path table = std::filesystem::path(KESTRIX_DELIVERED_DATA) / kEngineTableFile;
  if (!std::filesystem::exists(table)) GTEST_SKIP() << "the delivered table is not there";
  ScratchFolder work;
  std::filesystem::copy_file(table, work / kEngineTableFile);
  WriteBytes(work / kSpectrumExchangeFile, SpectrumFile(test::SingleLine(120)));
  const ProgramRun run = RunQuillonIn(work.path());
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  std::ifstream in(work / kResultFile, std::ios::binary);
  const EngineResults results = ReadResultFile(in, kResultFile);
  // 60 keV photons: aluminium about 0.75 /cm, so about 9.3 mm; copper about 14.7 /cm, about 0.47 mm.
  ASSERT_TRUE(results.hvlAlMm && results.hvlCuMm && results.effectiveEnergyAlKeV && results.effectiveEnergyCuKeV);
  EXPECT_NEAR(*results.hvlAlMm, 9.3, 0.3);
  EXPECT_NEAR(*results.hvlCuMm, 0.47, 0.02);
  EXPECT_NEAR(*results.effectiveEnergyAlKeV, 60.0, 0.25);
  EXPECT_NEAR(*results.effectiveEnergyCuKeV, 60.0, 0.25);
}

TEST(Quillon, VersionFlagPrintsTheVersionAndOtherArgumentsAreRefusedUntouched) {
  ScratchFolder work;
  WriteBytes(work / kEngineTableFile, test::TableText());
  WriteBytes(work / kSpectrumExchangeFile, SpectrumFile(test::SmoothSpectrum(100.0)));
  const ProgramRun version = test::RunProgramIn(work.path(), QUILLON_PATH, "--version");
  EXPECT_EQ(version.exitStatus, 0);
  EXPECT_EQ(ConsoleLines(version.out).rfind("Quillon ", 0), 0u) << version.out;
  EXPECT_FALSE(std::filesystem::exists(work / kResultFile));  // --version computes nothing

  const ProgramRun refused = test::RunProgramIn(work.path(), QUILLON_PATH, "--help");
  EXPECT_EQ(refused.exitStatus, 2);
  EXPECT_EQ(refused.out, "");
  EXPECT_NE(refused.err.find("only --version"), std::string::npos) << refused.err;
  EXPECT_FALSE(std::filesystem::exists(work / kResultFile));
}

}  // namespace
}  // namespace kestrix
