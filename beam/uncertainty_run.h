#pragma once
// The spread of every figure of a beam from the standard uncertainties of its tube voltage, inherent
// aluminium equivalent and target angle: normal draws (a portable generator, so a seed gives the same
// numbers on every system), one run per draw, and each figure's mean, standard deviation and 95 %
// interval; beside it the spread of the figures between the models, which sampling does not give.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch_run.h"

namespace kestrix {

struct UncertaintyRequest {
  double kvUncertainty = 0;      /// standard uncertainty of the tube voltage [kV]
  double alEqUncertainty = 0;    /// standard uncertainty of the inherent aluminium equivalent [mm]
  double angleUncertainty = 0;   /// standard uncertainty of the target angle [degrees]
  int samples = 1000;            /// 2 to kMaximumUncertaintySamples
  std::uint64_t seed = 1;
};

constexpr int kMaximumUncertaintySamples = 100000;
/// largest seed: below 2^53, so that every JSON reader keeps it exact
constexpr std::uint64_t kLargestUncertaintySeed = 9007199254740991ULL;

/// One figure over the samples.
struct FigureSpread {
  std::string key;     /// the figure's JSON key
  std::string label;   /// e.g. "HVL1 Al [mm]"
  std::optional<double> mean, std, p2_5, p97_5;  /// in the figure's unit; nullopt when no sample gave it
  int given = 0;       /// samples that gave the figure
  std::string missing; /// why some or all samples did not give it (empty when all did)
};

/// One figure by each model at the unsampled inputs.
struct ModelFigure {
  std::string key;
  std::vector<std::pair<std::string, std::optional<double>>> values;  /// (model keyword, value)
  std::optional<double> range;  /// largest minus smallest value given
};

struct UncertaintyOutcome {
  UncertaintyRequest request;
  std::vector<FigureSpread> figures;      /// every figure of a run, in report order
  std::vector<ModelFigure> modelSpread;   /// the same figures by each model
  int redrawn = 0;  /// draws outside the inputs' ranges (drawn again)
};

/// Throws std::invalid_argument for an uncertainty that is negative or not finite, a sample count
/// outside 2 to kMaximumUncertaintySamples, a seed above kLargestUncertaintySeed, or draws that fall outside the inputs' ranges (the model's
/// voltages, 0 mm Al eq. or more, 0 to 90 degrees) more than samples times over; RunError as Run does.
UncertaintyOutcome SampleUncertainty(BatchRun& batch, const RunSettings& settings, const UncertaintyRequest& request);

}  // namespace kestrix
