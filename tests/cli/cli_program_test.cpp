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

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
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
TEST(CliProgram, NegativeThicknessIsRefusedAndWritesNothing) {
  ScratchFolder folder;
  // the pair of an earlier calculation stays as it was
  test::WriteBytes(folder / kSpectrumExchangeFile, "earlier spectrum");
  test::WriteBytes(folder / kResultFile, "earlier results");
  const Result text = RunCli({"--model", "birch", "--kv", "30", "--be", "0", "--al-eq", "0", "--al", "-0.5",
                              "--exchange", folder.path().string(), "--save", (folder / "t.csv").string()});
  EXPECT_EQ(text.status, 2);
  EXPECT_EQ(text.err, "kestrix-cli: option --al: \"-0.5\" is a negative thickness (0 mm or more)\n"
                      "Try 'kestrix-cli --help' for the options.\n");
  EXPECT_EQ(text.out, "");
  EXPECT_EQ(ReadBytes(folder / kSpectrumExchangeFile), "earlier spectrum");
  EXPECT_EQ(ReadBytes(folder / kResultFile), "earlier results");
  EXPECT_EQ(folder.EntryCount(), 2);
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

TEST(CliProgram, SweepOutsideTheVoltageRangeIsRefusedWhileASingleRunIsCorrected) {
  for (const char* range : {"1e300:1e300:1", "20:40:1", "250:310:20"}) {
    const Result r = RunCli({"--sweep", range, "--no-figures"});
    EXPECT_EQ(r.status, 2) << range;
    EXPECT_EQ(r.out, "") << range;
    EXPECT_EQ(r.err.rfind("kestrix-cli: option --sweep: ", 0), 0u) << r.err;
  }
  const Result single = RunCli({"--kv", "20", "--no-table"});
  EXPECT_EQ(single.status, 0);
  EXPECT_NE(single.err.find("tube voltage 20 kV is at or below 30 kV: 30 kV used"), std::string::npos) << single.err;
}

TEST(CliProgram, TubeFitFromAMeasurementFileReportsTheFittedTube) {
  ScratchFolder folder;
  const std::string path = (folder / "measured.csv").string();
  test::WriteBytes(folder / "measured.csv", "kv,hvl1_al_mm,hvl2_al_mm\n60,2.2,3.0\n80,2.85,4.2\n100,3.5,5.3\n");
  const Result text = RunCli({"--fit-tube", path, "--vary", "al-eq", "--be", "1", "--no-table"});
  ASSERT_EQ(text.status, 0) << text.err;
  // the report is the fitted tube's at the highest measured voltage
  EXPECT_EQ(text.out.rfind("# kestrix-cli: tucker model, 100 kV,", 0), 0u) << text.out;
  EXPECT_NE(text.out.find("# tube fit: al_eq "), std::string::npos);
  EXPECT_NE(text.out.find(" from 6 layers at 60, 80, 100 kV: rms deviation "), std::string::npos);
  EXPECT_NE(text.out.find("# tube fit 80 kV hvl2_al_mm: measured 4.2 mm, fitted "), std::string::npos);

  const std::string jsonText = RunCli({"--fit-tube", path, "--vary", "al-eq", "--be", "1", "--kv", "120", "--json"}).out;
  // percentages carry 9 significant digits, like every other figure
  for (const std::string key : {"\"deviation_percent\": ", "\"rms_deviation_percent\": "}) {
    for (std::size_t at = jsonText.find(key); at != std::string::npos; at = jsonText.find(key, at + 1)) {
      std::string number = jsonText.substr(at + key.size(), jsonText.find_first_of(",\n", at) - at - key.size());
      number = number.substr(0, number.find_first_of("eE"));
      number.erase(std::remove_if(number.begin(), number.end(), [](char c) { return c < '0' || c > '9'; }), number.end());
      number.erase(0, number.find_first_not_of('0'));
      EXPECT_LE(number.size(), 9u) << jsonText.substr(at, 60);
    }
  }
  const test::JsonValue json = test::ParseJson(jsonText);
  const test::JsonValue& fit = json["tube_fit"];
  EXPECT_EQ(fit["vary"].items.size(), 1u);
  EXPECT_EQ(fit["params"]["al_eq"].number, json["inputs"]["aluminium_equivalent_mm"].number);
  EXPECT_EQ(json["inputs"]["tube_voltage_kV"].number, 120);
  ASSERT_EQ(fit["residuals"].items.size(), 6u);
  const test::JsonValue& last = fit["residuals"].items[5];
  EXPECT_EQ(last["kv"].number, 100);
  EXPECT_EQ(last["figure"].text, "hvl2_al_mm");
  EXPECT_EQ(last["measured_mm"].number, 5.3);
  EXPECT_NEAR(last["deviation_percent"].number, 100 * (last["computed_mm"].number / 5.3 - 1), 1e-7);

  test::WriteBytes(folder / "bad.csv", "kv,hvl1_al_mm\n60,thin\n");
  const Result bad = RunCli({"--fit-tube", (folder / "bad.csv").string(), "--vary", "al"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.out, "");
  EXPECT_EQ(bad.err, "kestrix-cli: " + (folder / "bad.csv").string() + ", line 2: hvl1_al_mm \"thin\" is not a positive number\n");
  const Result missing = RunCli({"--fit-tube", (folder / "none.csv").string(), "--vary", "al"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("none.csv"), std::string::npos);
}

TEST(CliProgram, SweepCsvAndSavedTableWithHeader) {
  const Result csv = RunCli({"--sweep", "30:60:10", "--csv"});
  ASSERT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(csv.out.rfind("tube_voltage_kV,hvl_al_mm,", 0), 0u);
  EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 5);
  EXPECT_EQ(csv.out.find('#'), std::string::npos);

  ScratchFolder folder;
  const std::string plainPath = (folder / "plain.csv").string();
  const std::string headedPath = (folder / "headed.csv").string();
  ASSERT_EQ(RunCli({"--kv", "100", "--save", plainPath, "--no-figures"}).status, 0);
  ASSERT_EQ(RunCli({"--kv", "100", "--save", headedPath, "--no-figures", "--header"}).status, 0);
  const std::string plain = ReadBytes(folder / "plain.csv");
  const std::string headed = ReadBytes(folder / "headed.csv");
  ASSERT_GT(headed.size(), plain.size());
  // the '#' lines (CR LF like the table) and then the desktop-identical table, unchanged
  EXPECT_EQ(headed.substr(headed.size() - plain.size()), plain);
  const std::string lines = headed.substr(0, headed.size() - plain.size());
  EXPECT_EQ(lines.rfind("# spectrum of kestrix-cli\r\n# model: tucker\r\n# tube voltage [kV]: 100\r\n", 0), 0u) << lines;
  EXPECT_NE(lines.find("# normalisation: max (peak value 1)\r\n"), std::string::npos);
  EXPECT_EQ(plain.find('#'), std::string::npos);
}

// A physics-model sweep carries the output columns of its single runs, in text and CSV alike.
TEST(CliProgram, PhysicsSweepHasTheOutputColumnsOfItsSingleRuns) {
  const Result csv = RunCli({"--model", "physics", "--sweep", "60:100:20", "--distance", "750", "--csv"});
  ASSERT_EQ(csv.status, 0) << csv.err;
  const std::vector<std::string> rows = Lines(csv.out);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_NE(rows[0].find(",distance_mm,air_kerma_uGy_per_mAs,photon_fluence_per_mAs_per_mm2"), std::string::npos);
  const Result single = RunCli({"--model", "physics", "--kv", "80", "--distance", "750", "--no-table", "--json"});
  const std::string kerma = single.out.substr(single.out.find("\"air_kerma_uGy_per_mAs\": ") + 25);
  const std::string fluence = single.out.substr(single.out.find("\"photon_fluence_per_mAs_per_mm2\": ") + 34);
  EXPECT_NE(rows[2].find(",750," + kerma.substr(0, kerma.find_first_of(",\n")) + "," +
                        fluence.substr(0, fluence.find_first_of(",\n"))),
            std::string::npos)
      << rows[2] << "\n" << single.out;
  // a single run's --csv is the same row
  const Result row = RunCli({"--model", "physics", "--kv", "80", "--distance", "750", "--csv"});
  EXPECT_EQ(Lines(row.out), (std::vector<std::string>{rows[0], rows[2]}));

  const Result text = RunCli({"--model", "physics", "--sweep", "60:100:20", "--distance", "750"});
  EXPECT_NE(text.out.find(", air kerma per mAs [uGy] at 750 mm, photon fluence per mAs [1/mm2] at 750 mm\n"),
            std::string::npos)
      << text.out;
  EXPECT_EQ(RunCli({"--sweep", "60:100:20", "--csv"}).out.find("air_kerma"), std::string::npos) << "relative models";
}

TEST(CliProgram, SweepOfAQualityKeepsItsFiltrationOrIsRefused) {
  const Result swept = RunCli({"--quality", "N-120", "--sweep", "100:120:20", "--csv"});
  const Result alone = RunCli({"--quality", "N-120", "--csv"});
  ASSERT_EQ(swept.status, 0) << swept.err;
  ASSERT_EQ(alone.status, 0) << alone.err;
  EXPECT_EQ(Lines(swept.out).at(2), Lines(alone.out).at(1)) << "the quality's own voltage gives its own figures";
  const Result fitted = RunCli({"--quality", "RQR5", "--sweep", "60:80:10"});
  EXPECT_EQ(fitted.status, 2);
  EXPECT_NE(fitted.err.find("RQR5 fits its added aluminium"), std::string::npos) << fitted.err;
}

TEST(CliProgram, QualityListAsCsv) {
  const Result r = RunCli({"--list-qualities", "--csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> rows = Lines(r.out);
  EXPECT_EQ(rows.at(0), "name,standard,tube_voltage_kV,beryllium_mm,aluminium_mm,filters,nominal_hvl1_al_mm,based_on");
  EXPECT_NE(std::find(rows.begin(), rows.end(), "N-120,ISO 4037,120,1,4,Cu:5;Sn:1,,"), rows.end()) << r.out;
  EXPECT_NE(std::find(rows.begin(), rows.end(), "RQR5,IEC 61267,70,,,,2.58,"), rows.end()) << r.out;
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
  EXPECT_EQ(listed["qualities"].items.size(), 38u);
  EXPECT_NE(list.out.find("\nRQA5 (IEC 61267): 70 kV, RQR5 (added aluminium fitted to its nominal HVL1 2.58 mm Al) then "
                          "added Al 21 mm, nominal HVL1 6.8 mm Al\n"),
            std::string::npos);

  // an RQA: the RQR's fit, then its aluminium on top, and the layer reached beside the nominal one
  const Result rqa5 = RunCli({"--quality", "rqa5", "--be", "1", "--al-eq", "2.5", "--no-table"});
  ASSERT_EQ(rqa5.status, 0) << rqa5.err;
  EXPECT_NE(rqa5.out.find("# filtration: 1 mm Be, 2.5 mm Al eq., added 21.754 mm Al, 0 mm Cu\n"), std::string::npos)
      << rqa5.out;
  EXPECT_NE(rqa5.out.find("# fit of RQR5: added aluminium 0.754 mm gives HVL1 2.5798 mm Al (target 2.58 mm Al)\n"),
            std::string::npos);
  EXPECT_NE(rqa5.out.find("# quality HVL1: 6.6385 mm Al, nominal 6.8 mm Al (-2.4 %)\n"), std::string::npos);
  const test::JsonValue rqt8 = test::ParseJson(RunCli({"--quality", "RQT8", "--be", "1", "--al-eq", "2.5", "--json"}).out);
  EXPECT_EQ(rqt8["quality"]["based_on"].text, "RQR8");
  EXPECT_EQ(rqt8["inputs"]["added_copper_mm"].number, 0.2);
  EXPECT_EQ(rqt8["fit"]["entry"].text, "al");

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

TEST(CliProgram, SaveThatWouldReplaceOneOfTheRunsOwnFilesIsRefusedBeforeAnythingIsWritten) {
  ScratchFolder folder;
  std::filesystem::copy_file(test::DeliveredTable(), folder / "MUs_202202.data");
  std::filesystem::copy_file(test::DeliveredTin(), folder / "Sn.ele");
  const std::string table = (folder / "MUs_202202.data").string();
  const std::string tin = (folder / "Sn.ele").string();
  const std::string tableBytes = ReadBytes(table);
  const std::string tinBytes = ReadBytes(tin);
  const std::filesystem::path exchange = folder / "x";
  std::filesystem::create_directory(exchange);
  const std::string measured = (folder / "m.csv").string();
  const std::string measuredBytes = "kv,hvl1_al_mm\n80,3.1\n";
  test::WriteBytes(measured, measuredBytes);
  const struct {
    std::vector<std::string> arguments;
    std::string role;
  } cases[] = {
      {{"--table", table, "--save", table}, "is the attenuation table of this run"},
      {{"--table", table, "--filter", tin + ":0.1", "--save", (folder / "." / "Sn.ele").string()}, "is a material file"},
      {{"--table", table, "--exchange", exchange.string(), "--save", (exchange / "B_SPCTL.temp").string()},
       "is the exchange file B_SPCTL.temp"},
      {{"--table", table, "--quality", "N-100", "--save", (folder / "RadiationQualities.tsv").string()},
       "is the table of radiation qualities"},
      {{"--table", table, "--fit-tube", measured, "--vary", "al-eq", "--save", measured},
       "is the measured layers (--fit-tube)"},
  };
  std::filesystem::copy_file(std::string(KESTRIX_DELIVERED_DATA) + "/RadiationQualities.tsv",
                             folder / "RadiationQualities.tsv");
  for (const auto& c : cases) {
    const Result r = RunCli(c.arguments, false);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.role), std::string::npos) << r.err;
  }
  EXPECT_EQ(ReadBytes(table), tableBytes);
  EXPECT_EQ(ReadBytes(tin), tinBytes);
  EXPECT_EQ(ReadBytes(measured), measuredBytes);
  EXPECT_TRUE(std::filesystem::is_empty(exchange)) << "no exchange file was written";
}

// Standard output failing after the files are saved (a full disk): the message names every file saved.
TEST(CliProgram, AFailedOutputNamesTheFilesSavedBeforeIt) {
  ScratchFolder folder;
  const std::string save = (folder / "a.csv").string();
  std::ostream full(nullptr);
  std::ostringstream err;
  const int status = RunCommandLine({"--kv", "150", "--table", test::DeliveredTable(), "--exchange",
                                     folder.path().string(), "--save", save},
                                    full, err);
  EXPECT_EQ(status, 1);
  for (const std::string& name : {std::string(kSpectrumExchangeFile), std::string(kResultFile), save}) {
    EXPECT_NE(err.str().find(name), std::string::npos) << err.str();
  }
  EXPECT_EQ(err.str().rfind("kestrix-cli: the output could not be written; these files were saved before: ", 0), 0u)
      << err.str();
  std::ostringstream quiet;
  EXPECT_EQ(RunCommandLine({"--kv", "150", "--table", test::DeliveredTable(), "--no-table"}, full, quiet), 1);
  EXPECT_EQ(quiet.str(), "kestrix-cli: the output could not be written\n");
}

TEST(CliProgram, AFailedSaveAfterTheExchangeFilesAreWrittenLeavesTheEarlierPair) {
  ScratchFolder folder;
  test::WriteBytes(folder / kSpectrumExchangeFile, "earlier spectrum");
  test::WriteBytes(folder / kResultFile, "earlier results");
  // a name no file system takes: the check before the run passes, the write itself fails
  const std::string save = (folder / (std::string(300, 't') + ".csv")).string();
  const Result r = RunCli({"--exchange", folder.path().string(), "--save", save});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadBytes(folder / kSpectrumExchangeFile), "earlier spectrum");
  EXPECT_EQ(ReadBytes(folder / kResultFile), "earlier results");
  EXPECT_EQ(folder.EntryCount(), 2) << "no temporary file is left";
}

TEST(CliProgram, ReplacedExchangeFilesKeepTheirPermissions) {
  ScratchFolder folder;
  ASSERT_EQ(RunCli({"--exchange", folder.path().string(), "--no-table"}).status, 0);
  const auto readWrite = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
  for (const char* name : {kSpectrumExchangeFile, kResultFile}) {
    std::filesystem::permissions(folder / name, readWrite, std::filesystem::perm_options::replace);
  }
  const auto before = std::filesystem::status(folder / kResultFile).permissions();
  ASSERT_EQ(RunCli({"--exchange", folder.path().string(), "--kv", "90", "--no-table"}).status, 0);
  EXPECT_EQ(std::filesystem::status(folder / kResultFile).permissions(), before);
  EXPECT_EQ(std::filesystem::status(folder / kSpectrumExchangeFile).permissions(), before);
}

TEST(CliProgram, MessagesSayWhatIsWrongWithAFolderOrAName) {
  ScratchFolder folder;
  test::WriteBytes(folder / "file", "x");
  Result r = RunCli({"--exchange", (folder / "file").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find((folder / "file").string() + " is a file, not a folder"), std::string::npos) << r.err;
  r = RunCli({"--exchange", (folder / "none").string()});
  EXPECT_NE(r.err.find("the folder " + (folder / "none").string() + " does not exist"), std::string::npos) << r.err;
  // a usage error found after the options are read is escaped too
  r = RunCli({"--quality", "\x1b[2Jx"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("\"\\x1b[2Jx\" is not a quality"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
}

TEST(CliProgram, QualityNamesAndStandardsAreEscaped) {
  ScratchFolder folder;
  std::filesystem::copy_file(test::DeliveredTable(), folder / "MUs_202202.data");
  test::WriteBytes(folder / kRadiationQualitiesFile,
                   "name\tstandard\tkV\tbe_mm\tal_mm\tfilters\tnominal_hvl1_al_mm\n"
                   "Q\x1b[2J\tISO\x07\t100\t1\t4\t-\t-\n");
  const std::string table = (folder / "MUs_202202.data").string();
  const Result list = RunCli({"--list-qualities", "--table", table}, false);
  ASSERT_EQ(list.status, 0) << list.err;
  EXPECT_NE(list.out.find("Q\\x1b[2J (ISO\\x07): 100 kV"), std::string::npos) << list.out;
  const Result run = RunCli({"--quality", "Q\x1b[2J", "--table", table, "--no-table"}, false);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("# quality: Q\\x1b[2J (ISO\\x07)"), std::string::npos) << run.out;
  EXPECT_EQ(list.out.find('\x1b'), std::string::npos);
  EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
  EXPECT_EQ(run.out.find('\x07'), std::string::npos);
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

TEST_F(InEmptyWorkingFolder, ABareMaterialNameIsTheDeliveredMaterialFile) {
  const Result r = Run({"--kv", "100", "--filter", "Sn:0.5", "--filter", "PMMA:10", "--filter", "water:20", "--no-table"});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* file : {"Sn.ele", "PMMA.mix", "Water.mix"}) {
    EXPECT_NE(r.out.find((std::filesystem::u8path(KESTRIX_DELIVERED_DATA) / file).u8string() + ")"), std::string::npos)
        << file << "\n" << r.out;
  }
}

// The working folder's own table does not hide the delivered table of qualities or material files.
TEST_F(InEmptyWorkingFolder, EachDataFileIsLookedUpOnItsOwn) {
  std::filesystem::copy_file(test::DeliveredTable(), folder_ / "MUs_202202.data");
  const Result r = Run({"--quality", "N-120", "--no-table", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"attenuation_table\": \"MUs_202202.data\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(JsonQuoted((std::filesystem::u8path(KESTRIX_DELIVERED_DATA) / "Sn.ele").u8string())),
            std::string::npos)
      << r.out;
  const Result list = Run({"--list-qualities"});
  ASSERT_EQ(list.status, 0) << list.err;
  EXPECT_NE(list.out.find("RadiationQualities.tsv"), std::string::npos);
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

  // both spellings of the per-mAs table
  for (const char* spelling : {"per-mas", "per_mas", "PER_MAS"}) {
    const Result physics = RunCli({"--model", "physics", "--kv", "100", "--normalise", spelling, "--no-figures"});
    EXPECT_EQ(physics.status, 0) << spelling << ": " << physics.err;
    EXPECT_NE(physics.out.find("photons/(keV mm2 mAs)"), std::string::npos) << spelling;
  }
  const Result perMas = RunCli({"--normalise", "per-mas"});
  EXPECT_EQ(perMas.status, 2);
  EXPECT_NE(perMas.err.find("needs a model with absolute output"), std::string::npos) << perMas.err;
  for (const char* distance : {"0", "-5", "far", "1e-200", "0.5"}) {
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
