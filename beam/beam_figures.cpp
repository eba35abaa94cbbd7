#include "beam_figures.h"

#include <cmath>

#include "decimal_text.h"

namespace kestrix {

const std::vector<FigureField>& FigureFields() {
  static const std::vector<FigureField> fields{
      {"HVL Al [mm]", "hvl_al_mm", 6, 3},
      {"effective energy Al [keV]", "effective_energy_al_keV", 6, 2},
      {"HVL Cu [mm]", "hvl_cu_mm", 6, 3},
      {"effective energy Cu [keV]", "effective_energy_cu_keV", 6, 2},
      {"photons per mm2 per C/kg", "photons_per_mm2_per_Ckg", 15, 0},
  };
  return fields;
}

std::optional<double> FigureValue(const RunOutcome& outcome, std::size_t field) {
  if (!outcome.results) return std::nullopt;
  const EngineResults& r = *outcome.results;
  switch (field) {
    case 0: return r.hvlAlMm;
    case 1: return r.effectiveEnergyAlKeV;
    case 2: return r.hvlCuMm;
    case 3: return r.effectiveEnergyCuKeV;
    default: return r.photonsPerMm2PerCkg;
  }
}

std::string FigureText(const std::optional<double>& value, const FigureField& field) {
  if (!value) return std::string(static_cast<std::size_t>(field.width), '*');
  return FixedDigits(*value, field.decimals);
}

std::string MissingFigureReason(const RunOutcome& outcome, std::size_t field) {
  if (!outcome.results && outcome.lastBin > kExchangeLast) return outcome.engineError;  // above 300 kV
  if (!outcome.results) return "the engine cannot weigh this spectrum: " + outcome.engineError;
  const bool aluminium = field < 2;
  const char* material = aluminium ? "aluminium" : "copper";
  switch (field) {
    case 0:
    case 2:
      if (outcome.layerBelowFirstStep[aluminium ? 0 : 1]) {
        return std::string("the air-kerma transmission falls below 50 % within the first ") +
               (aluminium ? "0.1" : "0.01") + " mm step of " + material + ", too steeply to interpolate a layer";
      }
      return std::string("the air-kerma transmission stays at or above 50 % through 100 mm of ") + material;
    case 1:
    case 3:
      if (!FigureValue(outcome, field - 1)) return std::string("there is no ") + material + " half-value layer";
      return std::string("the ") + material + " coefficient stays at or above ln 2 / HVL up to 300 keV";
    default:
      return "the value has more than 14 integer digits, too wide for the result file's field";
  }
}

std::string ExtendedFigureText(const ExtendedBeamQuality& extended, std::size_t figure) {
  const std::optional<double>& value = extended.values[figure];
  return value ? FixedDigits(*value, ExtendedFigureFields()[figure].decimals) : "none";
}

std::string FitDescription(const FitOutcome& fit) {
  const bool aluminium = fit.request.material == LayerMaterial::Aluminium;
  const std::string symbol = LayerMaterialSymbol(fit.request.material);
  return std::string(FittedEntryName(fit.request.entry)) + " " + ShortestDecimal(fit.fit.thicknessMm) +
         " mm gives HVL1 " + FixedDigits(fit.fit.hvl1Mm, ExtendedFigureFields()[aluminium ? kHvl1Al : kHvl1Cu].decimals) +
         " mm " + symbol + " (target " + ShortestDecimal(fit.request.targetHvl1Mm) + " mm " + symbol + ")";
}

std::string QualityDescription(const RadiationQuality& quality) {
  std::string text = quality.name + " (" + quality.standard + "): " + ShortestDecimal(quality.tubeVoltageKV) + " kV";
  if (quality.target != TargetMaterial::Tungsten) text += ", " + std::string(TargetSymbol(quality.target)) + " target";
  if (quality.berylliumMm && quality.aluminiumMm) {
    text += ", " + ShortestDecimal(*quality.berylliumMm) + " mm Be, " + ShortestDecimal(*quality.aluminiumMm) + " mm Al";
  }
  if (!quality.basedOn.empty() && quality.fittedHvl1AlMm) {
    text += ", " + quality.basedOn + " (";
    for (const QualityFilter& filter : quality.baseFilters) {
      text += "added " + filter.material + " " + ShortestDecimal(filter.thicknessMm) + " mm, ";
    }
    text += "added aluminium fitted to its nominal HVL1 " +
            ShortestDecimal(*quality.fittedHvl1AlMm) + " mm Al) then";
  }
  for (std::size_t k = 0; k < quality.filters.size(); ++k) {
    const QualityFilter& filter = quality.filters[k];
    text += (k == 0 && !quality.basedOn.empty() ? " " : ", ");
    text += "added " + filter.material + " " + ShortestDecimal(filter.thicknessMm) + " mm";
  }
  if (!quality.basedOn.empty() && quality.nominalHvl1AlMm) {
    text += ", nominal HVL1 " + ShortestDecimal(*quality.nominalHvl1AlMm) + " mm Al";
  } else if (quality.nominalHvl1AlMm) {
    text += ", added aluminium fitted to the nominal HVL1 " + ShortestDecimal(*quality.nominalHvl1AlMm) + " mm Al";
  }
  return text;
}

const char* TubeInputUnit(TubeInput input) {
  if (input == TubeInput::KvOffset) return "kV";
  return input == TubeInput::TargetAngle ? "degrees" : "mm";
}

std::string TubeFitDescription(const TubeFitOutcome& tube) {
  std::string text;
  for (std::size_t j = 0; j < tube.varied.size(); ++j) {
    const TubeInput input = tube.varied[j];
    const std::optional<double>& uncertainty = tube.fit.uncertainties.size() > j ? tube.fit.uncertainties[j] : std::nullopt;
    text += (text.empty() ? "" : ", ") + std::string(TubeInputKey(input)) + " " +
            ShortestDecimal(tube.fit.inputs[static_cast<std::size_t>(input)]) +
            (uncertainty ? " +/- " + ShortestDecimal(RoundToSignificantDigits(*uncertainty, 2)) : std::string()) + " " +
            TubeInputUnit(input);
  }
  std::string voltages;
  for (const TubeMeasurement& measurement : tube.measurements) {
    voltages += (voltages.empty() ? "" : ", ") + ShortestDecimal(measurement.tubeVoltageKV);
  }
  text += " from " + std::to_string(tube.fit.residuals.size()) + " layers at " + voltages +
          " kV: rms deviation " + ShortestDecimal(std::round(tube.fit.rmsDeviationPercent * 1e4) / 1e4) + " %";
  if (tube.fit.atBound) text += " (an input ended on the bound of its range)";
  return text;
}

std::string TubeResidualDescription(const TubeResidual& residual) {
  const double percent = std::round(residual.deviationPercent * 1e4) / 1e4;
  return ShortestDecimal(residual.tubeVoltageKV) + " kV " + ExtendedFigureFields()[residual.figure].key +
         ": measured " + ShortestDecimal(residual.measuredMm) + " mm, fitted " + ShortestDecimal(residual.computedMm) +
         " mm (" + (percent >= 0 ? "+" : "") + ShortestDecimal(percent) + " %)";
}

std::string NominalComparison(const RadiationQuality& quality, const RunOutcome& outcome) {
  const std::optional<double>& reached = outcome.extended.values[kHvl1Al];
  const std::string nominal = ShortestDecimal(*quality.nominalHvl1AlMm) + " mm Al";
  if (!reached) return "none (" + outcome.extended.missing[kHvl1Al] + "), nominal " + nominal;
  const double deviation = 100 * (*reached / *quality.nominalHvl1AlMm - 1);
  return FixedDigits(*reached, ExtendedFigureFields()[kHvl1Al].decimals) + " mm Al, nominal " + nominal + " (" +
         (deviation >= 0 ? "+" : "") + FixedDigits(deviation, 1) + " %)";
}

std::vector<QualityDeviation> QualityDeviations(const RadiationQuality& quality, const RunOutcome& outcome) {
  std::vector<NominalFigure> published = quality.nominalFigures;
  if (quality.nominalHvl1AlMm) published.insert(published.begin(), NominalFigure{kHvl1Al, *quality.nominalHvl1AlMm});
  std::vector<QualityDeviation> deviations;
  for (const NominalFigure& figure : published) {
    QualityDeviation deviation{figure.figure, figure.value, outcome.extended.values[figure.figure],
                               outcome.extended.missing[figure.figure], std::nullopt};
    // 9 significant digits, as every other figure is printed
    if (deviation.reached) {
      deviation.deviationPercent = RoundToSignificantDigits(100 * (*deviation.reached / figure.value - 1), 9);
    }
    deviations.push_back(deviation);
  }
  return deviations;
}

DeviationTexts DeviationTextsOf(const QualityDeviation& deviation) {
  DeviationTexts texts{std::string(), ShortestDecimal(deviation.nominal), std::string()};
  if (deviation.reached) {
    texts.reached = FixedDigits(*deviation.reached, ExtendedFigureFields()[deviation.figure].decimals);
  }
  if (deviation.deviationPercent) {
    texts.percent = (*deviation.deviationPercent >= 0 ? "+" : "") + FixedDigits(*deviation.deviationPercent, 1);
  }
  return texts;
}

std::string DeviationDescription(const QualityDeviation& deviation) {
  static const char* const names[kExtendedFigureCount] = {"HVL1 Al", "HVL2 Al", "", "HVL1 Cu", "HVL2 Cu", "",
                                                          "mean energy", ""};
  static const char* const units[kExtendedFigureCount] = {"mm Al", "mm Al", "", "mm Cu", "mm Cu", "", "keV", ""};
  const std::string unit = units[deviation.figure];
  const DeviationTexts texts = DeviationTextsOf(deviation);
  const std::string nominal = texts.nominal + " " + unit;
  std::string text = std::string(names[deviation.figure]) + ": ";
  if (!deviation.reached) return text + "none (" + deviation.missing + "), nominal " + nominal;
  return text + texts.reached + " " + unit + ", nominal " + nominal + " (" + texts.percent + " %)";
}

std::string MeasuredDescription(const MeasuredSpectrum& measured) {
  return "measured spectrum " + measured.source + ": " + std::to_string(measured.energiesKeV.size()) + " rows from " +
         ShortestDecimal(measured.energiesKeV.front()) + " to " + ShortestDecimal(measured.energiesKeV.back()) +
         " keV, on the 0.5 keV grid";
}

}  // namespace kestrix
