#include "text_report.h"

#include "beam_figures.h"
#include "json_writer.h"
#include "message_text.h"

namespace kestrix {
namespace {

std::string Mm(double value) { return ShortestDecimal(value) + " mm"; }

void WriteCommonInputLines(std::ostream& out, const CliOptions& options, const std::vector<LoadedFilter>& filters,
                           const UsedEntries& used) {
  out << "# filtration: " << Mm(used.berylliumMm) << " Be, " << Mm(used.aluminiumEquivalentMm) << " Al eq., added "
      << Mm(used.addedAluminiumMm) << " Al, " << Mm(used.addedCopperMm) << " Cu\n";
  for (std::size_t k = 0; k < filters.size(); ++k) {
    out << "# filter " << k + 1 << ": " << PrintableText(filters[k].description) << ", "
        << Mm(filters[k].thicknessMm) << " (" << PrintableText(filters[k].path) << ")\n";
  }
  out << "# attenuation table: " << PrintableText(options.attenuationTablePath) << "\n";
}

const char* SeparatorText(const CliOptions& options) {
  return options.tableOptions.separator == TableSeparator::Comma ? ", " : "  ";
}

}  // namespace

std::string PrintableText(const std::string& text) { return EscapedText(text); }

SpectrumTable TableOf(const RunOutcome& outcome, const SpectrumTableOptions& options) {
  return BuildSpectrumTable(outcome.tabulated, options, '.');
}

void WriteTextReport(std::ostream& out, const CliOptions& options, const std::vector<LoadedFilter>& filters,
                     const RunOutcome& outcome, const ReportExtras& extras) {
  out << "# kestrix-cli: " << ModelKeyword(options.model) << " model, " << VoltageText(outcome.used.tubeVoltageKV)
      << " kV, target angle " << ShortestDecimal(outcome.used.targetAngleDegrees) << " degrees, "
      << WaveformKeyword(options.waveform) << " waveform, " << QuantityKeyword(options.quantity) << " table\n";
  WriteCommonInputLines(out, options, filters, outcome.used);
  if (extras.quality != nullptr) out << "# quality: " << PrintableText(QualityDescription(*extras.quality)) << '\n';
  if (extras.fit != nullptr) out << "# fit: " << FitDescription(*extras.fit) << '\n';
  if (options.printTable) {
    const SpectrumTable table = TableOf(outcome, options.tableOptions);
    out << table.header << '\n';
    for (int i = 1; i <= kExchangeRows; ++i) out << table.lines[i] << '\n';
  }
  if (options.printFigures) {
    // without any results one line says why, rather than each figure
    if (!outcome.results) out << "# no beam-quality figures: " << outcome.engineError << '\n';
    for (std::size_t k = 0; k < FigureFields().size(); ++k) {
      const FigureField& field = FigureFields()[k];
      const std::optional<double> value = FigureValue(outcome, k);
      out << "# " << field.label << ": " << FigureText(value, field);
      if (!value && outcome.results) out << " (" << MissingFigureReason(outcome, k) << ")";
      out << '\n';
    }
    for (std::size_t f = 0; f < kExtendedFigureCount; ++f) {
      out << "# " << ExtendedFigureFields()[f].label << ": " << ExtendedFigureText(outcome.extended, f);
      if (!outcome.extended.values[f]) out << " (" << outcome.extended.missing[f] << ")";
      out << '\n';
    }
  }
}

void WriteSweepText(std::ostream& out, const CliOptions& options, const std::vector<LoadedFilter>& filters,
                    const std::vector<RunOutcome>& outcomes) {
  const VoltageSweep& sweep = *options.sweep;
  out << "# kestrix-cli sweep " << ShortestDecimal(sweep.fromKV) << " to " << ShortestDecimal(sweep.toKV)
      << " kV in steps of " << ShortestDecimal(sweep.stepKV) << " kV: " << ModelKeyword(options.model)
      << " model, target angle " << ShortestDecimal(outcomes.empty() ? 0 : outcomes.front().used.targetAngleDegrees)
      << " degrees, " << WaveformKeyword(options.waveform) << " waveform\n";
  if (!outcomes.empty()) WriteCommonInputLines(out, options, filters, outcomes.front().used);
  const char* separator = SeparatorText(options);
  out << "# kV";
  for (const FigureField& field : FigureFields()) out << separator << field.label;
  for (const ExtendedFigureField& field : ExtendedFigureFields()) out << separator << field.label;
  out << '\n';
  for (const RunOutcome& outcome : outcomes) {
    out << VoltageText(outcome.used.tubeVoltageKV);
    for (std::size_t k = 0; k < FigureFields().size(); ++k) {
      out << separator << FigureText(FigureValue(outcome, k), FigureFields()[k]);
    }
    for (std::size_t f = 0; f < kExtendedFigureCount; ++f) out << separator << ExtendedFigureText(outcome.extended, f);
    out << '\n';
  }
}

void WriteQualityList(std::ostream& out, const std::string& source, const std::vector<RadiationQuality>& qualities) {
  out << "# radiation qualities (" << PrintableText(source) << ")\n";
  for (const RadiationQuality& quality : qualities) out << PrintableText(QualityDescription(quality)) << '\n';
}

}  // namespace kestrix
