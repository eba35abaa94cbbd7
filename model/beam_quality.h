#pragma once
// Beam-quality figures beyond the engine's: first and second half-value layers in aluminium and
// copper, homogeneity coefficients and mean energies, in double precision from a relative photon
// spectrum. Layers are defined on air kerma, weighted as the engine weighs it (photon number x
// photon energy x mass energy-absorption coefficient of air, from 5.5 keV up), and found as roots of
// the continuous transmission curve.

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "attenuation_table.h"
#include "energy_grid.h"

namespace kestrix {

/// relative photon number by grid index 1..600 (index 0 unused) [relative]
using PhotonSpectrum = std::array<double, kExchangeLast + 1>;

/// first grid index that counts in the air kerma (5.5 keV), the engine's own limit
constexpr int kFirstKermaGridIndex = 11;
/// thickest layer searched; a layer beyond it is reported as missing [mm]
constexpr double kThickestLayerMm = 100;
/// relative accuracy to which every half-value layer is found
constexpr double kLayerRelativeAccuracy = 1e-9;
/// significant digits every figure is rounded to: the layers' accuracy, and few enough that the
/// last-bit differences between the mathematical libraries of two systems do not show
constexpr int kFigureSignificantDigits = 9;

enum class LayerMaterial { Aluminium, Copper };

/// Position of each figure in ExtendedBeamQuality and in ExtendedFigureFields().
enum ExtendedFigure : std::size_t {
  kHvl1Al,          /// first half-value layer in aluminium [mm Al]
  kHvl2Al,          /// second half-value layer in aluminium (air kerma from 1/2 to 1/4) [mm Al]
  kHomogeneityAl,   /// HVL1 / HVL2 in aluminium [1]
  kHvl1Cu,          /// first half-value layer in copper [mm Cu]
  kHvl2Cu,          /// second half-value layer in copper [mm Cu]
  kHomogeneityCu,   /// HVL1 / HVL2 in copper [1]
  kMeanEnergy,      /// fluence-weighted mean photon energy [keV]
  kKermaMeanEnergy, /// air-kerma-weighted mean photon energy [keV]
  kExtendedFigureCount
};

/// Name and print form of one extended figure.
struct ExtendedFigureField {
  const char* key;    /// machine-readable key, e.g. "hvl2_al_mm"
  const char* label;  /// e.g. "HVL2 Al [mm]"
  int decimals;       /// decimals printed in text output
};

/// The figures in ExtendedFigure order, one list for every output that names them.
const std::array<ExtendedFigureField, kExtendedFigureCount>& ExtendedFigureFields();

/// The extended figures of one beam. A figure that cannot be given has no value and a reason.
struct ExtendedBeamQuality {
  std::array<std::optional<double>, kExtendedFigureCount> values{};
  /// why the figure has no value (empty when it has one)
  std::array<std::string, kExtendedFigureCount> missing{};

  /// first half-value layer in the material [mm], when there is one
  std::optional<double> FirstHalfValueLayerMm(LayerMaterial material) const {
    return values[material == LayerMaterial::Aluminium ? kHvl1Al : kHvl1Cu];
  }
};

/// value rounded to `digits` significant digits with nothing but IEEE arithmetic, so that the result is
/// the same on every system (0 and values that are not finite stay as they are)
double RoundToSignificantDigits(double value, int digits);

/// The figures of the beam `spectrum` (relative photon numbers, any positive scale) with the
/// coefficients of `table`, each rounded to kFigureSignificantDigits. Never throws for any spectrum; a zero, negative or non-finite air
/// kerma, or a layer beyond 100 mm, gives missing figures with their reasons.
ExtendedBeamQuality ComputeExtendedBeamQuality(const PhotonSpectrum& spectrum, const AttenuationTable& table);

/// The same figures of a spectrum on the whole energy grid (grid index 1..1000, 0.5 to 500 keV), as the
/// physics model gives it above 300 kV; for a spectrum that is zero above 300 keV they are those of
/// ComputeExtendedBeamQuality bit for bit.
ExtendedBeamQuality ComputeExtendedBeamQualityOnGrid(const GridArray& spectrum, const AttenuationTable& table);

}  // namespace kestrix
