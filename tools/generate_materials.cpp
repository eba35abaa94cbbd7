// Writes the material files of the arbitrary filters: <symbol>.ele for elements and
// <name>.mix for NIST compounds, partial mass attenuation coefficients from xraylib.
// Checks each file's log-log interpolation against xraylib before writing it and
// prints the worst relative error.
//
// Usage: generate_materials <output folder>

#include <algorithm>
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
};

struct Element {
  const char* symbol;
  const char* name;
  int atomicNumber;
};

constexpr Element kElements[] = {
    {"Be", "Beryllium", 4}, {"C", "Carbon", 6},     {"Al", "Aluminium", 13}, {"Ti", "Titanium", 22},
    {"Fe", "Iron", 26},     {"Ni", "Nickel", 28},   {"Cu", "Copper", 29},    {"Zn", "Zinc", 30},
    {"Mo", "Molybdenum", 42}, {"Ag", "Silver", 47}, {"Sn", "Tin", 50},       {"Ta", "Tantalum", 73},
    {"W", "Tungsten", 74},  {"Pt", "Platinum", 78}, {"Au", "Gold", 79},      {"Pb", "Lead", 82},
};

struct Mixture {
  const char* fileStem;
  const char* description;
  const char* nistName;  // exactly as in xraylib's NIST compound list
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
};

// Interpolation between the rows must stay this close to xraylib.
constexpr double kAllowedInterpolationError = 0.02;

std::vector<DeliveredMaterial> DeliveredMaterials() {
  std::vector<DeliveredMaterial> materials;
  for (const Element& e : kElements) {
    materials.push_back({std::string(e.symbol) + ".ele",
                         std::string(e.symbol) + "  " + e.name + "  (Z=" + std::to_string(e.atomicNumber) + ")",
                         {e.atomicNumber, ""}});
  }
  const std::vector<std::string> nistNames = kestrix::tools::NistCompoundNames();
  for (const Mixture& m : kMixtures) {
    if (std::find(nistNames.begin(), nistNames.end(), m.nistName) == nistNames.end()) {
      throw kestrix::tools::XraylibError(std::string("\"") + m.nistName + "\" is not in xraylib's NIST compound list");
    }
    materials.push_back({std::string(m.fileStem) + ".mix", m.description, {0, m.nistName}});
  }
  return materials;
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
    for (const DeliveredMaterial& material : DeliveredMaterials()) {
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
    for (const Output& output : outputs) kestrix::tools::WriteFileAtomically(output.path, output.text);
    std::printf("worst interpolation error of all files: %.3f %%\n", 100 * worstOverall);
  } catch (const std::exception& fault) {
    std::cerr << "generate_materials: " << fault.what() << '\n';
    return 1;
  }
  return 0;
}
