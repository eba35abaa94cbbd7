#pragma once
// Attenuation coefficients of the target, the fixed filters and air on the energy grid.

#include <istream>
#include <stdexcept>
#include <string>

#include "energy_grid.h"

namespace kestrix {

/// file name of the delivered table, looked up in the working directory
inline constexpr const char* kAttenuationTableFile = "MUs_202202.data";
/// table rows read: grid indices 1..1000, six numbers each (energy, W, Al, Cu, Be, air)
constexpr int kAttenuationTableRows = 1000;
constexpr int kNumbersPerTableRow = 6;

/// Coefficients by grid index, filled for indices 1..1000 (index 0 stays 0 and is never read).
struct AttenuationTable {
  GridArray muW{};      /// linear attenuation coefficient of tungsten, the target [1/cm]
  GridArray muAl{};     /// linear attenuation coefficient of aluminium [1/cm]
  GridArray muCu{};     /// linear attenuation coefficient of copper [1/cm]
  GridArray muBe{};     /// linear attenuation coefficient of beryllium, the window [1/cm]
  GridArray muEnAir{};  /// mass energy-absorption coefficient of air [cm2/g]
};

/// what is wrong with a table file
enum class TableFault {
  Unreadable,  // it cannot be opened or read
  TooShort,    // it ends before the last number of row 1000
  NotANumber,  // an item on line Line() is not a number
  BadValue     // line Line() is blank, or its row is out of order, duplicated or holds a coefficient
               // that is not positive and finite (TableRowFault)
};

/// A table that cannot be read; the text names the source and the row, Fault() and Line()
/// let a front end word it in its own language.
class TableLoadError : public std::runtime_error {
 public:
  explicit TableLoadError(const std::string& message, TableFault fault = TableFault::Unreadable, int line = 0)
      : std::runtime_error(message), fault_(fault), line_(line) {}
  TableFault Fault() const { return fault_; }
  /// line of the file where the fault is, 0 when not known
  int Line() const { return line_; }

 private:
  TableFault fault_;
  int line_;
};

/// Reads the table as list input: 6000 numbers separated by blanks, commas or line ends,
/// six to a table row (the energy, which is dropped, then W, Al, Cu, Be, air). The row
/// number alone fixes a row's energy. Throws TableLoadError naming `sourceName`, the row
/// and the line when an item is not a number, fewer than 6000 numbers are present, a blank
/// line comes before the 6000th number, or a row fails TableRowFault (energies out of order,
/// a duplicated row, a coefficient that is not positive and finite); numbers after the 6000th
/// are not read.
AttenuationTable ReadAttenuationTable(std::istream& in, const std::string& sourceName);

}  // namespace kestrix
