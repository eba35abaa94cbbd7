#pragma once
// The two text files through which Kestrix and Quillon exchange the spectrum and the results.

#include <array>
#include <istream>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>

namespace kestrix {

inline constexpr const char* kSpectrumExchangeFile = "B_SPCTL.temp";
inline constexpr const char* kResultFile = "HVL_S2.temp";

/// Grid indices held by the exchange files: 1..600, 0.5 keV to 300 keV.
constexpr int kExchangeRows = 600;

/// Relative photon number N(i)/Nmax at grid index i = 1..600 (energy 0.5*i keV); index 0 unused.
using ExchangeSpectrum = std::array<double, 601>;

/// A missing, short or garbled exchange file; the text names the file and the line, Line() gives
/// the line for a front end that words the message itself.
class ExchangeFileError : public std::runtime_error {
 public:
  explicit ExchangeFileError(const std::string& message, int line = 0) : std::runtime_error(message), line_(line) {}
  /// line of the file where the fault is, 0 when not known
  int Line() const { return line_; }

 private:
  int line_;
};

/// 600 lines "0000.0, 0.00000" + CR LF (17 bytes each, 10200 bytes in all): energy 0.5*i keV and the
/// relative photon number, always with "." as the decimal point. Throws ExchangeFileError, before writing
/// anything, when a value is not finite or would not fill its 7 characters exactly (negative, >= 9.999995).
void WriteSpectrumExchange(std::ostream& out, const ExchangeSpectrum& spectrum);

/// List input (items separated by blanks, commas or line ends), two numbers per row for 600 rows: the
/// energy is dropped, the value goes to index i. Throws ExchangeFileError naming name and the line,
/// also for a negative photon number.
ExchangeSpectrum ReadSpectrumExchangeList(std::istream& in, const std::string& name);

/// The engine's read: 600 records with the format "(F6.1,A1,F8.5)", the third field to index i.
/// Throws ExchangeFileError naming name and the line when a record is missing, a field is not a number
/// or the photon number is negative.
ExchangeSpectrum ReadSpectrumExchangeRecords(std::istream& in, const std::string& name);

/// The five results of one engine run; nullopt stands for a field of asterisks in the result file.
struct EngineResults {
  std::optional<double> hvlAlMm;               /// first half-value layer in aluminium [mm]
  std::optional<double> effectiveEnergyAlKeV;  /// effective energy from the aluminium layer [keV]
  std::optional<double> hvlCuMm;               /// first half-value layer in copper [mm]
  std::optional<double> effectiveEnergyCuKeV;  /// effective energy from the copper layer [keV]
  std::optional<double> photonsPerMm2PerCkg;   /// photons per mm2 giving an exposure of 1 C/kg [1/mm2 per C/kg]
};

/// Five records "(F6.3)", "(F6.2)", "(F6.3)", "(F6.2)", "(F15.0)", each + CR LF (49 bytes); a missing value
/// or one that does not fit is written as a field of asterisks.
void WriteResultFile(std::ostream& out, const EngineResults& results);

/// List input of five numbers in file order; a field of asterisks reads as nullopt.
/// Throws ExchangeFileError naming name and the line when a value is missing or garbled.
EngineResults ReadResultFile(std::istream& in, const std::string& name);

}  // namespace kestrix
