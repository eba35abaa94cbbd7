// The delivered material files (*.ele, *.mix): format, bracketing, edges, values.

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xraylib.h>

#include "tolerance.h"
#include "xraylib_call.h"

namespace {

namespace fs = std::filesystem;

struct MaterialRow {
  double energyMeV = 0;
  std::array<double, 3> partials{};  // coherent, incoherent, photoabsorption [cm2/g]
  double totalWithCoherent = 0;
  double totalWithoutCoherent = 0;
  double Total() const { return partials[0] + partials[1] + partials[2]; }
};

struct Material {
  std::string description;
  double density = 0;  // [g/cm3]
  std::vector<MaterialRow> rows;
};

// Description line, then a list of numbers separated by blanks, commas or line ends:
// density, N, N rows of six. Throws on anything else, including numbers after the rows.
Material ParseMaterial(std::istream& in) {
  Material material;
  if (!std::getline(in, material.description)) throw std::runtime_error("no description line");
  if (!material.description.empty() && material.description.back() == '\r') material.description.pop_back();
  std::vector<double> numbers;
  std::string token;
  char c = 0;
  auto flush = [&] {
    if (token.empty()) return;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(token.c_str(), &end);
    if (*end != '\0' || errno != 0 || !std::isfinite(value)) throw std::runtime_error("not a number: " + token);
    numbers.push_back(value);
    token.clear();
  };
  while (in.get(c)) {
    if (c == ' ' || c == ',' || c == '\r' || c == '\n' || c == '\t') {
      flush();
    } else {
      token += c;
    }
  }
  flush();
  if (numbers.size() < 2) throw std::runtime_error("no density and row count");
  material.density = numbers[0];
  const double count = numbers[1];
  if (count != std::floor(count) || count < 2 || count > 120) throw std::runtime_error("row count out of 2..120");
  const auto n = static_cast<std::size_t>(count);
  if (numbers.size() != 2 + 6 * n) throw std::runtime_error("wrong number of values for the rows");
  for (std::size_t r = 0; r < n; ++r) {
    const double* v = &numbers[2 + 6 * r];
    material.rows.push_back({v[0], {v[1], v[2], v[3]}, v[4], v[5]});
  }
  return material;
}

Material LoadMaterial(const std::string& fileName) {
  std::ifstream in(fs::path(KESTRIX_DELIVERED_DATA) / fileName, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + fileName);
  return ParseMaterial(in);
}

std::vector<std::string> DeliveredMaterialFiles() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(KESTRIX_DELIVERED_DATA)) {
    const std::string extension = entry.path().extension().string();
    if (extension == ".ele" || extension == ".mix") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Total [cm2/g] as the filter import computes it: log-log between the row at or below
// the energy and the first row above it.
double InterpolatedTotal(const Material& m, double energyMeV) {
  std::size_t j = 0;
  while (j < m.rows.size() && energyMeV >= m.rows[j].energyMeV) ++j;
  if (j == 0 || j == m.rows.size()) throw std::out_of_range("energy outside the rows");
  const MaterialRow& a = m.rows[j - 1];
  const MaterialRow& b = m.rows[j];
  return std::exp(std::log(a.Total()) + std::log(energyMeV / a.energyMeV) / std::log(b.energyMeV / a.energyMeV) *
                                            std::log(b.Total() / a.Total()));
}

// The NIST compound behind each delivered mixture.
const std::map<std::string, std::string> kMixtureSources = {
    {"Air.mix", "Air, Dry (near sea level)"},
    {"Concrete.mix", "Concrete, Portland"},
    {"CorticalBone.mix", "Bone, Cortical (ICRP)"},
    {"Kapton.mix", "Kapton Polyimide Film"},
    {"PMMA.mix", "Polymethyl Methacralate (Lucite, Perspex)"},
    {"Polyethylene.mix", "Polyethylene"},
    {"SoftTissue.mix", "Tissue, Soft (ICRP)"},
    {"Water.mix", "Water, Liquid"},
    {"CsI.mix", "Cesium Iodide"},
    {"Gd2O2S.mix", "Gadolinium Oxysulfide"},
    {"CdTe.mix", "Cadmium Telluride"},
    {"NaI.mix", "Sodium Iodide"},
    {"CdZnTe.mix", "Cd0.9Zn0.1Te"},  // a formula, not a NIST compound
    {"a-Se.mix", "Se"},
};

bool IsFormula(const std::string& fileName) { return fileName == "CdZnTe.mix" || fileName == "a-Se.mix"; }

const char* const kElementFiles[] = {"Be", "C", "Al", "Ti", "Fe", "Ni", "Cu", "Zn",
                                     "Mo", "Rh", "Ag", "Sn", "Ta", "W",  "Pt", "Au", "Pb", "Si", "Ge"};

int AtomicNumberOf(const std::string& symbol) {
  xrl_error* error = nullptr;
  const int z = SymbolToAtomicNumber(symbol.c_str(), &error);
  if (error != nullptr) {
    xrl_error_free(error);
    throw std::runtime_error("unknown element " + symbol);
  }
  return z;
}

std::vector<int> ConstituentsOf(const std::string& fileName) {
  const fs::path path(fileName);
  if (path.extension() == ".ele") return {AtomicNumberOf(path.stem().string())};
  if (IsFormula(fileName)) {
    std::vector<int> elements;
    for (const auto& [z, fraction] : kestrix::tools::ParsedFormula(kMixtureSources.at(fileName))) elements.push_back(z);
    return elements;
  }
  return kestrix::tools::FindNistCompound(kMixtureSources.at(fileName)).atomicNumbers;
}

// xraylib's total with coherent scattering [cm2/g].
double DirectTotal(const std::string& fileName, double energyKeV) {
  const fs::path path(fileName);
  if (path.extension() == ".ele") {
    return kestrix::tools::CallXraylib("CS_Total", CS_Total, AtomicNumberOf(path.stem().string()), energyKeV);
  }
  return kestrix::tools::CallXraylib("CS_Total_CP", CS_Total_CP, kMixtureSources.at(fileName).c_str(), energyKeV);
}

TEST(DeliveredMaterials, EveryPromisedMaterialIsThere) {
  const std::vector<std::string> files = DeliveredMaterialFiles();
  for (const char* symbol : kElementFiles) {
    EXPECT_NE(std::find(files.begin(), files.end(), std::string(symbol) + ".ele"), files.end()) << symbol;
  }
  for (const auto& [name, nist] : kMixtureSources) {
    EXPECT_NE(std::find(files.begin(), files.end(), name), files.end()) << name;
  }
  EXPECT_EQ(files.size(), std::size(kElementFiles) + kMixtureSources.size()) << "unexpected extra files";
}

TEST(DeliveredMaterials, EveryFileIsUsableByTheFilterImport) {
  for (const std::string& name : DeliveredMaterialFiles()) {
    SCOPED_TRACE(name);
    Material m;
    ASSERT_NO_THROW(m = LoadMaterial(name));
    EXPECT_FALSE(m.description.empty());
    EXPECT_GT(m.density, 0.0);
    ASSERT_GE(m.rows.size(), 2u);
    ASSERT_LE(m.rows.size(), 120u);
    EXPECT_LE(m.rows.front().energyMeV, 0.001);
    EXPECT_GT(m.rows.back().energyMeV, 0.5);
    for (std::size_t r = 0; r < m.rows.size(); ++r) {
      const MaterialRow& row = m.rows[r];
      EXPECT_GT(row.energyMeV, 0.0) << "row " << r + 1;
      if (r > 0) {
        EXPECT_GE(row.energyMeV, m.rows[r - 1].energyMeV) << "row " << r + 1;
      }
      if (r > 1) {
        EXPECT_NE(row.energyMeV, m.rows[r - 2].energyMeV) << "three rows at one energy, row " << r + 1;
      }
      for (double partial : row.partials) EXPECT_GT(partial, 0.0) << "row " << r + 1;
      // The two extra columns: totals with and without coherent scattering.
      EXPECT_REL_NEAR(row.totalWithCoherent, row.Total(), 2e-6) << "row " << r + 1;
      EXPECT_REL_NEAR(row.totalWithoutCoherent, row.partials[1] + row.partials[2], 2e-6) << "row " << r + 1;
    }
  }
}

TEST(DeliveredMaterials, EveryEdgeBetweenOneAndFiveHundredKeVIsARepeatedEnergy) {
  const int shells[] = {K_SHELL, L1_SHELL, L2_SHELL, L3_SHELL, M1_SHELL, M2_SHELL, M3_SHELL, M4_SHELL, M5_SHELL};
  for (const std::string& name : DeliveredMaterialFiles()) {
    SCOPED_TRACE(name);
    const Material m = LoadMaterial(name);
    std::vector<std::size_t> edgeRows;  // index of the upper row of each repeated energy
    for (std::size_t r = 1; r < m.rows.size(); ++r) {
      if (m.rows[r].energyMeV == m.rows[r - 1].energyMeV) {
        edgeRows.push_back(r);
        EXPECT_GT(m.rows[r].partials[2], m.rows[r - 1].partials[2]) << "photoabsorption must jump up at row " << r + 1;
      }
    }
    // xraylib's cross-section data put most edges within 0.3 % of EdgeEnergy, the M edges of Cs and Gd
    // near 1 keV up to 0.6 % away (the generator searches 1 %)
    const auto tolerance = [](double edgeMeV) { return edgeMeV < 0.0015 ? 0.01 : 0.003; };
    std::vector<double> edges;
    for (int z : ConstituentsOf(name)) {
      for (int shell : shells) {
        if (!kestrix::tools::ElementHasShell(z, shell)) continue;
        const double edgeMeV = kestrix::tools::ShellEdgeEnergy(z, shell) / 1000.0;
        if (edgeMeV > 0.5) continue;
        edges.push_back(edgeMeV);
        if (edgeMeV <= 0.00101) continue;  // its jump may lie just below 1 keV
        const bool found = std::any_of(edgeRows.begin(), edgeRows.end(), [&](std::size_t r) {
          return std::fabs(m.rows[r].energyMeV / edgeMeV - 1) < tolerance(edgeMeV);
        });
        EXPECT_TRUE(found) << "Z=" << z << " shell " << shell << " at " << edgeMeV * 1000 << " keV";
      }
    }
    for (const std::size_t r : edgeRows) {
      const double energyMeV = m.rows[r].energyMeV;
      const bool edge = std::any_of(edges.begin(), edges.end(), [&](double edgeMeV) {
        return std::fabs(energyMeV / edgeMeV - 1) < tolerance(edgeMeV);
      });
      EXPECT_TRUE(edge) << "a repeated energy that is not an edge: " << energyMeV * 1000 << " keV";
    }
  }
}

TEST(DeliveredMaterials, InterpolationAtEveryWholeKeVStaysWithinTwoPercentOfXraylib) {
  double worstOfAll = 0;
  for (const std::string& name : DeliveredMaterialFiles()) {
    SCOPED_TRACE(name);
    const Material m = LoadMaterial(name);
    double worst = 0;
    for (int k = 1; k <= 500; ++k) {
      const double interpolated = InterpolatedTotal(m, 0.001 * k);
      const double direct = DirectTotal(name, k);
      worst = std::max(worst, std::fabs(interpolated / direct - 1));
      EXPECT_REL_NEAR(interpolated, direct, 0.02) << k << " keV";
    }
    worstOfAll = std::max(worstOfAll, worst);
  }
  std::cout << "worst interpolation error over all material files: " << 100 * worstOfAll << " %\n";
}

TEST(DeliveredMaterials, SpotValuesAgreeWithNist) {
  // Mass attenuation coefficients with coherent scattering [cm2/g], NIST XCOM.
  const struct {
    const char* file;
    double energyKeV;
    double nist;
  } references[] = {
      {"Water.mix", 100, 0.1707}, {"Air.mix", 20, 0.7779}, {"Air.mix", 100, 0.1541},
      {"W.ele", 30, 22.73},       {"W.ele", 100, 4.438},   {"Al.ele", 100, 0.1704},
      {"Cu.ele", 30, 10.92},      {"Be.ele", 100, 0.1328}, {"Pb.ele", 100, 5.549},
  };
  for (const auto& r : references) {
    EXPECT_REL_NEAR(InterpolatedTotal(LoadMaterial(r.file), r.energyKeV / 1000.0), r.nist, 0.02)
        << r.file << " at " << r.energyKeV << " keV";
  }
  EXPECT_REL_NEAR(LoadMaterial("Water.mix").density, 1.0, 1e-6);
  EXPECT_REL_NEAR(LoadMaterial("Air.mix").density, 0.001205, 1e-3);
  EXPECT_REL_NEAR(LoadMaterial("Pb.ele").density, 11.35, 1e-6);
  // the detector layers' own densities: amorphous selenium and the mixed crystal
  EXPECT_REL_NEAR(LoadMaterial("a-Se.mix").density, 4.28, 1e-6);
  EXPECT_REL_NEAR(LoadMaterial("CdZnTe.mix").density, 5.78, 1e-6);
  EXPECT_REL_NEAR(LoadMaterial("CsI.mix").density, 4.51, 1e-6);
  EXPECT_EQ(LoadMaterial("Sn.ele").description, "Sn  Tin  (Z=50)");
}

TEST(DeliveredMaterials, LeadKEdgeAt88KeVJumpsAboutFivefold) {
  const Material lead = LoadMaterial("Pb.ele");
  bool found = false;
  for (std::size_t r = 1; r < lead.rows.size(); ++r) {
    if (lead.rows[r].energyMeV == lead.rows[r - 1].energyMeV && std::fabs(lead.rows[r].energyMeV - 0.0880) < 1e-5) {
      found = true;
      EXPECT_GT(lead.rows[r].Total() / lead.rows[r - 1].Total(), 3.5);
      // The filter import takes the upper row at the edge energy itself.
      EXPECT_REL_NEAR(InterpolatedTotal(lead, lead.rows[r].energyMeV), lead.rows[r].Total(), 1e-12);
    }
  }
  EXPECT_TRUE(found);
}

TEST(MaterialParser, RefusesMalformedFiles) {
  const char* bad[] = {
      "desc\n1.0\n",                                     // no row count
      "desc\n1.0 1\n0.001 1 1 1 3 2\n",                  // fewer than two rows
      "desc\n1.0 121\n",                                 // too many rows
      "desc\n1.0 2\n0.001 1 1 1 3 2\n0.6 1 1 1 3\n",     // short row
      "desc\n1.0 2\n0.001 1 1 1 3 2\n0.6 1 x 1 3 2\n",   // not a number
      "desc\n1.0 2\n0.001 1 1 1 3 2\n0.6 1 1 1 3 2 7\n", // trailing value
  };
  for (const char* text : bad) {
    std::istringstream in(text);
    EXPECT_THROW(ParseMaterial(in), std::runtime_error) << text;
  }
  std::istringstream good("d e s c\r\n1.5,2\r\n0.001 1 1 1 3 2\r\n6E-1,1,1,1,3,2\r\n");
  const Material m = ParseMaterial(good);
  EXPECT_EQ(m.description, "d e s c");
  ASSERT_EQ(m.rows.size(), 2u);
  EXPECT_EQ(m.rows[1].energyMeV, 0.6);
}

}  // namespace
