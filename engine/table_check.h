#pragma once
// The checks that both readers of the attenuation table apply to every row they read, so that the
// calculation and the engine accept and refuse the same tables.

#include <array>
#include <string>

namespace kestrix {

/// Smallest and largest coefficient a table row may hold [1/cm or cm2/g]: far beyond every real
/// coefficient, and inside single precision, so that the engine's copy is positive and finite too.
constexpr double kSmallestTableCoefficient = 1e-30;
constexpr double kLargestTableCoefficient = 1e30;

/// One row of the attenuation table as read: the energy of column 1 (in whatever unit the file
/// prints it; only its order matters) and the coefficients of columns 2 to 6 (W, Al, Cu, Be, air).
struct TableRowValues {
  double energy = 0;
  std::array<double, 5> coefficients{};
};

/// What makes row unusable after previous (nullptr for the first row), "" when nothing does:
/// an energy that is not positive or lies below the previous row's (rows out of order; a repeated
/// energy, as at an absorption edge or where the printed energy is rounded, is allowed), a
/// coefficient outside kSmallestTableCoefficient..kLargestTableCoefficient (negative, zero, not
/// finite), or a row equal to the previous one in all six numbers (a duplicated row).
std::string TableRowFault(const TableRowValues& row, const TableRowValues* previous);

}  // namespace kestrix
