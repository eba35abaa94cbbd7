#include "text_report.h"

#include <stdexcept>

#include "beam_figures.h"
#include "emission_models.h"
#include "json_writer.h"
#include "message_text.h"

namespace kestrix {
namespace {

std::string Mm(double value) { return ShortestDecimal(value) + " mm"; }

/// the options' lines and point off the central ray, as a run's entries hold them
RunEntries TubeEntries(const CliOptions& options) {
  RunEntries entries;
  entries.characteristicLines = options.characteristicLines;
  entries.offAxisAlongDegrees = options.offAxisAlongDegrees;
  entries.offAxisAcrossDegrees = options.offAxisAcrossDegrees;
  entries.transmission = options.transmission;
  return entries;
}

/// "target angle 20 degrees" of the first line; a transmission target has none
std::string AngleText(const CliOptions& options, double targetAngleDegrees) {
  if (options.transmission.IsTransmission()) return "transmission target";
  return "target angle " + ShortestDecimal(targetAngleDegrees) + " degrees";
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
  if (TubeIsNamed(used.target, TubeEntries(options))) {
    out << "# tube: " << TubeDescription(used.target, TubeEntries(options)) << '\n';
  }
  if (IsOffAxis(TubeEntries(options))) out << "# point: " << OffAxisDescription(TubeEntries(options)) << '\n';
}

const char* SeparatorText(const CliOptions& options) {
  return options.tableOptions.separator == TableSeparator::Comma ? ", " : "  ";
}

}  // namespace

std::string PrintableText(const std::string& text) { return EscapedText(text); }

bool HasAbsoluteOutput(const CliOptions& options) { return EmissionModelFor(options.model).IsAbsolute(); }

SpectrumTable TableOf(const RunOutcome& outcome, const SpectrumTableOptions& options) {
  return BuildSpectrumTable(outcome.tabulatedOnGrid, outcome.lastBin, options, '.');
}

SpectrumTable TableOf(const RunOutcome& outcome, const CliOptions& options) {
  if (!options.perMas) return TableOf(outcome, options.tableOptions);
  if (!outcome.absoluteSpectrum) {
    throw std::invalid_argument("photons per mAs need a model with absolute output");
  }
  SpectrumTable table =
      BuildSpectrumTable(FluencePerMasSpectrum(*outcome.absoluteSpectrum, options.distanceMm), outcome.lastBin,
                         options.tableOptions, '.');
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
  // the other media only beside an air kerma: a relative model has said why it has none
  if (output.waterKermaMicroGrayPerMas) line("water kerma per mAs [uGy]", output.waterKermaMicroGrayPerMas);
  if (output.tissueKermaMicroGrayPerMas) line("soft tissue (ICRU 44) kerma per mAs [uGy]", output.tissueKermaMicroGrayPerMas);
}

void WriteTextReport(std::ostream& out, const CliOptions& options, const std::vector<LoadedFilter>& filters,
                     const RunOutcome& outcome, const ReportExtras& extras) {
  if (extras.measured != nullptr) {
    out << "# kestrix-cli: " << PrintableText(MeasuredDescription(*extras.measured)) << ", photon table\n"
        << "# attenuation table: " << PrintableText(options.attenuationTablePath) << "\n";
  } else {
  out << "# kestrix-cli: " << ModelKeyword(options.model) << " model, " << VoltageText(outcome.used.tubeVoltageKV)
      << " kV, " << AngleText(options, outcome.used.targetAngleDegrees) << ", " << WaveformKeyword(options.waveform) << " waveform, " << QuantityKeyword(options.quantity) << " table\n";
  WriteCommonInputLines(out, options, filters, outcome.used);
  }
  const RadiationQuality* quality = extras.quality;
  const bool based = quality != nullptr && !quality->basedOn.empty();
  if (quality != nullptr) out << "# quality: " << PrintableText(QualityDescription(*quality)) << '\n';
  if (extras.fit != nullptr) {
    out << "# fit" << (based ? " of " + quality->basedOn : std::string()) << ": " << FitDescription(*extras.fit) << '\n';
  }
  if (based && quality->nominalHvl1AlMm) out << "# quality HVL1: " << NominalComparison(*quality, outcome) << '\n';
  if (quality != nullptr) {
    // the published figures besides the nominal HVL1, which the lines above compare already
    const std::vector<QualityDeviation> deviations = QualityDeviations(*quality, outcome);
    for (std::size_t k = quality->nominalHvl1AlMm ? 1 : 0; k < deviations.size(); ++k) {
      out << "# quality " << PrintableText(DeviationDescription(deviations[k])) << '\n';
    }
  }
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
    for (int i = 1; i <= table.rows; ++i) out << table.lines[i] << '\n';
  }
  if (options.printFigures) {
    // without any results one line says why, rather than each figure
    if (!outcome.results) {
      out << (outcome.lastBin > kExchangeLast ? "# no engine figures: " : "# no beam-quality figures: ")
          << outcome.engineError << '\n';
    }
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
    if (extras.detector != nullptr) WriteDetectorLines(out, *extras.detector);
    if (extras.uncertainty != nullptr) WriteUncertaintyLines(out, *extras.uncertainty);
  }
}

void WriteUncertaintyLines(std::ostream& out, const UncertaintyOutcome& uncertainty) {
  const UncertaintyRequest& r = uncertainty.request;
  out << "# uncertainty: " << r.samples << " samples, seed " << r.seed << "; standard uncertainties kv "
      << ShortestDecimal(r.kvUncertainty) << " kV, al_eq " << ShortestDecimal(r.alEqUncertainty) << " mm, angle "
      << ShortestDecimal(r.angleUncertainty) << " degrees\n";
  for (const FigureSpread& figure : uncertainty.figures) {
    out << "# uncertainty " << figure.label << ": ";
    if (!figure.mean) {
      out << "none (" << figure.missing << ")\n";
      continue;
    }
    out << "mean " << ShortestDecimal(*figure.mean) << ", std " << ShortestDecimal(*figure.std) << ", 95 % "
        << ShortestDecimal(*figure.p2_5) << " to " << ShortestDecimal(*figure.p97_5) << '\n';
  }
  for (std::size_t f = 0; f < uncertainty.modelSpread.size(); ++f) {
    const ModelFigure& figure = uncertainty.modelSpread[f];
    if (!figure.range) continue;
    out << "# model spread " << uncertainty.figures[f].label << ":";
    for (const auto& [model, value] : figure.values) {
      if (value) out << ' ' << model << ' ' << ShortestDecimal(*value);
    }
    out << " (range " << ShortestDecimal(*figure.range) << ")\n";
  }
}

void WriteDetectorLines(std::ostream& out, const DetectorOutcome& detector) {
  out << "# detector: " << PrintableText(detector.material) << ", " << ShortestDecimal(detector.thicknessMm) << " mm"
      << (detector.thresholdKeV ? ", threshold " + ShortestDecimal(*detector.thresholdKeV) + " keV" : std::string())
      << " (" << PrintableText(detector.description) << ")\n";
  out << "# detector quantum detection efficiency: " << FixedDigits(detector.quantumDetectionEfficiency, 4) << '\n';
  out << "# detector absorbed energy fraction: " << FixedDigits(detector.absorbedEnergyFraction, 4) << '\n';
  const std::string at = " at " + ShortestDecimal(detector.distanceMm) + " mm: ";
  const auto line = [&](const char* label, const std::optional<double>& value) {
    out << "# detector " << label << at << (value ? ShortestDecimal(*value) : "none (" + detector.missing + ")") << '\n';
  };
  line("absorbed energy per mAs [keV/mm2]", detector.absorbedEnergyKeVPerMasPerMm2);
  line("detected photons per mAs [1/mm2]", detector.detectedPhotonsPerMasPerMm2);
  out << "# detector K fluorescence escape: " << detector.fluorescenceEscape << '\n';
}

void WriteSweepText(std::ostream& out, const CliOptions& options, const std::vector<LoadedFilter>& filters,
                    const std::vector<RunOutcome>& outcomes) {
  const VoltageSweep& sweep = *options.sweep;
  out << "# kestrix-cli sweep " << ShortestDecimal(sweep.fromKV) << " to " << ShortestDecimal(sweep.toKV)
      << " kV in steps of " << ShortestDecimal(sweep.stepKV) << " kV: " << ModelKeyword(options.model)
      << " model, " << AngleText(options, outcomes.empty() ? 0 : outcomes.front().used.targetAngleDegrees) << ", "
      << WaveformKeyword(options.waveform) << " waveform\n";
  if (!outcomes.empty()) WriteCommonInputLines(out, options, filters, outcomes.front().used);
  const char* separator = SeparatorText(options);
  const bool withOutput = HasAbsoluteOutput(options);
  const std::string at = " at " + ShortestDecimal(options.distanceMm) + " mm";
  for (const RunOutcome& outcome : outcomes) {
    if (outcome.lastBin <= kExchangeLast) continue;
    out << "# no engine figures above 300 kV (asterisks): " << kBeyondExchangeReason << '\n';
    break;
  }
  out << "# kV";
  for (const FigureField& field : FigureFields()) out << separator << field.label;
  for (const ExtendedFigureField& field : ExtendedFigureFields()) out << separator << field.label;
  if (withOutput) out << separator << "air kerma per mAs [uGy]" << at << separator << "photon fluence per mAs [1/mm2]" << at;
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
    if (withOutput) {
      for (const std::optional<double>& value :
           {outcome.output.airKermaMicroGrayPerMas, outcome.output.photonFluencePerMasPerMm2}) {
        out << separator << (value ? ShortestDecimal(*value) : "none");
      }
    }
    out << '\n';
  }
}

void WriteSweepCsv(std::ostream& out, const std::vector<RunOutcome>& outcomes, bool withOutput) {
  out << "tube_voltage_kV";
  for (const FigureField& field : FigureFields()) out << ',' << field.key;
  for (const ExtendedFigureField& field : ExtendedFigureFields()) out << ',' << field.key;
  if (withOutput) out << ',' << kDistanceKey << ',' << kAirKermaKey << ',' << kPhotonFluenceKey;
  out << '\n';
  const auto field = [&out](const std::optional<double>& value) {
    out << ',';
    if (value) out << ShortestDecimal(*value);
  };
  for (const RunOutcome& outcome : outcomes) {
    out << ShortestDecimal(outcome.used.tubeVoltageKV);
    for (std::size_t k = 0; k < FigureFields().size(); ++k) field(FigureValue(outcome, k));
    for (const std::optional<double>& value : outcome.extended.values) field(value);
    if (withOutput) {
      field(outcome.output.distanceMm);
      field(outcome.output.airKermaMicroGrayPerMas);
      field(outcome.output.photonFluencePerMasPerMm2);
    }
    out << '\n';
  }
}

SpectrumDescription DescriptionOf(const CliOptions& options, const std::vector<LoadedFilter>& filters,
                                  const RunOutcome& outcome) {
  SpectrumDescription d;
  d.program = "kestrix-cli";
  d.model = ModelDescription(options.model, outcome.used.target, TubeEntries(options));
  d.tubeVoltageKV = outcome.used.tubeVoltageKV;
  d.targetAngleDegrees = outcome.used.targetAngleDegrees;
  d.transmission = options.transmission.IsTransmission();
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

namespace kestrix {
namespace {

/// a CSV field: as it stands, or in double quotes (quotes doubled) when it holds a comma, a quote or a line end
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string CsvNumber(const std::optional<double>& value) { return value ? ShortestDecimal(*value) : std::string(); }

}  // namespace

void WriteQualityListCsv(std::ostream& out, const std::vector<RadiationQuality>& qualities) {
  // the columns of --list-qualities --json, in its order
  out << "name,standard,tube_voltage_kV,beryllium_mm,aluminium_mm,filters,nominal_hvl1_al_mm,based_on,target";
  constexpr ExtendedFigure kPublished[] = {kHvl2Al, kHvl1Cu, kHvl2Cu, kMeanEnergy};
  for (const ExtendedFigure figure : kPublished) out << ",nominal_" << ExtendedFigureFields()[figure].key;
  out << '\n';
  for (const RadiationQuality& quality : qualities) {
    std::string filters;
    for (const QualityFilter& filter : quality.filters) {
      filters += (filters.empty() ? "" : ";") + filter.material + ':' + ShortestDecimal(filter.thicknessMm);
    }
    // a published figure of the quality, the fitted RQR layer counting as its first layer in aluminium
    const auto published = [&quality](ExtendedFigure figure) {
      std::optional<double> value = figure == kHvl1Al ? quality.nominalHvl1AlMm : std::nullopt;
      for (const NominalFigure& nominal : quality.nominalFigures) {
        if (nominal.figure == figure) value = nominal.value;
      }
      return value;
    };
    out << CsvField(PrintableText(quality.name)) << ',' << CsvField(PrintableText(quality.standard)) << ','
        << ShortestDecimal(quality.tubeVoltageKV) << ',' << CsvNumber(quality.berylliumMm) << ','
        << CsvNumber(quality.aluminiumMm) << ',' << CsvField(PrintableText(filters)) << ','
        << CsvNumber(published(kHvl1Al)) << ',' << CsvField(PrintableText(quality.basedOn)) << ','
        << TargetSymbol(quality.target);
    for (const ExtendedFigure figure : kPublished) out << ',' << CsvNumber(published(figure));
    out << '\n';
  }
}

}  // namespace kestrix
