#pragma once
// Material files (*.ele, *.mix): the tabulated mass attenuation coefficients of one
// filter material, and their conversion to linear coefficients on the energy grid.
//
// Layout: line 1 is the description; then, separated by blanks, commas or line ends,
// the density, the row count N (2..120) and N rows of six numbers: energy [MeV],
// three partial mass attenuation coefficients [cm2/g], two numbers that are ignored.

#include <array>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

#include "arbitrary_filter_set.h"
#include "energy_grid.h"

namespace kestrix {

/// Fewest and most data rows a material file may hold.
constexpr int kMaterialRowsMin = 2;
constexpr int kMaterialRowsMax = 120;

struct MaterialFile {
  /// first line of the file, in UTF-8 (a line that is not UTF-8 is read as Shift_JIS, CP932)
  std::string description;
  /// density of the material [g/cm3]
  double density = 0;
  /// energy [MeV], partial 1..3 [cm2/g], total = sum of the partials [cm2/g]
  std::vector<std::array<double, 5>> rows;
};

/// Column positions inside MaterialFile::rows.
enum MaterialColumn { kMaterialEnergy = 0, kMaterialTotal = 4 };

/// what is wrong with a material file
enum class MaterialFault {
  Unreadable,          // it cannot be opened or read
  Empty,               // no description line
  MissingHeader,       // fewer than two numbers (density, row count) after the description
  BadRowCount,         // the row count is not a whole number from 2 to 120
  TooFewNumbers,       // the file ends inside row Row()
  NotANumber,          // an item on line Line() is not a number
  BadDensity,          // the density is not positive
  EnergiesOutOfOrder,  // row Row() has a lower energy than the row before it
  FirstEnergyTooHigh,  // the table starts above 1 keV
  LastEnergyTooLow,    // the table ends at or below 500 keV
  NonPositiveEnergy,   // row Row() has an energy <= 0 where the interpolation takes its logarithm
  NonPositiveTotal,    // row Row() has a total <= 0 where the interpolation takes its logarithm
  CoefficientTooLarge  // an interpolated coefficient is not finite
};

/// A material file that cannot be used; the text names the file and the fault in English,
/// Fault(), Line() and Row() let a front end word it in its own language.
class MaterialFileError : public std::runtime_error {
 public:
  explicit MaterialFileError(const std::string& message, MaterialFault fault = MaterialFault::Unreadable,
                             int line = 0, int row = 0)
      : std::runtime_error(message), fault_(fault), line_(line), row_(row) {}
  MaterialFault Fault() const { return fault_; }
  /// line of the file where the fault is, 0 when not known
  int Line() const { return line_; }
  /// data row (1 = first row after the header) where the fault is, 0 when not known
  int Row() const { return row_; }

 private:
  MaterialFault fault_;
  int line_;
  int row_;
};

/// Reads and checks a whole material file; throws MaterialFileError naming sourceName
/// and the fault (missing description, fewer than two header numbers, row count outside
/// 2..120 or not whole, too few numbers, an item that is not a number, a non-positive
/// density, energies out of order or not bracketing 1..500 keV, a non-positive energy
/// or total where the interpolation takes its logarithm).
MaterialFile ReadMaterialFile(std::istream& in, const std::string& sourceName);

/// The first line of a material file (without its line end) in UTF-8; throws when there is none.
std::string ReadMaterialDescription(std::istream& in, const std::string& sourceName);

/// Opens path and reads it as above; throws MaterialFileError when it cannot be opened.
MaterialFile LoadMaterialFile(const std::string& path);
std::string LoadMaterialDescription(const std::string& path);

/// Linear attenuation coefficients [1/cm] on the whole grid: log-log interpolation of
/// density x total at every whole keV (even index 2k), odd indices the mean of their
/// neighbours, index 1 equal to index 2, index 0 left at 0. Throws MaterialFileError
/// when the table does not pass the checks of ReadMaterialFile.
GridArray ArbitraryFilterCoefficientsFor(const MaterialFile& material);

/// Puts a filter into the next free slot and returns its number (1..3).
/// Throws std::length_error when all three slots are in use; nothing changes then.
int AddArbitraryFilter(ArbitraryFilterSet& filters, const GridArray& coefficients, double thicknessCm);

}  // namespace kestrix
