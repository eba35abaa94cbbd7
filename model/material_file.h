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
  std::string description;
  /// density of the material [g/cm3]
  double density = 0;
  /// energy [MeV], partial 1..3 [cm2/g], total = sum of the partials [cm2/g]
  std::vector<std::array<double, 5>> rows;
};

/// Column positions inside MaterialFile::rows.
enum MaterialColumn { kMaterialEnergy = 0, kMaterialTotal = 4 };

class MaterialFileError : public std::runtime_error {
  using runtime_error::runtime_error;
};

/// Reads and checks a whole material file; throws MaterialFileError naming sourceName
/// and the fault (missing description, fewer than two header numbers, row count outside
/// 2..120 or not whole, too few numbers, an item that is not a number, a non-positive
/// density, energies out of order or not bracketing 1..500 keV, a non-positive energy
/// or total where the interpolation takes its logarithm).
MaterialFile ReadMaterialFile(std::istream& in, const std::string& sourceName);

/// The first line of a material file (without its line end); throws when there is none.
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
