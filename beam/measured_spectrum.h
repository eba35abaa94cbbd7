#pragma once
// A photon spectrum measured with a spectrometer (or taken from a catalogue of spectra), read from a
// comma-separated file and put on the program's 0.5 keV grid, so that every figure of a computed
// beam can be given for it by the same code.
//
// The file: '#' lines and blank lines are skipped; an optional header row names the columns (the
// first one "energy_keV", "keV", "energy_MeV" or "MeV" gives the energy unit, keV without a header);
// then one row per energy, "energy,value", with the energies rising. A value is the spectrum's
// photons per unit energy at that energy, on any scale (counts per channel of equal channels are
// that too). Row k stands for the interval from halfway to the energy before to halfway to the one
// after (the first and the last row's intervals are symmetric about their energies), and holds its
// value times the interval's width in photons.

#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

#include "exchange_files.h"

namespace kestrix {

/// A file that is not a usable spectrum; the text names the file and the line.
class MeasuredSpectrumError : public std::runtime_error {
 public:
  MeasuredSpectrumError(const std::string& message, int line) : std::runtime_error(message), line_(line) {}
  /// line of the file where the fault is, 0 for the file as a whole
  int Line() const { return line_; }

 private:
  int line_;
};

/// A measured spectrum as the file gave it and on the grid.
struct MeasuredSpectrum {
  std::string source;                 /// the file's name as given
  std::vector<double> energiesKeV;    /// the rows' energies [keV]
  std::vector<double> values;         /// the rows' photons per unit energy [per keV, any scale]
  /// photons of bin i (0.5 i - 0.25 to 0.5 i + 0.25 keV), bins 1..600, relative to the fullest bin [relative]
  ExchangeSpectrum photons{};
};

/// Photons per bin of the 0.5 keV grid (bins 1..600) from rows of energies [keV] and photons per keV,
/// each row's photons spread evenly over its interval (see above) and shared among the bins by
/// overlap; what lies outside the grid's 0.25 to 300.25 keV is dropped. The photons of every interval
/// are kept. Expects energies rising and values of 0 or more (ReadMeasuredSpectrum checks them).
ExchangeSpectrum ResampleOntoGrid(const std::vector<double>& energiesKeV, const std::vector<double>& perKeV);

/// Reads the file's text from in; name is the file's name for messages. Throws MeasuredSpectrumError
/// naming the file and the line for a field that is not a number, a row without two fields, an
/// energy that is not positive or not above the one before, or above 300 keV, a negative value, fewer
/// than two rows, or no photons on the grid. A UTF-8 byte-order mark at the start is skipped.
MeasuredSpectrum ReadMeasuredSpectrum(std::istream& in, const std::string& name);

/// ReadMeasuredSpectrum of the file at path (UTF-8); also throws MeasuredSpectrumError when it cannot
/// be read.
MeasuredSpectrum LoadMeasuredSpectrum(const std::string& path);

}  // namespace kestrix
