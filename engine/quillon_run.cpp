#include "quillon_run.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "atomic_file.h"
#include "engine_table.h"
#include "half_value_layer.h"

namespace kestrix {
namespace {

std::string InFolder(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + "/" + name;
}

std::ifstream OpenInput(const std::string& path) {
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw EngineInputError("cannot open " + path + " (" + (errno != 0 ? std::strerror(errno) : "unknown error") + ")");
  }
  return in;
}

}  // namespace

EngineResults RunEngine(const std::string& folder) {
  EngineTable table;
  {
    const std::string path = InFolder(folder, kEngineTableFile);
    std::ifstream in = OpenInput(path);
    table = ReadEngineTable(in, path);
  }
  ExchangeSpectrum spectrum;
  {
    const std::string path = InFolder(folder, kSpectrumExchangeFile);
    std::ifstream in = OpenInput(path);
    spectrum = ReadSpectrumExchangeRecords(in, path);
  }
  const EngineResults results = ComputeBeamQuality(table, ToEngineSpectrum(spectrum));
  SaveFileAtomically(InFolder(folder, kResultFile), [&](std::ostream& out) { WriteResultFile(out, results); });
  return results;
}

}  // namespace kestrix
