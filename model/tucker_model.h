#pragma once
// Tucker's formula for the unfiltered emission of a tungsten target at one tube voltage,
// and the anode terms that Birch's formula shares: electron range, photon path out of the
// target and the four tungsten K lines.

#include <array>

#include "attenuation_table.h"
#include "energy_grid.h"
#include "model_codes.h"

namespace kestrix {

/// Coefficients of the tungsten anode, used by both spectrum models.
namespace anode_coefficients {
/// Thomson-Whiddington polynomial in the tube voltage T0 [kV]:
/// C = ((((c0 + c1 T0) - c2 T0^2) + c3 T0^3) - c4 T0^4) [keV^2 cm^2/g]
constexpr double kThomsonWhiddington0 = 141766;
constexpr double kThomsonWhiddington1 = 12157;
constexpr double kThomsonWhiddington2 = 111.046;
constexpr double kThomsonWhiddington3 = 0.552536;
constexpr double kThomsonWhiddington4 = 0.000970158;
/// density of the tungsten target [g/cm3]
constexpr double kTargetDensity = 19.3;
/// electron rest energy [keV]
constexpr double kElectronRestEnergy = 511;
/// step of the electron energy while it slows down in the target [keV]
constexpr double kElectronEnergyStep = 0.5;
/// K lines appear only for tube voltages strictly above this [kV]
constexpr double kKLineThreshold = 70;
/// K-line to bremsstrahlung ratio fit, R = (sqrt(a T0 - b) - c) / d [percent]
constexpr double kKRatioA = 8.79856;
constexpr double kKRatioB = 595.149;
constexpr double kKRatioC = 4.55528;
constexpr double kKRatioD = 4.39928;
/// the ratio R is a percentage
constexpr double kPercent = 0.01;

/// one tungsten K line: its grid index and its share of the K-line total
struct KLine {
  int bin;
  double fraction;
};
/// the four K lines in the order they are added (shares add up to 1)
constexpr std::array<KLine, 4> kKLines{{
    {119, 0.5048},  // 59.5 keV
    {116, 0.2908},  // 58.0 keV
    {134, 0.162},   // 67.0 keV
    {138, 0.0424},  // 69.0 keV
}};
}  // namespace anode_coefficients

/// Coefficients of Tucker's bremsstrahlung cross-section and stopping term.
namespace tucker_coefficients {
/// prefactor A(E) = a0 + a1 E, E the photon energy [keV]
constexpr double kPrefactor0 = 0.03658;
constexpr double kPrefactor1 = 2.9e-05;
/// shape B(x) = 1 - b1 x + b2 x^2 - b3 x^3 + b4 x^4, x = E / T
constexpr double kShape1 = 5.049;
constexpr double kShape2 = 10.847;
constexpr double kShape3 = 10.516;
constexpr double kShape4 = 3.842;
/// stopping term P(T) = p0 exp(-p1 T) + p2, T the electron energy [keV]
constexpr double kStopping0 = 1036.1;
constexpr double kStopping1 = 0.04695;
constexpr double kStopping2 = 202.41;
/// above this tube voltage the K-line ratio is fixed [kV]
constexpr double kKRatioCapVoltage = 200;
/// the fixed K-line ratio above kKRatioCapVoltage [percent]
constexpr double kKRatioCap = 7.0;
}  // namespace tucker_coefficients

/// Thomson-Whiddington constant for a sample of tube voltage T0 [kV] [keV^2 cm^2/g]
double ThomsonWhiddingtonConstant(double T0);

/// Path out of the target [cm] of a photon made where an electron of initial energy T0 [keV]
/// has slowed to T [keV]; C from ThomsonWhiddingtonConstant, cosecTheta = 1 / sin(target angle).
double ElectronPathLength(double T0, double T, double C, double cosecTheta);

/// K-line to bremsstrahlung ratio for tube voltage T0 [kV] [percent]: 0 up to 70 kV, the fit
/// above; Tucker fixes it at 7.0 above 200 kV, Birch has no cap.
double CharacteristicRatio(double T0, SpectrumModel model);

/// Adds the four K lines of a sample of voltage T0 [kV] with ratio R [percent] to the
/// bremsstrahlung in bins 2..floor(2 T0) of `phaseEmission`; nothing when T0 <= 70.
void AddKLines(double T0, double R, GridArray& phaseEmission);

/// Tucker emission of one sample of tube voltage T0 [kV]: writes bins 2..floor(2 T0) of
/// `phaseEmission` (bremsstrahlung plus K lines) and leaves every other bin as it was.
/// cosecTheta = 1 / sin(target angle); the table supplies the tungsten coefficients.
/// T0 must not exceed the grid's 500 keV (std::out_of_range otherwise).
void TuckerEmission(double T0, double cosecTheta, const AttenuationTable& table, GridArray& phaseEmission);

}  // namespace kestrix
