#pragma once
// The --json output: inputs as used, corrections, beam-quality figures and spectrum as one object.

#include <ostream>
#include <vector>

#include "batch_run.h"
#include "cli_options.h"

namespace kestrix {

/// One calculation. Missing figures are null and their reasons are listed under "missing".
void WriteJsonReport(std::ostream& out, const CliOptions& options, const std::vector<LoadedFilter>& filters,
                     const RunOutcome& outcome);

/// A sweep: the common inputs, then one entry per voltage under "runs" (figures only, no spectra).
void WriteSweepJson(std::ostream& out, const CliOptions& options, const std::vector<LoadedFilter>& filters,
                    const std::vector<RunOutcome>& outcomes);

}  // namespace kestrix
