#include "measured_spectrum.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "decimal_text.h"
#include "energy_grid.h"
#include "file_system.h"
#include "message_text.h"

namespace kestrix {

namespace {

/// lower edge of the grid's first bin and upper edge of its last [keV]
constexpr double kGridLowKeV = 0.5 - kKeVPerGridIndex / 2;
constexpr double kGridHighKeV = kExchangeRows * kKeVPerGridIndex + kKeVPerGridIndex / 2;

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> Fields(const std::string& row) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(row);
  while (std::getline(in, field, ',')) fields.push_back(Trimmed(field));
  if (!row.empty() && row.back() == ',') fields.emplace_back();
  return fields;
}

std::string Lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

/// keV per unit of the header's energy column, 0 when the row is no header of an energy column
double HeaderUnit(const std::string& first) {
  const std::string name = Lowercase(first);
  if (name == "energy_kev" || name == "kev") return 1;
  if (name == "energy_mev" || name == "mev") return 1000;
  return 0;
}

}  // namespace

ExchangeSpectrum ResampleOntoGrid(const std::vector<double>& energiesKeV, const std::vector<double>& perKeV) {
  ExchangeSpectrum photons{};
  const std::size_t n = std::min(energiesKeV.size(), perKeV.size());
  for (std::size_t k = 0; k < n; ++k) {
    const double e = energiesKeV[k];
    const double below = k > 0 ? (energiesKeV[k - 1] + e) / 2 : e - (n > 1 ? (energiesKeV[1] - e) / 2 : 0);
    const double above = k + 1 < n ? (e + energiesKeV[k + 1]) / 2 : e + (n > 1 ? (e - energiesKeV[k - 1]) / 2 : 0);
    const double width = above - below;
    if (!(width > 0) || perKeV[k] == 0) continue;
    const double rowPhotons = perKeV[k] * width;
    const double low = std::max(below, kGridLowKeV);
    const double high = std::min(above, kGridHighKeV);
    if (!(high > low)) continue;
    // the bins overlapping [low, high]: bin i covers 0.5 i - 0.25 to 0.5 i + 0.25 keV
    const int first = std::max(1, static_cast<int>(std::floor((low + kKeVPerGridIndex / 2) / kKeVPerGridIndex)));
    const int last = std::min(kExchangeRows, static_cast<int>(std::ceil((high - kKeVPerGridIndex / 2) / kKeVPerGridIndex)));
    for (int i = first; i <= last; ++i) {
      const double overlap = std::min(high, PhotonEnergy(i) + kKeVPerGridIndex / 2) -
                             std::max(low, PhotonEnergy(i) - kKeVPerGridIndex / 2);
      if (overlap > 0) photons[i] += rowPhotons * (overlap / width);
    }
  }
  return photons;
}

MeasuredSpectrum ReadMeasuredSpectrum(std::istream& in, const std::string& name) {
  MeasuredSpectrum spectrum;
  spectrum.source = name;
  const std::string where = name + ", line ";
  double unit = 1;
  bool dataSeen = false;
  bool headerSeen = false;
  std::string row;
  int line = 0;
  while (std::getline(in, row)) {
    ++line;
    if (line == 1 && row.rfind("\xEF\xBB\xBF", 0) == 0) row.erase(0, 3);  // a spreadsheet's byte-order mark
    const std::string text = Trimmed(row);
    if (text.empty() || text[0] == '#') continue;
    const std::vector<std::string> fields = Fields(text);
    const std::string at = where + std::to_string(line) + ": ";
    if (!dataSeen && !headerSeen && !ParseDecimalText(fields[0])) {
      unit = HeaderUnit(fields[0]);
      if (unit == 0 || fields.size() < 2) {
        throw MeasuredSpectrumError(at + QuotedExcerpt(text) +
                                        " is neither a header row energy_keV,value (or energy_MeV,value) nor a row of "
                                        "two numbers",
                                    line);
      }
      headerSeen = true;
      continue;
    }
    if (fields.size() < 2) {
      throw MeasuredSpectrumError(at + "two fields are needed, the energy and the value, not " + QuotedExcerpt(text), line);
    }
    const std::optional<double> energy = ParseDecimalText(fields[0]);
    const std::optional<double> value = ParseDecimalText(fields[1]);
    if (!energy) throw MeasuredSpectrumError(at + "the energy " + QuotedExcerpt(fields[0]) + " is not a number", line);
    if (!value) throw MeasuredSpectrumError(at + "the value " + QuotedExcerpt(fields[1]) + " is not a number", line);
    const double keV = *energy * unit;
    if (!(keV > 0) || !std::isfinite(keV)) {
      throw MeasuredSpectrumError(at + "the energy " + QuotedExcerpt(fields[0]) + " is not positive", line);
    }
    if (!spectrum.energiesKeV.empty() && !(keV > spectrum.energiesKeV.back())) {
      throw MeasuredSpectrumError(at + "the energy " + QuotedExcerpt(fields[0]) + " does not rise above the row before's", line);
    }
    if (keV > kExchangeRows * kKeVPerGridIndex) {
      throw MeasuredSpectrumError(at + "the energy " + QuotedExcerpt(fields[0]) + " lies above the grid's 300 keV", line);
    }
    if (!(*value >= 0)) {
      throw MeasuredSpectrumError(at + "the value " + QuotedExcerpt(fields[1]) + " is negative (photons per keV are 0 or more)", line);
    }
    spectrum.energiesKeV.push_back(keV);
    spectrum.values.push_back(*value);
    dataSeen = true;
  }
  if (spectrum.energiesKeV.size() < 2) {
    throw MeasuredSpectrumError(name + ": a spectrum needs two rows energy,value or more, the file has " +
                                    std::to_string(spectrum.energiesKeV.size()),
                                0);
  }
  spectrum.photons = ResampleOntoGrid(spectrum.energiesKeV, spectrum.values);
  const double peak = *std::max_element(spectrum.photons.begin(), spectrum.photons.end());
  if (!(peak > 0) || !std::isfinite(peak)) {
    throw MeasuredSpectrumError(name + ": the spectrum holds no photons between 0.25 and 300.25 keV, or values too large to add up", 0);
  }
  for (double& value : spectrum.photons) value /= peak;
  return spectrum;
}

MeasuredSpectrum LoadMeasuredSpectrum(const std::string& path) {
  std::string bytes;
  try {
    bytes = ReadFileBytes(path);
  } catch (const FileSystemError& error) {
    throw MeasuredSpectrumError(error.what(), 0);
  }
  std::istringstream in(bytes, std::ios::binary);
  return ReadMeasuredSpectrum(in, path);
}

}  // namespace kestrix
