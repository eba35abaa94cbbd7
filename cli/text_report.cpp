#include "text_report.h"

#include <stdexcept>

#include "beam_figures.h"
#include "json_writer.h"

namespace kestrix {
namespace {

std::string Escape(unsigned int code) {
  static const char* const kHex = "0123456789abcdef";
  switch (code) {
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\t': return "\\t";
    default:
      return code < 0x100 ? std::string("\\x") + kHex[code >> 4] + kHex[code & 15]
                          : std::string("\\u00") + kHex[(code >> 4) & 15] + kHex[code & 15];
  }
}

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

std::string PrintableText(const std::string& text) {
  std::string printable;
  for (std::size_t k = 0; k < text.size(); ++k) {
    const unsigned char byte = static_cast<unsigned char>(text[k]);
    const unsigned char next = k + 1 < text.size() ? static_cast<unsigned char>(text[k + 1]) : 0;
    if (byte < 0x20 || byte == 0x7f) {
      printable += Escape(byte);
    } else if (byte == 0xc2 && next >= 0x80 && next <= 0x9f) {  // U+0080 to U+009F
      printable += Escape(0x100 + next);
      ++k;
    } else {
      printable += static_cast<char>(byte);
    }
  }
  return printable;
}

SpectrumTable TableOf(const RunOutcome& outcome, const SpectrumTableOptions& options) {
  return BuildSpectrumTable(outcome.tabulated, options, '.');
}

SpectrumTable TableOf(const RunOutcome& outcome, const CliOptions& options) {
  if (!options.perMas) return TableOf(outcome, options.tableOptions);
  if (!outcome.absoluteSpectrum) {
    throw std::invalid_argument("photons per mAs need a model with absolute output");
  }
  SpectrumTable table =
      BuildSpectrumTable(FluencePerMasSpectrum(*outcome.absoluteSpectrum, options.distanceMm), options.tableOptions, '.');
  const std::string separator = options.tableOptions.separator == TableSeparator::Comma ? ", " : "  ";
  table.header = std::string(options.tableOptions.unit == TableEnergyUnit::KeV ? "  keV" : "  MeV") + separator +
                 "photons/(keV mm2 mAs)";
  return table;
}

void WriteOutputLines(std::ostream& out, const BeamOutput& output) {
  const std::string at = " at " + ShortestDecimal(output.distanceMm) + " mm";
  const auto line = [&](const char* label, const std::optional<double>& value) {
    out << "# " << label << at << ": ";
    if (value) {
      out << ShortestDecimal(*value) << '\n';
    } else {
      out << "none (" << output.missing << ")\n";
    }
  };
  line("air kerma per mAs [uGy]", output.airKermaMicroGrayPerMas);
  line("photon fluence per mAs [1/mm2]", output.photonFluencePerMasPerMm2);
}

void WriteTextReport(std::ostream& out, const CliOptions& options, const std::vector<LoadedFilter>& filters,
                     const RunOutcome& outcome, const ReportExtras& extras) {
  out << "# kestrix-cli: " << ModelKeyword(options.model) << " model, " << VoltageText(outcome.used.tubeVoltageKV)
      << " kV, target angle " << ShortestDecimal(outcome.used.targetAngleDegrees) << " degrees, "
      << WaveformKeyword(options.waveform) << " waveform, " << QuantityKeyword(options.quantity) << " table\n";
  WriteCommonInputLines(out, options, filters, outcome.used);
  if (extras.quality != nullptr) out << "# quality: " << QualityDescription(*extras.quality) << '\n';
  if (extras.fit != nullptr) out << "# fit: " << FitDescription(*extras.fit) << '\n';
  if (options.printTable) {
    const SpectrumTable table = TableOf(outcome, options);
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
    WriteOutputLines(out, outcome.output);
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
  out << "# radiation qualities (" << source << ")\n";
  for (const RadiationQuality& quality : qualities) out << QualityDescription(quality) << '\n';
}

}  // namespace kestrix
