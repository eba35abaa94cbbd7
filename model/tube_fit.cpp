#include "tube_fit.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <set>

#include "energy_grid.h"
#include "input_number.h"
#include "message_text.h"

namespace kestrix {
namespace {

constexpr double kInitialDamping = 1e-3;

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

std::string AsciiLowercase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
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

/// why a measured layer [mm] cannot be fitted; empty when it can
std::string LayerProblem(double layerMm) {
  if (!(layerMm >= kThinnestMeasuredLayerMm)) {
    static_assert(kThinnestMeasuredLayerMm == 1e-4, "the text below names the limit");
    return ShortestText(layerMm) + " mm is thinner than 0.0001 mm, thinner than any beam's half-value layer";
  }
  if (!(layerMm <= kThickestLayerMm)) {
    return ShortestText(layerMm) + " mm is beyond the " + ShortestText(kThickestLayerMm) + " mm searched for a layer";
  }
  return std::string();
}

void CheckRequest(const TubeFitRequest& request) {
  if (request.varied.empty()) {
    throw TubeFitError("no input to fit: name one to three of al_eq, al, cu, angle, kv_offset");
  }
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
  if (request.uncertaintyPercent && !(*request.uncertaintyPercent > 0 && std::isfinite(*request.uncertaintyPercent))) {
    throw TubeFitError("the measurements' uncertainty must be a positive number of percent, not " +
                       ShortestText(*request.uncertaintyPercent));
  }
  std::size_t layers = 0;
  for (const TubeMeasurement& measurement : request.measurements) {
    for (std::size_t f = 0; f < kMeasurableFigures.size(); ++f) {
      if (!measurement.layersMm[f]) continue;
      const std::string problem = LayerProblem(*measurement.layersMm[f]);
      if (!problem.empty()) {
        throw TubeFitError(std::string(ExtendedFigureFields()[kMeasurableFigures[f]].key) + " at " +
                           ShortestText(measurement.tubeVoltageKV) + " kV: " + problem);
      }
      ++layers;
    }
  }
  if (layers < request.varied.size()) {
    throw TubeFitError(std::to_string(layers) + " measured layer(s) cannot fix " + std::to_string(request.varied.size()) +
                       " inputs: measure at least as many layers as inputs are fitted");
  }
}


constexpr int kDampingAttempts = 12;
/// a step below this share of an input's value (or of its unit) no longer changes the fitted value
constexpr double kNegligibleStep = 1e-9;

/// forward-difference step of the Jacobian for input: small against what a measurement fixes, large
/// against the figures' 9 significant digits. The voltage steps by one bin of the energy grid: the
/// formula models' layers jump each time the tube voltage passes a multiple of 0.5 kV (a new top bin
/// enters), and a step of one bin measures the slope across such a jump, not the slope between two.
double SlopeStep(TubeInput input, double value) {
  return input == TubeInput::KvOffset ? kKeVPerGridIndex : 1e-4 * std::max(1.0, std::fabs(value));
}

using Evaluation = std::function<std::optional<std::vector<double>>(const TubeInputValues&)>;

/// the Jacobian of the relative deviations by forward differences, stepping back from an upper
/// bound; a column stays zero where a stepped beam cannot be computed
std::vector<std::vector<double>> Jacobian(const TubeFitRequest& request, const TubeInputValues& inputs,
                                          const std::vector<double>& deviations, const Evaluation& evaluate) {
  const std::size_t n = request.varied.size();
  std::vector<std::vector<double>> jacobian(deviations.size(), std::vector<double>(n, 0));
  for (std::size_t j = 0; j < n; ++j) {
    const std::size_t k = static_cast<std::size_t>(request.varied[j]);
    double step = SlopeStep(request.varied[j], inputs[k]);
    if (inputs[k] + step > TubeInputBounds(request.varied[j])[1]) step = -step;
    TubeInputValues shifted = inputs;
    shifted[k] += step;
    const std::optional<std::vector<double>> moved = evaluate(shifted);
    if (!moved) continue;
    for (std::size_t i = 0; i < deviations.size(); ++i) jacobian[i][j] = ((*moved)[i] - deviations[i]) / step;
  }
  return jacobian;
}

/// each varied input's standard uncertainty: s^2 (J^T J)^-1 with s^2 the sum of squares per degree
/// of freedom
void Uncertainties(const TubeFitRequest& request, const std::vector<double>& deviations, double sumOfSquares,
                   TubeFit& fit, const Evaluation& evaluate) {
  const std::size_t n = request.varied.size();
  const std::size_t m = deviations.size();
  fit.uncertainties.assign(n, std::nullopt);
  if (m <= n) {
    fit.uncertaintyMissing = "as many measured layers as fitted inputs leave no residual to estimate an uncertainty from";
    return;
  }
  const std::vector<std::vector<double>> jacobian = Jacobian(request, fit.inputs, deviations, evaluate);
  std::vector<std::vector<double>> normal(n, std::vector<double>(n, 0));
  for (std::size_t i = 0; i < m; ++i) {
    for (std::size_t a = 0; a < n; ++a) {
      for (std::size_t b = 0; b < n; ++b) normal[a][b] += jacobian[i][a] * jacobian[i][b];
    }
  }
  const double variance = sumOfSquares / static_cast<double>(m - n);
  for (std::size_t a = 0; a < n; ++a) {
    std::vector<double> unit(n, 0);
    unit[a] = 1;
    std::vector<double> column;
    if (!Solve(normal, unit, column) || !(column[a] > 0)) {
      fit.uncertaintyMissing = "the measurements do not fix the inputs independently (their slopes are not independent)";
      continue;
    }
    fit.uncertainties[a] = RoundToSignificantDigits(std::sqrt(variance * column[a]), 6);
  }
}

void Warn(const TubeFitRequest& request, TubeFit& fit) {
  if (!fit.converged) {
    fit.warnings.push_back("the fit did not converge within " + std::to_string(kMaximumTubeFitEvaluations) +
                           " evaluations of the measured beams; the inputs are the best found");
  }
  for (std::size_t j = 0; j < request.varied.size(); ++j) {
    if (!fit.inputAtBound[j]) continue;
    const TubeInput input = request.varied[j];
    fit.warnings.push_back(std::string(TubeInputKey(input)) + " ended on the bound " +
                           ShortestText(fit.inputs[static_cast<std::size_t>(input)]) +
                           " of its range: the measurements want it beyond, so another input is probably wrong");
  }
  if (request.uncertaintyPercent && fit.rmsDeviationPercent > *request.uncertaintyPercent) {
    fit.warnings.push_back("the rms deviation " + ShortestText(RoundToSignificantDigits(fit.rmsDeviationPercent, 3)) +
                           " % exceeds the measurements' uncertainty of " + ShortestText(*request.uncertaintyPercent) +
                           " %: the fitted tube does not describe these measurements within their uncertainty");
  }
}

}  // namespace

const char* TubeInputKey(TubeInput input) {
  switch (input) {
    case TubeInput::InherentAluminiumEquivalent: return "al_eq";
    case TubeInput::AddedAluminium: return "al";
    case TubeInput::AddedCopper: return "cu";
    case TubeInput::KvOffset: return "kv_offset";
    default: return "angle";
  }
}

std::optional<TubeInput> TubeInputNamed(const std::string& key) {
  if (key == "al-eq") return TubeInput::InherentAluminiumEquivalent;
  if (key == "kv-offset") return TubeInput::KvOffset;
  for (std::size_t k = 0; k < kTubeInputCount; ++k) {
    if (key == TubeInputKey(static_cast<TubeInput>(k))) return static_cast<TubeInput>(k);
  }
  return std::nullopt;
}

std::array<double, 2> TubeInputBounds(TubeInput input) {
  if (input == TubeInput::KvOffset) return {-30, 30};
  return input == TubeInput::TargetAngle ? std::array<double, 2>{1, 90} : std::array<double, 2>{0, 100};
}

std::vector<TubeMeasurement> ReadTubeMeasurements(std::istream& in, const std::string& sourceName) {
  std::vector<TubeMeasurement> measurements;
  // column -> -1 for kv, else the kMeasurableFigures position
  std::vector<int> columns;
  std::string text;
  for (int line = 1; std::getline(in, text); ++line) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    // spreadsheet programs start a UTF-8 file with a byte-order mark
    if (line == 1 && text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    if (text.find_first_not_of(" \t") == std::string::npos || text[0] == '#') continue;
    const std::vector<std::string> fields = SplitAtCommas(text);
    if (columns.empty()) {
      std::set<std::string> seen;
      for (const std::string& field : fields) {
        const std::string name = AsciiLowercase(field);
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
          throw TubeFitError(Where(sourceName, line) + "column " + QuotedExcerpt(field) +
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
      if (columns[c] >= 0 && !LayerProblem(*value).empty()) {
        throw TubeFitError(Where(sourceName, line) + ExtendedFigureFields()[kMeasurableFigures[columns[c]]].key + " " +
                           LayerProblem(*value));
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

TubeFit FitTube(const TubeFitRequest& request, const TubeFigures& figures, const TubeFigures* nearby) {
  CheckRequest(request);
  const std::size_t n = request.varied.size();
  TubeFit fit;
  // every evaluation computes the beams of all measured voltages: the fit's whole cost
  const auto evaluate = [&](const TubeInputValues& values, bool small, std::string* why) {
    ++fit.evaluations;
    return Deviations(request, small && nearby != nullptr ? *nearby : figures, values, nullptr, why);
  };
  TubeInputValues inputs = request.start;
  std::string reason;
  std::optional<std::vector<double>> deviations = evaluate(inputs, false, &reason);
  if (!deviations) throw TubeFitError("the starting beam has no " + reason);
  double cost = SumOfSquares(*deviations);
  const std::size_t m = deviations->size();

  double damping = kInitialDamping;
  bool converged = false;
  while (!converged && fit.evaluations + static_cast<int>(n) < kMaximumTubeFitEvaluations) {
    const std::vector<std::vector<double>> jacobian =
        Jacobian(request, inputs, *deviations, [&](const TubeInputValues& v) { return evaluate(v, true, nullptr); });
    std::vector<std::vector<double>> normal(n, std::vector<double>(n, 0));
    std::vector<double> gradient(n, 0);
    for (std::size_t i = 0; i < m; ++i) {
      for (std::size_t a = 0; a < n; ++a) {
        gradient[a] -= jacobian[i][a] * (*deviations)[i];
        for (std::size_t b = 0; b < n; ++b) normal[a][b] += jacobian[i][a] * jacobian[i][b];
      }
    }
    // damped steps until one lowers the sum of squares; a step below the fitted values' resolution,
    // or none that lowers it even when heavily damped, means the minimum is reached
    bool accepted = false;
    bool exhausted = true;
    for (int attempt = 0; attempt < kDampingAttempts; ++attempt) {
      if (fit.evaluations >= kMaximumTubeFitEvaluations) break;
      std::vector<std::vector<double>> damped = normal;
      for (std::size_t a = 0; a < n; ++a) damped[a][a] += damping * std::max(normal[a][a], 1e-12);
      std::vector<double> delta;
      if (!Solve(damped, gradient, delta)) {
        damping *= 10;
        continue;
      }
      TubeInputValues trial = inputs;
      double largestStep = 0;
      for (std::size_t j = 0; j < n; ++j) {
        const std::size_t k = static_cast<std::size_t>(request.varied[j]);
        trial[k] = Clamped(request.varied[j], inputs[k] + delta[j]);
        largestStep = std::max(largestStep, std::fabs(trial[k] - inputs[k]) / std::max(1.0, std::fabs(inputs[k])));
      }
      if (largestStep < kNegligibleStep) {
        exhausted = false;
        converged = true;
        break;
      }
      const std::optional<std::vector<double>> tried = evaluate(trial, false, nullptr);
      const double trialCost = tried ? SumOfSquares(*tried) : std::numeric_limits<double>::infinity();
      if (trialCost < cost) {
        const double decrease = cost - trialCost;
        inputs = trial;
        deviations = tried;
        cost = trialCost;
        damping = std::max(damping / 3, 1e-12);
        accepted = true;
        exhausted = false;
        converged = decrease <= 1e-14 * std::max(cost, 1e-30) || largestStep < kNegligibleStep;
        ++fit.iterations;
        break;
      }
      damping *= 10;
    }
    if (!accepted && exhausted && fit.evaluations < kMaximumTubeFitEvaluations) converged = true;
    if (!accepted && !converged) break;
  }
  fit.converged = converged;

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
  const double sumOfSquares = SumOfSquares(*deviations);
  // percentages to the significant digits of every other figure
  fit.rmsDeviationPercent =
      RoundToSignificantDigits(100 * std::sqrt(sumOfSquares / static_cast<double>(m)), kFigureSignificantDigits);
  for (const TubeInput input : request.varied) {
    const std::array<double, 2> bounds = TubeInputBounds(input);
    const double value = inputs[static_cast<std::size_t>(input)];
    fit.inputAtBound.push_back(value == bounds[0] || value == bounds[1]);
    fit.atBound = fit.atBound || fit.inputAtBound.back();
  }
  Uncertainties(request, *deviations, sumOfSquares, fit, [&](const TubeInputValues& v) {
    return Deviations(request, nearby != nullptr ? *nearby : figures, v, nullptr, nullptr);
  });
  Warn(request, fit);
  return fit;
}

}  // namespace kestrix
