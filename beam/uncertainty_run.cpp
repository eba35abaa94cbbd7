#include "uncertainty_run.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "beam_figures.h"
#include "beam_inputs.h"
#include "decimal_text.h"
#include "emission_models.h"
#include "portable_random.h"

namespace kestrix {
namespace {

struct NamedFigure {
  std::string key;
  std::string label;
  std::optional<double> value;
  std::string missing;
};

/// every figure of a run: the engine's, the extended ones and the output
std::vector<NamedFigure> FiguresOf(const RunOutcome& outcome) {
  std::vector<NamedFigure> figures;
  for (std::size_t k = 0; k < FigureFields().size(); ++k) {
    const std::optional<double> value = FigureValue(outcome, k);
    figures.push_back({FigureFields()[k].key, FigureFields()[k].label, value,
                       value ? std::string() : MissingFigureReason(outcome, k)});
  }
  for (std::size_t f = 0; f < kExtendedFigureCount; ++f) {
    figures.push_back({ExtendedFigureFields()[f].key, ExtendedFigureFields()[f].label, outcome.extended.values[f],
                       outcome.extended.missing[f]});
  }
  figures.push_back({kAirKermaKey, "air kerma per mAs [uGy]", outcome.output.airKermaMicroGrayPerMas,
                     outcome.output.missing});
  figures.push_back({kPhotonFluenceKey, "photon fluence per mAs [1/mm2]", outcome.output.photonFluencePerMasPerMm2,
                     outcome.output.missing});
  return figures;
}

/// the value below which a share q of the sorted values lies, linear between neighbours
double Quantile(const std::vector<double>& sorted, double q) {
  const double position = q * static_cast<double>(sorted.size() - 1);
  const std::size_t below = static_cast<std::size_t>(std::floor(position));
  const std::size_t above = std::min(below + 1, sorted.size() - 1);
  return sorted[below] + (position - static_cast<double>(below)) * (sorted[above] - sorted[below]);
}

double Rounded(double value) { return RoundToSignificantDigits(value, kFigureSignificantDigits); }

void CheckUncertainty(const char* name, double value) {
  if (!(value >= 0) || !std::isfinite(value)) {
    throw std::invalid_argument(std::string(name) + ": the standard uncertainty must be 0 or more, not " +
                                ShortestDecimal(value));
  }
}

}  // namespace

UncertaintyOutcome SampleUncertainty(BatchRun& batch, const RunSettings& settings, const UncertaintyRequest& request) {
  CheckUncertainty("kv", request.kvUncertainty);
  CheckUncertainty("al_eq", request.alEqUncertainty);
  CheckUncertainty("angle", request.angleUncertainty);
  if (request.samples < 2 || request.samples > kMaximumUncertaintySamples) {
    throw std::invalid_argument("samples: " + std::to_string(request.samples) + " is outside 2 to " +
                                std::to_string(kMaximumUncertaintySamples));
  }
  if (request.seed > kLargestUncertaintySeed) throw std::invalid_argument("seed: it must be below 2^53");
  const bool transmission = settings.entries.transmission.IsTransmission();
  if (transmission && request.angleUncertainty != 0) {
    throw std::invalid_argument("angle: a transmission target has no target angle to sample");
  }
  UncertaintyOutcome outcome;
  outcome.request = request;
  const EmissionModel& model = EmissionModelFor(settings.model);
  const RunOutcome nominal = batch.Run(settings);
  const RunEntries& used = settings.entries;
  // the tube voltages drawn: the model's, or the transmission target's own
  const VoltageRange voltages = transmission ? RunVoltageRange(settings.model, settings.entries)
                                             : VoltageRange{model.MinimumVoltage(), model.MaximumVoltage()};

  std::vector<NamedFigure> named = FiguresOf(nominal);
  std::vector<std::vector<double>> values(named.size());
  std::vector<std::string> missing(named.size());
  PortableRandom random(request.seed);
  for (int sample = 0; sample < request.samples; ++sample) {
    RunSettings drawn = settings;
    // three normal deviates per draw in a fixed order, so that a seed gives the same beams whichever
    // uncertainties are zero; a draw outside an input's range is drawn again
    while (true) {
      const double kv = used.tubeVoltageKV + request.kvUncertainty * random.Normal();
      const double alEq = used.aluminiumEquivalentMm + request.alEqUncertainty * random.Normal();
      const double angle = used.targetAngleDegrees + request.angleUncertainty * random.Normal();
      if (voltages.Contains(kv) && alEq >= 0 && angle > 0 && angle <= 90) {
        drawn.entries.tubeVoltageKV = kv;
        drawn.entries.aluminiumEquivalentMm = alEq;
        drawn.entries.targetAngleDegrees = angle;
        break;
      }
      if (++outcome.redrawn > request.samples) {
        throw std::invalid_argument("the uncertainties reach outside the inputs' ranges (the model's tube voltages, "
                                    "0 mm Al eq. or more, 0 to 90 degrees) in more draws than there are samples");
      }
    }
    const std::vector<NamedFigure> figures = FiguresOf(batch.Run(drawn));
    for (std::size_t f = 0; f < figures.size(); ++f) {
      if (figures[f].value) {
        values[f].push_back(*figures[f].value);
      } else if (missing[f].empty()) {
        missing[f] = figures[f].missing;
      }
    }
  }
  for (std::size_t f = 0; f < named.size(); ++f) {
    FigureSpread spread{named[f].key, named[f].label, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                        static_cast<int>(values[f].size()), std::string()};
    if (spread.given < request.samples) {
      spread.missing = std::to_string(request.samples - spread.given) + " of " + std::to_string(request.samples) +
                       " samples give none: " + missing[f];
    }
    if (spread.given >= 2) {
      std::vector<double> sorted = values[f];
      std::sort(sorted.begin(), sorted.end());
      double sum = 0;
      for (const double v : sorted) sum += v;
      const double mean = sum / spread.given;
      double squares = 0;
      for (const double v : sorted) squares += (v - mean) * (v - mean);
      spread.mean = Rounded(mean);
      spread.std = Rounded(std::sqrt(squares / (spread.given - 1)));
      spread.p2_5 = Rounded(Quantile(sorted, 0.025));
      spread.p97_5 = Rounded(Quantile(sorted, 0.975));
    }
    outcome.figures.push_back(spread);
  }

  // the models' own spread at the unsampled inputs
  std::vector<std::vector<NamedFigure>> byModel;
  std::vector<std::string> keywords;
  for (const SpectrumModel other : SpectrumModels()) {
    RunSettings alike = settings;
    alike.model = other;
    keywords.push_back(ModelKeyword(other));
    const EmissionModel& emission = EmissionModelFor(other);
    const bool inside = used.tubeVoltageKV >= emission.MinimumVoltage() && used.tubeVoltageKV <= emission.MaximumVoltage();
    // a model that does not compute this tube (another target, no lines) has no figures to compare
    const bool computes = !TubeRefusal(other, used.target, settings.entries.characteristicLines) &&
                          !TransmissionTubeRefusal(other, settings.entries, used.tubeVoltageKV);
    byModel.push_back(inside && computes ? FiguresOf(batch.Run(alike)) : std::vector<NamedFigure>());
  }
  for (std::size_t f = 0; f < named.size(); ++f) {
    ModelFigure figure{named[f].key, {}, std::nullopt};
    std::optional<double> lowest, highest;
    for (std::size_t m = 0; m < keywords.size(); ++m) {
      const std::optional<double> value = byModel[m].empty() ? std::nullopt : byModel[m][f].value;
      figure.values.emplace_back(keywords[m], value);
      if (!value) continue;
      lowest = lowest ? std::min(*lowest, *value) : *value;
      highest = highest ? std::max(*highest, *value) : *value;
    }
    int given = 0;
    for (const auto& entry : figure.values) given += entry.second.has_value();
    if (given >= 2) figure.range = Rounded(*highest - *lowest);
    outcome.modelSpread.push_back(figure);
  }
  return outcome;
}

}  // namespace kestrix
