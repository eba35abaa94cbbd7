#include "material_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "log_log_table.h"
#include "xraylib_call.h"

namespace kestrix::tools {

namespace {

constexpr double kFirstKeV = 1.0;
constexpr double kLastKeV = 600.0;
constexpr int kLogSpacedRows = 80;
constexpr std::size_t kMaxRows = 120;
constexpr double kKeVPerMeV = 1000.0;
// A grid row closer to an edge than this share of the grid step (in log energy) is
// left out: the edge rows already pin the curve there.
constexpr double kEdgeClearance = 0.3;
// Relative distance from a located jump at which the values just below and just above
// it are taken; xraylib's jumps are sharper than 1e-8.
constexpr double kEdgeSide = 1e-7;
// The jump is searched within this relative distance of xraylib's edge energy.
constexpr double kEdgeSearchWindow = 0.01;
constexpr int kEdgeSearchSteps = 4000;
constexpr double kSmallestJump = 1.01;
// Intervals are split at their log midpoint until none deviates from xraylib by more
// than this (or the file is full); near-edge structure needs the extra rows.
constexpr double kRefinementTarget = 0.0025;
// Relative positions inside an interval where its interpolation is checked.
constexpr double kIntervalProbes[] = {0.25, 0.5, 0.75};

constexpr int kEdgeShells[] = {K_SHELL,  L1_SHELL, L2_SHELL, L3_SHELL, M1_SHELL,
                               M2_SHELL, M3_SHELL, M4_SHELL, M5_SHELL};

// Rounds to the 7 significant digits that the file holds, so that later checks see
// exactly what a reader of the file sees.
double AsWritten(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6E", value);
  return std::strtod(text, nullptr);
}

double Photo(int atomicNumber, double energyKeV) {
  return CallXraylib("CS_Photo(Z=" + std::to_string(atomicNumber) + ", " + std::to_string(energyKeV) + " keV)",
                     CS_Photo, atomicNumber, energyKeV);
}

// Energy [keV] of the jump in the element's photoabsorption next to `nominalKeV`.
double LocateJump(int atomicNumber, double nominalKeV) {
  const double low = nominalKeV * (1 - kEdgeSearchWindow);
  const double high = nominalKeV * (1 + kEdgeSearchWindow);
  double bestRatio = 0;
  double below = low;
  double above = low;
  double previousEnergy = low;
  double previousValue = Photo(atomicNumber, low);
  for (int step = 1; step <= kEdgeSearchSteps; ++step) {
    const double energy = low * std::pow(high / low, static_cast<double>(step) / kEdgeSearchSteps);
    const double value = Photo(atomicNumber, energy);
    if (value / previousValue > bestRatio) {
      bestRatio = value / previousValue;
      below = previousEnergy;
      above = energy;
    }
    previousEnergy = energy;
    previousValue = value;
  }
  if (bestRatio < kSmallestJump) {
    throw XraylibError("no jump in CS_Photo(Z=" + std::to_string(atomicNumber) + ") near the edge at " +
                       std::to_string(nominalKeV) + " keV");
  }
  // Bisect to the middle of the jump (geometric mean of the values on both sides).
  const double middle = std::sqrt(Photo(atomicNumber, below) * Photo(atomicNumber, above));
  while (above - below > 1e-12 * above) {
    const double energy = 0.5 * (below + above);
    (Photo(atomicNumber, energy) > middle ? above : below) = energy;
  }
  return above;
}

// Row written at `writtenMeV`, coefficients from xraylib at `energyKeV`.
MaterialRow RowAt(const MaterialSource& source, double energyKeV, double writtenMeV) {
  const PartialCoefficients p = PartialsAt(source, energyKeV);
  return {writtenMeV, {AsWritten(p.rayleigh), AsWritten(p.compton), AsWritten(p.photo)}};
}

// Log-log interpolation of the total between two rows of different energy.
double InterpolatedTotal(const MaterialRow& a, const MaterialRow& b, double energyMeV) {
  const double fraction = std::log(energyMeV / a.energyMeV) / std::log(b.energyMeV / a.energyMeV);
  return std::exp(std::log(a.partials.Total()) +
                  fraction * std::log(b.partials.Total() / a.partials.Total()));
}

// Largest relative deviation from xraylib inside the interval between rows i-1 and i.
double IntervalError(const MaterialSource& source, const std::vector<MaterialRow>& rows, std::size_t i) {
  const MaterialRow& a = rows[i - 1];
  const MaterialRow& b = rows[i];
  double worst = 0;
  for (double probe : kIntervalProbes) {
    const double energyMeV = a.energyMeV * std::pow(b.energyMeV / a.energyMeV, probe);
    const double direct = PartialsAt(source, energyMeV * kKeVPerMeV).Total();
    worst = std::max(worst, std::fabs(InterpolatedTotal(a, b, energyMeV) / direct - 1));
  }
  return worst;
}

// Adds rows at the log midpoint of the worst interval while it misses the target.
void Refine(const MaterialSource& source, std::vector<MaterialRow>& rows) {
  std::vector<double> errors(rows.size(), 0.0);  // errors[i]: interval ending at row i
  for (std::size_t i = 1; i < rows.size(); ++i) {
    if (rows[i].energyMeV > rows[i - 1].energyMeV) errors[i] = IntervalError(source, rows, i);
  }
  while (rows.size() < kMaxRows) {
    const auto worst = std::max_element(errors.begin(), errors.end());
    if (*worst <= kRefinementTarget) break;
    const std::size_t i = static_cast<std::size_t>(worst - errors.begin());
    const double middle = AsWritten(std::sqrt(rows[i - 1].energyMeV * rows[i].energyMeV));
    if (!(middle > rows[i - 1].energyMeV && middle < rows[i].energyMeV)) {
      *worst = 0;  // too narrow to split at the written resolution
      continue;
    }
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(i), RowAt(source, middle * kKeVPerMeV, middle));
    errors.insert(errors.begin() + static_cast<std::ptrdiff_t>(i), 0.0);
    errors[i] = IntervalError(source, rows, i);
    errors[i + 1] = IntervalError(source, rows, i + 1);
  }
}

}  // namespace

double MaterialDensity(const MaterialSource& source) {
  if (source.density > 0) return source.density;
  if (source.atomicNumber > 0) {
    return CallXraylib("ElementDensity(Z=" + std::to_string(source.atomicNumber) + ")", ElementDensity,
                       source.atomicNumber);
  }
  return FindNistCompound(source.nistName).density;
}

PartialCoefficients PartialsAt(const MaterialSource& source, double energyKeV) {
  const std::string at = ", " + std::to_string(energyKeV) + " keV)";
  PartialCoefficients p;
  if (source.atomicNumber > 0) {
    const int z = source.atomicNumber;
    const std::string of = "(Z=" + std::to_string(z) + at;
    p.rayleigh = CallXraylib("CS_Rayl" + of, CS_Rayl, z, energyKeV);
    p.compton = CallXraylib("CS_Compt" + of, CS_Compt, z, energyKeV);
    p.photo = CallXraylib("CS_Photo" + of, CS_Photo, z, energyKeV);
  } else {
    const char* name = source.nistName.c_str();
    const std::string of = "(" + source.nistName + at;
    p.rayleigh = CallXraylib("CS_Rayl_CP" + of, CS_Rayl_CP, name, energyKeV);
    p.compton = CallXraylib("CS_Compt_CP" + of, CS_Compt_CP, name, energyKeV);
    p.photo = CallXraylib("CS_Photo_CP" + of, CS_Photo_CP, name, energyKeV);
  }
  return p;
}

std::vector<int> ConstituentElements(const MaterialSource& source) {
  std::vector<int> elements;
  for (const Constituent& constituent : Composition(source)) elements.push_back(constituent.atomicNumber);
  return elements;
}

std::vector<Constituent> Composition(const MaterialSource& source) {
  if (source.atomicNumber > 0) return {{source.atomicNumber, 1.0}};
  std::vector<Constituent> composition;
  if (source.formula) {
    for (const auto& [z, fraction] : ParsedFormula(source.nistName)) composition.push_back({z, fraction});
    return composition;
  }
  const NistCompound compound = FindNistCompound(source.nistName);
  for (std::size_t k = 0; k < compound.atomicNumbers.size(); ++k) {
    composition.push_back({compound.atomicNumbers[k], compound.massFractions[k]});
  }
  return composition;
}

std::vector<double> AbsorptionEdges(const std::vector<int>& atomicNumbers, double lowKeV, double highKeV) {
  std::vector<double> edges;
  for (int z : atomicNumbers) {
    for (int shell : kEdgeShells) {
      if (!ElementHasShell(z, shell)) continue;
      const double nominal = ShellEdgeEnergy(z, shell);
      // Skip edges well outside the range before searching for their jump.
      if (nominal < lowKeV * (1 - kEdgeSearchWindow) || nominal > highKeV * (1 + kEdgeSearchWindow)) continue;
      const double jump = LocateJump(z, nominal);
      if (jump > lowKeV && jump <= highKeV) edges.push_back(jump);
    }
  }
  std::sort(edges.begin(), edges.end());
  return edges;
}

std::vector<MaterialRow> BuildMaterialRows(const MaterialSource& source) {
  const std::vector<double> edges = AbsorptionEdges(ConstituentElements(source), kFirstKeV, 500.0);
  const double logStep = std::log(kLastKeV / kFirstKeV) / (kLogSpacedRows - 1);

  struct Node {
    double energyKeV;  // where the coefficients are evaluated
    double writtenMeV;
  };
  std::vector<Node> nodes;
  for (int k = 0; k < kLogSpacedRows; ++k) {
    const double energy = kFirstKeV * std::exp(logStep * k);
    const bool endRow = k == 0 || k == kLogSpacedRows - 1;
    const bool nearEdge = std::any_of(edges.begin(), edges.end(), [&](double edge) {
      return std::fabs(std::log(energy / edge)) < kEdgeClearance * logStep;
    });
    if (endRow || !nearEdge) {
      const double written = AsWritten(energy / kKeVPerMeV);
      nodes.push_back({written * kKeVPerMeV, written});
    }
  }
  for (double edge : edges) {
    const double written = AsWritten(edge / kKeVPerMeV);
    nodes.push_back({edge * (1 - kEdgeSide), written});
    nodes.push_back({edge * (1 + kEdgeSide), written});
  }
  std::sort(nodes.begin(), nodes.end(), [](const Node& a, const Node& b) { return a.energyKeV < b.energyKeV; });
  for (std::size_t i = 1; i < nodes.size(); ++i) {
    if (nodes[i].writtenMeV < nodes[i - 1].writtenMeV) {
      throw std::runtime_error("two absorption edges closer than the written energy resolves");
    }
  }
  if (nodes.size() > kMaxRows) {
    throw std::runtime_error(std::to_string(nodes.size()) + " rows, more than " + std::to_string(kMaxRows));
  }

  std::vector<MaterialRow> rows;
  for (const Node& node : nodes) rows.push_back(RowAt(source, node.energyKeV, node.writtenMeV));
  Refine(source, rows);
  return rows;
}

std::string FormatMaterialFile(const std::string& description, double density,
                               const std::vector<MaterialRow>& rows) {
  char line[160];
  std::string text = description + "\r\n";
  std::snprintf(line, sizeof line, "%.6g\r\n%zu\r\n", density, rows.size());
  text += line;
  for (const MaterialRow& row : rows) {
    const PartialCoefficients& p = row.partials;
    std::snprintf(line, sizeof line, "%.6E  %.6E  %.6E  %.6E  %.6E  %.6E\r\n", row.energyMeV, p.rayleigh,
                  p.compton, p.photo, p.Total(), p.compton + p.photo);
    text += line;
  }
  return text;
}

double WorstInterpolationError(const MaterialSource& source, const std::vector<MaterialRow>& rows) {
  std::vector<EnergyValue> totals;
  for (const MaterialRow& row : rows) totals.push_back({row.energyMeV, row.partials.Total()});
  const LogLogTable table(totals);

  std::vector<double> checkKeV;
  for (int k = 1; k <= 500; ++k) checkKeV.push_back(k);
  for (std::size_t i = 1; i < rows.size(); ++i) {
    if (rows[i].energyMeV > rows[i - 1].energyMeV) {
      checkKeV.push_back(std::sqrt(rows[i].energyMeV * rows[i - 1].energyMeV) * kKeVPerMeV);
    }
  }
  double worst = 0;
  for (double energy : checkKeV) {
    const double direct = PartialsAt(source, energy).Total();
    worst = std::max(worst, std::fabs(table.ValueAt(energy / kKeVPerMeV) / direct - 1));
  }
  return worst;
}

}  // namespace kestrix::tools
