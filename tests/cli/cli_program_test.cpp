// The whole program in process: exit statuses, messages, and what is written where.

#include "cli_program.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

#include "cli_test_files.h"
#include "exchange_files.h"
#include "json_check.h"
#include "json_writer.h"

namespace kestrix {
namespace {

using test::ReadBytes;
using test::ScratchFolder;

struct Result {
  int status;
  std::string out;
  std::string err;
};

Result RunCli(std::vector<std::string> arguments, bool withTable = true) {
  if (withTable) {
    arguments.push_back("--table");
    arguments.push_back(test::DeliveredTable());
  }
  std::ostringstream out, err;
  const int status = RunCommandLine(arguments, out, err);
  return {status, out.str(), err.str()};
}

TEST(CliProgram, HelpPrintsTheUsage) {
  const Result r = RunCli({"--help"}, false);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("Usage: kestrix-cli [options]", 0), 0u);
  EXPECT_EQ(r.err, "");
}

TEST(CliProgram, BadCommandLinesExitWithStatusTwoAndAMessage) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--kv", "fast"}, {"--bogus"}, {"--angle"}, {"--quantity", "dose"}}) {
    const Result r = RunCli(arguments);
    EXPECT_EQ(r.status, 2) << arguments[0];
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("kestrix-cli: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("--help"), std::string::npos);
  }
  EXPECT_EQ(RunCli({"--kv", "fast"}).err,
            "kestrix-cli: option --kv: \"fast\" is not a number\nTry 'kestrix-cli --help' for the options.\n");
}

TEST(CliProgram, CalculationAndFileErrorsExitWithStatusOneAndPrintNothing) {
  ScratchFolder folder;
  const struct {
    std::vector<std::string> arguments;
    bool withTable;
    const char* message;
  } cases[] = {
      {{"--angle", "180"}, true, "Target angle 180 degrees is not usable"},
      {{"--kv", "30", "--cu", "1000"}, true, "Everything is absorbed"},
      {{"--table", (folder / "none.data").string()}, false, "cannot be opened"},
      {{"--filter", (folder / "none.ele").string() + ":1"}, true, "none.ele"},
      {{"--normalise", "total", "--exchange", (folder / "missing").string()}, true, "missing"},
  };
  for (const auto& c : cases) {
    const Result r = RunCli(c.arguments, c.withTable);
    EXPECT_EQ(r.status, 1) << c.message;
    EXPECT_EQ(r.out, "") << c.message;
    EXPECT_EQ(r.err.rfind("kestrix-cli: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
}

TEST(CliProgram, CorrectionsGoToStandardErrorAndTheRunGoesOn) {
  const Result r = RunCli({"--kv", "10", "--be", "0", "--al-eq", "0", "--no-table"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "kestrix-cli: corrected: tube voltage 10 kV is at or below 30 kV: 30 kV used\n"
            "kestrix-cli: corrected: inherent filtration 0 mm Be + 0 mm Al eq. is not possible with Tucker's model "
            "(the sum must be positive): 0 mm Be and 0.5 mm Al eq. used\n");
  EXPECT_NE(r.out.find("# kestrix-cli: tucker model, 30 kV,"), std::string::npos);
  EXPECT_NE(r.out.find("# filtration: 0 mm Be, 0.5 mm Al eq."), std::string::npos);
  EXPECT_EQ(RunCli({"--no-table"}).err, "");
}

TEST(CliProgram, ExchangeAndSaveWriteTheDesktopsFiles) {
  ScratchFolder folder;
  const std::string saved = (folder / "spectrum.csv").string();
  const Result r = RunCli({"--kv", "90", "--exchange", folder.path().string(), "--save", saved, "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string spectrum = ReadBytes(folder / kSpectrumExchangeFile);
  const std::string results = ReadBytes(folder / kResultFile);
  EXPECT_EQ(spectrum.size(), 10200u);
  EXPECT_EQ(results.size(), 49u);

  // the saved table is the data export's file: CR LF lines, header plus 600 lines
  const std::string table = ReadBytes(saved);
  EXPECT_EQ(table.rfind("  keV, Fraction\r\n 0000.5, 0.00000\r\n", 0), 0u);
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 601);
  EXPECT_EQ(std::count(table.begin(), table.end(), '\r'), 601);

  // the JSON figures are those of the saved result file
  std::istringstream in(results);
  const EngineResults written = ReadResultFile(in, kResultFile);
  const test::JsonValue doc = test::ParseJson(r.out);
  EXPECT_EQ(doc["results"]["hvl_al_mm"].number, *written.hvlAlMm);
  EXPECT_EQ(doc["results"]["effective_energy_cu_keV"].number, *written.effectiveEnergyCuKeV);
  // no temporary file is left behind
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), std::filesystem::directory_iterator()), 3);
}

// Birch without inherent filtration and a negative added filter: the spectrum peaks below 5.5 keV
// and every row the engine weighs reads 0.00000.
const std::vector<std::string> kUnweighableSpectrum{"--model", "birch", "--kv", "30", "--be", "0",
                                                    "--al-eq", "0", "--al", "-0.5", "--no-table"};

TEST(CliProgram, SpectrumTheEngineCannotWeighFailsAndWritesNothing) {
  ScratchFolder folder;
  // the pair of an earlier calculation stays as it was
  test::WriteBytes(folder / kSpectrumExchangeFile, "earlier spectrum");
  test::WriteBytes(folder / kResultFile, "earlier results");
  std::vector<std::string> arguments = kUnweighableSpectrum;
  arguments.insert(arguments.end(), {"--exchange", folder.path().string(), "--save", (folder / "t.csv").string()});
  const Result text = RunCli(arguments);
  EXPECT_EQ(text.status, 1);
  EXPECT_EQ(text.err,
            "kestrix-cli: no beam-quality figures and no HVL_S2.temp: the spectrum holds no non-zero photon number "
            "at 5.5 keV or above\n");
  EXPECT_EQ(text.out, "");
  EXPECT_EQ(ReadBytes(folder / kSpectrumExchangeFile), "earlier spectrum");
  EXPECT_EQ(ReadBytes(folder / kResultFile), "earlier results");
  EXPECT_EQ(folder.EntryCount(), 2);

  arguments = kUnweighableSpectrum;
  arguments.push_back("--json");
  const Result json = RunCli(arguments);
  EXPECT_EQ(json.status, 1);
  EXPECT_EQ(json.out, "");

  // a sweep with such a voltage prints no table of figures either
  const Result sweep = RunCli({"--model", "birch", "--sweep", "30:31:1", "--be", "0", "--al-eq", "0", "--al", "-0.5"});
  EXPECT_EQ(sweep.status, 1);
  EXPECT_EQ(sweep.out, "");
  EXPECT_NE(sweep.err.find("no beam-quality figures at 30 kV"), std::string::npos) << sweep.err;

  // without figures or exchange files nothing was asked of the engine
  arguments = kUnweighableSpectrum;
  arguments.push_back("--no-figures");
  EXPECT_EQ(RunCli(arguments).status, 0);
}

TEST(CliProgram, AFailingOutputLeavesNoFileOfTheRun) {
  ScratchFolder folder;
  const std::string spectrumPath = (folder / kSpectrumExchangeFile).string();
  // --save into a missing folder: refused before the exchange files are touched
  test::WriteBytes(spectrumPath, "earlier spectrum");
  test::WriteBytes(folder / kResultFile, "earlier results");
  Result r = RunCli({"--exchange", folder.path().string(), "--save", (folder / "none" / "t.csv").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("t.csv"), std::string::npos) << r.err;
  EXPECT_EQ(ReadBytes(spectrumPath), "earlier spectrum");
  EXPECT_EQ(ReadBytes(folder / kResultFile), "earlier results");

  // a read-only result file: neither exchange file is written, the saved table neither
  const auto writeBits = std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                         std::filesystem::perms::others_write;
  std::filesystem::permissions(folder / kResultFile, writeBits, std::filesystem::perm_options::remove);
  r = RunCli({"--exchange", folder.path().string(), "--save", (folder / "t.csv").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("HVL_S2.temp\": the file is read-only"), std::string::npos) << r.err;
  EXPECT_EQ(ReadBytes(spectrumPath), "earlier spectrum");
  EXPECT_FALSE(std::filesystem::exists(folder / "t.csv"));
  std::filesystem::permissions(folder / kResultFile, writeBits, std::filesystem::perm_options::add);

  // a read-only table file: the new exchange pair is not left either
  test::WriteBytes(folder / "t.csv", "earlier table");
  std::filesystem::permissions(folder / "t.csv", writeBits, std::filesystem::perm_options::remove);
  r = RunCli({"--exchange", folder.path().string(), "--save", (folder / "t.csv").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadBytes(spectrumPath), "earlier spectrum");
  EXPECT_EQ(ReadBytes(folder / "t.csv"), "earlier table");
  std::filesystem::permissions(folder / "t.csv", writeBits, std::filesystem::perm_options::add);
}

TEST(CliProgram, NewSpectrumNeverStandsBesideAnEarlierResultFile) {
  ScratchFolder folder;
  test::WriteBytes(folder / kResultFile, "earlier results");
  // a result file that cannot be replaced by a file: the earlier one is removed first
  ASSERT_EQ(RunCli({"--exchange", folder.path().string(), "--no-table"}).status, 0);
  EXPECT_EQ(ReadBytes(folder / kResultFile).size(), 49u);
  std::filesystem::remove(folder / kResultFile);
  std::filesystem::create_directories(folder / kResultFile / "inside");
  const Result r = RunCli({"--exchange", folder.path().string(), "--no-table"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadBytes(folder / kSpectrumExchangeFile).size(), 10200u) << "the first run's spectrum stays";
}

TEST(CliProgram, ControlCharactersInDescriptionsAreEscaped) {
  ScratchFolder folder;
  std::string material = ReadBytes(test::DeliveredTin());
  material.replace(0, material.find('\n'), "Sn\x1b[2J\x07 tin\r");
  test::WriteBytes(folder / "tin.ele", material);
  const Result r = RunCli({"--filter", (folder / "tin.ele").string() + ":0.1"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("# filter 1: Sn\\x1b[2J\\x07 tin, 0.1 mm"), std::string::npos) << r.out;
  // grep -v '^#' leaves exactly the table: its header and 600 lines
  std::istringstream in(r.out);
  int tableLines = 0;
  for (std::string line; std::getline(in, line);) tableLines += line.rfind('#', 0) != 0;
  EXPECT_EQ(tableLines, 601);
  EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
}

TEST(CliProgram, SweepAtAVoltageTooLargeToRoundRunsAtThreeHundredKilovolts) {
  const Result r = RunCli({"--sweep", "1e300:1e300:1", "--no-figures"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\n300"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("300 kV used"), std::string::npos) << r.err;
}

TEST(CliProgram, SweepFromThirtyToThreeHundredKilovolts) {
  const Result r = RunCli({"--sweep", "30:300:1"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  std::istringstream in(r.out);
  int rows = 0;
  std::string first, last;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("# ", 0) == 0) continue;
    if (rows++ == 0) first = line;
    last = line;
  }
  EXPECT_EQ(rows, 271);
  EXPECT_EQ(first.rfind("30, ", 0), 0u);
  EXPECT_EQ(last.rfind("300, ", 0), 0u);
  EXPECT_EQ(r.out.find('*'), std::string::npos);  // every figure exists over the whole range
}

TEST(CliProgram, SweepStopsAtARefusedRunNamingTheVoltage) {
  const Result r = RunCli({"--sweep", "30:60:10", "--angle", "0"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("kestrix-cli: at 30 kV: Target angle 0 degrees", 0), 0u) << r.err;
}

TEST(CliProgram, FittedBeamIsReportedAndWrittenToTheExchangeFiles) {
  ScratchFolder fitted, typed;
  const Result fit = RunCli({"--kv", "70", "--be", "1", "--al-eq", "0.5", "--fit", "al", "--target-hvl-al", "2.58",
                             "--exchange", fitted.path().string(), "--json", "--no-table"});
  ASSERT_EQ(fit.status, 0) << fit.err;
  const test::JsonValue doc = test::ParseJson(fit.out);
  const double thickness = doc["fit"]["thickness_mm"].number;
  EXPECT_NEAR(doc["results"]["extended"]["hvl1_al_mm"].number, 2.58, 0.002);
  EXPECT_EQ(doc["inputs"]["added_aluminium_mm"].number, thickness);
  // typing the fitted thickness gives the same files
  std::ostringstream text;
  text << thickness;
  ASSERT_EQ(RunCli({"--kv", "70", "--be", "1", "--al-eq", "0.5", "--al", text.str(), "--exchange",
                    typed.path().string(), "--no-table"})
                .status,
            0);
  EXPECT_EQ(ReadBytes(fitted / kSpectrumExchangeFile), ReadBytes(typed / kSpectrumExchangeFile));
  EXPECT_EQ(ReadBytes(fitted / kResultFile), ReadBytes(typed / kResultFile));

  const Result far = RunCli({"--kv", "70", "--fit", "cu", "--target-hvl-al", "50", "--exchange", fitted.path().string()});
  EXPECT_EQ(far.status, 1);
  EXPECT_EQ(far.out, "");
  EXPECT_EQ(far.err.rfind("kestrix-cli: target HVL1 50 mm Al cannot be reached: added copper of 0 to 100 mm gives "
                          "HVL1 ", 0), 0u) << far.err;
}

TEST(CliProgram, QualitiesAreListedRealisedOrRefused) {
  const Result list = RunCli({"--list-qualities"});
  ASSERT_EQ(list.status, 0) << list.err;
  EXPECT_NE(list.out.find("\nN-100 (ISO 4037): 100 kV, 1 mm Be, 4 mm Al, added Cu 5 mm\n"), std::string::npos);
  EXPECT_NE(list.out.find("\nRQR10 (IEC 61267): 150 kV, added aluminium fitted to the nominal HVL1 6.57 mm Al\n"),
            std::string::npos);
  const test::JsonValue listed = test::ParseJson(RunCli({"--list-qualities", "--json"}).out);
  EXPECT_EQ(listed["qualities"].items.size(), 26u);

  const Result h60 = RunCli({"--quality", "h60", "--no-table"});
  ASSERT_EQ(h60.status, 0) << h60.err;
  EXPECT_NE(h60.out.find("# filtration: 1 mm Be, 3.9 mm Al eq., added 0 mm Al, 0 mm Cu\n"), std::string::npos);
  EXPECT_NE(h60.out.find("# quality: H-60 (ISO 4037): 60 kV, 1 mm Be, 3.9 mm Al\n"), std::string::npos);

  const Result hard = RunCli({"--quality", "RQR5"});
  EXPECT_EQ(hard.status, 1);
  EXPECT_EQ(hard.out, "");
  EXPECT_EQ(hard.err.rfind("kestrix-cli: RQR5 (70 kV, nominal HVL1 2.58 mm Al) cannot be realised with the inherent "
                           "filtration 3 mm Be + 5 mm Al eq.: without added aluminium the beam already has HVL1 ", 0),
            0u)
      << hard.err;

  const Result unknown = RunCli({"--quality", "RQR1"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("\"RQR1\" is not a quality of"), std::string::npos) << unknown.err;
  EXPECT_EQ(RunCli({"--quality", "N-100", "--be", "2"}).status, 2);

  ScratchFolder empty;
  const Result noTable = RunCli({"--list-qualities", "--table", (empty / "MUs_202202.data").string()}, false);
  EXPECT_EQ(noTable.status, 1);
  EXPECT_NE(noTable.err.find("cannot read \"" + (empty / kRadiationQualitiesFile).string() + "\""), std::string::npos)
      << noTable.err;
}

TEST(CliProgram, VersionPrintsTheProgramsVersion) {
  const Result r = RunCli({"--version"}, false);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("kestrix-cli ", 0), 0u) << r.out;
  EXPECT_EQ(r.out.back(), '\n');
  EXPECT_EQ(r.err, "");
}

/// runs in an empty working folder, then returns to the one before
class InEmptyWorkingFolder : public ::testing::Test {
 protected:
  InEmptyWorkingFolder() : before_(std::filesystem::current_path()) { std::filesystem::current_path(folder_.path()); }
  ~InEmptyWorkingFolder() override { std::filesystem::current_path(before_); }
  Result Run(const std::vector<std::string>& arguments) {
    std::ostringstream out, err;
    const int status = RunCommandLine(arguments, out, err, KESTRIX_DELIVERED_DATA);
    return {status, out.str(), err.str()};
  }
  ScratchFolder folder_;
  std::filesystem::path before_;
};

TEST_F(InEmptyWorkingFolder, TableAndBareMaterialNamesComeFromTheDeliveredDataWhenTheFolderHasNone) {
  const Result r = Run({"--kv", "100", "--filter", "Sn.ele:0.2", "--no-table", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto delivered = [](const char* name) {
    return JsonQuoted((std::filesystem::u8path(KESTRIX_DELIVERED_DATA) / name).u8string());
  };
  EXPECT_NE(r.out.find("\"attenuation_table\": " + delivered("MUs_202202.data")), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"file\": " + delivered("Sn.ele")), std::string::npos) << r.out;
  EXPECT_EQ(folder_.EntryCount(), 0);

  // a missing material keeps the name given in its message; a table named by --table is not replaced
  EXPECT_NE(Run({"--filter", "Unobtainium.ele:1"}).err.find("Unobtainium.ele"), std::string::npos);
  const Result named = Run({"--table", "elsewhere.data"});
  EXPECT_EQ(named.status, 1);
  EXPECT_NE(named.err.find("elsewhere.data"), std::string::npos) << named.err;
}

TEST_F(InEmptyWorkingFolder, TheWorkingFoldersTableComesFirst) {
  std::filesystem::copy_file(test::DeliveredTable(), folder_ / "MUs_202202.data");
  const Result r = Run({"--kv", "100", "--no-table", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"attenuation_table\": \"MUs_202202.data\""), std::string::npos) << r.out;
}

TEST(InstalledDataFolder, IsShareKestrixBesideTheProgramsFolder) {
  EXPECT_EQ(std::filesystem::u8path(InstalledDataFolder("/opt/k/bin/kestrix-cli")),
            std::filesystem::u8path("/opt/k/share/kestrix"));
  EXPECT_EQ(InstalledDataFolder(""), "");
}

TEST(CliProgram, RelativeModelsHaveNoOutputAndRefusePerMasTables) {
  const Result json = RunCli({"--kv", "100", "--no-table", "--json", "--distance", "500"});
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_NE(json.out.find("\"distance_mm\": 500"), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"air_kerma_uGy_per_mAs\": null"), std::string::npos);
  EXPECT_NE(json.out.find("\"photon_fluence_per_mAs_per_mm2\": \"the tucker model is relative"), std::string::npos);
  const Result text = RunCli({"--kv", "100", "--no-table", "--model", "birch"});
  EXPECT_NE(text.out.find("# air kerma per mAs [uGy] at 1000 mm: none (the birch model is relative"), std::string::npos)
      << text.out;

  const Result perMas = RunCli({"--normalise", "per-mas"});
  EXPECT_EQ(perMas.status, 2);
  EXPECT_NE(perMas.err.find("needs a model with absolute output"), std::string::npos) << perMas.err;
  for (const char* distance : {"0", "-5", "far"}) {
    const Result bad = RunCli({"--distance", distance});
    EXPECT_EQ(bad.status, 2) << distance;
    EXPECT_NE(bad.err.find("--distance"), std::string::npos) << bad.err;
  }
}

/// the number after `key` in a text, 0 when it is not there
double NumberAfter(const std::string& text, const std::string& key) {
  const std::size_t at = text.find(key);
  return at == std::string::npos ? 0.0 : std::stod(text.substr(at + key.size()));
}

TEST(CliProgram, ThePhysicsModelGivesItsOutputAtAnyDistanceAndPerMasTables) {
  const Result near = RunCli({"--model", "physics", "--kv", "100", "--no-table", "--json", "--distance", "500"});
  const Result far = RunCli({"--model", "physics", "--kv", "100", "--no-table", "--json", "--distance", "1000"});
  ASSERT_EQ(near.status, 0) << near.err;
  ASSERT_EQ(far.status, 0) << far.err;
  const double kermaNear = NumberAfter(near.out, "\"air_kerma_uGy_per_mAs\": ");
  const double kermaFar = NumberAfter(far.out, "\"air_kerma_uGy_per_mAs\": ");
  ASSERT_GT(kermaFar, 0.0) << far.out;
  EXPECT_NEAR(kermaNear / kermaFar, 4.0, 4.0 * 1e-8);  // the inverse square
  EXPECT_NEAR(NumberAfter(near.out, "\"photon_fluence_per_mAs_per_mm2\": ") /
                  NumberAfter(far.out, "\"photon_fluence_per_mAs_per_mm2\": "),
              4.0, 4.0 * 1e-8);
  const Result text = RunCli({"--model", "physics", "--kv", "100", "--no-table"});
  EXPECT_NE(text.out.find("# air kerma per mAs [uGy] at 1000 mm: "), std::string::npos) << text.out;
  const Result table = RunCli({"--model", "physics", "--kv", "60", "--normalise", "per-mas", "--no-figures"});
  EXPECT_EQ(table.status, 0) << table.err;
}

}  // namespace
}  // namespace kestrix
