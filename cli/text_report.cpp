#include "text_report.h"

#include <stdexcept>

#include "beam_figures.h"
#include "json_writer.h"
#include "message_text.h"

namespace kestrix {
namespace {

std::string Mm(double value) { return ShortestDecimal(value) + " mm"; }

bool OffAxis(const CliOptions& options) { return options.offAxisAlongDegrees != 0 || options.offAxisAcrossDegrees != 0; }

/// "off axis 5 degrees along (towards the cathode), 0 degrees across"
std::string OffAxisText(const CliOptions& options) {
  return "off axis " + ShortestDecimal(options.offAxisAlongDegrees) + " degrees along (towards the cathode), " +
         ShortestDecimal(options.offAxisAcrossDegrees) + " degrees across";
}

/// "Mo target", "W target, bremsstrahlung alone (no characteristic lines)"
std::string TubeText(const CliOptions& options, TargetMaterial target) {
  return std::string(TargetSymbol(target)) + " target" +
         (options.characteristicLines ? "" : ", bremsstrahlung alone (no characteristic lines)");
}

void WriteCommonInputLines(std::ostream& out, const CliOptions& options, const std::vector<LoadedFilter>& filters,
                           const UsedEntries& used) {
  out << "# filtration: " << Mm(used.berylliumMm) << " Be, " << Mm(used.aluminiumEquivalentMm) << " Al eq., added "
      << Mm(used.addedAluminiumMm) << " Al, " << Mm(used.addedCopperMm) << " Cu\n";
  for (std::size_t k = 0; k < filters.size(); ++k) {
    out << "# filter " << k + 1 << ": " << PrintableText(filters[k].description) << ", "
        << Mm(filters[k].thicknessMm) << " (" << PrintableText(filters[k].path) << ")\n";
  }
  out << "# attenuation table: " << PrintableText(options.attenuationTablePath) << "\n";
  if (used.target != TargetMaterial::Tungsten || !options.characteristicLines) {
    out << "# tube: " << TubeText(options, used.target) << '\n';
  }
  if (OffAxis(options)) out << "# point: " << OffAxisText(options) << '\n';
}

const char* SeparatorText(const CliOptions& options) {
  return options.tableOptions.separator == TableSeparator::Comma ? ", " : "  ";
}

}  // namespace

std::string PrintableText(const std::string& text) { return EscapedText(text); }

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
  const RadiationQuality* quality = extras.quality;
  const bool based = quality != nullptr && !quality->basedOn.empty();
  if (quality != nullptr) out << "# quality: " << PrintableText(QualityDescription(*quality)) << '\n';
  if (extras.fit != nullptr) {
    out << "# fit" << (based ? " of " + quality->basedOn : std::string()) << ": " << FitDescription(*extras.fit) << '\n';
  }
  if (based && quality->nominalHvl1AlMm) out << "# quality HVL1: " << NominalComparison(*quality, outcome) << '\n';
  if (extras.tubeFit != nullptr) {
    out << "# tube fit: " << TubeFitDescription(*extras.tubeFit) << '\n';
    for (const TubeResidual& residual : extras.tubeFit->fit.residuals) {
      out << "# tube fit " << TubeResidualDescription(residual) << '\n';
    }
  }
  if (options.printTable) {
    const SpectrumTable table = TableOf(outcome, options);
    if (options.header) WriteSpectrumHeader(out, options, filters, outcome, "\n");
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
    for (std::size_t f = 0; f < kExtendedFigureCount; ++f) {
      const std::optional<double>& value = outcome.extended.values[f];
      out << separator << (value ? ShortestDecimal(*value) : "none");
    }
    out << '\n';
  }
}

void WriteSweepCsv(std::ostream& out, const std::vector<RunOutcome>& outcomes) {
  out << "tube_voltage_kV";
  for (const FigureField& field : FigureFields()) out << ',' << field.key;
  for (const ExtendedFigureField& field : ExtendedFigureFields()) out << ',' << field.key;
  out << '\n';
  const auto field = [&out](const std::optional<double>& value) {
    out << ',';
    if (value) out << ShortestDecimal(*value);
  };
  for (const RunOutcome& outcome : outcomes) {
    out << ShortestDecimal(outcome.used.tubeVoltageKV);
    for (std::size_t k = 0; k < FigureFields().size(); ++k) field(FigureValue(outcome, k));
    for (const std::optional<double>& value : outcome.extended.values) field(value);
    out << '\n';
  }
}

SpectrumDescription DescriptionOf(const CliOptions& options, const std::vector<LoadedFilter>& filters,
                                  const RunOutcome& outcome) {
  SpectrumDescription d;
  d.program = "kestrix-cli";
  d.model = ModelKeyword(options.model);
  const TargetMaterial target = outcome.used.target;
  if (target != TargetMaterial::Tungsten || !options.characteristicLines) d.model += " (" + TubeText(options, target) + ")";
  if (OffAxis(options)) d.model += " (" + OffAxisText(options) + ")";
  d.tubeVoltageKV = outcome.used.tubeVoltageKV;
  d.targetAngleDegrees = outcome.used.targetAngleDegrees;
  d.waveform = WaveformKeyword(options.waveform);
  d.berylliumMm = outcome.used.berylliumMm;
  d.aluminiumEquivalentMm = outcome.used.aluminiumEquivalentMm;
  d.addedAluminiumMm = outcome.used.addedAluminiumMm;
  d.addedCopperMm = outcome.used.addedCopperMm;
  for (const LoadedFilter& filter : filters) d.filters.push_back({filter.description, filter.thicknessMm, filter.path});
  d.quantity = QuantityKeyword(options.quantity);
  d.normalisation = options.perMas ? "per_mas (photons per keV per mm2 per mAs at " + ShortestDecimal(options.distanceMm) + " mm)"
                  : options.tableOptions.normalisation == TableNormalisation::MaximumOne ? "max"
                                                                                         : "total";
  d.energyUnit = options.tableOptions.unit == TableEnergyUnit::KeV ? "keV" : "MeV";
  return d;
}

void WriteSpectrumHeader(std::ostream& out, const CliOptions& options, const std::vector<LoadedFilter>& filters,
                         const RunOutcome& outcome, const char* lineEnd) {
  for (const std::string& line : SpectrumHeaderLines(DescriptionOf(options, filters, outcome))) out << line << lineEnd;
}

void WriteQualityList(std::ostream& out, const std::string& source, const std::vector<RadiationQuality>& qualities) {
  out << "# radiation qualities (" << PrintableText(source) << ")\n";
  for (const RadiationQuality& quality : qualities) out << PrintableText(QualityDescription(quality)) << '\n';
}

}  // namespace kestrix
