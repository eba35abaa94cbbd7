#pragma once
// The --json output: inputs as used, corrections, beam-quality figures and spectrum as one object.

#include <ostream>
#include <vector>

#include "batch_run.h"
#include "beam_figures.h"
#include "cli_options.h"

namespace kestrix {

/// One calculation. Missing figures are null and their reasons are listed under "missing"; the
/// extended figures are under results.extended, a quality and a fit under "quality" and "fit".
void WriteJsonReport(std::ostream& out, const CliOptions& options, const std::vector<LoadedFilter>& filters,
                     const RunOutcome& outcome, const ReportExtras& extras = {});

/// The list of qualities as {"program", "source", "qualities": [...]}.
void WriteQualityListJson(std::ostream& out, const std::string& source, const std::vector<RadiationQuality>& qualities);

/// A sweep: the common inputs, then one entry per voltage under "runs" (figures only, no spectra).
void WriteSweepJson(std::ostream& out, const CliOptions& options, const std::vector<LoadedFilter>& filters,
                    const std::vector<RunOutcome>& outcomes);

}  // namespace kestrix
