#include "exchange_files.h"

#include <cmath>
#include <string_view>
#include <vector>

#include "decimal_text.h"
#include "display_pattern.h"
#include "fixed_format.h"
#include "message_text.h"

namespace kestrix {
namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr const char* kSpectrumRecordFormat = "(F6.1,A1,F8.5)";
constexpr int kResultValues = 5;

struct ListItem {
  std::string text;
  int line;
};

bool IsListSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r'; }

std::string LineLabel(const std::string& name, int line) { return name + ", line " + std::to_string(line); }

// List input: the next count items, separated by blanks, commas or line ends, with the line each is on.
std::vector<ListItem> ReadListItems(std::istream& in, const std::string& name, std::size_t count) {
  std::vector<ListItem> items;
  std::string line;
  int lineNumber = 0;
  while (items.size() < count && std::getline(in, line)) {
    ++lineNumber;
    std::size_t pos = 0;
    while (items.size() < count) {
      while (pos < line.size() && IsListSeparator(line[pos])) ++pos;
      if (pos == line.size()) break;
      const std::size_t end = line.find_first_of(" \t,\r", pos);
      items.push_back({line.substr(pos, end - pos), lineNumber});
      pos = end == std::string::npos ? line.size() : end;
    }
  }
  if (in.bad()) throw ExchangeFileError(name + ": reading failed after line " + std::to_string(lineNumber));
  if (items.size() < count) {
    throw ExchangeFileError(name + " ends after line " + std::to_string(lineNumber) + " with " +
                            std::to_string(items.size()) + " of the " + std::to_string(count) +
                            " numbers it must hold");
  }
  return items;
}

double ListNumber(const ListItem& item, const std::string& name) {
  if (const auto value = ParseDecimalText(item.text)) return *value;
  throw ExchangeFileError(LineLabel(name, item.line) + ": " + QuotedExcerpt(item.text) + " is not a number", item.line);
}

// A photon number below zero (or not finite) has no meaning and would give a negative fluence.
double PhotonNumber(double value, const std::string& name, int line) {
  if (std::isfinite(value) && value >= 0) return value;
  throw ExchangeFileError(LineLabel(name, line) + ": the relative photon number " + FixedDigits(value, 5) +
                              " is negative; photon numbers are zero or more",
                          line);
}

bool IsAsteriskField(std::string_view text) { return text.find_first_not_of('*') == std::string_view::npos; }

void WriteResultLine(std::ostream& out, const std::optional<double>& value, int width, int decimals) {
  out << (value ? WriteFixed(*value, width, decimals) : std::string(static_cast<std::size_t>(width), '*'))
      << kLineEnd;
}

}  // namespace

void WriteSpectrumExchange(std::ostream& out, const ExchangeSpectrum& spectrum) {
  std::string text;
  text.reserve(kExchangeRows * 17);
  for (int i = 1; i <= kExchangeRows; ++i) {
    const std::string value = FormatPattern(spectrum[i], "0.00000");
    if (!std::isfinite(spectrum[i]) || value.size() != 7 || value.front() == '-') {
      throw ExchangeFileError("relative photon number " + value + " at grid index " + std::to_string(i) +
                              " does not fit the spectrum exchange file");
    }
    text += FormatPattern(0.5 * i, "0000.0");
    text += ", ";
    text += value;
    text += kLineEnd;
  }
  out << text;
}

ExchangeSpectrum ReadSpectrumExchangeList(std::istream& in, const std::string& name) {
  const std::vector<ListItem> items = ReadListItems(in, name, 2 * kExchangeRows);
  ExchangeSpectrum spectrum{};
  for (int i = 1; i <= kExchangeRows; ++i) {
    ListNumber(items[2 * (i - 1)], name);  // energy: checked, not used
    const ListItem& item = items[2 * (i - 1) + 1];
    spectrum[i] = PhotonNumber(ListNumber(item, name), name, item.line);
  }
  return spectrum;
}

ExchangeSpectrum ReadSpectrumExchangeRecords(std::istream& in, const std::string& name) {
  ExchangeSpectrum spectrum{};
  std::string line;
  for (int i = 1; i <= kExchangeRows; ++i) {
    if (!std::getline(in, line)) {
      throw ExchangeFileError(name + " ends after line " + std::to_string(i - 1) + "; it must hold " +
                              std::to_string(kExchangeRows) + " lines");
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    double value = 0;
    try {
      value = ReadRecordNumbers(line, kSpectrumRecordFormat)[1];
    } catch (const FormatError& error) {
      throw ExchangeFileError(LineLabel(name, i) + ": " + error.what(), i);
    }
    spectrum[i] = PhotonNumber(value, name, i);
  }
  return spectrum;
}

void WriteResultFile(std::ostream& out, const EngineResults& results) {
  WriteResultLine(out, results.hvlAlMm, 6, 3);
  WriteResultLine(out, results.effectiveEnergyAlKeV, 6, 2);
  WriteResultLine(out, results.hvlCuMm, 6, 3);
  WriteResultLine(out, results.effectiveEnergyCuKeV, 6, 2);
  WriteResultLine(out, results.photonsPerMm2PerCkg, 15, 0);
}

EngineResults ReadResultFile(std::istream& in, const std::string& name) {
  const std::vector<ListItem> items = ReadListItems(in, name, kResultValues);
  std::optional<double> values[kResultValues];
  for (int k = 0; k < kResultValues; ++k) {
    if (!IsAsteriskField(items[k].text)) values[k] = ListNumber(items[k], name);
  }
  return {values[0], values[1], values[2], values[3], values[4]};
}

}  // namespace kestrix
