#include "calculation_run.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "emission_models.h"
#include "off_axis.h"
#include "transmission_emission.h"

namespace kestrix {

namespace {

std::string FormatNumber(double degrees) {
  std::ostringstream out;
  out.precision(10);
  out << degrees;
  return out.str();
}

void ClearSpectrum(CalculationState& state) {
  state.SpectrumBins.fill(0.0);
  state.SpectrumPeak = 0;
}

}  // namespace

RunInputs CorrectRunEntries(const RunEntries& entries, SpectrumModel model) {
  RunInputs inputs;
  inputs.kVp = entries.tubeVoltageKV;
  const VoltageRange range = ModelVoltageRange(model, entries.target, entries.transmission);
  inputs.target = entries.target;
  inputs.transmission = entries.transmission;
  inputs.characteristicLines = entries.characteristicLines;
  inputs.offAxisAlongDegrees = entries.offAxisAlongDegrees;
  inputs.offAxisAcrossDegrees = entries.offAxisAcrossDegrees;
  if (inputs.kVp > range.highest) {
    inputs.tubeVoltageText = FormatNumber(range.highest);
    inputs.kVp = range.highest;
  } else if (!(inputs.kVp > range.lowest)) {
    // at or below the minimum, and no number at all, run at the minimum
    inputs.tubeVoltageText = FormatNumber(range.lowest);
    inputs.kVp = range.lowest;
  }
  inputs.targetAngleDegrees = entries.targetAngleDegrees;

  FilterSet& f = inputs.filters;
  f.tBe = entries.berylliumMm * kCentimetresPerMillimetre;
  f.tAlInh = entries.aluminiumEquivalentMm * kCentimetresPerMillimetre;
  // Tucker's model needs some inherent filtration; Birch's accepts none, but not a negative one
  const double inherent = f.tBe + f.tAlInh;
  const bool impossible = model == SpectrumModel::Tucker ? inherent <= 0 : inherent < 0;
  if (impossible) {
    inputs.inherentFiltrationReplaced = true;
    f.tAlInh = kReplacementInherentAluminium;
    f.tBe = 0;
  }
  f.tAlAdd = entries.addedAluminiumMm * kCentimetresPerMillimetre;
  f.tCu = entries.addedCopperMm * kCentimetresPerMillimetre;
  return inputs;
}

double CosecantOfTargetAngle(double degrees) {
  const double sine = std::sin(DegreesToRadians(degrees));
  // a whole multiple of 180 degrees has sine 0; only the rounded pi of the conversion makes it differ
  const bool multipleOfHalfTurn = std::isfinite(degrees) && std::fmod(degrees, 180.0) == 0.0;
  const double cosecant = 1.0 / sine;
  if (!std::isfinite(degrees) || multipleOfHalfTurn || !(sine > 0) || !std::isfinite(cosecant)) {
    throw RunError(RunRefusal::TargetAngle, degrees, "Target angle " + FormatNumber(degrees) +
                   " degrees is not usable: its sine must be positive (use an angle between 0 and 180 degrees).");
  }
  return cosecant;
}

double FindSpectrumPeak(const GridArray& bins, double kVp) {
  double peak = 0;
  const int top = TopBinFor(kVp);
  for (int i = 2; i <= top; ++i) {
    if (bins[i] > peak) peak = bins[i];
  }
  return peak;
}

void ComputePhotonSpectrum(const RunInputs& inputs, SpectrumModel model, RectificationType type,
                           CalculationState& state) {
  if (!state.tableLoaded) {
    throw RunError(RunRefusal::NoTable, 0, "No attenuation table is loaded, so no spectrum can be computed.");
  }
  // any layer but zero asks for a transmission target (a negative one, or none, is refused below)
  const bool transmission = inputs.transmission.layerUm != 0;
  const VoltageRange range = ModelVoltageRange(model, inputs.target, inputs.transmission);
  if (!range.Contains(inputs.kVp)) {
    throw RunError(RunRefusal::VoltageOutOfRange, inputs.kVp,
                   "Tube voltage " + FormatNumber(inputs.kVp) + " kV is outside " + FormatNumber(range.lowest) +
                       " to " + FormatNumber(range.highest) + " kV.");
  }
  if (transmission) {
    if (const auto refusal = TransmissionRefusal(model, inputs.target, inputs.transmission, inputs.kVp)) {
      throw RunError(RunRefusal::Transmission, inputs.transmission.layerUm,
                     "The transmission target cannot be computed: " + *refusal + ".");
    }
  }
  // a transmission target's beam leaves along the layer's normal: no target angle, the model's
  // "cosecant" is the ray's path factor 1 / cos psi
  double cosecTheta = transmission ? 1.0 : CosecantOfTargetAngle(inputs.targetAngleDegrees);
  // off the central ray: the ray's own angle to the target surface, longer paths through the filters
  FilterSet filters = inputs.filters;
  // the material filters' own thicknesses come back however the run ends
  struct KeepThicknesses {
    CalculationState& state;
    std::array<double, kArbitraryFilterSlots + 1> given;
    ~KeepThicknesses() { state.filters.thickness = given; }
  } keep{state, state.filters.thickness};
  if (transmission && (inputs.offAxisAlongDegrees != 0 || inputs.offAxisAcrossDegrees != 0)) {
    double pathFactor = 1;
    try {
      pathFactor = TransmissionPathFactor(inputs.offAxisAlongDegrees, inputs.offAxisAcrossDegrees);
    } catch (const std::invalid_argument& refusal) {
      throw RunError(RunRefusal::TargetAngle, inputs.offAxisAlongDegrees,
                     std::string("The point off the central ray: ") + refusal.what() + ".");
    }
    cosecTheta = pathFactor;
    for (double* thickness : {&filters.tBe, &filters.tAlInh, &filters.tAlAdd, &filters.tCu}) *thickness *= pathFactor;
    for (double& thickness : state.filters.thickness) thickness *= pathFactor;
  } else if (inputs.offAxisAlongDegrees != 0 || inputs.offAxisAcrossDegrees != 0) {
    if (const auto refusal = OffAxisRefusal(inputs.targetAngleDegrees, inputs.offAxisAlongDegrees,
                                            inputs.offAxisAcrossDegrees)) {
      throw RunError(RunRefusal::TargetAngle, inputs.offAxisAlongDegrees, "The point off the central ray: " + *refusal + ".");
    }
    const OffAxisGeometry ray =
        OffAxisGeometryOf(inputs.targetAngleDegrees, inputs.offAxisAlongDegrees, inputs.offAxisAcrossDegrees);
    cosecTheta = ray.cosecTakeOff;
    for (double* thickness : {&filters.tBe, &filters.tAlInh, &filters.tAlAdd, &filters.tCu}) *thickness *= ray.pathFactor;
    for (double& thickness : state.filters.thickness) thickness *= ray.pathFactor;
  }

  // A refused run must leave the last spectrum as it was: the graph's read-out and the
  // exports still refer to it.
  const GridArray previousBins = state.SpectrumBins;
  const double previousPeak = state.SpectrumPeak;
  const auto refuse = [&](RunRefusal reason, double value, const std::string& message) {
    state.SpectrumBins = previousBins;
    state.SpectrumPeak = previousPeak;
    throw RunError(reason, value, message);
  };

  ClearSpectrum(state);
  if (transmission) {
    const TransmissionEmissionModel emission(inputs.transmission, inputs.characteristicLines);
    SynthesizeSpectrum(emission, inputs.kVp, cosecTheta, type, filters, state);
  } else {
    SynthesizeSpectrum(EmissionModelFor(model, inputs.target, inputs.characteristicLines), inputs.kVp, cosecTheta,
                       type, filters, state);
  }

  const int top = TopBinFor(inputs.kVp);
  for (int i = 2; i <= top; ++i) {
    // the exposure and energy displays multiply by E and the air coefficient; they must stay finite too
    const double energy = state.SpectrumBins[i] * PhotonEnergy(i);
    if (!std::isfinite(state.SpectrumBins[i]) || !std::isfinite(energy) ||
        !std::isfinite(state.SpectrumBins[i] * state.table.muEnAir[i] * PhotonEnergy(i))) {
      refuse(RunRefusal::NotFinite, PhotonEnergy(i),
             "The spectrum cannot be computed: at " + FormatNumber(PhotonEnergy(i)) +
                 " keV it is not a finite number. Check the filter thicknesses.");
    }
  }
  const double peak = FindSpectrumPeak(state.SpectrumBins, inputs.kVp);
  if (peak == 0) {
    refuse(RunRefusal::EverythingAbsorbed, 0,
           transmission
               ? "Everything is absorbed: the filtered spectrum is zero at every energy. Reduce the filtration, "
                 "the tungsten layer or the window."
               : "Everything is absorbed: the filtered spectrum is zero at every energy. Reduce the filtration, "
                 "or use a larger target angle (at a grazing angle the target itself absorbs the beam).");
  }
  state.SpectrumPeak = peak;
}

std::array<double, kExchangeLast + 1> RelativePhotonSpectrum(const CalculationState& state, double kVp) {
  std::array<double, kExchangeLast + 1> relative{};
  if (state.SpectrumPeak == 0) return relative;
  const int top = std::min(TopBinFor(kVp), kExchangeLast);
  for (int i = 2; i <= top; ++i) relative[i] = state.SpectrumBins[i] / state.SpectrumPeak;
  return relative;
}

GridArray RelativePhotonSpectrumOnGrid(const CalculationState& state, double kVp) {
  GridArray relative{};
  if (state.SpectrumPeak == 0) return relative;
  const int top = TopBinFor(kVp);
  for (int i = 2; i <= top; ++i) relative[i] = state.SpectrumBins[i] / state.SpectrumPeak;
  return relative;
}

void ApplyDisplayQuantity(DisplayQuantity quantity, double kVp, CalculationState& state) {
  if (quantity == DisplayQuantity::PhotonNumber) return;
  const int top = TopBinFor(kVp);
  for (int i = 2; i <= top; ++i) {
    if (quantity == DisplayQuantity::Exposure) {
      state.SpectrumBins[i] = state.SpectrumBins[i] * state.table.muEnAir[i] * PhotonEnergy(i);
    } else {
      state.SpectrumBins[i] = state.SpectrumBins[i] * PhotonEnergy(i);
    }
  }
  state.SpectrumPeak = FindSpectrumPeak(state.SpectrumBins, kVp);
}

}  // namespace kestrix
