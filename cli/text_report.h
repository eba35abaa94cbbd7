#pragma once
// The plain-text output: "# " lines with the inputs and the beam-quality figures, and the
// spectrum table in the data export's format (line ends "\n" on a console).

#include <ostream>
#include <string>
#include <vector>

#include "batch_run.h"
#include "beam_figures.h"
#include "cli_options.h"
#include "export_table.h"
#include "table_comment_lines.h"

namespace kestrix {

/// text with its control characters (C0, DEL and the UTF-8 C1 range) written as escapes such as
/// "\n" and "\x1b", so that a file name or a description never moves the terminal or breaks a line
std::string PrintableText(const std::string& text);

/// true when the run's model gives photons per electron, so that a report has air kerma and fluence columns
bool HasAbsoluteOutput(const CliOptions& options);

/// The table of one outcome in the data export's format (header and 600 lines, "." as the decimal
/// point). Throws SpectrumTableError when total = 1 cannot be formed.
SpectrumTable TableOf(const RunOutcome& outcome, const SpectrumTableOptions& options);

/// What the table of outcome was computed with, for --header.
SpectrumDescription DescriptionOf(const CliOptions& options, const std::vector<LoadedFilter>& filters,
                                  const RunOutcome& outcome);

/// The --header lines of outcome's table, each ended by lineEnd ("\n" on a console, "\r\n" in
/// the saved table).
void WriteSpectrumHeader(std::ostream& out, const CliOptions& options, const std::vector<LoadedFilter>& filters,
                         const RunOutcome& outcome, const char* lineEnd);

/// A sweep (or a single run, one row) as a plain comma-separated table: a header row of the JSON
/// keys (tube_voltage_kV, then those of results and results.extended, and with withOutput those of
/// results.output: distance_mm, air_kerma_uGy_per_mAs, photon_fluence_per_mAs_per_mm2), then one row
/// per voltage with each figure as the JSON writes it; a figure that cannot be given is an empty field.
void WriteSweepCsv(std::ostream& out, const std::vector<RunOutcome>& outcomes, bool withOutput);

/// The list of qualities as a comma-separated table: a header row of the JSON keys (name, standard,
/// tube_voltage_kV, beryllium_mm, aluminium_mm, filters, nominal_hvl1_al_mm, based_on), then one row
/// per quality; filters as "Cu:0.21;Sn:1", an empty field for a value the definition leaves open,
/// a field holding a comma or a quote in double quotes.
void WriteQualityListCsv(std::ostream& out, const std::vector<RadiationQuality>& qualities);
/// The table the command line asks for: as above, or with --normalise per-mas the photons per keV per
/// mm2 per mAs at --distance (header "  keV, photons/(keV mm2 mAs)"). Throws std::invalid_argument
/// for per-mas when the run has no absolute spectrum.
SpectrumTable TableOf(const RunOutcome& outcome, const CliOptions& options);

/// "# air kerma per mAs at 1000 mm [uGy]: 56.4" and the fluence line; "none (why)" for a relative model
void WriteOutputLines(std::ostream& out, const BeamOutput& output);

/// "# detector quantum detection efficiency: 0.7312" and the other detector lines
void WriteDetectorLines(std::ostream& out, const DetectorOutcome& detector);

/// "# uncertainty HVL1 Al [mm]: mean 2.74, std 0.093, 95 % 2.56 to 2.92" per figure, then the
/// models' spread per figure
void WriteUncertaintyLines(std::ostream& out, const UncertaintyOutcome& uncertainty);

/// A single calculation: input lines (with the quality and the fit, when there are), the table
/// (unless switched off), the engine's and the extended figures (unless switched off).
void WriteTextReport(std::ostream& out, const CliOptions& options, const std::vector<LoadedFilter>& filters,
                     const RunOutcome& outcome, const ReportExtras& extras = {});

/// The list of qualities: one line each with its name, standard and definition.
void WriteQualityList(std::ostream& out, const std::string& source, const std::vector<RadiationQuality>& qualities);

/// A sweep: input lines, then a header line and one line of figures per voltage, the extended
/// figures as precise as in JSON; for a model with absolute output also the air kerma and the
/// photon fluence per mAs at --distance ("none" where there is none).
void WriteSweepText(std::ostream& out, const CliOptions& options, const std::vector<LoadedFilter>& filters,
                    const std::vector<RunOutcome>& outcomes);

}  // namespace kestrix
