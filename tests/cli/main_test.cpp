// The built kestrix-cli program itself: exit statuses, the default table in the working
// directory, and --exchange files that the real Quillon reproduces.

#include <algorithm>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "cli_test_files.h"

namespace kestrix {
namespace {

using test::ProgramRun;
using test::Quoted;
using test::ReadBytes;
using test::RunProgramIn;
using test::ScratchFolder;

/// a working directory holding the delivered table, as the desktop program's has
class WorkingDirectory : public ScratchFolder {
 public:
  WorkingDirectory() { std::filesystem::copy_file(test::DeliveredTable(), *this / "MUs_202202.data"); }
};

TEST(KestrixCliProgram, HelpAndBadArguments) {
  ScratchFolder folder;
  const ProgramRun help = RunProgramIn(folder.path(), KESTRIX_CLI_PATH, "--help");
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_NE(help.out.find("--sweep FROM:TO:STEP"), std::string::npos);

  const ProgramRun bad = RunProgramIn(folder.path(), KESTRIX_CLI_PATH, "--kv 100kV");
  EXPECT_EQ(bad.exitStatus, 2);
  EXPECT_EQ(bad.out, "");
  EXPECT_NE(bad.err.find("option --kv: \"100kV\" is not a number"), std::string::npos);

  // without a table in the working directory the build tree's delivered one is used
  const ProgramRun delivered = RunProgramIn(folder.path(), KESTRIX_CLI_PATH, "--kv 100 --no-table");
  EXPECT_EQ(delivered.exitStatus, 0) << delivered.err;
  EXPECT_NE(delivered.out.find("HVL Al [mm]"), std::string::npos) << delivered.out;
  EXPECT_EQ(folder.EntryCount(), 0);

  // a table named on the command line is the only one tried
  const ProgramRun noTable = RunProgramIn(folder.path(), KESTRIX_CLI_PATH, "--table MUs_202202.data");
  EXPECT_EQ(noTable.exitStatus, 1);
  EXPECT_NE(noTable.err.find("MUs_202202.data"), std::string::npos);
}

TEST(KestrixCliProgram, ExchangeFilesAreWhatQuillonWritesFromThem) {
  const struct {
    const char* arguments;
  } cases[] = {{""}, {"--model birch --kv 65 --angle 30 --waveform single-phase --al 1.5"},
               {"--kv 280 --cu 0.3 --filter " KESTRIX_DELIVERED_DATA "/Sn.ele:0.4 --waveform 12-peak"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    WorkingDirectory cli;
    const ProgramRun run = RunProgramIn(cli.path(), KESTRIX_CLI_PATH, std::string(c.arguments) + " --exchange .");
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::string spectrum = ReadBytes(cli / "B_SPCTL.temp");
    const std::string results = ReadBytes(cli / "HVL_S2.temp");

    // Quillon started in a folder with the table and the CLI's spectrum file
    WorkingDirectory engine;
    test::WriteBytes(engine / "B_SPCTL.temp", spectrum);
    const ProgramRun quillon = RunProgramIn(engine.path(), QUILLON_PATH);
    ASSERT_EQ(quillon.exitStatus, 0) << quillon.err;
    EXPECT_EQ(ReadBytes(engine / "HVL_S2.temp"), results);
  }
}

TEST(KestrixCliProgram, ExchangeTwiceIntoOneFolderReplacesBothFiles) {
  WorkingDirectory folder;
  ASSERT_EQ(RunProgramIn(folder.path(), KESTRIX_CLI_PATH, "--kv 80 --exchange .").exitStatus, 0);
  const std::string firstSpectrum = ReadBytes(folder / "B_SPCTL.temp");
  const ProgramRun second = RunProgramIn(folder.path(), KESTRIX_CLI_PATH, "--kv 120 --exchange .");
  ASSERT_EQ(second.exitStatus, 0) << second.err;
  EXPECT_NE(ReadBytes(folder / "B_SPCTL.temp"), firstSpectrum);
  EXPECT_EQ(ReadBytes(folder / "HVL_S2.temp").size(), 49u);
  EXPECT_EQ(folder.EntryCount(), 3) << "the table and the two exchange files, no temporary file";
}

// Two kestrix-cli runs writing their exchange files into one folder at the same time, round after
// round: the folder always holds the pair of one of them, and both succeed.
TEST(KestrixCliProgram, TwoRunsExchangingIntoOneFolderNeverMixTheirPairs) {
  const char* const voltages[2] = {"80", "120"};
  std::string expected[2];
  for (int k = 0; k < 2; ++k) {
    WorkingDirectory alone;
    ASSERT_EQ(RunProgramIn(alone.path(), KESTRIX_CLI_PATH, std::string("--kv ") + voltages[k] + " --exchange .").exitStatus,
              0);
    expected[k] = ReadBytes(alone / "B_SPCTL.temp") + ReadBytes(alone / "HVL_S2.temp");
  }
  WorkingDirectory folder;
  constexpr int kRounds = 24;
  int mixed = 0;
  for (int round = 0; round < kRounds; ++round) {
    ProgramRun runs[2];
    std::thread first([&] { runs[0] = RunProgramIn(folder.path(), KESTRIX_CLI_PATH, "--kv 80 --exchange ."); });
    runs[1] = RunProgramIn(folder.path(), KESTRIX_CLI_PATH, "--kv 120 --exchange .");
    first.join();
    EXPECT_EQ(runs[0].exitStatus, 0) << runs[0].err;
    EXPECT_EQ(runs[1].exitStatus, 0) << runs[1].err;
    const std::string pair = ReadBytes(folder / "B_SPCTL.temp") + ReadBytes(folder / "HVL_S2.temp");
    if (pair != expected[0] && pair != expected[1]) ++mixed;
  }
  EXPECT_EQ(mixed, 0) << "rounds that left the spectrum of one run beside the results of the other";
  EXPECT_EQ(folder.EntryCount(), 3) << "the table and the two exchange files, no temporary file";
}

TEST(KestrixCliProgram, JapaneseFolderAndFileNames) {
  WorkingDirectory folder;
  const std::filesystem::path data = std::filesystem::u8path("\u30c7\u30fc\u30bf");        // データ
  const std::filesystem::path lead = std::filesystem::u8path("\u925b.ele");                // 鉛.ele
  std::filesystem::create_directory(folder.path() / data);
  std::filesystem::copy_file(std::filesystem::path(KESTRIX_DELIVERED_DATA) / "Pb.ele", folder.path() / lead);
  const std::string arguments = "--kv 150 --filter " + lead.u8string() + ":0.1 --save " + (data / "beam.csv").u8string() +
                                " --exchange " + data.u8string();
  const ProgramRun run = RunProgramIn(folder.path(), KESTRIX_CLI_PATH, arguments);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_NE(run.out.find("(" + lead.u8string() + ")"), std::string::npos) << "the file name is shown as given";
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\r'), 0);
  const std::string table = ReadBytes(folder.path() / data / "beam.csv");
  EXPECT_EQ(table.rfind("  keV, Fraction\r\n", 0), 0u);
  EXPECT_EQ(ReadBytes(folder.path() / data / "B_SPCTL.temp").size(), 10200u);
  EXPECT_EQ(ReadBytes(folder.path() / data / "HVL_S2.temp").size(), 49u);
}

TEST(KestrixCliProgram, JsonGoesToStandardOutputAlone) {
  WorkingDirectory folder;
  const ProgramRun run = RunProgramIn(folder.path(), KESTRIX_CLI_PATH, "--kv 300 --json --no-table");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out.front(), '{');
  EXPECT_EQ(run.out.substr(run.out.size() - 2), "}\n");
  EXPECT_EQ(run.err, "");
  // a voltage outside the model's range: refused with the range named, nothing on standard output
  const ProgramRun high = RunProgramIn(folder.path(), KESTRIX_CLI_PATH, "--kv 350 --json --no-table");
  EXPECT_EQ(high.exitStatus, 2);
  EXPECT_EQ(high.out, "");
  EXPECT_NE(high.err.find("350 kV is outside the tucker model's range of 30 to 300 kV"), std::string::npos) << high.err;
}

}  // namespace
}  // namespace kestrix
