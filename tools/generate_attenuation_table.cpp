// Writes the attenuation table MUs_202202.data: 1000 rows for 0.5 to 500 keV in steps
// of 0.5 keV. Column 1 is the photon energy in keV (for the human reader only);
// columns 2 to 5 are the linear attenuation coefficients [1/cm] of tungsten,
// aluminium, copper and beryllium, density x total mass attenuation coefficient
// with coherent scattering from xraylib, evaluated at each row's energy so that the
// absorption edges fall where they are; column 6 is the mass energy-absorption
// coefficient of dry air [cm2/g], interpolated log-log in the NIST table.
//
// Usage: generate_attenuation_table <output file> <NIST dry-air table (.tsv)>

#include <array>
#include <exception>
#include <iostream>
#include <sstream>
#include <string>

#include "attenuation_row.h"
#include "file_system.h"
#include "log_log_table.h"
#include "text_file.h"
#include "xraylib_call.h"

namespace {

using kestrix::tools::CallXraylib;

constexpr int kRows = 1000;
constexpr double kKeVPerRow = 0.5;

struct TableMaterial {
  const char* name;
  int atomicNumber;
  double density;  /// [g/cm3]
};

// Tungsten anode, aluminium and copper filters, beryllium tube window.
constexpr std::array<TableMaterial, 4> kMaterials{{
    {"W", 74, 19.3},
    {"Al", 13, 2.699},
    {"Cu", 29, 8.96},
    {"Be", 4, 1.848},
}};

// Column 3 of the NIST file holds mu_en/rho [cm2/g]; its energies are in MeV.
constexpr int kAirEnergyAbsorptionColumn = 2;
constexpr double kKeVPerMeV = 1000.0;

std::string BuildTable(const kestrix::tools::LogLogTable& air) {
  std::string text;
  for (int row = 1; row <= kRows; ++row) {
    const double energyKeV = kKeVPerRow * row;
    std::array<double, 5> coefficients{};
    for (std::size_t m = 0; m < kMaterials.size(); ++m) {
      const TableMaterial& material = kMaterials[m];
      const double massAttenuation =
          CallXraylib("CS_Total(" + std::string(material.name) + ", " + std::to_string(energyKeV) + " keV)",
                      CS_Total, material.atomicNumber, energyKeV);
      coefficients[m] = material.density * massAttenuation;
    }
    // Row 1 (0.5 keV) lies below the NIST table and takes the extension of its first
    // segment; the calculations never read that row.
    coefficients[4] = air.ValueAt(energyKeV / kKeVPerMeV);
    text += kestrix::tools::FormatAttenuationRow(energyKeV, coefficients);
    text += "\r\n";
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: generate_attenuation_table <output file> <NIST dry-air table (.tsv)>\n";
    return 2;
  }
  const std::string outputPath = argv[1];
  const std::string airPath = argv[2];
  try {
    std::istringstream airFile(kestrix::ReadFileBytes(airPath));
    const auto air = kestrix::tools::ReadEnergyValueTable(airFile, airPath, kAirEnergyAbsorptionColumn);
    kestrix::tools::WriteFileAtomically(outputPath, BuildTable(air));
  } catch (const std::exception& fault) {
    std::cerr << "generate_attenuation_table: " << fault.what() << '\n';
    return 1;
  }
  std::cout << "wrote " << outputPath << " (" << kRows << " rows)\n";
  return 0;
}
