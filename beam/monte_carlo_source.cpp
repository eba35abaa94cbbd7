#include "monte_carlo_source.h"

#include <algorithm>
#include <stdexcept>
#include <charconv>
#include <cmath>
#include <set>

#include "characteristic_lines.h"
#include "energy_grid.h"
#include "tucker_model.h"

namespace kestrix {

namespace {

/// value with 9 significant digits, without regard to the C locale
std::string Number(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 9);
  return std::string(buffer, result.ptr);
}

std::string MeV(double keV) { return Number(keV / 1000); }

/// shares of all photons below this are written as 0: they change no figure, and some codes read
/// their numbers in single precision
constexpr double kSmallestShare = 1e-15;

std::string Share(double share) { return share < kSmallestShare ? "0" : Number(share); }

/// title on one line without control characters
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
  }
  return text;
}

/// One bin of a histogram source, its photons a share of all [keV, keV, 1].
struct Piece {
  double lowKeV;
  double highKeV;
  double share;
};

/// The filled range of the source: first and last bin holding photons or a line.
struct FilledRange {
  int first = 0;
  int last = 0;
};

int BinOf(double energyKeV) { return static_cast<int>(std::lround(energyKeV / kKeVPerGridIndex)); }

double TotalPhotons(const SourceSpectrum& source) {
  double total = 0;
  for (int i = 1; i <= kExchangeRows; ++i) total += source.continuum[i];
  for (const SourceLine& line : source.lines) total += line.photons;
  return total;
}

FilledRange RangeOf(const SourceSpectrum& source) {
  const double total = TotalPhotons(source);
  FilledRange range;
  for (int i = 1; i <= kExchangeRows; ++i) {
    bool filled = source.continuum[i] / total >= kSmallestShare;
    for (const SourceLine& line : source.lines) filled = filled || BinOf(line.energyKeV) == i;
    if (!filled) continue;
    if (range.first == 0) range.first = i;
    range.last = i;
  }
  return range;
}

/// The continuum by bin over the filled range, a share of all photons; with narrowLines each line
/// becomes a bin 2 x kLineBinHalfWidthKeV wide at its energy, the rest of its 0.5 keV bin split
/// around it by width (so the bin's mean energy stays its centre).
std::vector<Piece> HistogramOf(const SourceSpectrum& source, bool narrowLines) {
  const double total = TotalPhotons(source);
  const FilledRange range = RangeOf(source);
  std::vector<Piece> pieces;
  for (int i = range.first; i <= range.last; ++i) {
    const double centre = PhotonEnergy(i);
    const double low = centre - kKeVPerGridIndex / 2;
    const double high = centre + kKeVPerGridIndex / 2;
    const double continuum = source.continuum[i] / total;
    double line = 0;
    for (const SourceLine& l : source.lines) {
      if (BinOf(l.energyKeV) == i) line += l.photons / total;
    }
    if (!narrowLines || line == 0) {
      pieces.push_back({low, high, continuum + line});
      continue;
    }
    const double h = kLineBinHalfWidthKeV;
    const double side = continuum * (kKeVPerGridIndex / 2 - h) / kKeVPerGridIndex;
    pieces.push_back({low, centre - h, side});
    pieces.push_back({centre - h, centre + h, continuum * 2 * h / kKeVPerGridIndex + line});
    pieces.push_back({centre + h, high, side});
  }
  return pieces;
}

/// "line" items of a card or a vector, wrapped after `perLine` items, continued with `indent`
void WrapItems(std::ostream& out, const std::string& first, const std::vector<std::string>& items, std::size_t perLine,
               const std::string& indent) {
  out << first;
  for (std::size_t k = 0; k < items.size(); ++k) {
    if (k > 0 && k % perLine == 0) out << '\n' << indent;
    out << ' ' << items[k];
  }
  out << '\n';
}

void WriteEgsnrc(std::ostream& out, const SourceSpectrum& source, const std::string& title) {
  const std::vector<Piece> pieces = HistogramOf(source, true);
  // title line; bins, lower edge of the first bin [MeV], mode 0 (counts per bin); then per bin
  // its upper edge [MeV] and its counts
  out << OneLine(title) << " (Kestrix; mode 0: photons per bin, bin top energies in MeV)\n";
  out << pieces.size() << ", " << MeV(pieces.front().lowKeV) << ", 0\n";
  for (const Piece& p : pieces) out << MeV(p.highKeV) << ", " << Share(p.share) << '\n';
}

void WriteGpsHistogram(std::ostream& out, const std::string& prefix, const std::string& pointCommand,
                       const SourceSpectrum& source) {
  const std::vector<Piece> pieces = HistogramOf(source, true);
  // the first point is the histogram's lower edge, each further one a bin's upper edge and its weight
  out << prefix << pointCommand << ' ' << MeV(pieces.front().lowKeV) << " 0\n";
  for (const Piece& p : pieces) out << prefix << pointCommand << ' ' << MeV(p.highKeV) << ' ' << Share(p.share) << '\n';
}

void WriteGeant4(std::ostream& out, const SourceSpectrum& source, const std::string& title) {
  out << "# " << OneLine(title) << '\n'
      << "# Kestrix: General Particle Source, user-defined energy histogram; /gps/hist/point Ehi weight:\n"
      << "# Ehi the bin's upper edge [MeV] (the first point: the lower edge of the first bin), weight its\n"
      << "# photons (per bin, not per MeV); a line is a bin 10 eV wide at its energy\n"
      << "/gps/particle gamma\n"
      << "/gps/ene/type User\n"
      << "/gps/hist/type energy\n";
  WriteGpsHistogram(out, "", "/gps/hist/point", source);
}

void WriteGate(std::ostream& out, const SourceSpectrum& source, const std::string& title) {
  out << "# " << OneLine(title) << '\n'
      << "# Kestrix: a GATE source 'kestrix' of the General Particle Source kind with a user-defined energy\n"
      << "# histogram; histpoint Ehi weight: Ehi the bin's upper edge [MeV] (the first point: the lower edge\n"
      << "# of the first bin), weight its photons (per bin, not per MeV); a line is a bin 10 eV wide\n"
      << "/gate/source/addSource kestrix gps\n"
      << "/gate/source/kestrix/gps/particle gamma\n"
      << "/gate/source/kestrix/gps/energytype User\n"
      << "/gate/source/kestrix/gps/histname energy\n";
  WriteGpsHistogram(out, "/gate/source/kestrix/gps/", "histpoint", source);
}

void WriteMcnp(std::ostream& out, const SourceSpectrum& source, const std::string& title) {
  const std::vector<Piece> pieces = HistogramOf(source, false);
  const double total = TotalPhotons(source);
  double linePhotons = 0;
  for (const SourceLine& line : source.lines) linePhotons += line.photons;
  const double lineShare = linePhotons / total;
  std::vector<std::string> edges{MeV(pieces.front().lowKeV)};
  std::vector<std::string> probabilities{"0"};
  for (const Piece& p : pieces) {
    edges.push_back(MeV(p.highKeV));
    // the continuum alone, relative to all the continuum
    const int i = BinOf((p.lowKeV + p.highKeV) / 2);
    probabilities.push_back(Share(source.continuum[i] / (total - linePhotons)));
  }
  const std::string indent = "     ";
  // MCNP reads 80 columns of a line: the title is cut into comment lines that fit
  const std::string text = OneLine(title);
  constexpr std::size_t kCommentWidth = 78;
  for (std::size_t at = 0; at < text.size(); at += kCommentWidth) out << "c " << text.substr(at, kCommentWidth) << '\n';
  out << "c Kestrix: photon energy distribution; SI H: bin edges [MeV], SP D: photons\n"
      << "c per bin (the first entry 0, for the lower edge)\n";
  if (source.lines.empty()) {
    out << "SDEF PAR=2 ERG=D1\n";
    WrapItems(out, "SI1 H", edges, 4, indent);
    WrapItems(out, "SP1 D", probabilities, 4, indent);
    return;
  }
  out << "c SI L: line energies [MeV], SP D: their photons; SI S / SP D: the shares of\n"
      << "c the histogram and of the lines in all photons\n"
      << "SDEF PAR=2 ERG=D1\n"
      << "SI1 S 2 3\n"
      << "SP1 D " << Number(1 - lineShare) << ' ' << Number(lineShare) << '\n';
  WrapItems(out, "SI2 H", edges, 4, indent);
  WrapItems(out, "SP2 D", probabilities, 4, indent);
  std::vector<std::string> lineEnergies;
  std::vector<std::string> lineWeights;
  for (const SourceLine& line : source.lines) {
    lineEnergies.push_back(MeV(line.energyKeV));
    lineWeights.push_back(Number(line.photons / linePhotons));
  }
  WrapItems(out, "SI3 L", lineEnergies, 4, indent);
  WrapItems(out, "SP3 D", lineWeights, 4, indent);
}

void WritePenelope(std::ostream& out, const SourceSpectrum& source, const std::string& title) {
  const std::vector<Piece> pieces = HistogramOf(source, true);
  // a blank keyword (columns 1 to 6) makes a line a comment
  out << "       " << OneLine(title) << '\n'
      << "       Kestrix: SPECTR Ei Pi, Ei the lower end of a channel [eV], Pi its photons (per channel);\n"
      << "       the last line's Ei is the upper end of the spectrum, with a negative Pi; a line is a\n"
      << "       channel 10 eV wide at its energy\n"
      << "SKPAR  2        [Primary particles: 1=electron, 2=photon, 3=positron]\n";
  for (const Piece& p : pieces) out << "SPECTR " << Number(p.lowKeV * 1000) << ' ' << Share(p.share) << '\n';
  out << "SPECTR " << Number(pieces.back().highKeV * 1000) << " -1\n";
}

void WriteTopas(std::ostream& out, const SourceSpectrum& source, const std::string& title) {
  const double total = TotalPhotons(source);
  const FilledRange range = RangeOf(source);
  std::vector<std::string> energies;
  std::vector<std::string> weights;
  for (int i = range.first; i <= range.last; ++i) {
    energies.push_back(MeV(PhotonEnergy(i)));
    weights.push_back(Share(source.continuum[i] / total));
  }
  for (const SourceLine& line : source.lines) {
    energies.push_back(MeV(line.energyKeV));
    weights.push_back(Number(line.photons / total));
  }
  out << "# " << OneLine(title) << '\n'
      << "# Kestrix: a discrete spectrum, each 0.5 keV bin at its centre energy [MeV] with its photons, then\n"
      << "# the " << source.lines.size() << " characteristic lines (the last entries, each at its bin's energy)\n"
      << "s:So/Kestrix/Type = \"Beam\"\n"
      << "s:So/Kestrix/Component = \"BeamPosition\"\n"
      << "s:So/Kestrix/BeamParticle = \"gamma\"\n"
      << "s:So/Kestrix/BeamEnergySpectrumType = \"Discrete\"\n"
      << "dv:So/Kestrix/BeamEnergySpectrumValues = " << energies.size();
  for (const std::string& e : energies) out << ' ' << e;
  out << " MeV\n"
      << "uv:So/Kestrix/BeamEnergySpectrumWeights = " << weights.size();
  for (const std::string& w : weights) out << ' ' << w;
  out << '\n' << "i:So/Kestrix/NumberOfHistoriesInRun = 0 # set the number of histories\n";
}

void WritePhits(std::ostream& out, const SourceSpectrum& source, const std::string& title) {
  const std::vector<Piece> pieces = HistogramOf(source, true);
  out << "$ " << OneLine(title) << '\n'
      << "$ Kestrix: e-type = 1, ne energy groups: the lower edge of each group [MeV] and its photons (per\n"
      << "$ group, not per MeV), then the upper edge of the last; a line is a group 10 eV wide\n"
      << "[ Source ]\n"
      << "   s-type = 1\n"
      << "     proj = photon\n"
      << "      r0 = 0.0\n"
      << "      z0 = 0.0\n"
      << "      z1 = 0.0\n"
      << "     dir = 1.0\n"
      << "   e-type = 1\n"
      << "       ne = " << pieces.size() << '\n';
  for (const Piece& p : pieces) out << "   " << MeV(p.lowKeV) << ' ' << Share(p.share) << '\n';
  out << "   " << MeV(pieces.back().highKeV) << '\n';
}

}  // namespace

const std::vector<SourceFormat>& SourceFormats() {
  static const std::vector<SourceFormat> formats{SourceFormat::Egsnrc,   SourceFormat::Geant4, SourceFormat::Gate,
                                                 SourceFormat::Mcnp,     SourceFormat::Penelope, SourceFormat::Topas,
                                                 SourceFormat::Phits};
  return formats;
}

const char* SourceFormatKeyword(SourceFormat format) {
  switch (format) {
    case SourceFormat::Egsnrc: return "egsnrc";
    case SourceFormat::Geant4: return "geant4";
    case SourceFormat::Gate: return "gate";
    case SourceFormat::Mcnp: return "mcnp";
    case SourceFormat::Penelope: return "penelope";
    case SourceFormat::Topas: return "topas";
    case SourceFormat::Phits: return "phits";
  }
  return "";
}

std::optional<SourceFormat> SourceFormatOfKeyword(const std::string& word) {
  std::string lower = word;
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  for (const SourceFormat format : SourceFormats()) {
    if (lower == SourceFormatKeyword(format)) return format;
  }
  return std::nullopt;
}

std::string SourceFormatKeywordList() {
  std::string list;
  for (const SourceFormat format : SourceFormats()) list += (list.empty() ? "" : " | ") + std::string(SourceFormatKeyword(format));
  return list;
}

std::vector<int> TungstenLineBins(SpectrumModel model, double kVp) {
  std::set<int> bins;
  const int top = TopBinFor(kVp);
  if (model == SpectrumModel::Physics) {
    const TungstenShells& shells = TungstenAtomicShells();
    for (int s = 0; s < kShellCount; ++s) {
      const ShellData& shell = shells.Shell(static_cast<AtomicShell>(s));
      if (!(shell.edge < kVp)) continue;
      for (const FluorescenceLine& line : shell.lines) {
        const int bin = NearestGridIndex(line.energy);
        if (bin >= 2 && bin <= top) bins.insert(bin);
      }
    }
  } else if (kVp > anode_coefficients::kKLineThreshold) {
    for (const anode_coefficients::KLine& line : anode_coefficients::kKLines) {
      if (line.bin <= top) bins.insert(line.bin);
    }
  }
  return std::vector<int>(bins.begin(), bins.end());
}

SourceSpectrum SeparateLines(const ExchangeSpectrum& photonsPerBin, const std::vector<int>& lineBins) {
  double total = 0;
  int last = 0;
  for (int i = 1; i <= kExchangeRows; ++i) {
    const double value = photonsPerBin[i];
    if (!(value >= 0) || !std::isfinite(value)) {
      throw SourceSpectrumError("the spectrum holds " + Number(value) + " photons at " + Number(PhotonEnergy(i)) +
                                " keV: a source needs finite photon numbers of 0 or more");
    }
    total += value;
    if (value > 0) last = i;
  }
  if (!(total > 0) || !std::isfinite(total)) throw SourceSpectrumError("the spectrum holds no photons");

  SourceSpectrum source;
  source.continuum = photonsPerBin;
  const std::set<int> lines(lineBins.begin(), lineBins.end());
  for (const int bin : lines) {
    if (bin < 2 || bin >= last) continue;
    int below = bin - 1;
    while (below >= 1 && lines.count(below) > 0) --below;
    int above = bin + 1;
    while (above <= last && lines.count(above) > 0) ++above;
    if (below < 1 || above > last) continue;
    const double low = photonsPerBin[below];
    const double high = photonsPerBin[above];
    const double continuum = low + (high - low) * (bin - below) / static_cast<double>(above - below);
    const double excess = photonsPerBin[bin] - std::max(continuum, 0.0);
    if (!(excess > 0)) continue;
    source.continuum[bin] = photonsPerBin[bin] - excess;
    source.lines.push_back({PhotonEnergy(bin), excess});
  }
  return source;
}

SourceSpectrum SourceOf(const RunOutcome& outcome, SpectrumModel model) {
  // a source is written on the exchange files' bins; above them it would lose its photons
  if (outcome.lastBin > kExchangeLast) {
    throw std::invalid_argument("a Monte Carlo source holds the spectrum to 300 keV only, so a beam above 300 kV has none");
  }
  return SeparateLines(outcome.photonSpectrum, TungstenLineBins(model, outcome.inputs.kVp));
}

std::string SourceTitle(const SpectrumDescription& d) {
  const auto mm = [](double value) { return Number(value) + " mm"; };
  // a transmission target has no angle; the model's brackets name the target
  const std::string angle = d.transmission ? std::string() : "target angle " + Number(d.targetAngleDegrees) + " degrees, ";
  std::string title = d.model + " model, " + Number(d.tubeVoltageKV) + " kV, " + angle + d.waveform + " waveform; " + mm(d.berylliumMm) +
                      " Be, " + mm(d.aluminiumEquivalentMm) + " Al eq., added " + mm(d.addedAluminiumMm) + " Al, " +
                      mm(d.addedCopperMm) + " Cu";
  for (const DescribedFilter& filter : d.filters) title += "; " + filter.description + " " + mm(filter.thicknessMm);
  return OneLine(title);
}

void WriteSource(std::ostream& out, SourceFormat format, const SourceSpectrum& source, const std::string& title) {
  if (!(TotalPhotons(source) > 0)) throw SourceSpectrumError("the spectrum holds no photons");
  switch (format) {
    case SourceFormat::Egsnrc: return WriteEgsnrc(out, source, title);
    case SourceFormat::Geant4: return WriteGeant4(out, source, title);
    case SourceFormat::Gate: return WriteGate(out, source, title);
    case SourceFormat::Mcnp: return WriteMcnp(out, source, title);
    case SourceFormat::Penelope: return WritePenelope(out, source, title);
    case SourceFormat::Topas: return WriteTopas(out, source, title);
    case SourceFormat::Phits: return WritePhits(out, source, title);
  }
}

}  // namespace kestrix
