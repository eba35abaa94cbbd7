// The whole program in process: exit statuses, messages, and what is written where.

#include "cli_program.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

#include "batch_run.h"
#include "cli_test_files.h"
#include "emission_models.h"
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
  const Result r = RunCli({"--kv", "30", "--be", "0", "--al-eq", "0", "--no-table"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
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

TEST(CliProgram, AVoltageOutsideTheModelsRangeIsRefusedInASweepAndInASingleRun) {
  for (const char* range : {"1e300:1e300:1", "20:40:1", "250:310:20"}) {
    const Result r = RunCli({"--sweep", range, "--no-figures"});
    EXPECT_EQ(r.status, 2) << range;
    EXPECT_EQ(r.out, "") << range;
    EXPECT_EQ(r.err.rfind("kestrix-cli: option --sweep: ", 0), 0u) << r.err;
  }
  ScratchFolder folder;
  const std::string measured = (folder / "measured.csv").string();
  test::WriteBytes(folder / "measured.csv", "kv,hvl1_al_mm\n60,2.2\n100,3.5\n");
  const struct {
    std::vector<std::string> arguments;
    const char* message;
  } cases[] = {
      {{"--kv", "20"}, "option --kv: 20 kV is outside the tucker model's range of 30 to 300 kV"},
      {{"--kv", "501", "--model", "physics", "--json"}, "option --kv: 501 kV is outside the physics model's range of 20 to 500 kV"},
      {{"--kv", "450", "--model", "birch"}, "option --kv: 450 kV is outside the birch model's range of 30 to 300 kV"},
      {{"--kv", "29.999", "--model", "birch"}, "29.999 kV is outside the birch model's range"},
      {{"--kv", "300.5", "--exchange", folder.path().string()}, "300.5 kV is outside"},
      {{"--fit-tube", measured, "--vary", "al-eq", "--kv", "350"}, "option --kv: 350 kV is outside"},
  };
  for (const auto& c : cases) {
    const Result r = RunCli(c.arguments);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_EQ(r.out, "") << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(folder / kSpectrumExchangeFile));
  // the ends of the range are inside it
  EXPECT_EQ(RunCli({"--kv", "30", "--no-table"}).status, 0);
  EXPECT_EQ(RunCli({"--kv", "300", "--no-table"}).status, 0);
}

TEST(CliProgram, TargetAndNoLinesChooseThePhysicsModelsTube) {
  const Result mo = RunCli({"--model", "physics", "--target", "Mo", "--kv", "28", "--filter",
                            test::DeliveredMaterial("Mo") + ":0.032", "--be", "1", "--al-eq", "0", "--json"});
  ASSERT_EQ(mo.status, 0) << mo.err;
  const test::JsonValue doc = test::ParseJson(mo.out);
  EXPECT_EQ(doc["inputs"]["target"].text, "Mo");
  EXPECT_TRUE(doc["inputs"]["characteristic_lines"].boolean);
  EXPECT_EQ(doc["inputs"]["model_voltage_range_kV"].items[0].number, 20);
  EXPECT_EQ(doc["inputs"]["model_voltage_range_kV"].items[1].number, 50);
  EXPECT_GT(doc["results"]["extended"]["hvl1_al_mm"].number, 0.2);
  EXPECT_LT(doc["results"]["extended"]["hvl1_al_mm"].number, 0.5);
  const Result text = RunCli({"--model", "physics", "--target", "rh", "--kv", "30", "--no-lines", "--header"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("# tube: Rh target, bremsstrahlung alone (no characteristic lines)\n"), std::string::npos);
  EXPECT_NE(text.out.find("physics (Rh target, bremsstrahlung alone"), std::string::npos) << text.out.substr(0, 800);
  // tungsten stays as it was: no tube line
  EXPECT_EQ(RunCli({"--model", "physics", "--kv", "100"}).out.find("# tube:"), std::string::npos);

  const struct {
    std::vector<std::string> arguments;
    const char* message;
  } refused[] = {
      {{"--target", "Mo", "--kv", "30"}, "option --target: the tucker model computes a tungsten target only"},
      {{"--model", "birch", "--no-lines"}, "option --no-lines: the birch model has no spectrum without its lines"},
      {{"--model", "physics", "--target", "Mo"}, "the default tube voltage: 200 kV is outside the physics model's range "
                                                 "of 20 to 50 kV for Mo (give --kv)"},
      {{"--model", "physics", "--target", "Mo", "--kv", "60"}, "option --kv: 60 kV is outside the physics model's range"},
      {{"--model", "physics", "--target", "Mo", "--sweep", "20:60:10"}, "option --sweep: 60 kV is outside"},
      {{"--model", "physics", "--target", "Cu", "--kv", "30"}, "option --target: \"Cu\" is not one of W | Mo | Rh | Ag | Au"},
  };
  for (const auto& c : refused) {
    const Result r = RunCli(c.arguments);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_EQ(r.out, "") << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
}

TEST(CliProgram, ATransmissionTargetIsNamedInTheReportTheHeaderAndTheJson) {
  const std::vector<std::string> tube{"--model", "physics", "--kv", "100", "--target-thickness", "1", "--target-window",
                                      "diamond:0.3"};
  std::vector<std::string> arguments = tube;
  arguments.push_back("--header");
  const Result text = RunCli(arguments);
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(text.out.rfind("# kestrix-cli: physics model, 100 kV, transmission target, constant waveform, photon table\n", 0),
            0u)
      << text.out.substr(0, 200);
  EXPECT_NE(text.out.find("# tube: W transmission target, 1 um on 0.3 mm diamond\n"), std::string::npos);
  EXPECT_NE(text.out.find("# model: physics (W transmission target, 1 um on 0.3 mm diamond)\n"), std::string::npos);
  EXPECT_NE(text.out.find("# target angle [degrees]: none (transmission target: the beam leaves through the window)\n"),
            std::string::npos);
  EXPECT_EQ(text.out.find("target angle 20"), std::string::npos);

  arguments = tube;
  arguments.push_back("--json");
  const Result json = RunCli(arguments);
  ASSERT_EQ(json.status, 0) << json.err;
  const test::JsonValue doc = test::ParseJson(json.out);
  const test::JsonValue& transmission = doc["inputs"]["transmission"];
  EXPECT_EQ(transmission["layer_um"].number, 1);
  EXPECT_EQ(transmission["window"].text, "diamond");
  EXPECT_EQ(transmission["window_mm"].number, 0.3);
  EXPECT_TRUE(doc["inputs"]["target_angle_degrees"].kind == test::JsonValue::Kind::Null);
  EXPECT_EQ(doc["inputs"]["model_voltage_range_kV"].items[1].number, 300);
  // the reflection target: null, and its angle as before
  const test::JsonValue reflection = test::ParseJson(RunCli({"--model", "physics", "--kv", "100", "--json"}).out);
  EXPECT_TRUE(reflection["inputs"]["transmission"].kind == test::JsonValue::Kind::Null);
  EXPECT_EQ(reflection["inputs"]["target_angle_degrees"].number, 20);
  EXPECT_EQ(reflection["inputs"]["model_voltage_range_kV"].items[1].number, 500);
}

TEST(CliProgram, ARefusedTransmissionTargetExitsWithStatusTwoAndWritesNothing) {
  ScratchFolder folder;
  const std::string save = (folder / "t.csv").string();
  const struct {
    std::vector<std::string> arguments;
    const char* message;
  } refused[] = {
      {{"--target-thickness", "1", "--target-window", "diamond:0.3"},
       "kestrix-cli: options --target-thickness, --target-window: a transmission target is computed by the physics model "
       "only\n"},
      {{"--model", "physics", "--kv", "100", "--target-thickness", "1", "--target-window", "Al:0.01"},
       "kestrix-cli: options --target-thickness, --target-window: the Al window of 0.01 mm is thinner than the electrons' "
       "range in it at 100 kV, "},
      {{"--model", "physics", "--target-thickness", "1", "--target-window", "W:0.3"},
       "kestrix-cli: option --target-window: \"W\" is not one of diamond | Be | Al\n"},
      {{"--model", "physics", "--target-thickness", "x", "--target-window", "Be:0.3"},
       "kestrix-cli: option --target-thickness: \"x\" is not a number\n"},
      {{"--model", "physics", "--target-window", "Be:0.3"},
       "kestrix-cli: option --target-window needs --target-thickness UM (the tungsten layer on it)\n"},
      {{"--model", "physics", "--target-thickness", "1", "--target-window", "Be:0.3", "--angle", "20"},
       "kestrix-cli: option --angle cannot be combined with --target-thickness: a transmission target has no target "
       "angle (the beam leaves through the window along the electrons' direction)\n"},
      {{"--model", "physics", "--target-thickness", "1", "--target-window", "Be:0.3", "--kv", "310"},
       "kestrix-cli: option --kv: 310 kV is outside the transmission target's range of 20 to 300 kV\n"},
  };
  for (const auto& c : refused) {
    std::vector<std::string> arguments = c.arguments;
    arguments.insert(arguments.end(), {"--exchange", folder.path().string(), "--save", save});
    const Result r = RunCli(arguments);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_EQ(r.out, "") << c.message;
    // the message, then (after the window's range, which the model computes) the pointer to --help
    EXPECT_EQ(r.err.rfind(c.message, 0), 0u) << r.err;
    const std::string help = "\nTry 'kestrix-cli --help' for the options.\n";
    EXPECT_EQ(r.err.size() - r.err.rfind(help), help.size()) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
    EXPECT_EQ(folder.EntryCount(), 0) << c.message;
  }
}

TEST(CliProgram, ListModelsNamesTheTransmissionTarget) {
  const Result text = RunCli({"--list-models"}, false);
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("# transmission target (--target-thickness, --target-window): physics, W layer on diamond, Be, "
                          "Al, 20 to 300 kV\n"),
            std::string::npos)
      << text.out;
  const test::JsonValue doc = test::ParseJson(RunCli({"--list-models", "--json"}, false).out);
  for (const test::JsonValue& model : doc["models"].items) {
    const test::JsonValue& transmission = model["transmission"];
    if (model["model"].text != "physics") {
      EXPECT_TRUE(transmission.kind == test::JsonValue::Kind::Null) << model["model"].text;
      continue;
    }
    EXPECT_EQ(transmission["target"].text, "W");
    ASSERT_EQ(transmission["windows"].items.size(), 3u);
    EXPECT_EQ(transmission["windows"].items[0].text, "diamond");
    EXPECT_EQ(transmission["windows"].items[2].text, "Al");
    EXPECT_EQ(transmission["lowest_kV"].number, 20);
    EXPECT_EQ(transmission["highest_kV"].number, 300);
  }
}

TEST(CliProgram, SilverAndGoldTargetsRunFrom20To50kVAndNameTheirRangeWhenRefused) {
  for (const char* target : {"Ag", "Au"}) {
    // behind 0.05 mm Ag, the filter of the W/Ag mammography beams: HVL1 about 0.5 mm Al, as theirs
    const Result r = RunCli({"--model", "physics", "--target", target, "--kv", "30", "--be", "1", "--al-eq", "0",
                             "--filter", test::DeliveredMaterial("Ag") + ":0.05", "--json", "--no-table"});
    ASSERT_EQ(r.status, 0) << r.err;
    const test::JsonValue doc = test::ParseJson(r.out);
    EXPECT_EQ(doc["inputs"]["target"].text, target);
    EXPECT_EQ(doc["inputs"]["model_voltage_range_kV"].items[0].number, 20);
    EXPECT_EQ(doc["inputs"]["model_voltage_range_kV"].items[1].number, 50);
    EXPECT_GT(doc["results"]["extended"]["hvl1_al_mm"].number, 0.4) << target;
    EXPECT_LT(doc["results"]["extended"]["hvl1_al_mm"].number, 0.6) << target;
    for (const char* kv : {"19.5", "50.5"}) {
      const Result refused = RunCli({"--model", "physics", "--target", target, "--kv", kv});
      EXPECT_EQ(refused.status, 2) << target << " " << kv;
      EXPECT_EQ(refused.out, "");
      const std::string message =
          "option --kv: " + std::string(kv) + " kV is outside the physics model's range of 20 to 50 kV for " + target;
      EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
    }
    const Result tucker = RunCli({"--target", target, "--kv", "30"});
    EXPECT_EQ(tucker.status, 2);
    EXPECT_NE(tucker.err.find(std::string("the physics model also ") + target), std::string::npos) << tucker.err;
  }
  // the lower-case symbols are read too, and the header names the tube
  const Result text = RunCli({"--model", "physics", "--target", "au", "--kv", "40", "--header"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("# tube: Au target\n"), std::string::npos) << text.out.substr(0, 800);
}

TEST(CliProgram, AMammographyQualitySetsItsTarget) {
  const Result r = RunCli({"--quality", "RQR-M2", "--model", "physics", "--be", "1", "--al-eq", "0", "--json",
                           "--no-table"});
  ASSERT_EQ(r.status, 0) << r.err;
  const test::JsonValue doc = test::ParseJson(r.out);
  EXPECT_EQ(doc["inputs"]["target"].text, "Mo");
  EXPECT_EQ(doc["inputs"]["tube_voltage_kV"].number, 28);
  EXPECT_NEAR(doc["results"]["extended"]["hvl1_al_mm"].number, 0.31, 0.001);  // the added aluminium fitted to it
  const Result tucker = RunCli({"--quality", "RQR-M2", "--be", "1", "--al-eq", "0"});
  EXPECT_EQ(tucker.status, 1);
  EXPECT_EQ(tucker.out, "");
  EXPECT_NE(tucker.err.find("quality RQR-M2: the tucker model computes a tungsten target only"), std::string::npos)
      << tucker.err;
  const Result listed = RunCli({"--list-qualities"});
  EXPECT_NE(listed.out.find("RQR-M2 (IEC 61267): 28 kV, Mo target, added Mo 0.032 mm"), std::string::npos) << listed.out;
}

TEST(CliProgram, AQualityReportsItsDeviationFromEveryPublishedFigure) {
  // N-60: NIST's layers 0.241 and 0.271 mm Cu; the JSON keys are the results' with "nominal_" before them
  const Result r = RunCli({"--quality", "N-60", "--model", "physics", "--json", "--no-table"});
  ASSERT_EQ(r.status, 0) << r.err;
  const test::JsonValue doc = test::ParseJson(r.out);
  EXPECT_EQ(doc["quality"]["nominal_hvl1_cu_mm"].number, 0.241);
  EXPECT_EQ(doc["quality"]["nominal_hvl2_cu_mm"].number, 0.271);
  EXPECT_EQ(doc["quality"]["nominal_mean_energy_keV"].kind, test::JsonValue::Kind::Null);
  EXPECT_EQ(doc["quality"]["nominal_hvl1_al_mm"].kind, test::JsonValue::Kind::Null);
  const test::JsonValue& hvl1 = doc["quality_deviations"]["hvl1_cu_mm"];
  EXPECT_EQ(hvl1["nominal"].number, 0.241);
  EXPECT_EQ(hvl1["reached"].number, doc["results"]["extended"]["hvl1_cu_mm"].number);
  EXPECT_NEAR(hvl1["deviation_percent"].number, 100 * (hvl1["reached"].number / 0.241 - 1), 1e-7);
  EXPECT_LT(std::abs(hvl1["deviation_percent"].number), 10);
  // its percentage carries 9 significant digits, like every other figure
  const std::size_t at = r.out.find("\"deviation_percent\": ");
  ASSERT_NE(at, std::string::npos);
  std::string digits = r.out.substr(at + 20, r.out.find_first_of(",\n}", at) - at - 20);
  digits.erase(std::remove_if(digits.begin(), digits.end(), [](char c) { return c < '0' || c > '9'; }), digits.end());
  digits.erase(0, digits.find_first_not_of('0'));
  EXPECT_LE(digits.size(), 9u) << r.out.substr(at, 60);
  const Result text = RunCli({"--quality", "N-60", "--model", "physics", "--no-table"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("# quality HVL1 Cu: 0."), std::string::npos) << text.out;
  EXPECT_NE(text.out.find(" mm Cu, nominal 0.271 mm Cu ("), std::string::npos) << text.out;

  // an RQR's deviation is its fit's; an RQA-M's the standard's nominal layer of the beam with its base's Mo filter
  const Result rqr = RunCli({"--quality", "RQR5", "--be", "1", "--al-eq", "2.5", "--json", "--no-table"});
  ASSERT_EQ(rqr.status, 0) << rqr.err;
  EXPECT_NEAR(test::ParseJson(rqr.out)["quality_deviations"]["hvl1_al_mm"]["deviation_percent"].number, 0, 0.3);
  const Result rqam = RunCli({"--quality", "RQA-M2", "--model", "physics", "--be", "1", "--al-eq", "0", "--json",
                              "--no-table"});
  ASSERT_EQ(rqam.status, 0) << rqam.err;
  const test::JsonValue m = test::ParseJson(rqam.out);
  EXPECT_EQ(m["quality"]["nominal_hvl1_al_mm"].number, 0.6);
  EXPECT_EQ(m["quality"]["based_on"].text, "RQR-M2");
  EXPECT_LT(std::abs(m["quality_deviations"]["hvl1_al_mm"]["deviation_percent"].number), 5);
  // a fixed mammography beam gives its published layer under the same key
  const Result wrh = RunCli({"--quality", "W-Rh-28", "--model", "physics", "--json", "--no-table"});
  ASSERT_EQ(wrh.status, 0) << wrh.err;
  EXPECT_EQ(test::ParseJson(wrh.out)["quality"]["nominal_hvl1_al_mm"].number, 0.54);
  const Result listed = RunCli({"--list-qualities"});
  EXPECT_NE(listed.out.find("RQA-M2 (IEC 61267): 28 kV, Mo target, RQR-M2 (added Mo 0.032 mm, added aluminium fitted to "
                            "its nominal HVL1 0.31 mm Al) then added Al 2 mm, nominal HVL1 0.6 mm Al"),
            std::string::npos)
      << listed.out;
}

TEST(CliProgram, OffAxisPointsFollowTheHeelAndAreSymmetricAcross) {
  const auto kerma = [](const std::vector<std::string>& extra) {
    std::vector<std::string> arguments{"--model", "physics", "--kv", "80", "--angle", "12", "--json", "--no-table"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    const Result r = RunCli(arguments);
    EXPECT_EQ(r.status, 0) << r.err;
    return test::ParseJson(r.out)["results"]["output"]["air_kerma_uGy_per_mAs"].number;
  };
  const double central = kerma({});
  EXPECT_EQ(kerma({"--off-axis", "0,0"}), central);
  EXPECT_LT(kerma({"--off-axis", "-6"}), central);  // towards the anode
  EXPECT_GT(kerma({"--off-axis", "6"}), central);
  EXPECT_EQ(kerma({"--off-axis", "0,10"}), kerma({"--off-axis", "0,-10"}));
  const Result text = RunCli({"--off-axis", "5,-3", "--kv", "80", "--no-table"});
  EXPECT_NE(text.out.find("# point: off axis 5 degrees along (positive towards the cathode), -3 degrees across\n"),
            std::string::npos) << text.out;
  for (const char* bad : {"-20", "0,61", "x", "5,"}) {
    const Result r = RunCli({"--off-axis", bad});
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_EQ(r.out, "") << bad;
    EXPECT_EQ(r.err.rfind("kestrix-cli: option --off-axis: ", 0), 0u) << r.err;
  }
}

TEST(CliProgram, ListModelsTellsEachModelsTargetsAndVoltageRange) {
  const Result text = RunCli({"--list-models"}, false);
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("tucker    W       30 to 300 kV    relative\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("physics   W       20 to 500 kV    absolute\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("physics   Mo      20 to 50 kV     absolute\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("physics   Rh      20 to 50 kV     absolute\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("physics   Ag      20 to 50 kV     absolute\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("physics   Au      20 to 50 kV     absolute\n"), std::string::npos) << text.out;
  EXPECT_EQ(text.out.find("tucker    Mo"), std::string::npos);
  EXPECT_EQ(text.out.find("birch     Au"), std::string::npos);
  const Result json = RunCli({"--list-models", "--json"}, false);
  ASSERT_EQ(json.status, 0) << json.err;
  const test::JsonValue doc = test::ParseJson(json.out);
  ASSERT_EQ(doc["models"].items.size(), SpectrumModels().size());
  const test::JsonValue& physics = doc["models"].items.back();
  EXPECT_EQ(physics["model"].text, "physics");
  EXPECT_TRUE(physics["absolute"].boolean);
  EXPECT_EQ(physics["targets"].items[0]["target"].text, "W");
  EXPECT_EQ(physics["targets"].items[0]["lowest_kV"].number, ModelVoltageRange(SpectrumModel::Physics).lowest);
  EXPECT_EQ(physics["targets"].items[0]["highest_kV"].number, ModelVoltageRange(SpectrumModel::Physics).highest);
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

  // the fit's standard uncertainties and warnings
  EXPECT_GT(fit["uncertainties"]["al_eq"].number, 0);
  EXPECT_TRUE(fit["converged"].boolean);
  EXPECT_FALSE(fit["params_at_bound"]["al_eq"].boolean);
  EXPECT_EQ(fit["warnings"].items.size(), 0u);
  const Result strict = RunCli({"--fit-tube", path, "--vary", "al-eq", "--be", "1", "--no-table", "--uncertainty-percent", "0.1"});
  EXPECT_EQ(strict.status, 0);
  EXPECT_EQ(strict.err.rfind("kestrix-cli: warning: the rms deviation ", 0), 0u) << strict.err;
  EXPECT_NE(strict.err.find("exceeds the measurements' uncertainty of 0.1 %"), std::string::npos) << strict.err;

  // a spreadsheet's file: a byte-order mark and the column names in its own case; the voltage offset
  test::WriteBytes(folder / "sheet.csv", "\xEF\xBB\xBFkV,HVL1_Al_mm,HVL2_AL_MM\r\n60,2.2,3.0\r\n80,2.85,4.2\r\n100,3.5,5.3\r\n");
  const test::JsonValue offset = test::ParseJson(RunCli({"--fit-tube", (folder / "sheet.csv").string(), "--vary",
                                                         "kv-offset,al-eq", "--be", "1", "--kv", "100", "--json",
                                                         "--no-table"}).out);
  const double kvOffset = offset["tube_fit"]["params"]["kv_offset"].number;
  EXPECT_NE(kvOffset, 0);
  EXPECT_EQ(offset["inputs"]["tube_voltage_kV"].number, 100 + kvOffset);

  test::WriteBytes(folder / "tiny.csv", "kv,hvl1_al_mm\n80,1e-300\n");
  const Result tiny = RunCli({"--fit-tube", (folder / "tiny.csv").string(), "--vary", "al"});
  EXPECT_EQ(tiny.status, 1);
  EXPECT_EQ(tiny.out, "");
  EXPECT_NE(tiny.err.find("line 2: hvl1_al_mm 1e-300 mm is thinner than 0.0001 mm"), std::string::npos) << tiny.err;

  test::WriteBytes(folder / "bad.csv", "kv,hvl1_al_mm\n60,thin\n");
  const Result bad = RunCli({"--fit-tube", (folder / "bad.csv").string(), "--vary", "al"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.out, "");
  EXPECT_EQ(bad.err, "kestrix-cli: " + (folder / "bad.csv").string() + ", line 2: hvl1_al_mm \"thin\" is not a positive number\n");
  const Result missing = RunCli({"--fit-tube", (folder / "none.csv").string(), "--vary", "al"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("none.csv"), std::string::npos);
}

TEST(CliProgram, DetectorBehindTheBeamReportsItsFigures) {
  const Result text = RunCli({"--kv", "70", "--al", "21", "--detector", "CsI:0.6", "--no-table"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("# detector: CsI, 0.6 mm (CsI  Cesium iodide (detector))\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("# detector quantum detection efficiency: 0."), std::string::npos);
  EXPECT_NE(text.out.find("# detector detected photons per mAs [1/mm2] at 1000 mm: none (the tucker model is relative"),
            std::string::npos);
  const test::JsonValue json = test::ParseJson(
      RunCli({"--model", "physics", "--kv", "70", "--detector", "CdTe:1,20", "--distance", "500", "--no-table", "--json"}).out);
  const test::JsonValue& detector = json["results"]["detector"];
  EXPECT_EQ(detector["material"].text, "CdTe");
  EXPECT_EQ(detector["thickness_mm"].number, 1);
  EXPECT_EQ(detector["threshold_keV"].number, 20);
  const double qde = detector["quantum_detection_efficiency"].number;
  EXPECT_GT(qde, 0.8);
  EXPECT_LT(qde, 1);
  EXPECT_GT(detector["absorbed_energy_fraction"].number, 0.5);
  EXPECT_NEAR(detector["detected_photons_per_mAs_per_mm2"].number,
              qde * json["results"]["output"]["photon_fluence_per_mAs_per_mm2"].number,
              1e-6 * detector["detected_photons_per_mAs_per_mm2"].number);
  EXPECT_GT(detector["absorbed_energy_keV_per_mAs_per_mm2"].number, 0);
  // the saved table never replaces the detector's own material file
  ScratchFolder folder;
  const std::string own = (folder / "CdTe.mix").string();
  std::filesystem::copy_file(std::string(KESTRIX_DELIVERED_DATA) + "/CdTe.mix", own);
  const Result overwrite = RunCli({"--detector", own + ":1", "--save", own, "--no-table"});
  EXPECT_EQ(overwrite.status, 2);
  EXPECT_NE(overwrite.err.find("is the detector's material file of this run"), std::string::npos) << overwrite.err;
  EXPECT_TRUE(test::ReadBytes(folder / "CdTe.mix") == test::ReadBytes(std::string(KESTRIX_DELIVERED_DATA) + "/CdTe.mix"));
  const Result unknown = RunCli({"--detector", "Unobtainium:1", "--no-table"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.out, "");
  EXPECT_NE(unknown.err.find("Unobtainium"), std::string::npos) << unknown.err;
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

TEST(CliProgram, AQualityIsRefusedOutsideItsTubesRangeOrAgainstAnotherTarget) {
  // the sweep's voltages against the range of the quality's own target, never corrected
  const Result beyond = RunCli({"--model", "physics", "--quality", "Mo-Rh-25", "--sweep", "25:55:10"});
  EXPECT_EQ(beyond.status, 2);
  EXPECT_NE(beyond.err.find("55 kV is outside the physics model's range of 20 to 50 kV for Mo"), std::string::npos)
      << beyond.err;
  EXPECT_EQ(beyond.out, "");
  EXPECT_EQ(RunCli({"--model", "physics", "--quality", "Mo-Rh-25", "--sweep", "25:45:10"}).status, 0);
  // the quality's own voltage outside the model's range: refused as --kv is, not corrected
  const Result low = RunCli({"--model", "tucker", "--quality", "W-Rh-25"});
  EXPECT_EQ(low.status, 2);
  EXPECT_NE(low.err.find("W-Rh-25: 25 kV is outside the tucker model's range of 30 to 300 kV"), std::string::npos)
      << low.err;
  EXPECT_EQ(low.out, "");
  // a target given that is not the quality's, tungsten included
  for (const char* target : {"W", "Au"}) {
    const Result other = RunCli({"--model", "physics", "--target", target, "--quality", "Mo-Rh-25"});
    EXPECT_EQ(other.status, 2) << target;
    EXPECT_NE(other.err.find("Mo-Rh-25 has a Mo target, not " + std::string(target)), std::string::npos) << other.err;
  }
  EXPECT_EQ(RunCli({"--model", "physics", "--target", "Mo", "--quality", "Mo-Rh-25", "--no-table"}).status, 0);
}

TEST(CliProgram, QualityListAsCsv) {
  const Result r = RunCli({"--list-qualities", "--csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> rows = Lines(r.out);
  EXPECT_EQ(rows.at(0), "name,standard,tube_voltage_kV,beryllium_mm,aluminium_mm,filters,nominal_hvl1_al_mm,based_on,"
                        "target,nominal_hvl2_al_mm,nominal_hvl1_cu_mm,nominal_hvl2_cu_mm,nominal_mean_energy_keV");
  EXPECT_NE(std::find(rows.begin(), rows.end(), "N-120,ISO 4037,120,1,4,Cu:5;Sn:1,,,W,,1.76,1.84,"), rows.end()) << r.out;
  EXPECT_NE(std::find(rows.begin(), rows.end(), "RQR5,IEC 61267,70,,,,2.58,,W,,,,"), rows.end()) << r.out;
  EXPECT_NE(std::find(rows.begin(), rows.end(), "Mo-Rh-25,mammography,25,1,0,Rh:0.025,0.4,,Mo,,,,"), rows.end()) << r.out;
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
  EXPECT_EQ(listed["qualities"].items.size(), 73u);
  EXPECT_EQ(listed["qualities"].items[57]["target"].text, "Mo");  // RQR-M4
  EXPECT_EQ(listed["qualities"].items.back()["name"].text, "W-Ag-31");
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

// The physics model to 500 kV: the table and every figure of the whole spectrum, the engine's figures
// absent with their reason, and no exchange file above 300 kV.
TEST(CliProgram, ThePhysicsModelAt450kVPrintsTheWholeSpectrumWithoutTheEnginesFigures) {
  Result r = RunCli({"--model", "physics", "--kv", "450"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::vector<std::string> lines = Lines(r.out);
  const auto header = std::find(lines.begin(), lines.end(), "  keV, Fraction");
  ASSERT_NE(header, lines.end());
  ASSERT_GT(lines.end() - header, 900);
  EXPECT_EQ(*(header + 1), " 0000.5, 0.00000");
  EXPECT_EQ((header + 900)->substr(0, 8), " 0450.0,");
  EXPECT_EQ((header + 901)->front(), '#');
  EXPECT_NE(r.out.find("# no engine figures: " + std::string(kBeyondExchangeReason) + "\n"), std::string::npos);
  EXPECT_NE(r.out.find("# HVL Al [mm]: ******\n"), std::string::npos);
  EXPECT_NE(r.out.find("# HVL1 Al [mm]: 1"), std::string::npos);

  r = RunCli({"--model", "physics", "--kv", "450", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const test::JsonValue doc = test::ParseJson(r.out);
  EXPECT_EQ(doc["inputs"]["model_voltage_range_kV"].items[0].number, 20);
  EXPECT_EQ(doc["inputs"]["model_voltage_range_kV"].items[1].number, 500);
  EXPECT_EQ(doc["spectrum"]["energy"].items.size(), 900u);
  EXPECT_EQ(doc["spectrum"]["energy"].items.back().number, 450);
  EXPECT_EQ(doc["spectrum"]["value"].items.size(), 900u);
  for (const char* key : {"hvl_al_mm", "effective_energy_al_keV", "hvl_cu_mm", "effective_energy_cu_keV", "photons_per_mm2_per_Ckg"}) {
    EXPECT_EQ(doc["results"][key].kind, test::JsonValue::Kind::Null) << key;
    EXPECT_EQ(doc["results"]["missing"][key].text, kBeyondExchangeReason) << key;
  }
  EXPECT_GT(doc["results"]["extended"]["hvl2_cu_mm"].number, 0);
  EXPECT_GT(doc["results"]["output"]["air_kerma_uGy_per_mAs"].number, 0);

  // --exchange is refused before anything is written
  ScratchFolder folder;
  r = RunCli({"--model", "physics", "--kv", "450", "--exchange", folder.path().string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("option --exchange at 450 kV: the exchange files"), std::string::npos) << r.err;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), std::filesystem::directory_iterator()), 0);

  // a sweep across 300 kV goes on, the engine's figures starred above it
  r = RunCli({"--model", "physics", "--sweep", "290:310:10", "--csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> rows = Lines(r.out);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[3].rfind("310,,,,,,", 0), 0u) << rows[3];
  EXPECT_EQ(rows[2].rfind("300,11.", 0), 0u) << rows[2];
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
