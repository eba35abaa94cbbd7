#pragma once
// The delivered files the command-line tests use, and one calculation as the program makes it.

#include <string>
#include <vector>

#include "batch_run.h"
#include "cli_options.h"
#include "scratch_folder.h"

namespace kestrix::test {

/// the delivered attenuation table and a delivered material file
inline std::string DeliveredTable() { return std::string(KESTRIX_DELIVERED_DATA) + "/MUs_202202.data"; }
inline std::string DeliveredTin() { return std::string(KESTRIX_DELIVERED_DATA) + "/Sn.ele"; }
/// a delivered element file, "Mo" -> .../Mo.ele
inline std::string DeliveredMaterial(const std::string& element) { return std::string(KESTRIX_DELIVERED_DATA) + "/" + element + ".ele"; }

/// The options, the loaded filters and the outcome of one run of the given command line,
/// with the delivered table.
struct ComputedRun {
  CliOptions options;
  std::vector<LoadedFilter> filters;
  RunOutcome outcome;
};

inline ComputedRun ComputeRun(const std::vector<std::string>& arguments) {
  ComputedRun c;
  c.options = ParseCommandLine(arguments);
  c.options.attenuationTablePath = DeliveredTable();
  BatchRun batch(c.options.attenuationTablePath, c.options.filters);
  c.filters = batch.Filters();
  c.outcome = batch.Run(SettingsFor(c.options));
  return c;
}

/// The outcome of every voltage of the command line's sweep, in order.
inline std::vector<RunOutcome> SweepOutcomes(const CliOptions& options, BatchRun& batch) {
  std::vector<RunOutcome> outcomes;
  RunSettings settings = SettingsFor(options);
  for (const double kiloVolts : options.sweep->Voltages()) {
    settings.entries.tubeVoltageKV = kiloVolts;
    outcomes.push_back(batch.Run(settings));
  }
  return outcomes;
}

}  // namespace kestrix::test
