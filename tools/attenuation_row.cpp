#include "attenuation_row.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace kestrix::tools {

namespace {

void RequirePositive(double value, const char* what) {
  if (!(value > 0) || !std::isfinite(value)) {
    throw std::invalid_argument(std::string(what) + " must be finite and positive");
  }
}

}  // namespace

std::string FormatEnergyE93(double energy) {
  RequirePositive(energy, "energy");
  // "d.ddE+xx" rounded to three significant digits, then shifted to "0.dddE+yy".
  char scientific[32];
  std::snprintf(scientific, sizeof scientific, "%.2E", energy);
  const std::string text(scientific);
  const std::string digits = text.substr(0, 1) + text.substr(2, 2);
  const int exponent = std::atoi(text.c_str() + 5) + 1;
  if (std::abs(exponent) > 99) {
    throw std::invalid_argument("energy does not fit E9.3");
  }
  char field[16];
  std::snprintf(field, sizeof field, "0.%sE%c%02d", digits.c_str(), exponent < 0 ? '-' : '+', std::abs(exponent));
  return field;
}

std::string FormatAttenuationRow(double energyKeV, const std::array<double, 5>& coefficients) {
  std::string row = FormatEnergyE93(energyKeV);
  for (double coefficient : coefficients) {
    RequirePositive(coefficient, "attenuation coefficient");
    // A double's exponent has at most three digits, so this always fills exactly 13.
    char field[32];
    std::snprintf(field, sizeof field, "%13.5E", coefficient);
    row += field;
  }
  return row;
}

}  // namespace kestrix::tools
