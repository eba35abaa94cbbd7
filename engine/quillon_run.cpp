#include "quillon_run.h"

#include <sstream>

#include "atomic_file.h"
#include "engine_table.h"
#include "file_system.h"
#include "half_value_layer.h"

namespace kestrix {
namespace {

std::string InFolder(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + "/" + name;
}

std::istringstream OpenInput(const std::string& path) {
  try {
    return std::istringstream(ReadFileBytes(path), std::ios::binary);
  } catch (const FileSystemError& error) {
    throw EngineInputError("cannot open " + path + " (" + error.reason() + ")");
  }
}

}  // namespace

EngineResults RunEngine(const std::string& folder) {
  EngineTable table;
  {
    const std::string path = InFolder(folder, kEngineTableFile);
    std::istringstream in = OpenInput(path);
    table = ReadEngineTable(in, path);
  }
  ExchangeSpectrum spectrum;
  {
    const std::string path = InFolder(folder, kSpectrumExchangeFile);
    std::istringstream in = OpenInput(path);
    spectrum = ReadSpectrumExchangeRecords(in, path);
  }
  const EngineResults results = ComputeBeamQuality(table, ToEngineSpectrum(spectrum));
  SaveFileAtomically(InFolder(folder, kResultFile), [&](std::ostream& out) { WriteResultFile(out, results); });
  return results;
}

}  // namespace kestrix
