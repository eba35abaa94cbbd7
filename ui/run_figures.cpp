#include "run_figures.h"

#include <sstream>

#include "file_system.h"
#include "half_value_layer.h"

namespace kestrix {

EngineResults EngineFiguresOf(const std::string& exchangeText, const EngineTable& table) {
  // Quillon reads the file with its own record format and writes five fixed fields; reading
  // those fields back gives the figures exactly as the result file holds them.
  std::istringstream in(exchangeText, std::ios::binary);
  const ExchangeSpectrum spectrum = ReadSpectrumExchangeRecords(in, kSpectrumExchangeFile);
  const EngineResults computed = ComputeBeamQuality(table, ToEngineSpectrum(spectrum));
  std::ostringstream written(std::ios::binary);
  WriteResultFile(written, computed);
  std::istringstream back(written.str(), std::ios::binary);
  return ReadResultFile(back, kResultFile);
}

EngineTable LoadEngineTable(const std::string& path) {
  std::istringstream in;
  try {
    in = std::istringstream(ReadFileBytes(path), std::ios::binary);
  } catch (const FileSystemError& error) {
    throw EngineInputError("cannot open " + path + " (" + error.reason() + ")");
  }
  return ReadEngineTable(in, path);
}

}  // namespace kestrix
