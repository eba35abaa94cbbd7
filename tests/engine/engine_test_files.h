#pragma once
// Files the engine tests build: a smooth attenuation table and spectrum files.

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "engine_table.h"
#include "exchange_files.h"
#include "scratch_folder.h"

namespace kestrix::test {

/// One table row as the delivered file lays it out: "(E9.3,5E13.5)", 74 characters, no line end.
inline std::string TableRow(double energyKeV, double muW, double muAl, double muCu, double muBe, double muEnAir) {
  char row[128];
  std::snprintf(row, sizeof row, "%9.3E%13.5E%13.5E%13.5E%13.5E%13.5E", energyKeV / 1000.0, muW, muAl, muCu, muBe,
                muEnAir);
  return row;
}

/// Smooth, strictly falling coefficients without edges, of the size real ones have [1/cm, cm2/g].
inline double SyntheticMuAl(double keV) { return 2.699 * (0.16 + 2400.0 / std::pow(keV, 2.9)); }
inline double SyntheticMuCu(double keV) { return 8.96 * (0.15 + 30000.0 / std::pow(keV, 2.8)); }
inline double SyntheticMuEnAir(double keV) { return 0.026 + 3200.0 / std::pow(keV, 3.0); }

/// A table file of 1000 rows; muAl, muCu and muEnAir are functions of the energy in keV.
inline std::string TableText(const std::function<double(double)>& muAl = SyntheticMuAl,
                             const std::function<double(double)>& muCu = SyntheticMuCu,
                             const std::function<double(double)>& muEnAir = SyntheticMuEnAir) {
  std::string text;
  for (int i = 1; i <= 1000; ++i) {
    const double keV = 0.5 * i;
    text += TableRow(keV, 1.0, muAl(keV), muCu(keV), 0.3, muEnAir(keV)) + "\r\n";
  }
  return text;
}

/// A smooth bremsstrahlung-like relative spectrum up to kVp, maximum 1, filtered by 2 mm Al.
inline ExchangeSpectrum SmoothSpectrum(double kVp) {
  ExchangeSpectrum spectrum{};
  double peak = 0;
  for (int i = 2; i <= 600 && 0.5 * i < kVp; ++i) {
    const double keV = 0.5 * i;
    spectrum[i] = (kVp - keV) / keV * std::exp(-SyntheticMuAl(keV) * 0.2);
    peak = std::max(peak, spectrum[i]);
  }
  for (double& value : spectrum) value /= peak;
  return spectrum;
}

/// A spectrum with one non-zero line, 1.00000 at grid index i.
inline ExchangeSpectrum SingleLine(int index) {
  ExchangeSpectrum spectrum{};
  spectrum[index] = 1.0;
  return spectrum;
}

}  // namespace kestrix::test
