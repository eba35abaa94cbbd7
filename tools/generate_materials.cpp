// Writes the material files of the arbitrary filters and of the detector layers: <symbol>.ele for
// elements and <name>.mix for NIST compounds and formulas, partial mass attenuation coefficients from
// xraylib; and DetectorFluorescence.tsv, the K-shell fluorescence of the detector materials'
// elements. Checks each material file's log-log interpolation against xraylib before writing it and
// prints the worst relative error.
//
// Usage: generate_materials <output folder>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "material_table.h"
#include "text_file.h"
#include "xraylib_call.h"

namespace {

using kestrix::tools::MaterialSource;

struct DeliveredMaterial {
  std::string fileName;
  std::string description;  // first line of the file
  MaterialSource source;
  bool detector = false;
};

struct Element {
  const char* symbol;
  const char* name;
  int atomicNumber;
  bool detector = false;  // a detector material: its K fluorescence is tabulated
};

constexpr Element kElements[] = {
    {"Be", "Beryllium", 4}, {"C", "Carbon", 6},     {"Al", "Aluminium", 13}, {"Ti", "Titanium", 22},
    {"Fe", "Iron", 26},     {"Ni", "Nickel", 28},   {"Cu", "Copper", 29},    {"Zn", "Zinc", 30},
    {"Mo", "Molybdenum", 42}, {"Rh", "Rhodium", 45}, {"Ag", "Silver", 47}, {"Sn", "Tin", 50},
    {"Ta", "Tantalum", 73},
    {"W", "Tungsten", 74},  {"Pt", "Platinum", 78}, {"Au", "Gold", 79},      {"Pb", "Lead", 82},
    {"Si", "Silicon", 14, true}, {"Ge", "Germanium", 32, true},
};

struct Mixture {
  const char* fileStem;
  const char* description;
  const char* nistName;  // exactly as in xraylib's NIST compound list, or a formula
  bool formula = false;
  double density = 0;     // [g/cm3] in place of xraylib's; 0: xraylib's
  bool detector = false;  // a detector material: its K fluorescence is tabulated
};

const Mixture kMixtures[] = {
    {"Water", "Water  (liquid)", "Water, Liquid"},
    {"PMMA", "PMMA  Polymethyl methacrylate (Lucite, Perspex)", "Polymethyl Methacralate (Lucite, Perspex)"},
    {"Polyethylene", "Polyethylene", "Polyethylene"},
    {"Kapton", "Kapton  Polyimide film", "Kapton Polyimide Film"},
    {"Air", "Air  dry, near sea level", "Air, Dry (near sea level)"},
    {"Concrete", "Concrete  Portland", "Concrete, Portland"},
    {"SoftTissue", "Soft tissue  (ICRP)", "Tissue, Soft (ICRP)"},
    {"CorticalBone", "Cortical bone  (ICRP)", "Bone, Cortical (ICRP)"},
    // detector layers; a-Se is amorphous selenium (4.28 g/cm3, not the crystal's 4.81), CdZnTe the
    // Cd0.9Zn0.1Te of X-ray detectors (5.78 g/cm3)
    {"CsI", "CsI  Cesium iodide (detector)", "Cesium Iodide", false, 0, true},
    {"Gd2O2S", "Gd2O2S  Gadolinium oxysulfide (detector)", "Gadolinium Oxysulfide", false, 0, true},
    {"CdTe", "CdTe  Cadmium telluride (detector)", "Cadmium Telluride", false, 0, true},
    {"CdZnTe", "CdZnTe  Cd0.9Zn0.1Te (detector)", "Cd0.9Zn0.1Te", true, 5.78, true},
    {"a-Se", "a-Se  Amorphous selenium (detector)", "Se", true, 4.28, true},
    {"NaI", "NaI  Sodium iodide (detector)", "Sodium Iodide", false, 0, true},
};

/// lightest element whose K fluorescence is tabulated: lighter ones emit below 1 keV
constexpr int kLightestFluorescingElement = 11;
/// spacing of the tabulated K-shell shares above the edge [keV]
constexpr double kShareStepKeV = 5;
constexpr double kHighestShareKeV = 500;
/// relative distance from a K edge at which the shares beside it are taken
constexpr double kEdgeOffset = 0.004;

// Interpolation between the rows must stay this close to xraylib.
constexpr double kAllowedInterpolationError = 0.02;

std::vector<DeliveredMaterial> DeliveredMaterials() {
  std::vector<DeliveredMaterial> materials;
  for (const Element& e : kElements) {
    materials.push_back({std::string(e.symbol) + ".ele",
                         std::string(e.symbol) + "  " + e.name + "  (Z=" + std::to_string(e.atomicNumber) + ")",
                         {e.atomicNumber, "", false, 0}, e.detector});
  }
  const std::vector<std::string> nistNames = kestrix::tools::NistCompoundNames();
  for (const Mixture& m : kMixtures) {
    if (!m.formula && std::find(nistNames.begin(), nistNames.end(), m.nistName) == nistNames.end()) {
      throw kestrix::tools::XraylibError(std::string("\"") + m.nistName + "\" is not in xraylib's NIST compound list");
    }
    materials.push_back({std::string(m.fileStem) + ".mix", m.description, {0, m.nistName, m.formula, m.density},
                         m.detector});
  }
  return materials;
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

double Checked(const std::string& what, double (*function)(int, int, xrl_error**), int z, int code) {
  return kestrix::tools::CallXraylib(what, function, z, code);
}

/// K-shell photoabsorptions of element z per photoabsorption in the whole material at energyKeV
/// above z's K edge: the element's share of the photoabsorption times the K shell's share of the
/// element's, 1 - 1/J with J its K jump factor (xraylib's shell cross sections end too early)
double KShellShare(const MaterialSource& source, int z, double massFraction, double energyKeV) {
  const double jump = kestrix::tools::CallXraylib("JumpFactor", JumpFactor, z, K_SHELL);
  const double kShell =
      kestrix::tools::CallXraylib("CS_Photo", CS_Photo, z, energyKeV) * (1 - 1 / jump);
  const double total = source.atomicNumber > 0
                           ? kestrix::tools::CallXraylib("CS_Photo", CS_Photo, z, energyKeV)
                           : kestrix::tools::CallXraylib("CS_Photo_CP", CS_Photo_CP, source.nistName.c_str(), energyKeV);
  const double share = massFraction * kShell / total;
  if (!(share >= 0 && share <= 1)) {
    throw std::runtime_error("the K-shell share of Z=" + std::to_string(z) + " at " + std::to_string(energyKeV) +
                             " keV is " + std::to_string(share) + ", outside 0 to 1");
  }
  return share;
}

/// The rows of DetectorFluorescence.tsv for one detector material: its K lines, then the K-shell
/// share of photoabsorption from the edge up, with rows just below and above every other K edge.
std::string FluorescenceRows(const DeliveredMaterial& material) {
  std::string rows;
  const std::vector<kestrix::tools::Constituent> composition = kestrix::tools::Composition(material.source);
  for (const kestrix::tools::Constituent& element : composition) {
    const int z = element.atomicNumber;
    if (z < kLightestFluorescingElement) continue;
    xrl_error* error = nullptr;
    const std::string symbol = AtomicNumberToSymbol(z, &error);
    if (error != nullptr) xrl_error_free(error);
    const double edge = Checked("EdgeEnergy", EdgeEnergy, z, K_SHELL);
    const double yield = Checked("FluorYield", FluorYield, z, K_SHELL);
    for (const int line : {KA_LINE, KB_LINE}) {
      // the lightest elements have no K-beta line
      double energy = 0;
      double rate = 0;
      try {
        energy = Checked("LineEnergy", LineEnergy, z, line);
        rate = Checked("RadRate", RadRate, z, line);
      } catch (const kestrix::tools::XraylibError&) {
        continue;
      }
      if (!(energy > 0 && rate > 0)) continue;
      rows += "line\t" + material.fileName + "\t" + symbol + "\t" + Number(edge) + "\t" + Number(energy) + "\t" +
              Number(yield * rate) + "\r\n";
    }
    // xraylib's photoabsorption jumps up to 0.3 % away from EdgeEnergy, the shell cross section at it:
    // the shares are taken beyond both
    std::vector<double> energies{edge * (1 + kEdgeOffset)};
    for (const kestrix::tools::Constituent& other : composition) {
      if (other.atomicNumber == z || other.atomicNumber < kLightestFluorescingElement) continue;
      const double otherEdge = Checked("EdgeEnergy", EdgeEnergy, other.atomicNumber, K_SHELL);
      if (otherEdge > edge) {
        energies.push_back(otherEdge * (1 - kEdgeOffset));
        energies.push_back(otherEdge * (1 + kEdgeOffset));
      }
    }
    for (double e = std::ceil(edge / kShareStepKeV) * kShareStepKeV; e <= kHighestShareKeV; e += kShareStepKeV) {
      energies.push_back(e);
    }
    std::sort(energies.begin(), energies.end());
    for (const double e : energies) {
      rows += "share\t" + material.fileName + "\t" + symbol + "\t" + Number(e) + "\t" +
              Number(KShellShare(material.source, z, element.massFraction, e)) + "\r\n";
    }
  }
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: generate_materials <output folder>\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  try {
    if (!std::filesystem::is_directory(folder)) {
      throw std::runtime_error(folder.string() + " is not a folder");
    }
    // Everything is computed and checked before the first file is written.
    struct Output {
      std::string path, text;
    };
    std::vector<Output> outputs;
    double worstOverall = 0;
    std::string fluorescence =
        "# K-shell fluorescence of the elements of the delivered detector materials, from xraylib\r\n"
        "# (written by tools/generate_materials; columns separated by tabs)\r\n"
        "# line: material file, element, K edge [keV], line energy [keV] (K-alpha, K-beta), line photons per K "
        "vacancy (FluorYield x RadRate)\r\n"
        "# share: material file, element, photon energy [keV], K-shell photoabsorptions of the element per "
        "photoabsorption in the material (mass fraction x CS_Photo_Partial / CS_Photo)\r\n";
    for (const DeliveredMaterial& material : DeliveredMaterials()) {
      if (material.detector) fluorescence += FluorescenceRows(material);
      const auto rows = kestrix::tools::BuildMaterialRows(material.source);
      const double worst = kestrix::tools::WorstInterpolationError(material.source, rows);
      if (worst > kAllowedInterpolationError) {
        throw std::runtime_error(material.fileName + ": interpolation differs from xraylib by " +
                                 std::to_string(100 * worst) + " %");
      }
      worstOverall = std::max(worstOverall, worst);
      const double density = kestrix::tools::MaterialDensity(material.source);
      outputs.push_back({(folder / material.fileName).string(),
                         kestrix::tools::FormatMaterialFile(material.description, density, rows)});
      std::printf("%-18s %3zu rows, worst interpolation error %.3f %%\n", material.fileName.c_str(), rows.size(),
                  100 * worst);
    }
    outputs.push_back({(folder / "DetectorFluorescence.tsv").string(), fluorescence});
    for (const Output& output : outputs) kestrix::tools::WriteFileAtomically(output.path, output.text);
    std::printf("worst interpolation error of all files: %.3f %%\n", 100 * worstOverall);
  } catch (const std::exception& fault) {
    std::cerr << "generate_materials: " << fault.what() << '\n';
    return 1;
  }
  return 0;
}
