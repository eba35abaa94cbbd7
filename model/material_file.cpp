#include "material_file.h"

#include <cmath>
#include <optional>
#include <sstream>

#include "engine/file_system.h"
#include "engine/message_text.h"
#include "input_number.h"
#include "text_encoding.h"

namespace kestrix {
namespace {

/// Lowest and highest whole-keV energy that the filter coefficients are interpolated at.
constexpr int kFirstKeV = 1;
constexpr int kLastKeV = kGridLast / 2;
constexpr double kFirstMeV = kFirstKeV / 1000.0;
constexpr double kLastMeV = kLastKeV / 1000.0;

std::string Fault(const std::string& source, const std::string& what) { return source + ": " + what; }

std::string Show(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

/// Splits the text after the description into list items: an item ends at a blank,
/// a comma or a line end; one comma after an item (blanks around it allowed) is its
/// separator, so a second comma in a row yields an empty item.
class ListItemReader {
 public:
  ListItemReader(std::istream& in, int line) : in_(in), line_(line) {}

  /// The next item and the line it starts on; false at the end of the input.
  bool Next(std::string& item, int& itemLine) {
    SkipBlanks();
    if (in_.peek() == std::char_traits<char>::eof()) return false;
    item.clear();
    itemLine = line_;
    for (int c = in_.peek(); c != std::char_traits<char>::eof() && c != ',' && !IsBlank(c); c = in_.peek()) {
      item.push_back(static_cast<char>(in_.get()));
    }
    SkipBlanks();
    if (in_.peek() == ',') in_.get();
    return true;
  }

 private:
  static bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

  void SkipBlanks() {
    for (int c = in_.peek(); c != std::char_traits<char>::eof() && IsBlank(c); c = in_.peek()) {
      if (in_.get() == '\n') ++line_;
    }
  }

  std::istream& in_;
  int line_;
};

/// Reads the next list item as a number; false at the end of the input.
bool NextNumber(ListItemReader& items, const std::string& source, double& value) {
  std::string item;
  int line = 0;
  if (!items.Next(item, line)) return false;
  const std::optional<double> number = ParseWholeNumber(item);
  if (!number) {
    throw MaterialFileError(Fault(source, "line " + std::to_string(line) + ": " + QuotedExcerpt(item) + " is not a number"),
                            MaterialFault::NotANumber, line);
  }
  value = *number;
  return true;
}

/// Index of the first row whose energy is above e; rows before it are at or below e.
std::size_t RowAbove(const MaterialFile& material, double e) {
  std::size_t j = 0;
  while (j < material.rows.size() && e >= material.rows[j][kMaterialEnergy]) ++j;
  return j;
}

double EnergyMeV(int keV) { return keV / 1000.0; }

/// Checks what the interpolation relies on: enough rows, energies in order and
/// bracketing 1..500 keV, positive energies and totals in every row it touches.
void CheckTable(const MaterialFile& material, const std::string& source) {
  const auto& rows = material.rows;
  if (rows.size() < static_cast<std::size_t>(kMaterialRowsMin) || rows.size() > static_cast<std::size_t>(kMaterialRowsMax)) {
    throw MaterialFileError(Fault(source, "the row count " + std::to_string(rows.size()) + " is outside 2 to 120"),
                            MaterialFault::BadRowCount);
  }
  if (!(material.density > 0) || !std::isfinite(material.density)) {
    throw MaterialFileError(Fault(source, "the density " + Show(material.density) + " g/cm3 is not positive"),
                            MaterialFault::BadDensity);
  }
  for (std::size_t r = 1; r < rows.size(); ++r) {
    if (rows[r][kMaterialEnergy] < rows[r - 1][kMaterialEnergy]) {
      const std::string order = "energies out of order: row " + std::to_string(r + 1) + " (" +
                                Show(rows[r][kMaterialEnergy]) + " MeV) is below row " + std::to_string(r) + " (" +
                                Show(rows[r - 1][kMaterialEnergy]) + " MeV)";
      throw MaterialFileError(Fault(source, order),
                              MaterialFault::EnergiesOutOfOrder, 0, static_cast<int>(r + 1));
    }
  }
  if (!(rows.front()[kMaterialEnergy] <= kFirstMeV)) {
    throw MaterialFileError(Fault(source, "the first energy " + Show(rows.front()[kMaterialEnergy]) +
                                              " MeV is above 0.001 MeV, so 1 keV is not covered"),
                            MaterialFault::FirstEnergyTooHigh);
  }
  if (!(rows.back()[kMaterialEnergy] > kLastMeV)) {
    throw MaterialFileError(Fault(source, "the last energy " + Show(rows.back()[kMaterialEnergy]) +
                                              " MeV is not above 0.5 MeV, so 500 keV is not covered"),
                            MaterialFault::LastEnergyTooLow);
  }
  for (int k = kFirstKeV; k <= kLastKeV; ++k) {
    const std::size_t j = RowAbove(material, EnergyMeV(k));
    for (std::size_t r : {j - 1, j}) {
      if (!(rows[r][kMaterialEnergy] > 0)) {
        throw MaterialFileError(Fault(source, "row " + std::to_string(r + 1) + ": the energy " +
                                                  Show(rows[r][kMaterialEnergy]) + " MeV is not positive"),
                                MaterialFault::NonPositiveEnergy, 0, static_cast<int>(r + 1));
      }
      if (!(rows[r][kMaterialTotal] > 0)) {
        throw MaterialFileError(Fault(source, "row " + std::to_string(r + 1) + ": the total attenuation " +
                                                  Show(rows[r][kMaterialTotal]) + " cm2/g is not positive"),
                                MaterialFault::NonPositiveTotal, 0, static_cast<int>(r + 1));
      }
    }
  }
}

/// Log-log interpolation of the total between the rows around each whole keV.
GridArray InterpolatedCoefficients(const MaterialFile& material) {
  GridArray mu{};
  for (int k = kFirstKeV; k <= kLastKeV; ++k) {
    // k / 1000 is the double nearest k keV in MeV, so it equals a tabulated energy written as that decimal.
    const double e = EnergyMeV(k);
    const std::size_t j = RowAbove(material, e);
    const auto& below = material.rows[j - 1];
    const auto& above = material.rows[j];
    const double logTotal = std::log(below[kMaterialTotal]) +
                            (std::log(e) - std::log(below[kMaterialEnergy])) /
                                (std::log(above[kMaterialEnergy]) - std::log(below[kMaterialEnergy])) *
                                (std::log(above[kMaterialTotal]) - std::log(below[kMaterialTotal]));
    mu[2 * k] = material.density * std::exp(logTotal);
  }
  for (int m = 3; m < kGridLast; m += 2) mu[m] = 0.5 * (mu[m - 1] + mu[m + 1]);
  mu[1] = mu[2];
  return mu;
}

GridArray CheckedCoefficients(const MaterialFile& material, const std::string& source) {
  CheckTable(material, source);
  GridArray mu = InterpolatedCoefficients(material);
  for (int i = 1; i <= kGridLast; ++i) {
    if (!std::isfinite(mu[i])) {
      throw MaterialFileError(Fault(source, "the attenuation coefficient at " + Show(kKeVPerGridIndex * i) +
                                                " keV is too large to compute"),
                              MaterialFault::CoefficientTooLarge);
    }
  }
  return mu;
}

}  // namespace

std::string ReadMaterialDescription(std::istream& in, const std::string& sourceName) {
  std::string description;
  if (!std::getline(in, description)) {
    throw MaterialFileError(Fault(sourceName, "the file is empty"), MaterialFault::Empty);
  }
  if (!description.empty() && description.back() == '\r') description.pop_back();
  // Japanese Windows editors save in Shift_JIS; from here on the description is UTF-8.
  return UserTextToUtf8(description);
}

MaterialFile ReadMaterialFile(std::istream& in, const std::string& sourceName) {
  MaterialFile material;
  material.description = ReadMaterialDescription(in, sourceName);
  ListItemReader items(in, 2);
  double count = 0;
  if (!NextNumber(items, sourceName, material.density) || !NextNumber(items, sourceName, count)) {
    throw MaterialFileError(Fault(sourceName, "fewer than two numbers (density and row count) after the description"),
                            MaterialFault::MissingHeader);
  }
  if (count != std::floor(count) || count < kMaterialRowsMin || count > kMaterialRowsMax) {
    throw MaterialFileError(Fault(sourceName, "the row count " + Show(count) + " is not a whole number from 2 to 120"),
                            MaterialFault::BadRowCount);
  }
  const int rowCount = static_cast<int>(count);
  for (int r = 1; r <= rowCount; ++r) {
    std::array<double, 6> numbers{};
    for (std::size_t c = 0; c < numbers.size(); ++c) {
      if (!NextNumber(items, sourceName, numbers[c])) {
        throw MaterialFileError(Fault(sourceName, "too few numbers: the file ends in row " + std::to_string(r) + " of " +
                                                      std::to_string(rowCount)),
                                MaterialFault::TooFewNumbers, 0, r);
      }
    }
    material.rows.push_back({numbers[0], numbers[1], numbers[2], numbers[3], numbers[1] + numbers[2] + numbers[3]});
  }
  CheckedCoefficients(material, sourceName);
  return material;
}

namespace {

std::istringstream OpenMaterialFile(const std::string& path) {
  try {
    return std::istringstream(ReadFileBytes(path), std::ios::binary);
  } catch (const FileSystemError& error) {
    throw MaterialFileError(Fault(path, "the file cannot be opened (" + error.reason() + ")"));
  }
}

}  // namespace

MaterialFile LoadMaterialFile(const std::string& path) {
  std::istringstream in = OpenMaterialFile(path);
  return ReadMaterialFile(in, path);
}

std::string LoadMaterialDescription(const std::string& path) {
  std::istringstream in = OpenMaterialFile(path);
  return ReadMaterialDescription(in, path);
}

GridArray ArbitraryFilterCoefficientsFor(const MaterialFile& material) {
  return CheckedCoefficients(material, "material table " + QuotedExcerpt(material.description));
}

int AddArbitraryFilter(ArbitraryFilterSet& filters, const GridArray& coefficients, double thicknessCm) {
  if (filters.count >= 3) throw std::length_error("all three arbitrary filter slots are in use");
  const int slot = filters.count + 1;
  filters.coefficients[slot] = coefficients;
  filters.thickness[slot] = thicknessCm;
  filters.count = slot;
  return slot;
}

}  // namespace kestrix
