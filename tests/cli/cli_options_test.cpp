// Command-line parsing: defaults, every option, strict numbers and refused combinations.

#include "cli_options.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

CliOptions Parse(std::vector<std::string> arguments) { return ParseCommandLine(arguments); }

std::string UsageMessage(std::vector<std::string> arguments) {
  try {
    ParseCommandLine(arguments);
  } catch (const UsageError& error) {
    return error.what();
  }
  return "(accepted)";
}

TEST(CliOptions, DefaultsAreTheMainWindowsDefaults) {
  const CliOptions options = Parse({});
  EXPECT_EQ(options.model, SpectrumModel::Tucker);
  EXPECT_EQ(options.entries.tubeVoltage, "200");
  EXPECT_EQ(options.entries.targetAngle, "20");
  EXPECT_EQ(options.entries.beryllium, "3");
  EXPECT_EQ(options.entries.aluminiumEquivalent, "5");
  EXPECT_EQ(options.entries.addedAluminium, "0");
  EXPECT_EQ(options.entries.addedCopper, "0");
  EXPECT_EQ(options.waveform, RectificationType::ConstantPotential);
  EXPECT_EQ(options.quantity, DisplayQuantity::PhotonNumber);
  EXPECT_EQ(options.attenuationTablePath, "MUs_202202.data");
  EXPECT_EQ(options.tableOptions.separator, TableSeparator::Comma);
  EXPECT_EQ(options.tableOptions.unit, TableEnergyUnit::KeV);
  EXPECT_EQ(options.tableOptions.normalisation, TableNormalisation::MaximumOne);
  EXPECT_EQ(options.tableOptions.energyNotation, TableNotation::Plain);
  EXPECT_EQ(options.tableOptions.valueNotation, TableNotation::Plain);
  EXPECT_TRUE(options.printTable);
  EXPECT_TRUE(options.printFigures);
  EXPECT_FALSE(options.json || options.help || options.exchangeFolder || options.savePath || options.sweep);
  EXPECT_TRUE(options.filters.empty());
}

TEST(CliOptions, EveryOptionIsRead) {
  const CliOptions options =
      Parse({"--model", "birch", "--kv=120.5", "--angle", "12", "--be", "0.8", "--al-eq", "2.5", "--al", "1",
             "--cu", "0.1", "--waveform", "12-peak", "--quantity", "exposure", "--filter", "data/Sn.ele:0.2",
             "--filter=C:/mat/Pb.ele:1e-2", "--table", "t.data", "--separator", "space", "--unit", "MeV",
             "--normalise", "total", "--energy-notation", "exp", "--value-notation", "exp", "--no-table",
             "--no-figures", "--json", "--exchange", "out", "--save", "spectrum.csv"});
  EXPECT_EQ(options.model, SpectrumModel::Birch);
  // numbers stay as typed, for the run to convert exactly as the desktop program does
  EXPECT_EQ(options.entries.tubeVoltage, "120.5");
  EXPECT_EQ(options.entries.targetAngle, "12");
  EXPECT_EQ(options.entries.beryllium, "0.8");
  EXPECT_EQ(options.entries.aluminiumEquivalent, "2.5");
  EXPECT_EQ(options.entries.addedAluminium, "1");
  EXPECT_EQ(options.entries.addedCopper, "0.1");
  EXPECT_EQ(options.waveform, RectificationType::ThreePhase12Peak);
  EXPECT_EQ(options.quantity, DisplayQuantity::Exposure);
  ASSERT_EQ(options.filters.size(), 2u);
  EXPECT_EQ(options.filters[0].path, "data/Sn.ele");
  EXPECT_EQ(options.filters[0].thicknessMm, 0.2);
  EXPECT_EQ(options.filters[1].path, "C:/mat/Pb.ele");  // the last colon separates the thickness
  EXPECT_EQ(options.filters[1].thicknessMm, 0.01);
  EXPECT_EQ(options.attenuationTablePath, "t.data");
  EXPECT_EQ(options.tableOptions.separator, TableSeparator::Space);
  EXPECT_EQ(options.tableOptions.unit, TableEnergyUnit::MeV);
  EXPECT_EQ(options.tableOptions.normalisation, TableNormalisation::TotalOne);
  EXPECT_EQ(options.tableOptions.energyNotation, TableNotation::Exponential);
  EXPECT_EQ(options.tableOptions.valueNotation, TableNotation::Exponential);
  EXPECT_FALSE(options.printTable);
  EXPECT_FALSE(options.printFigures);
  EXPECT_TRUE(options.json);
  EXPECT_EQ(options.exchangeFolder.value_or(""), "out");
  EXPECT_EQ(options.savePath.value_or(""), "spectrum.csv");

  EXPECT_EQ(Parse({"--waveform", "single-phase"}).waveform, RectificationType::SinglePhaseFullWave);
  EXPECT_EQ(Parse({"--quantity", "energy"}).quantity, DisplayQuantity::Energy);
  EXPECT_EQ(Parse({"--model", "Tucker"}).model, SpectrumModel::Tucker);  // choices ignore case
  EXPECT_TRUE(Parse({"-h"}).help);
  EXPECT_TRUE(Parse({"--help"}).help);
}

TEST(CliOptions, NumbersMustBeWholeNumbers) {
  // unlike a text box, where "12abc" counts as 12 and "abc" as 0
  for (const char* bad : {"12abc", "abc", "", " 200", "200 ", "1,5", "inf", "nan", "0x10", "1e", "1.2.3", "--"}) {
    EXPECT_NE(UsageMessage({"--kv", bad}).find("is not a number"), std::string::npos) << bad;
  }
  // numbers that no double holds are numbers all the same: the message says what is wrong with them
  EXPECT_EQ(UsageMessage({"--kv", "1e309"}), "option --kv: \"1e309\" is out of range (too large or too small to hold)");
  EXPECT_NE(UsageMessage({"--angle", "-.5e+400"}).find("is out of range"), std::string::npos);
  EXPECT_EQ(UsageMessage({"--angle", "ten"}), "option --angle: \"ten\" is not a number");
  EXPECT_EQ(UsageMessage({"--filter", "Sn.ele:thin"}), "option --filter: \"thin\" is not a number");
  // a voltage is kept as typed; an angle out of the calculation's range is a number the run refuses
  EXPECT_EQ(Parse({"--kv", "1.5e2"}).entries.tubeVoltage, "1.5e2");
  EXPECT_EQ(Parse({"--angle", "0"}).entries.targetAngle, "0");
}

TEST(CliOptions, EmptyFileAndFolderNamesAreRefused) {
  EXPECT_EQ(UsageMessage({"--save", ""}), "option --save: the file name is empty");
  EXPECT_EQ(UsageMessage({"--exchange", ""}),
            "option --exchange: the folder name (\".\" is the working folder) is empty");
}

TEST(CliOptions, BadCommandLinesAreRefusedWithTheReason) {
  EXPECT_EQ(UsageMessage({"--voltage", "100"}), "unknown option --voltage (see --help)");
  EXPECT_EQ(UsageMessage({"100"}), "unexpected argument \"100\" (every value belongs to an option; see --help)");
  EXPECT_EQ(UsageMessage({"--kv"}), "option --kv needs a value");
  EXPECT_EQ(UsageMessage({"--kv", "100", "--kv", "120"}), "option --kv is given twice");
  EXPECT_EQ(UsageMessage({"--json=yes"}), "option --json takes no value");
  EXPECT_EQ(UsageMessage({"--model", "kramers"}), "option --model: \"kramers\" is not one of tucker | birch | physics");
  EXPECT_EQ(UsageMessage({"--waveform", "dc"}),
            "option --waveform: \"dc\" is not one of constant | 12-peak | single-phase");
  EXPECT_EQ(UsageMessage({"--filter", "Sn.ele"}),
            "option --filter: \"Sn.ele\" is not FILE:MM (a material file, a colon, a thickness in mm)");
  EXPECT_NE(UsageMessage({"--filter", ":1"}), "(accepted)");
  EXPECT_NE(UsageMessage({"--filter", "Sn.ele:"}), "(accepted)");
  EXPECT_EQ(UsageMessage({"--filter", "a:1", "--filter", "b:1", "--filter", "c:1", "--filter", "d:1"}),
            "option --filter: at most 3 filters");
}

// Whatever the user typed is quoted cut at 80 bytes with its length, so that a message stays short.
TEST(CliOptions, MessagesCutEveryItemTheUserGaveAt80Bytes) {
  const std::string huge(100000, 'x');
  const std::vector<std::vector<std::string>> lines{
      {"--model", huge},         {"--waveform", huge},     {"--quantity", huge},       {"--separator", huge},
      {"--unit", huge},          {"--normalise", huge},    {"--filter", huge},         {"--filter", huge + ":-1"},
      {"--sweep", huge},         {"--vary", huge},         {"--" + huge},              {huge},
      {"--al", "-1" + huge},     {"--fit", huge},          {"--energy-notation", huge}, {"--value-notation", huge}};
  for (const std::vector<std::string>& arguments : lines) {
    const std::string message = UsageMessage(arguments);
    EXPECT_LT(message.size(), 300u) << message.substr(0, 300);
    EXPECT_NE(message.find("xxxx... ("), std::string::npos) << message.substr(0, 300);
  }
  EXPECT_EQ(UsageMessage({"--model", huge}).rfind("option --model: \"" + std::string(80, 'x') +
                                                   "... (100000 bytes)\" is not one of tucker",
                                               0),
            0u);
}

TEST(CliOptions, SweepListsTheVoltagesFromToInSteps) {
  const CliOptions options = Parse({"--sweep", "30:300:1"});
  ASSERT_TRUE(options.sweep);
  const std::vector<double> voltages = options.sweep->Voltages();
  ASSERT_EQ(voltages.size(), 271u);
  EXPECT_EQ(voltages.front(), 30.0);
  EXPECT_EQ(voltages[70], 100.0);
  EXPECT_EQ(voltages.back(), 300.0);

  // decimal steps land on the decimal values, the end included
  const std::vector<double> tenths = Parse({"--sweep", "40:41:0.1"}).sweep->Voltages();
  ASSERT_EQ(tenths.size(), 11u);
  EXPECT_EQ(tenths[3], 40.3);
  EXPECT_EQ(tenths.back(), 41.0);
  // an end off the grid is not reached
  EXPECT_EQ(Parse({"--sweep", "50:60:4"}).sweep->Voltages(), (std::vector<double>{50, 54, 58}));
  EXPECT_EQ(Parse({"--sweep", "80:80:5"}).sweep->Voltages(), (std::vector<double>{80}));
  // too large to round to nine decimals: kept as it is, not turned into infinity
  VoltageSweep huge{1e300, 1e300, 1};
  EXPECT_EQ(huge.Voltages(), (std::vector<double>{1e300}));
}

TEST(CliOptions, NegativeThicknessesAreRefusedNamingTheOption) {
  for (const char* option : {"--be", "--al-eq", "--al", "--cu"}) {
    EXPECT_EQ(UsageMessage({option, "-0.5"}),
              std::string("option ") + option + ": \"-0.5\" is a negative thickness (0 mm or more)");
  }
  EXPECT_EQ(UsageMessage({"--filter", "Sn.ele:-1e-3"}),
            "option --filter: \"Sn.ele:-1e-3\" has a negative thickness (0 mm or more)");
  EXPECT_EQ(Parse({"--be", "0", "--al-eq", "0", "--cu", "-0"}).entries.addedCopper, "-0");
  // angles and voltages are not thicknesses: the run judges them
  EXPECT_EQ(Parse({"--angle", "-20"}).entries.targetAngle, "-20");
}

TEST(CliOptions, ASingleVoltageMustStayInsideTheModelsRange) {
  EXPECT_EQ(UsageMessage({"--kv", "1e3"}), "option --kv: 1000 kV is outside the tucker model's range of 30 to 300 kV");
  EXPECT_EQ(UsageMessage({"--kv", "-5", "--model", "physics"}),
            "option --kv: -5 kV is outside the physics model's range of 20 to 500 kV");
  EXPECT_EQ(Parse({"--kv", "30"}).entries.tubeVoltage, "30");
  EXPECT_EQ(Parse({"--kv", "300"}).entries.tubeVoltage, "300");
}

TEST(CliOptions, SweepMustStayInsideTheModelsVoltageRange) {
  EXPECT_EQ(UsageMessage({"--sweep", "20:40:5"}), "option --sweep: 20 kV is outside the tucker model's range of 30 to 300 kV");
  EXPECT_EQ(UsageMessage({"--model", "birch", "--sweep", "290:310:10"}),
            "option --sweep: 310 kV is outside the birch model's range of 30 to 300 kV");
  EXPECT_EQ(UsageMessage({"--sweep", "1e300:1e300:1"}).find("option --sweep: 1e+300 kV is outside"), 0u);
  // the ends themselves are inside; an end off the step grid is not reached
  EXPECT_TRUE(Parse({"--sweep", "30:305:270"}).sweep);
}

TEST(CliOptions, TubeFitNamesItsMeasurementsAndTheInputsVaried) {
  const CliOptions options = Parse({"--fit-tube", "m.csv", "--vary", "al-eq,angle", "--kv", "120"});
  EXPECT_EQ(options.tubeMeasurementsPath.value_or(""), "m.csv");
  EXPECT_EQ(options.varied, (std::vector<TubeInput>{TubeInput::InherentAluminiumEquivalent, TubeInput::TargetAngle}));
  EXPECT_TRUE(options.voltageGiven);
  EXPECT_FALSE(Parse({"--fit-tube", "m.csv", "--vary", "cu"}).voltageGiven);
  EXPECT_EQ(UsageMessage({"--fit-tube", "m.csv"}), "option --fit-tube needs --vary (the inputs to fit, e.g. al-eq,angle)");
  EXPECT_EQ(UsageMessage({"--vary", "al"}), "option --vary needs --fit-tube FILE (the measured layers)");
  EXPECT_EQ(UsageMessage({"--fit-tube", "m", "--vary", "be"}),
            "option --vary: \"be\" is not one of al-eq | al | cu | angle | kv-offset");
  EXPECT_EQ(Parse({"--fit-tube", "m", "--vary", "kv-offset,al-eq"}).varied,
            (std::vector<TubeInput>{TubeInput::KvOffset, TubeInput::InherentAluminiumEquivalent}));
  EXPECT_EQ(Parse({"--fit-tube", "m", "--vary", "al", "--uncertainty-percent", "0.5"}).tubeUncertaintyPercent, 0.5);
  EXPECT_EQ(UsageMessage({"--fit-tube", "m", "--vary", "al", "--uncertainty-percent", "0"}),
            "option --uncertainty-percent: the measurements' uncertainty must be positive [%]");
  EXPECT_EQ(UsageMessage({"--uncertainty-percent", "1"}),
            "option --uncertainty-percent needs --fit-tube FILE (the measured layers it describes)");
  EXPECT_EQ(UsageMessage({"--fit-tube", "m", "--vary", "al,al"}), "option --vary: al is named twice");
  EXPECT_EQ(UsageMessage({"--fit-tube", "m", "--vary", "al,cu,angle,al-eq"}), "option --vary: at most three inputs");
  EXPECT_EQ(UsageMessage({"--fit-tube", "m", "--vary", "al", "--quality", "RQR5"}),
            "option --fit-tube cannot be combined with --quality");
}

TEST(CliOptions, DetectorNamesItsMaterialThicknessAndThreshold) {
  const CliOptions options = Parse({"--detector", "CdTe:1,25"});
  ASSERT_TRUE(options.detector);
  EXPECT_EQ(options.detector->material, "CdTe");
  EXPECT_EQ(options.detector->thicknessMm, 1);
  EXPECT_EQ(options.detector->thresholdKeV, 25);
  EXPECT_FALSE(Parse({"--detector", "a-Se:0.2"}).detector->thresholdKeV);
  EXPECT_EQ(UsageMessage({"--detector", "CsI"}).rfind("option --detector: \"CsI\" is not MATERIAL:MM[,THRESHOLD]", 0), 0u);
  EXPECT_EQ(UsageMessage({"--detector", "CsI:0"}), "option --detector: the thickness must be positive [mm]");
  EXPECT_EQ(UsageMessage({"--detector", "CsI:1,-5"}), "option --detector: the threshold must be 0 keV or more");
  EXPECT_EQ(UsageMessage({"--detector", "CsI:1mm"}), "option --detector: \"1mm\" is not a number");
  EXPECT_EQ(UsageMessage({"--sweep", "50:60:10", "--detector", "CsI:1"}), "option --sweep cannot be combined with --detector");
}

TEST(CliOptions, CsvAndHeaderGoWithTheirOutputs) {
  EXPECT_TRUE(Parse({"--sweep", "30:40:10", "--csv"}).csv);
  EXPECT_TRUE(Parse({"--header", "--save", "f.csv"}).header);
  EXPECT_TRUE(Parse({"--csv"}).csv);  // a single run's figures
  EXPECT_TRUE(Parse({"--list-qualities", "--csv"}).csv);
  EXPECT_EQ(UsageMessage({"--csv", "--no-figures"}),
            "options --csv and --no-figures cannot be combined: --csv prints the figures");
  EXPECT_EQ(UsageMessage({"--sweep", "30:40:10", "--csv", "--json"}), "options --csv and --json cannot be combined");
  EXPECT_EQ(UsageMessage({"--sweep", "30:40:10", "--header"}), "option --sweep cannot be combined with --header");
}

TEST(CliOptions, ExportAndMeasuredSpectrumGoWithTheirFiles) {
  EXPECT_EQ(Parse({"--export", "PENELOPE", "--save", "s.in"}).exportFormat, SourceFormat::Penelope);
  EXPECT_EQ(Parse({"--spectrum", "m.csv", "--exchange", "."}).measuredPath, std::string("m.csv"));
  EXPECT_EQ(UsageMessage({"--export", "mcnp"}), "option --export needs --save FILE (the Monte Carlo source file to write)");
  EXPECT_EQ(UsageMessage({"--export", "fluka", "--save", "f"}),
            "option --export: \"fluka\" is not one of egsnrc | geant4 | gate | mcnp | penelope | topas | phits");
  EXPECT_EQ(UsageMessage({"--spectrum", ""}), "option --spectrum: the file name is empty");
  for (const char* other : {"--kv", "--filter", "--model", "--sweep"}) {
    const std::string value = std::string(other) == "--sweep" ? "30:40:10" : std::string(other) == "--model" ? "birch"
                              : std::string(other) == "--filter" ? "Sn.ele:1" : "100";
    EXPECT_EQ(UsageMessage({"--spectrum", "m.csv", other, value}).rfind(std::string("option --spectrum cannot be combined with ") + other, 0), 0u)
        << other;
  }
  EXPECT_NE(UsageText().find("--export FORMAT"), std::string::npos);
  EXPECT_NE(UsageText().find("--spectrum FILE"), std::string::npos);
}

TEST(CliOptions, SweepRefusesBadRangesAndSingleRunOptions) {
  EXPECT_EQ(UsageMessage({"--sweep", "30:300"}), "option --sweep: \"30:300\" is not FROM:TO:STEP (tube voltages in kV)");
  EXPECT_EQ(UsageMessage({"--sweep", "30:300:1:2"}),
            "option --sweep: \"30:300:1:2\" is not FROM:TO:STEP (tube voltages in kV)");
  EXPECT_EQ(UsageMessage({"--sweep", "30:300:0"}), "option --sweep: the step must be positive");
  EXPECT_EQ(UsageMessage({"--sweep", "30:300:-1"}), "option --sweep: the step must be positive");
  EXPECT_EQ(UsageMessage({"--sweep", "300:30:1"}), "option --sweep: TO must not be below FROM");
  EXPECT_EQ(UsageMessage({"--sweep", "30:300:0.001"}), "option --sweep: more than 10000 voltages");
  EXPECT_EQ(UsageMessage({"--sweep", "a:300:1"}), "option --sweep: \"a\" is not a number");
  EXPECT_EQ(UsageMessage({"--sweep", "30:300:1", "--kv", "100"}), "option --sweep cannot be combined with --kv");
  EXPECT_EQ(UsageMessage({"--exchange", "d", "--sweep", "30:300:1"}),
            "option --sweep cannot be combined with --exchange");
  EXPECT_EQ(UsageMessage({"--sweep", "30:300:1", "--save", "f"}), "option --sweep cannot be combined with --save");
}

TEST(CliOptions, HelpDocumentsEveryOptionWithItsUnit) {
  const std::string help = UsageText();
  for (const char* option :
       {"--model", "--kv", "--angle", "--be", "--al-eq", "--al ", "--cu", "--waveform", "--quantity", "--filter",
        "--table", "--separator", "--unit", "--normalise", "--energy-notation", "--value-notation", "--save",
        "--no-table", "--no-figures", "--json", "--exchange", "--sweep", "--help"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
  for (const char* unit : {"[kV]", "[degrees]", "[mm Be]", "[mm Al]", "[mm Cu]", "[mm]", "[keV]", "C/kg"}) {
    EXPECT_NE(help.find(unit), std::string::npos) << unit;
  }
  // the opening names every kind of model, not only the relative ones
  const std::string opening = help.substr(0, help.find("\n\n", help.find("Computes")));
  EXPECT_NE(opening.find("physics model in photons per\nelectron"), std::string::npos) << opening;
  EXPECT_NE(opening.find("relative with Tucker's or Birch's formula"), std::string::npos) << opening;
}

TEST(CliOptions, KeywordsReadBackAsTheSameChoice) {
  for (const SpectrumModel model : {SpectrumModel::Tucker, SpectrumModel::Birch}) {
    EXPECT_EQ(Parse({"--model", ModelKeyword(model)}).model, model);
  }
  for (const RectificationType type : {RectificationType::ConstantPotential, RectificationType::ThreePhase12Peak,
                                       RectificationType::SinglePhaseFullWave}) {
    EXPECT_EQ(Parse({"--waveform", WaveformKeyword(type)}).waveform, type);
  }
  for (const DisplayQuantity quantity : {DisplayQuantity::PhotonNumber, DisplayQuantity::Exposure, DisplayQuantity::Energy}) {
    EXPECT_EQ(Parse({"--quantity", QuantityKeyword(quantity)}).quantity, quantity);
  }
}

TEST(CliOptions, FitNeedsOneTargetLayer) {
  const CliOptions al = Parse({"--fit", "al-eq", "--target-hvl-al", "2.5"});
  ASSERT_TRUE(al.fit);
  EXPECT_EQ(al.fit->entry, FittedEntry::InherentAluminiumEquivalent);
  EXPECT_EQ(al.fit->material, LayerMaterial::Aluminium);
  EXPECT_EQ(al.fit->targetHvl1Mm, 2.5);
  const CliOptions cu = Parse({"--target-hvl-cu", "0.2", "--fit", "CU"});
  EXPECT_EQ(cu.fit->entry, FittedEntry::AddedCopper);
  EXPECT_EQ(cu.fit->material, LayerMaterial::Copper);
  EXPECT_EQ(cu.fit->targetHvl1Mm, 0.2);
  EXPECT_FALSE(Parse({}).fit);

  EXPECT_EQ(UsageMessage({"--fit", "al"}), "option --fit needs --target-hvl-al MM or --target-hvl-cu MM");
  EXPECT_EQ(UsageMessage({"--target-hvl-al", "2"}), "option --target-hvl-al needs --fit al-eq|al|cu (the entry to fit)");
  EXPECT_EQ(UsageMessage({"--fit", "al", "--target-hvl-al", "2", "--target-hvl-cu", "0.1"}),
            "options --target-hvl-al and --target-hvl-cu cannot be combined: fit to one layer");
  EXPECT_EQ(UsageMessage({"--fit", "be", "--target-hvl-al", "2"}), "option --fit: \"be\" is not one of al-eq | al | cu");
  EXPECT_EQ(UsageMessage({"--fit", "al", "--target-hvl-al", "0"}), "option --target-hvl-al: the target layer must be positive");
  EXPECT_EQ(UsageMessage({"--fit", "al", "--target-hvl-al", "2", "--sweep", "30:40:5"}),
            "option --sweep cannot be combined with --fit");
  for (const FittedEntry entry :
       {FittedEntry::InherentAluminiumEquivalent, FittedEntry::AddedAluminium, FittedEntry::AddedCopper}) {
    EXPECT_EQ(Parse({"--fit", FittedEntryKeyword(entry), "--target-hvl-al", "1"}).fit->entry, entry);
  }
}

TEST(CliOptions, QualitySetsTheVoltageAndAddedFiltersItself) {
  const CliOptions options = Parse({"--quality", "RQR5", "--be", "1", "--al-eq", "0.5"});
  EXPECT_EQ(*options.quality, "RQR5");
  EXPECT_TRUE(options.inherentFiltrationGiven);
  EXPECT_FALSE(Parse({"--quality", "N-100"}).inherentFiltrationGiven);
  EXPECT_TRUE(Parse({"--list-qualities"}).listQualities);
  for (const char* set : {"--kv", "--al", "--cu"}) {
    EXPECT_EQ(UsageMessage({"--quality", "N-100", set, "1"}),
              std::string("option --quality cannot be combined with ") + set +
                  " (the quality sets the tube voltage and the added filters)");
  }
  EXPECT_EQ(UsageMessage({"--quality", "RQR5", "--fit", "al", "--target-hvl-al", "2"}),
            "option --quality cannot be combined with --fit (the quality sets the tube voltage and the added filters)");
  EXPECT_EQ(UsageMessage({"--list-qualities", "--quality", "H-60"}),
            "option --list-qualities cannot be combined with --quality");
  EXPECT_EQ(Parse({"--quality", "H-60", "--sweep", "30:40:5"}).quality.value_or(""), "H-60");
}

TEST(CliOptions, TransmissionTargetIsALayerOnAWindow) {
  const CliOptions options = Parse({"--model", "physics", "--target-thickness", "1.5", "--target-window", "diamond:0.3"});
  EXPECT_EQ(options.transmission.layerUm, 1.5);
  EXPECT_EQ(options.transmission.window, TransmissionWindow::Diamond);
  EXPECT_EQ(options.transmission.windowMm, 0.3);
  const RunSettings settings = SettingsFor(options);
  EXPECT_EQ(settings.entries.transmission, options.transmission);
  // the window's name in any case, or its element symbol
  EXPECT_EQ(Parse({"--model", "physics", "--target-thickness", "2", "--target-window=be:1"}).transmission.window,
            TransmissionWindow::Beryllium);
  EXPECT_EQ(Parse({"--model", "physics", "--target-thickness", "2", "--target-window", "AL:0.5"}).transmission.window,
            TransmissionWindow::Aluminium);
  EXPECT_EQ(Parse({"--model", "physics", "--target-thickness", "2", "--target-window", "C:0.5"}).transmission.window,
            TransmissionWindow::Diamond);
  // without the options the target is the reflection target
  EXPECT_FALSE(Parse({"--model", "physics"}).transmission.IsTransmission());
  EXPECT_FALSE(SettingsFor(Parse({"--model", "physics"})).entries.transmission.IsTransmission());
}

TEST(CliOptions, TransmissionTargetRefusesBadValuesAndTubesItCannotBe) {
  const std::vector<std::string> physics{"--model", "physics"};
  const auto with = [&](std::vector<std::string> more) {
    std::vector<std::string> arguments = physics;
    arguments.insert(arguments.end(), more.begin(), more.end());
    return UsageMessage(arguments);
  };
  const std::vector<std::string> good{"--target-thickness", "1", "--target-window", "diamond:0.3"};
  const auto goodWith = [&](std::vector<std::string> more) {
    std::vector<std::string> arguments = good;
    arguments.insert(arguments.end(), more.begin(), more.end());
    return with(arguments);
  };
  EXPECT_EQ(with(good), "(accepted)");
  EXPECT_EQ(with({"--target-thickness", "1"}),
            "option --target-thickness needs --target-window MATERIAL:MM (the window the layer lies on: diamond | Be | Al)");
  EXPECT_EQ(with({"--target-window", "Be:1"}), "option --target-window needs --target-thickness UM (the tungsten layer on it)");
  EXPECT_EQ(with({"--target-thickness", "1", "--target-window", "Cu:1"}),
            "option --target-window: \"Cu\" is not one of diamond | Be | Al");
  for (const char* bad : {"diamond", "diamond:", ":0.3", ""}) {
    EXPECT_EQ(with({"--target-thickness", "1", "--target-window", bad}),
              "option --target-window: \"" + std::string(bad) +
                  "\" is not MATERIAL:MM (diamond | Be | Al, a colon, the window's thickness in mm)")
        << bad;
  }
  for (const char* bad : {"0", "-1", "-0"}) {
    EXPECT_EQ(with({"--target-thickness", bad, "--target-window", "Be:1"}),
              "option --target-thickness: the layer thickness must be positive [um], not " + std::string(bad));
    EXPECT_EQ(with({"--target-thickness", "1", "--target-window", std::string("Be:") + bad}),
              "option --target-window: the window thickness must be positive [mm], not " + std::string(bad));
  }
  for (const char* bad : {"inf", "nan", "1um", "1e999"}) {
    EXPECT_EQ(with({"--target-thickness", bad, "--target-window", "Be:1"}).rfind("option --target-thickness: \"", 0), 0u)
        << bad;
    EXPECT_EQ(with({"--target-thickness", "1", "--target-window", std::string("Be:") + bad}).rfind("option --target-window: \"", 0),
              0u)
        << bad;
  }
  EXPECT_EQ(UsageMessage(good),
            "options --target-thickness, --target-window: a transmission target is computed by the physics model only");
  EXPECT_EQ(goodWith({"--target", "Mo", "--kv", "30"}),
            "options --target-thickness, --target-window: a transmission target has a tungsten layer only, not Mo");
  EXPECT_EQ(with({"--target-thickness", "2000", "--target-window", "Be:1"}).rfind(
                "options --target-thickness, --target-window: the transmission target's tungsten layer must be ", 0),
            0u);
  // a window thinner than the electrons' range in it at the voltage, for a single run and a sweep
  EXPECT_NE(with({"--kv", "100", "--target-thickness", "1", "--target-window", "Be:0.05"})
                .find("window of 0.05 mm is thinner than the electrons' range in it at 100 kV"),
            std::string::npos);
  EXPECT_EQ(with({"--kv", "40", "--target-thickness", "1", "--target-window", "Be:0.05"}), "(accepted)");
  EXPECT_EQ(with({"--sweep", "40:100:20", "--target-thickness", "1", "--target-window", "Be:0.05"})
                .rfind("option --sweep: the Be window of 0.05 mm is thinner than the electrons' range in it at ", 0),
            0u);
  EXPECT_EQ(goodWith({"--angle", "12"}),
            "option --angle cannot be combined with --target-thickness: a transmission target has no target angle (the "
            "beam leaves through the window along the electrons' direction)");
  // off the axis a transmission target has no surface to lie behind: only the angles' limits
  EXPECT_EQ(goodWith({"--off-axis", "-40,10"}), "(accepted)");
  EXPECT_EQ(goodWith({"--off-axis", "70"}), "option --off-axis: the angle along the axis must lie between -60 and 60 degrees, not 70 degrees");
  EXPECT_EQ(goodWith({"--quality", "N-100"}),
            "option --quality cannot be combined with --target-thickness: a quality's tube is a reflection target at its "
            "target angle");
  EXPECT_EQ(UsageMessage({"--target-thickness", "1", "--target-window", "Be:1", "--spectrum", "measured.csv"})
                .rfind("option --spectrum cannot be combined with --target-thickness", 0),
            0u);
  EXPECT_EQ(goodWith({"--fit-tube", "m.csv", "--vary", "al-eq,angle"}), "option --vary: a transmission target has no target angle to fit");
  EXPECT_EQ(goodWith({"--fit-tube", "m.csv", "--vary", "al-eq"}), "(accepted)");
  EXPECT_EQ(goodWith({"--uncertainty", "kv=1,angle=1"}), "option --uncertainty: a transmission target has no target angle to sample");
  EXPECT_EQ(goodWith({"--uncertainty", "kv=1"}), "(accepted)");
  // the transmission target's tube voltages, for a single run and a sweep
  EXPECT_EQ(goodWith({"--kv", "400"}), "option --kv: 400 kV is outside the transmission target's range of 20 to 300 kV");
  EXPECT_EQ(goodWith({"--kv", "300"}), "(accepted)");
  EXPECT_EQ(goodWith({"--sweep", "100:400:100"}), "option --sweep: 400 kV is outside the transmission target's range of 20 to 300 kV");
  EXPECT_EQ(goodWith({"--target-thickness", "2"}), "option --target-thickness is given twice");
}

TEST(CliOptions, HelpNamesTheTransmissionTargetsOptions) {
  const std::string help = UsageText();
  EXPECT_NE(help.find("  --target-thickness UM "), std::string::npos);
  EXPECT_NE(help.find("  --target-window MATERIAL:MM "), std::string::npos);
  EXPECT_NE(help.find("diamond, Be or Al, MM thick [mm]"), std::string::npos);
}

}  // namespace
}  // namespace kestrix
