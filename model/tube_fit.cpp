#include "tube_fit.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <set>

#include "input_number.h"
#include "message_text.h"

namespace kestrix {
namespace {

constexpr int kMaximumIterations = 200;
constexpr double kInitialDamping = 1e-3;
constexpr double kLargestDamping = 1e12;

/// the shortest text that reads back to value
std::string ShortestText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::vector<std::string> SplitAtCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(',', start);
    std::string part = text.substr(start, end - start);
    // blanks around a field are layout, not content
    const std::size_t first = part.find_first_not_of(" \t");
    const std::size_t last = part.find_last_not_of(" \t");
    parts.push_back(first == std::string::npos ? std::string() : part.substr(first, last - first + 1));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

std::string Where(const std::string& source, int line) { return source + ", line " + std::to_string(line) + ": "; }

/// the relative deviations of every measured layer of inputs' beams, in reading order; nullopt when
/// a beam or one of its measured layers is missing (why in *reason)
std::optional<std::vector<double>> Deviations(const TubeFitRequest& request, const TubeFigures& figures,
                                              const TubeInputValues& inputs, std::vector<double>* computed,
                                              std::string* reason) {
  std::vector<double> deviations;
  if (computed != nullptr) computed->clear();
  for (const TubeMeasurement& measurement : request.measurements) {
    const std::optional<ExtendedBeamQuality> beam = figures(inputs, measurement.tubeVoltageKV);
    for (std::size_t f = 0; f < kMeasurableFigures.size(); ++f) {
      if (!measurement.layersMm[f]) continue;
      const ExtendedFigure figure = kMeasurableFigures[f];
      if (!beam || !beam->values[figure]) {
        if (reason != nullptr) {
          *reason = std::string(ExtendedFigureFields()[figure].key) + " at " + ShortestText(measurement.tubeVoltageKV) +
                    " kV: " + (beam ? beam->missing[figure] : std::string("everything is absorbed"));
        }
        return std::nullopt;
      }
      deviations.push_back(*beam->values[figure] / *measurement.layersMm[f] - 1);
      if (computed != nullptr) computed->push_back(*beam->values[figure]);
    }
  }
  return deviations;
}

double SumOfSquares(const std::vector<double>& values) {
  double sum = 0;
  for (const double v : values) sum += v * v;
  return sum;
}

/// solves the n x n system a x = b (n <= 3) by elimination with partial pivoting; false when singular
bool Solve(std::vector<std::vector<double>> a, std::vector<double> b, std::vector<double>& x) {
  const std::size_t n = b.size();
  for (std::size_t c = 0; c < n; ++c) {
    std::size_t pivot = c;
    for (std::size_t r = c + 1; r < n; ++r) {
      if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
    }
    if (!(std::fabs(a[pivot][c]) > 0)) return false;
    std::swap(a[c], a[pivot]);
    std::swap(b[c], b[pivot]);
    for (std::size_t r = c + 1; r < n; ++r) {
      const double factor = a[r][c] / a[c][c];
      for (std::size_t k = c; k < n; ++k) a[r][k] -= factor * a[c][k];
      b[r] -= factor * b[c];
    }
  }
  x.assign(n, 0);
  for (std::size_t c = n; c-- > 0;) {
    double sum = b[c];
    for (std::size_t k = c + 1; k < n; ++k) sum -= a[c][k] * x[k];
    x[c] = sum / a[c][c];
  }
  return std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); });
}

double Clamped(TubeInput input, double value) {
  const std::array<double, 2> bounds = TubeInputBounds(input);
  return std::min(std::max(value, bounds[0]), bounds[1]);
}

void CheckRequest(const TubeFitRequest& request) {
  if (request.varied.empty()) throw TubeFitError("no input to fit: name one to three of al_eq, al, cu, angle");
  if (request.varied.size() > 3) throw TubeFitError("at most three inputs can be fitted at once");
  std::set<TubeInput> seen;
  for (const TubeInput input : request.varied) {
    if (!seen.insert(input).second) throw TubeFitError(std::string("input ") + TubeInputKey(input) + " is named twice");
  }
  for (std::size_t k = 0; k < kTubeInputCount; ++k) {
    const TubeInput input = static_cast<TubeInput>(k);
    const std::array<double, 2> bounds = TubeInputBounds(input);
    const double value = request.start[k];
    if (seen.count(input) != 0 && !(value >= bounds[0] && value <= bounds[1])) {
      throw TubeFitError(std::string("the start of ") + TubeInputKey(input) + ", " + ShortestText(value) +
                         ", is outside its range " + ShortestText(bounds[0]) + " to " + ShortestText(bounds[1]));
    }
  }
  std::size_t layers = 0;
  for (const TubeMeasurement& measurement : request.measurements) {
    for (const std::optional<double>& layer : measurement.layersMm) layers += layer.has_value();
  }
  if (layers < request.varied.size()) {
    throw TubeFitError(std::to_string(layers) + " measured layer(s) cannot fix " + std::to_string(request.varied.size()) +
                       " inputs: measure at least as many layers as inputs are fitted");
  }
}

}  // namespace

const char* TubeInputKey(TubeInput input) {
  switch (input) {
    case TubeInput::InherentAluminiumEquivalent: return "al_eq";
    case TubeInput::AddedAluminium: return "al";
    case TubeInput::AddedCopper: return "cu";
    default: return "angle";
  }
}

std::optional<TubeInput> TubeInputNamed(const std::string& key) {
  if (key == "al-eq") return TubeInput::InherentAluminiumEquivalent;
  for (std::size_t k = 0; k < kTubeInputCount; ++k) {
    if (key == TubeInputKey(static_cast<TubeInput>(k))) return static_cast<TubeInput>(k);
  }
  return std::nullopt;
}

std::array<double, 2> TubeInputBounds(TubeInput input) {
  return input == TubeInput::TargetAngle ? std::array<double, 2>{1, 90} : std::array<double, 2>{0, 100};
}

std::vector<TubeMeasurement> ReadTubeMeasurements(std::istream& in, const std::string& sourceName) {
  std::vector<TubeMeasurement> measurements;
  // column -> -1 for kv, else the kMeasurableFigures position
  std::vector<int> columns;
  std::string text;
  for (int line = 1; std::getline(in, text); ++line) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.find_first_not_of(" \t") == std::string::npos || text[0] == '#') continue;
    const std::vector<std::string> fields = SplitAtCommas(text);
    if (columns.empty()) {
      std::set<std::string> seen;
      for (const std::string& name : fields) {
        if (!seen.insert(name).second) throw TubeFitError(Where(sourceName, line) + "column " + ExcerptText(name) + " again");
        if (name == "kv") {
          columns.push_back(-1);
          continue;
        }
        int position = -1;
        for (std::size_t f = 0; f < kMeasurableFigures.size(); ++f) {
          if (name == ExtendedFigureFields()[kMeasurableFigures[f]].key) position = static_cast<int>(f);
        }
        if (position < 0) {
          throw TubeFitError(Where(sourceName, line) + "column " + QuotedExcerpt(name) +
                             " is not one of kv, hvl1_al_mm, hvl2_al_mm, hvl1_cu_mm, hvl2_cu_mm");
        }
        columns.push_back(position);
      }
      if (seen.count("kv") == 0) throw TubeFitError(Where(sourceName, line) + "the header has no kv column");
      continue;
    }
    if (fields.size() != columns.size()) {
      throw TubeFitError(Where(sourceName, line) + std::to_string(fields.size()) + " fields instead of " +
                         std::to_string(columns.size()));
    }
    TubeMeasurement measurement;
    bool anyLayer = false;
    for (std::size_t c = 0; c < fields.size(); ++c) {
      if (fields[c].empty() && columns[c] >= 0) continue;
      const std::optional<double> value = ParseWholeNumber(fields[c]);
      if (!value || !(*value > 0)) {
        const std::string name = columns[c] < 0 ? "kv" : ExtendedFigureFields()[kMeasurableFigures[columns[c]]].key;
        throw TubeFitError(Where(sourceName, line) + name + " " + QuotedExcerpt(fields[c]) + " is not a positive number");
      }
      if (columns[c] < 0) {
        measurement.tubeVoltageKV = *value;
      } else {
        measurement.layersMm[columns[c]] = *value;
        anyLayer = true;
      }
    }
    if (!anyLayer) throw TubeFitError(Where(sourceName, line) + "no layer measured at this voltage");
    measurements.push_back(measurement);
  }
  if (columns.empty() || measurements.empty()) throw TubeFitError(sourceName + ": no measurements");
  return measurements;
}

TubeFit FitTube(const TubeFitRequest& request, const TubeFigures& figures) {
  CheckRequest(request);
  const std::size_t n = request.varied.size();
  TubeInputValues inputs = request.start;
  std::string reason;
  std::optional<std::vector<double>> deviations = Deviations(request, figures, inputs, nullptr, &reason);
  if (!deviations) throw TubeFitError("the starting beam has no " + reason);
  double cost = SumOfSquares(*deviations);
  const std::size_t m = deviations->size();

  TubeFit fit;
  double damping = kInitialDamping;
  for (; fit.iterations < kMaximumIterations; ++fit.iterations) {
    // Jacobian by forward differences, stepping back from an upper bound
    std::vector<std::vector<double>> jacobian(m, std::vector<double>(n, 0));
    for (std::size_t j = 0; j < n; ++j) {
      const std::size_t k = static_cast<std::size_t>(request.varied[j]);
      double step = 1e-4 * std::max(1.0, std::fabs(inputs[k]));
      if (inputs[k] + step > TubeInputBounds(request.varied[j])[1]) step = -step;
      TubeInputValues shifted = inputs;
      shifted[k] += step;
      const std::optional<std::vector<double>> moved = Deviations(request, figures, shifted, nullptr, nullptr);
      if (!moved) continue;  // no slope to be had there: the column stays zero
      for (std::size_t i = 0; i < m; ++i) jacobian[i][j] = ((*moved)[i] - (*deviations)[i]) / step;
    }
    std::vector<std::vector<double>> normal(n, std::vector<double>(n, 0));
    std::vector<double> gradient(n, 0);
    for (std::size_t i = 0; i < m; ++i) {
      for (std::size_t a = 0; a < n; ++a) {
        gradient[a] -= jacobian[i][a] * (*deviations)[i];
        for (std::size_t b = 0; b < n; ++b) normal[a][b] += jacobian[i][a] * jacobian[i][b];
      }
    }
    // damped steps until one lowers the sum of squares, or the damping gives up
    bool improved = false;
    double largestStep = 0;
    while (damping < kLargestDamping) {
      std::vector<std::vector<double>> damped = normal;
      for (std::size_t a = 0; a < n; ++a) damped[a][a] += damping * std::max(normal[a][a], 1e-12);
      std::vector<double> delta;
      if (!Solve(damped, gradient, delta)) {
        damping *= 10;
        continue;
      }
      TubeInputValues trial = inputs;
      largestStep = 0;
      for (std::size_t j = 0; j < n; ++j) {
        const std::size_t k = static_cast<std::size_t>(request.varied[j]);
        trial[k] = Clamped(request.varied[j], inputs[k] + delta[j]);
        largestStep = std::max(largestStep, std::fabs(trial[k] - inputs[k]) / std::max(1.0, std::fabs(inputs[k])));
      }
      const std::optional<std::vector<double>> tried = Deviations(request, figures, trial, nullptr, nullptr);
      const double trialCost = tried ? SumOfSquares(*tried) : std::numeric_limits<double>::infinity();
      if (trialCost < cost) {
        const double decrease = cost - trialCost;
        inputs = trial;
        deviations = tried;
        cost = trialCost;
        damping = std::max(damping / 3, 1e-12);
        improved = decrease > 1e-14 * std::max(cost, 1e-20) && largestStep > 1e-10;
        break;
      }
      damping *= 4;
    }
    if (!improved) break;
  }

  // fitted values to a millionth of their unit: far finer than any measurement fixes them, and
  // short enough to be typed again
  for (const TubeInput input : request.varied) {
    double& value = inputs[static_cast<std::size_t>(input)];
    value = Clamped(input, std::round(value * 1e6) / 1e6);
  }
  std::vector<double> computed;
  deviations = Deviations(request, figures, inputs, &computed, &reason);
  if (!deviations) throw TubeFitError("the fitted beam has no " + reason);
  fit.inputs = inputs;
  std::size_t i = 0;
  for (const TubeMeasurement& measurement : request.measurements) {
    for (std::size_t f = 0; f < kMeasurableFigures.size(); ++f) {
      if (!measurement.layersMm[f]) continue;
      fit.residuals.push_back(TubeResidual{measurement.tubeVoltageKV, kMeasurableFigures[f], *measurement.layersMm[f],
                                           computed[i],
                                           RoundToSignificantDigits(100 * (*deviations)[i], kFigureSignificantDigits)});
      ++i;
    }
  }
  // percentages to the significant digits of every other figure
  fit.rmsDeviationPercent = RoundToSignificantDigits(
      100 * std::sqrt(SumOfSquares(*deviations) / static_cast<double>(deviations->size())), kFigureSignificantDigits);
  for (const TubeInput input : request.varied) {
    const std::array<double, 2> bounds = TubeInputBounds(input);
    const double value = inputs[static_cast<std::size_t>(input)];
    fit.atBound = fit.atBound || value == bounds[0] || value == bounds[1];
  }
  return fit;
}

}  // namespace kestrix
