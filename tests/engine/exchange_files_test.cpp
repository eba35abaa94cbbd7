// The exchange files byte for byte, and their readers on good, short and garbled files.

#include "exchange_files.h"

#include <sstream>

#include <gtest/gtest.h>

#include "engine_test_files.h"

namespace kestrix {
namespace {

std::string SpectrumText(const ExchangeSpectrum& spectrum) {
  std::ostringstream out;
  WriteSpectrumExchange(out, spectrum);
  return out.str();
}

std::string ResultText(const EngineResults& results) {
  std::ostringstream out;
  WriteResultFile(out, results);
  return out.str();
}

TEST(SpectrumExchangeFile, HasSixHundredLinesOfSeventeenBytes) {
  ExchangeSpectrum spectrum = test::SmoothSpectrum(100.0);
  spectrum[3] = 0.000004;  // prints as zero
  const std::string text = SpectrumText(spectrum);
  ASSERT_EQ(text.size(), 10200u);
  for (int i = 1; i <= 600; ++i) {
    const std::string line = text.substr(static_cast<std::size_t>(i - 1) * 17, 17);
    EXPECT_EQ(line.substr(6, 2), ", ") << i;
    EXPECT_EQ(line.substr(15), "\r\n") << i;
    EXPECT_EQ(line[4], '.') << i;
    EXPECT_EQ(line[9], '.') << i;
  }
  EXPECT_EQ(text.substr(0, 17), "0000.5, 0.00000\r\n");
  EXPECT_EQ(text.substr(2 * 17, 17), "0001.5, 0.00000\r\n");
  EXPECT_EQ(text.substr(599 * 17), "0300.0, 0.00000\r\n");
}

TEST(SpectrumExchangeFile, MaximumRowReadsOne) {
  ExchangeSpectrum spectrum{};
  spectrum[70] = 1.0;
  spectrum[71] = 1.0;
  spectrum[72] = 0.123456;
  const std::string text = SpectrumText(spectrum);
  EXPECT_EQ(text.substr(69 * 17, 17), "0035.0, 1.00000\r\n");
  EXPECT_EQ(text.substr(70 * 17, 17), "0035.5, 1.00000\r\n");
  EXPECT_EQ(text.substr(71 * 17, 17), "0036.0, 0.12346\r\n");
}

TEST(SpectrumExchangeFile, RefusesValuesThatWouldBreakTheColumns) {
  for (const double bad : {-0.5, 10.0, std::nan(""), HUGE_VAL}) {
    ExchangeSpectrum spectrum{};
    spectrum[5] = bad;
    std::ostringstream out;
    EXPECT_THROW(WriteSpectrumExchange(out, spectrum), ExchangeFileError) << bad;
    EXPECT_TRUE(out.str().empty());
  }
  ExchangeSpectrum tinyNegative{};
  tinyNegative[5] = -0.000001;
  EXPECT_EQ(SpectrumText(tinyNegative).substr(4 * 17, 17), "0002.5, 0.00000\r\n");
}

TEST(SpectrumExchangeFile, BothReadersGiveBackTheWrittenValues) {
  const ExchangeSpectrum spectrum = test::SmoothSpectrum(150.0);
  const std::string text = SpectrumText(spectrum);
  std::istringstream listInput(text);
  std::istringstream recordInput(text);
  const ExchangeSpectrum list = ReadSpectrumExchangeList(listInput, kSpectrumExchangeFile);
  const ExchangeSpectrum records = ReadSpectrumExchangeRecords(recordInput, kSpectrumExchangeFile);
  for (int i = 1; i <= 600; ++i) {
    EXPECT_NEAR(list[i], spectrum[i], 0.000005) << i;
    EXPECT_EQ(records[i], list[i]) << i;
  }
}

TEST(SpectrumExchangeFile, ReadersTakeTheEnergyFromTheLineNumber) {
  std::string text = SpectrumText(test::SingleLine(40));
  text.replace(39 * 17, 6, "0999.9");
  std::istringstream listInput(text);
  std::istringstream recordInput(text);
  EXPECT_EQ(ReadSpectrumExchangeList(listInput, "f")[40], 1.0);
  EXPECT_EQ(ReadSpectrumExchangeRecords(recordInput, "f")[40], 1.0);
}

TEST(SpectrumExchangeFile, ShortFileIsReportedByBothReaders) {
  const std::string text = SpectrumText(test::SingleLine(40)).substr(0, 599 * 17);
  std::istringstream listInput(text);
  std::istringstream recordInput(text);
  try {
    ReadSpectrumExchangeList(listInput, "B_SPCTL.temp");
    ADD_FAILURE() << "list reader accepted a short file";
  } catch (const ExchangeFileError& error) {
    EXPECT_NE(std::string(error.what()).find("B_SPCTL.temp ends after line 599"), std::string::npos) << error.what();
  }
  try {
    ReadSpectrumExchangeRecords(recordInput, "B_SPCTL.temp");
    ADD_FAILURE() << "record reader accepted a short file";
  } catch (const ExchangeFileError& error) {
    EXPECT_NE(std::string(error.what()).find("B_SPCTL.temp ends after line 599"), std::string::npos) << error.what();
  }
}

TEST(SpectrumExchangeFile, GarbledFieldIsReportedWithItsLine) {
  std::string text = SpectrumText(test::SingleLine(40));
  text.replace(122 * 17 + 8, 7, "0.1?345");
  std::istringstream listInput(text);
  std::istringstream recordInput(text);
  try {
    ReadSpectrumExchangeList(listInput, "B_SPCTL.temp");
    ADD_FAILURE() << "list reader accepted a garbled file";
  } catch (const ExchangeFileError& error) {
    EXPECT_NE(std::string(error.what()).find("B_SPCTL.temp, line 123"), std::string::npos) << error.what();
  }
  try {
    ReadSpectrumExchangeRecords(recordInput, "B_SPCTL.temp");
    ADD_FAILURE() << "record reader accepted a garbled file";
  } catch (const ExchangeFileError& error) {
    EXPECT_NE(std::string(error.what()).find("B_SPCTL.temp, line 123: field 3"), std::string::npos) << error.what();
  }
}

TEST(SpectrumExchangeFile, BothReadersRefuseNegativePhotonNumbersAndQuoteHugeItemsInPart) {
  std::string negative = SpectrumText(test::SingleLine(40));
  negative.replace(9 * 17 + 8, 7, "-1.0000");
  std::string huge = SpectrumText(test::SingleLine(40));
  huge.replace(9 * 17 + 8, 7, std::string(100000, '9') + "x");
  for (const bool records : {false, true}) {
    std::istringstream in(negative);
    try {
      records ? ReadSpectrumExchangeRecords(in, "B_SPCTL.temp") : ReadSpectrumExchangeList(in, "B_SPCTL.temp");
      ADD_FAILURE() << "a negative photon number was accepted";
    } catch (const ExchangeFileError& error) {
      EXPECT_EQ(std::string(error.what()),
                "B_SPCTL.temp, line 10: the relative photon number -1.00000 is negative; photon numbers are zero or more");
      EXPECT_EQ(error.Line(), 10);
    }
  }
  std::istringstream in(huge);
  try {
    ReadSpectrumExchangeList(in, "B_SPCTL.temp");
    ADD_FAILURE() << "a garbled file was accepted";
  } catch (const ExchangeFileError& error) {
    EXPECT_LT(std::string(error.what()).size(), 200u) << error.what();
    EXPECT_NE(std::string(error.what()).find("B_SPCTL.temp, line 10: \"999"), std::string::npos) << error.what();
  }
}

TEST(ResultFile, HasFiveRecordsInFortyNineBytes) {
  const EngineResults results{2.345, 49.87, 0.123, 62.31, 34560000000.0};
  const std::string text = ResultText(results);
  EXPECT_EQ(text, " 2.345\r\n 49.87\r\n 0.123\r\n 62.31\r\n   34560000000.\r\n");
  EXPECT_EQ(text.size(), 49u);
}

TEST(ResultFile, MissingOrOversizedValuesBecomeAsterisksInTheirLineOnly) {
  const EngineResults results{100.0, std::nullopt, 6.789, 1000.0, 2e15};
  const std::string text = ResultText(results);
  EXPECT_EQ(text, "******\r\n******\r\n 6.789\r\n******\r\n***************\r\n");
}

TEST(ResultFile, ReadsBackWithAsterisksAsMissing) {
  const EngineResults written{2.345, std::nullopt, 0.123, 62.31, 34560000000.0};
  std::istringstream in(ResultText(written));
  const EngineResults read = ReadResultFile(in, kResultFile);
  EXPECT_EQ(read.hvlAlMm, 2.345);
  EXPECT_FALSE(read.effectiveEnergyAlKeV);
  EXPECT_EQ(read.hvlCuMm, 0.123);
  EXPECT_EQ(read.effectiveEnergyCuKeV, 62.31);
  EXPECT_EQ(read.photonsPerMm2PerCkg, 34560000000.0);
}

TEST(ResultFile, ReaderAcceptsPointsWithoutLeadingZeroAndListSeparators) {
  std::istringstream in(" .512, 49.87\r\n  .123 62.31\n 3.456E+10\n");
  const EngineResults read = ReadResultFile(in, kResultFile);
  EXPECT_EQ(read.hvlAlMm, 0.512);
  EXPECT_EQ(read.photonsPerMm2PerCkg, 3.456e10);
}

TEST(ResultFile, TruncatedOrGarbledFileIsAnError) {
  std::istringstream truncated(" 2.345\r\n 49.87\r\n 0.1");
  try {
    ReadResultFile(truncated, "HVL_S2.temp");
    ADD_FAILURE() << "accepted a truncated file";
  } catch (const ExchangeFileError& error) {
    EXPECT_NE(std::string(error.what()).find("HVL_S2.temp ends after line 3"), std::string::npos) << error.what();
  }
  std::istringstream garbled(" 2.345\r\n 49.87\r\n 0.123\r\n 6x.31\r\n   34560000000.\r\n");
  try {
    ReadResultFile(garbled, "HVL_S2.temp");
    ADD_FAILURE() << "accepted a garbled file";
  } catch (const ExchangeFileError& error) {
    EXPECT_NE(std::string(error.what()).find("HVL_S2.temp, line 4"), std::string::npos) << error.what();
  }
  std::istringstream empty("");
  EXPECT_THROW(ReadResultFile(empty, "HVL_S2.temp"), ExchangeFileError);
}

}  // namespace
}  // namespace kestrix
