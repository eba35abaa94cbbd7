// The built kestrix-cli program itself: exit statuses, the default table in the working
// directory, and --exchange files that the real Quillon reproduces.

#include <algorithm>
#include <filesystem>

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
  const ProgramRun run = RunProgramIn(folder.path(), KESTRIX_CLI_PATH, "--kv 350 --json --no-table");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out.front(), '{');
  EXPECT_EQ(run.out.substr(run.out.size() - 2), "}\n");
  EXPECT_NE(run.err.find("300 kV used"), std::string::npos);
}

}  // namespace
}  // namespace kestrix
