#include "table_comment_lines.h"

#include <charconv>

namespace kestrix {
namespace {

std::string Number(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

/// text on one line: C0 controls and DEL become blanks
std::string OneLine(std::string text) {
  for (char& c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) c = ' ';
  }
  return text;
}

std::string NormalisationText(const std::string& normalisation) {
  if (normalisation == "max") return "max (peak value 1)";
  if (normalisation == "total") return "total (values sum to 1)";
  return OneLine(normalisation);
}

}  // namespace

std::string BinConventionText(const std::string& quantity, const std::string& normalisation) {
  const std::string bins =
      "row E is the 0.5 keV bin from E - 0.25 to E + 0.25 keV (E = 0.5 i keV its centre), a line whole in the bin "
      "nearest to its energy; value: ";
  if (normalisation.rfind("per_mas", 0) == 0) {
    return bins + "photons per keV per mm2 per mAs at E (times 0.5 keV: the photons in the bin)";
  }
  const bool total = normalisation == "total";
  const std::string scale = total ? " as a fraction of the whole spectrum's (per bin, not per keV: the values sum to 1)"
                                  : " relative to the largest bin's";
  if (quantity == "exposure") return bins + "the air kerma of the bin's photons (photons x E x mu_en/rho of air)" + scale;
  if (quantity == "energy") return bins + "the energy of the bin's photons (photons x E)" + scale;
  return bins + "the photons in the bin" + scale + (total ? "" : " (the same ratio as photons per keV)");
}

std::vector<std::string> SpectrumHeaderLines(const SpectrumDescription& d) {
  std::vector<std::string> lines{
      "# spectrum of " + OneLine(d.program),
      "# model: " + OneLine(d.model),
      "# tube voltage [kV]: " + Number(d.tubeVoltageKV),
      "# target angle [degrees]: " +
          (d.transmission ? std::string("none (transmission target: the beam leaves through the window)")
                          : Number(d.targetAngleDegrees)),
      "# waveform: " + OneLine(d.waveform),
      "# beryllium window [mm]: " + Number(d.berylliumMm),
      "# inherent aluminium equivalent [mm]: " + Number(d.aluminiumEquivalentMm),
      "# added aluminium [mm]: " + Number(d.addedAluminiumMm),
      "# added copper [mm]: " + Number(d.addedCopperMm),
  };
  for (std::size_t k = 0; k < d.filters.size(); ++k) {
    const DescribedFilter& filter = d.filters[k];
    std::string line = "# filter " + std::to_string(k + 1) + ": " + OneLine(filter.description) + ", " +
                       Number(filter.thicknessMm) + " mm";
    if (!filter.source.empty()) line += " (" + OneLine(filter.source) + ")";
    lines.push_back(line);
  }
  lines.push_back("# quantity: " + OneLine(d.quantity));
  lines.push_back("# normalisation: " + NormalisationText(d.normalisation));
  lines.push_back("# energy unit: " + OneLine(d.energyUnit));
  lines.push_back("# bins: " + BinConventionText(d.quantity, d.normalisation));
  return lines;
}

void WriteDescribedSpectrum(std::ostream& out, const SpectrumDescription& description,
                            const std::vector<double>& energies, const std::vector<double>& values) {
  for (const std::string& line : SpectrumHeaderLines(description)) out << line << '\n';
  out << "energy_" << OneLine(description.energyUnit) << ",value\n";
  for (std::size_t i = 0; i < energies.size() && i < values.size(); ++i) {
    out << Number(energies[i]) << ',' << Number(values[i]) << '\n';
  }
}

}  // namespace kestrix
